#include "FileExpansion.h"

#include <lzexpand.h>

#include <algorithm>
#include <cstring>

#include "Szdd.h"

namespace payload {

const char kTempFileName[] = "krz.tmp";

void RemoveFile(const CString& path) {
    DeleteFileA(path);
}

std::time_t MakeFixedTimeStamp() {
    std::tm tm = {};
    tm.tm_year = 2005 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 17;
    tm.tm_hour = 14;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

namespace {

// NT's FileDispositionInformation: the file goes when its last handle closes.
constexpr int kFileDispositionInformation = 13;

// Opens `path` into `file` with CreateFileA (an inheritable handle). Returns 0, or the error
// of the failed creation.
DWORD Create(CFile& file, const char* path, DWORD access, DWORD share, DWORD disposition,
             DWORD flags = 0) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    const HANDLE handle =
        CreateFileA(path, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    const DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    file.Attach(handle, path);
    return error;
}

// Opens a file that must not exist yet: a link or a file of that name makes it fail
// (ERROR_FILE_EXISTS), so nothing is ever written through a name that someone else prepared.
DWORD CreateNew(CFile& file, const char* path, DWORD access, DWORD share, DWORD flags = 0) {
    return Create(file, path, access, share, CREATE_NEW, flags);
}

// The temporary file, open for writing and reading with no sharing until LZClose closes it.
// On the NT family it is new and goes when that handle closes, so it is never looked up by
// name at all. A file already of its name (left by an interrupted run, or a link someone has
// put there) is first replaced by an empty file of the run's own, renamed over it: a rename
// replaces a link itself, never what the link points to (Wine deletes the target of a link
// given to DeleteFileA). That file is then deleted by name. The 95/98 family has no links and
// no such rename; there the file is created or truncated in place, as a target is. Returns 0,
// or the error of the creation that failed.
DWORD CreateTemporary(const ExpansionRun& run, CFile& temp) {
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    if (!run.staged)
        return Create(temp, run.tempPath, access, 0, CREATE_ALWAYS);
    const DWORD error = CreateNew(temp, run.tempPath, access, 0, FILE_FLAG_DELETE_ON_CLOSE);
    if (error != ERROR_FILE_EXISTS)
        return error;

    // Windows refuses to rename over a read-only file, Wine does not: such a file is not the
    // run's to replace either way.
    const DWORD attributes = GetFileAttributesA(run.tempPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    char name[32];
    wsprintfA(name, "\\krz%lx.tmp", GetCurrentProcessId());
    const CString aside = run.folder + name;
    {
        CFile empty;
        if (const DWORD failed = CreateNew(empty, aside, GENERIC_WRITE, 0))
            return failed;
    }
    if (!MoveFileExA(aside, run.tempPath, MOVEFILE_REPLACE_EXISTING)) {
        const DWORD failed = GetLastError();
        RemoveFile(aside);
        return failed;
    }
    RemoveFile(run.tempPath);
    return CreateNew(temp, run.tempPath, access, 0, FILE_FLAG_DELETE_ON_CLOSE);
}

// Expands the temporary file through the handle that wrote it: LZInit takes a file handle as
// the HFILE of _lopen, and LZClose closes it. Returns LZRead's count, or a negative LZ32
// error when the file cannot be read. LZ32 takes the handle over when LZInit succeeds;
// otherwise `file` keeps it.
INT ExpandHeldFile(CFile& file, BYTE* buffer) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0)
        return LZERROR_READ;
    // Kernel handles keep to 32 significant bits, also in 64-bit processes.
    const INT lz = LZInit(INT(reinterpret_cast<INT_PTR>(HANDLE(file))));
    if (lz < 0)
        return lz;
    file.Detach();
    const INT count = LZRead(lz, reinterpret_cast<char*>(buffer), INT(kExpansionBufferSize));
    LZClose(lz);
    return count;
}

// Marks an open file, which the handle may delete, to go when the handle closes, without
// looking its name up again (NtSetInformationFile, there on every NT system). Where that is
// missing, the file is deleted by name.
void DeleteWhenClosed(const CFile& file) {
    BOOLEAN remove = TRUE;
    if (!file.SetInformation(kFileDispositionInformation, &remove, sizeof remove))
        RemoveFile(file.GetFilePath());
}

// True when `path` names the very file that `held` has open (same volume, same file index).
bool IsFileAt(HANDLE held, const char* path) {
    CFile there;
    if (Create(there, path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
               OPEN_EXISTING) != 0)
        return false;
    BY_HANDLE_FILE_INFORMATION a, b;
    // Wine reports no volume serial number for a file renamed while open; the index alone
    // then decides (a rename never leaves the volume).
    const bool same = GetFileInformationByHandle(held, &a) &&
                      GetFileInformationByHandle(there, &b) &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow &&
                      (a.dwVolumeSerialNumber == b.dwVolumeSerialNumber ||
                       !a.dwVolumeSerialNumber || !b.dwVolumeSerialNumber);
    return same;
}

// The fixed time stamp, set through the handle that wrote the file, and the attributes cut to
// their low eight bits (which leaves those of a newly written file as they are, unless the
// folder gave it more, such as not being indexed). A file whose status cannot be read or set
// keeps what it has: the entry is done all the same.
void Stamp(CFile& file, std::time_t stamp) {
    CFileStatus status;
    if (!file.GetStatus(status))
        return;
    status.m_ctime = stamp;
    status.m_mtime = stamp;
    try {
        file.SetStatus(status);
    } catch (const CFileException&) {
    }
}

// The expanded size that the entry's header declares; false when the body does not begin
// with the rest of the signature and mode "A".
bool DeclaredSize(const payload::Entry& entry, std::uint32_t& size) {
    std::uint8_t head[szdd::kHeaderSize];
    const std::size_t fromBody =
        std::min<std::size_t>(entry.length, szdd::kHeaderSize - sizeof payload::kSignaturePrefix);
    std::memcpy(head, payload::kSignaturePrefix, sizeof payload::kSignaturePrefix);
    std::memcpy(head + sizeof payload::kSignaturePrefix, entry.body, fromBody);
    szdd::Header header;
    if (szdd::ReadHeader(head, sizeof payload::kSignaturePrefix + fromBody, header) !=
        szdd::Status::ok)
        return false;
    size = header.expandedSize;
    return true;
}

Expansion WriteFailure(const CFileException& error) {
    return error.m_cause == CFileException::diskFull ? Expansion::diskFull : Expansion::failed;
}

// The target on the NT family: the expanded file is written as a new file under the
// temporary name, stamped, and renamed to its target name while the run still holds it open
// (sharing nothing but that rename), replacing what had that name: a link itself, never what
// it points to; a hard link is detached. Afterwards the target name must still be the file
// that was written, or the entry fails.
Expansion InstallByRename(const ExpansionRun& run, const CString& target, INT count) {
    // Windows refuses to rename over a read-only file, Wine does not: either way it stays.
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Expansion::targetRefused;
    CFile file;
    if (CreateNew(file, run.tempPath, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE) !=
        0)
        return Expansion::targetRefused;
    try {
        file.Write(run.buffer, UINT(count));
    } catch (const CFileException& e) {
        DeleteWhenClosed(file);
        file.Abort();
        return WriteFailure(e);
    }
    Stamp(file, run.stamp);
    if (!MoveFileExA(run.tempPath, target, MOVEFILE_REPLACE_EXISTING) || !IsFileAt(file, target)) {
        DeleteWhenClosed(file);
        file.Abort();
        return Expansion::targetRefused;
    }
    try {
        file.Close();
    } catch (const CFileException& e) {
        return WriteFailure(e);
    }
    return Expansion::done;
}

// The target on the 95/98 family, which has neither links nor that rename: created or
// truncated in place, written, and stamped through the same handle.
Expansion InstallInPlace(const ExpansionRun& run, const CString& target, INT count) {
    CFile file;
    if (!file.Open(target, kCreationMode))
        return Expansion::targetRefused;
    try {
        file.Write(run.buffer, UINT(count));
        Stamp(file, run.stamp);
        // A failed close may have lost what was written: it fails like a write.
        file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        RemoveFile(run.tempPath);
        return WriteFailure(e);
    }
    return Expansion::done;
}

} // namespace

Expansion ExpandEntry(const ExpansionRun& run, const payload::Entry& entry, const char* name) {
    // The temporary file: the signature prefix and the body make the complete compressed file.
    CFile temp;
    switch (CreateTemporary(run, temp)) {
    case 0:
        break;
    case ERROR_DISK_FULL:
        return Expansion::temporaryNoSpace;
    case ERROR_BAD_PATHNAME:
        return Expansion::temporaryBadPath;
    default:
        return Expansion::folderUnusable;
    }
    try {
        temp.Write(payload::kSignaturePrefix, sizeof payload::kSignaturePrefix);
        temp.Write(entry.body, entry.length);
    } catch (const CFileException& e) {
        temp.Abort();
        if (!run.staged)
            RemoveFile(run.tempPath);
        return WriteFailure(e);
    }

    // Expansion by LZ32: one read for the whole file. LZ32 stops only at the end of the
    // stream or of the buffer, so a count other than the header's size means a corrupt entry
    // (or one too large for the buffer, which LZ32 would silently cut).
    const INT count = ExpandHeldFile(temp, run.buffer);
    std::uint32_t declared = 0;
    if (count <= 0 || !DeclaredSize(entry, declared) || declared > kExpansionBufferSize ||
        std::uint32_t(count) != declared)
        return Expansion::failed;

    const CString target = run.folder + "\\" + name;
    return run.staged ? InstallByRename(run, target, count) : InstallInPlace(run, target, count);
}

} // namespace payload
