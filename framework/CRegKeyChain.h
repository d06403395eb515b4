// A key reached from a hive one component at a time with RegOpenKeyA: no component is ever
// created, and the walk stops at the first that does not open. The keys close in the
// reverse order of their opening.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "CRegKey.h"

class CRegKeyChain {
public:
    static constexpr int kMaxDepth = 8;

    // More than kMaxDepth components open nothing.
    CRegKeyChain(HKEY hive, std::initializer_list<const char*> components);
    CRegKeyChain(const CRegKeyChain&) = delete;
    CRegKeyChain& operator=(const CRegKeyChain&) = delete;
    ~CRegKeyChain();

    // Every component opened.
    bool IsOpen() const { return m_opened == m_count && m_count > 0; }
    // The last component's key; valid only when IsOpen().
    HKEY Last() const { return LastKey().Get(); }
    const CRegKey& LastKey() const { return m_keys[m_count - 1]; }

private:
    CRegKey m_keys[kMaxDepth];
    int m_count;
    int m_opened = 0;
};
