#include "Expansion.h"

namespace payload {

namespace {

// The expansion buffer: fixed, zero-filled memory, released when the run ends.
class ExpansionBuffer {
public:
    ExpansionBuffer()
        : m_memory(
              static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, kExpansionBufferSize))) {}
    ~ExpansionBuffer() {
        if (m_memory)
            GlobalFree(m_memory);
    }
    ExpansionBuffer(const ExpansionBuffer&) = delete;
    ExpansionBuffer& operator=(const ExpansionBuffer&) = delete;

    BYTE* Get() const { return m_memory; }

private:
    BYTE* m_memory;
};

// On the NT family, the installation folder held open for the whole run, sharing all but
// deletion: no other process can delete or rename it (nor, on NTFS, a folder above it) and put
// a link of its name in its place between two steps. A drive's root ("C:") cannot be moved and
// is not held.
class FolderHold {
public:
    FolderHold(const CString& folder, bool staged)
        : m_needed(staged && folder.GetLength() > 2),
          m_handle(m_needed
                       ? CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                       : INVALID_HANDLE_VALUE) {}
    ~FolderHold() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

    // False when the folder must be held and what its name opens is no folder of a file
    // system: a file of that name, or a link into the system's other namespaces.
    bool Usable() const {
        BY_HANDLE_FILE_INFORMATION info;
        return !m_needed ||
               (m_handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(m_handle, &info) &&
                (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
    }

private:
    bool m_needed;
    HANDLE m_handle;
};

// Expands entry i into name i of the file list while names remain, up to the end marker.
Expansion WalkPayload(const ExpansionRun& run, const std::uint8_t* data, std::size_t size) {
    payload::Cursor cursor(data, size);
    for (int i = 0; i < payload::kFileCount; ++i) {
        payload::Entry entry;
        const payload::Step step = cursor.Next(entry);
        if (step == payload::Step::end)
            return Expansion::done;
        // A length or body that runs past the payload's end: the payload is damaged.
        if (step != payload::Step::entry)
            return Expansion::failed;
        const Expansion expanded = ExpandEntry(run, entry, payload::kFileList[i]);
        if (expanded != Expansion::done)
            return expanded;
    }
    return Expansion::done;
}

} // namespace

bool FindPayload(const std::uint8_t*& data, std::size_t& size) {
    const HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(payload::kResourceId),
                                         MAKEINTRESOURCEA(payload::kResourceType));
    if (!resource)
        return false;
    const HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    if (!locked)
        return false;
    data = static_cast<const std::uint8_t*>(locked);
    size = SizeofResource(nullptr, resource);
    return true;
}

Expansion ExpandPayloadFiles(const CString& folder, const std::uint8_t* data, std::size_t size) {
    if (!data)
        return Expansion::failed;
    ExpansionRun run;
    run.folder = folder;
    run.tempPath = folder + "\\" + kTempFileName;
    run.staged = !(GetVersion() & 0x80000000);
    const FolderHold hold(folder, run.staged);
    // What creating the temporary file there would meet.
    if (!hold.Usable())
        return Expansion::folderUnusable;
    {
        ExpansionBuffer buffer;
        run.buffer = buffer.Get();
        if (!run.buffer)
            return Expansion::failed;
        run.stamp = MakeFixedTimeStamp();
        const Expansion walked = WalkPayload(run, data, size);
        if (walked != Expansion::done)
            return walked;
    } // the buffer is released here, before the temporary file goes
    // On the NT family it is gone already; its name is not looked up again.
    if (!run.staged)
        RemoveFile(run.tempPath);
    return Expansion::done;
}

} // namespace payload
