// CFileException: a failed file operation, with its cause and the platform's error code.
// Raised by CFile's writes and closes; returned through Open's optional argument. A standard
// exception, so that one escaping to the entry point shows what failed.
#pragma once

#include <windows.h>

#include <exception>

#include "CString.h"

class CFileException : public std::exception {
public:
    // Only the causes that callers tell apart: a full disk, and everything else.
    enum Cause {
        none,
        genericException,
        diskFull,
    };

    CFileException() = default;
    CFileException(int cause, LONG osError, const char* fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The cause that a platform error code stands for: ERROR_DISK_FULL and
    // ERROR_HANDLE_DISK_FULL are a full disk, every other code is generic.
    static int OsErrorToCause(LONG osError);

    // Throws the exception for a platform error code.
    [[noreturn]] static void ThrowOsError(LONG osError, const char* fileName = nullptr);

    // "Disk full: <file>" or "File error <code>: <file>".
    const char* what() const noexcept override;

    int m_cause = none;
    LONG m_lOsError = -1; // GetLastError() at the failure; -1 when there was none
    CString m_strFileName;

private:
    mutable char m_what[MAX_PATH + 32] = {};
};
