// A block of memory inside another process, for the control messages whose argument is a
// pointer (TVM_GETITEMA, TVM_GETITEMRECT, TVM_HITTEST, ...): the control reads and writes it
// in its own process. Both processes must have the same bitness, since the structures are
// copied as they are.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <cstddef>

namespace ui {

class RemoteMemory {
public:
    RemoteMemory(DWORD processId, size_t size, Where where = {});
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    // The block's address in the other process, to pass in a message.
    void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }

    void Write(const void* data, size_t size, size_t offset = 0, Where where = {});
    void Read(void* data, size_t size, size_t offset = 0, Where where = {}) const;

    template <class T> void Put(const T& value, size_t offset = 0, Where where = {}) {
        Write(&value, sizeof value, offset, where);
    }
    template <class T> T Get(size_t offset = 0, Where where = {}) const {
        T value{};
        Read(&value, sizeof value, offset, where);
        return value;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_ = 0;
};

} // namespace ui
