#include "CRegKeyChain.h"

CRegKeyChain::CRegKeyChain(HKEY hive, std::initializer_list<const char*> components)
    : m_count(components.size() <= kMaxDepth ? int(components.size()) : 0) {
    HKEY parent = hive;
    for (const char* name : components) {
        if (m_opened == m_count || !m_keys[m_opened].Open(parent, name))
            break;
        parent = m_keys[m_opened++].Get();
    }
}

// Array members are destroyed from the last element to the first, so the innermost key
// closes first; the destructor needs to do nothing more.
CRegKeyChain::~CRegKeyChain() = default;
