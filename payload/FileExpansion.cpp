#include "FileExpansion.h"

#include <lzexpand.h>

#include <algorithm>
#include <cstring>

#include "AfxMessageBox.h"
#include "Expansion.h"
#include "Szdd.h"

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

// Opens the temporary file for LZ32 with read access, denying writes to others. The
// OFSTRUCT of LZOpenFileA holds at most 127 characters of the full path, fewer than the
// deepest folder that the installer accepts; a longer path is opened here with the same
// access and handed to LZInit, which takes a file handle as the HFILE of _lopen. Returns an
// LZ32 handle, or a negative LZ32 error.
INT OpenForExpansion(const CString& path) {
    OFSTRUCT of = {};
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (length > 0 && length < sizeof of.szPathName) {
        of.cBytes = sizeof of; // 136
        of.fFixedDisk = 1;
        return LZOpenFileA(full, &of, OF_READ | OF_SHARE_DENY_WRITE);
    }
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LZERROR_BADINHANDLE;
    // Kernel handles keep to 32 significant bits, also in 64-bit processes.
    const INT lz = LZInit(INT(reinterpret_cast<INT_PTR>(file)));
    if (lz < 0)
        CloseHandle(file); // LZClose closes it only when LZInit has taken it
    return lz;
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

const char* WriteFailureMessage(const CFileException& error) {
    return error.m_cause == CFileException::diskFull ? kDiskFull : kErrorInInstallation;
}

} // namespace

bool ExpandEntry(const ExpansionRun& run, const payload::Entry& entry, const char* name) {
    const CString target = run.folder + "\\" + name;

    // The temporary file: the signature prefix and the body make the complete compressed file.
    CFile temp;
    CFileException error;
    if (!temp.Open(run.tempPath, kCreationMode, &error)) {
        switch (error.m_lOsError) {
        case ERROR_DISK_FULL:
            AfxMessageBox(kNoSpaceOnDisk);
            break;
        case ERROR_BAD_PATHNAME:
            AfxMessageBox(kInvalidPath);
            break;
        default:
            AfxMessageBox(kFileError);
            break;
        }
        return false;
    }
    try {
        temp.Write(payload::kSignaturePrefix, sizeof payload::kSignaturePrefix);
        temp.Write(entry.body, entry.length);
        // A failed close may have lost what was written: it fails like a write.
        temp.Close();
    } catch (const CFileException& e) {
        temp.Abort();
        RemoveFile(run.tempPath);
        AfxMessageBox(WriteFailureMessage(e));
        return false;
    }

    // Expansion by LZ32: one read for the whole file. LZ32 stops only at the end of the
    // stream or of the buffer, so a count other than the header's size means a corrupt entry
    // (or one too large for the buffer, which LZ32 would silently cut).
    const INT lz = OpenForExpansion(run.tempPath);
    INT count = lz; // a failed open counts as a failed expansion
    if (lz >= 0) {
        count = LZRead(lz, reinterpret_cast<char*>(run.buffer), INT(kExpansionBufferSize));
        LZClose(lz);
    }
    std::uint32_t declared = 0;
    if (count <= 0 || !DeclaredSize(entry, declared) || declared > kExpansionBufferSize ||
        std::uint32_t(count) != declared) {
        AfxMessageBox(kErrorInInstallation);
        return false;
    }

    // The target, written in one write, its status read while it is still open.
    CFile file;
    if (!file.Open(target, kCreationMode)) {
        AfxMessageBox(kErrorInInstalling);
        return false;
    }
    CFileStatus status;
    BOOL statusRead = FALSE;
    try {
        file.Write(run.buffer, UINT(count));
        statusRead = file.GetStatus(status);
        file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        RemoveFile(run.tempPath);
        AfxMessageBox(WriteFailureMessage(e));
        return false;
    }

    // The fixed time stamp. A file that cannot be stamped keeps its times: the entry is done.
    if (statusRead) {
        status.m_ctime = run.stamp;
        status.m_mtime = run.stamp;
        try {
            CFile::SetStatus(target, status);
        } catch (const CFileException&) {
        }
    }
    return true;
}
