#include "RemoteMemory.h"

#include <string>

namespace ui {

RemoteMemory::RemoteMemory(DWORD processId, size_t size, Where where) : size_(size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                               PROCESS_QUERY_INFORMATION,
                           FALSE, processId);
    if (!process_)
        Fail(where, "cannot open process " + std::to_string(processId) + " (error " +
                        std::to_string(GetLastError()) + ")");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) {
        const DWORD error = GetLastError();
        CloseHandle(process_);
        Fail(where, "cannot allocate memory in process " + std::to_string(processId) + " (error " +
                        std::to_string(error) + ")");
    }
}

RemoteMemory::~RemoteMemory() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

void RemoteMemory::Write(const void* data, size_t size, size_t offset, Where where) {
    SIZE_T written = 0;
    if (offset + size > size_ ||
        !WriteProcessMemory(process_, Address(offset), data, size, &written) || written != size)
        Fail(where, "cannot write " + std::to_string(size) + " bytes into the other process");
}

void RemoteMemory::Read(void* data, size_t size, size_t offset, Where where) const {
    SIZE_T read = 0;
    if (offset + size > size_ || !ReadProcessMemory(process_, Address(offset), data, size, &read) ||
        read != size)
        Fail(where, "cannot read " + std::to_string(size) + " bytes from the other process");
}

} // namespace ui
