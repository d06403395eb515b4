// CFile: one file opened with CreateFileA, written with WriteFile and closed with CloseHandle.
// Writes and closes that fail raise CFileException; Open reports failure by its result. The
// object owns its handle: it closes it, unless the handle is given up with Detach.
#pragma once

#include <windows.h>

#include <ctime>

#include "CFileException.h"
#include "CString.h"

// A file's status. Times are seconds since 1 January 1970 UTC, converted from and to the
// platform's file times through local time (see CFile::GetStatus and CFile::SetStatus); a
// time of 0 is left unchanged by SetStatus.
struct CFileStatus {
    std::time_t m_ctime = 0; // creation
    std::time_t m_mtime = 0; // last write
    std::time_t m_atime = 0; // last access
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0; // low eight bits of the file's attributes
};

class CFile {
public:
    // Open flags: one access mode, one share mode, and modeCreate. Handles are inheritable.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareExclusive = 0x0010,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, // create the file, truncating an existing one
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes the file if it is still open; a failure then goes unreported.
    ~CFile();

    // Opens or creates the file. On failure returns FALSE and, when `error` is given, fills
    // it with the cause and GetLastError() of the failed CreateFileA.
    // modeCreate | shareExclusive | modeWrite (0x1011) is GENERIC_WRITE, no sharing,
    // CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL and an inheritable handle.
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);

    // Writes all `count` bytes in one WriteFile. A failed write raises CFileException with
    // the write's error code; a write that stores fewer bytes than asked is a full disk.
    void Write(const void* data, UINT count);

    // Closes the file; a failed CloseHandle raises CFileException. Does nothing when closed.
    void Close();
    // Closes the file and ignores any failure.
    void Abort();

    // Reads the open file's times (GetFileTime), size (GetFileSize) and attributes
    // (GetFileAttributesA on its path; 0 when they cannot be read). FALSE when the times or
    // the size cannot be read.
    BOOL GetStatus(CFileStatus& status) const;

    // Gives the open file the times of `status` (a time of 0 is left unchanged) with
    // SetFileTime on its own handle, which needs write access, then its attributes (0 leaves
    // them unchanged; any the file has beyond them, above the low eight bits, go) through the
    // same handle where the system can (NtSetInformationFile); a failure there is not
    // reported. Raises CFileException when the times cannot be set.
    void SetStatus(const CFileStatus& status);

    // NtSetInformationFile of `informationClass` with `size` bytes of `data` on the open file.
    // FALSE when it fails, or on the 95/98 family, which does not have it.
    BOOL SetInformation(int informationClass, void* data, ULONG size) const;

    // Takes over `file`, a handle that CreateFileA opened otherwise (INVALID_HANDLE_VALUE
    // leaves this object closed), with the path that names it. A file held before is closed
    // first, ignoring any failure.
    void Attach(HANDLE file, const char* fileName);
    // Gives the handle up, still open: closing it is no longer this object's business.
    HANDLE Detach();

    // The handle, INVALID_HANDLE_VALUE when closed.
    operator HANDLE() const { return m_hFile; }
    // The path as given to Open or Attach (reported with errors).
    const CString& GetFilePath() const { return m_strFileName; }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strFileName;
};
