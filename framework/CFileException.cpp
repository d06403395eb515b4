#include "CFileException.h"

int CFileException::OsErrorToCause(LONG osError) {
    switch (osError) {
    case NO_ERROR:
        return none;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return diskFull;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG osError, const char* fileName) {
    // A failure that left no error code behind is still a failure.
    const int cause = osError == NO_ERROR ? genericException : OsErrorToCause(osError);
    throw CFileException(cause, osError, fileName);
}

const char* CFileException::what() const noexcept {
    // At most 260 characters of the name: the text fits the buffer whatever the name.
    if (m_cause == diskFull)
        ::wsprintfA(m_what, "Disk full: %.260s", m_strFileName.GetString());
    else
        ::wsprintfA(m_what, "File error %ld: %.260s", long(m_lOsError), m_strFileName.GetString());
    return m_what;
}
