#include "CFile.h"

namespace {

// NT's FileBasicInformation: the four times (0: unchanged) and the attributes (0: unchanged).
constexpr int kFileBasicInformation = 4;
struct FileBasicInformation {
    LARGE_INTEGER times[4];
    ULONG attributes;
};

struct IoStatusBlock {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};

// A file time (UTC) as seconds: shown in local time (FileTimeToLocalFileTime), broken down
// (FileTimeToSystemTime), and counted from the local calendar fields (mktime, with
// daylight-saving time left for it to decide). Fractions of a second are dropped.
bool FileTimeToTime(const FILETIME& fileTime, std::time_t& time) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &st))
        return false;
    std::tm tm = {};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    tm.tm_isdst = -1;
    time = std::mktime(&tm);
    return time != std::time_t(-1);
}

// The reverse: seconds broken down into local calendar time (localtime), made a file time
// (SystemTimeToFileTime), which is then taken as local and converted to UTC
// (LocalFileTimeToFileTime). The last step applies the offset from UTC in force now, not
// the one of the date converted, so the file shows the same calendar time as the seconds
// did when displayed today.
void TimeToFileTime(std::time_t time, FILETIME& fileTime, const char* fileName) {
    const std::tm* tm = std::localtime(&time);
    if (!tm)
        throw CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, fileName);
    SYSTEMTIME st = {};
    st.wYear = WORD(tm->tm_year + 1900);
    st.wMonth = WORD(tm->tm_mon + 1);
    st.wDay = WORD(tm->tm_mday);
    st.wDayOfWeek = WORD(tm->tm_wday);
    st.wHour = WORD(tm->tm_hour);
    st.wMinute = WORD(tm->tm_min);
    st.wSecond = WORD(tm->tm_sec);
    FILETIME local;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &fileTime))
        CFileException::ThrowOsError(LONG(GetLastError()), fileName);
}

} // namespace

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    Abort();
    m_strFileName = fileName;

    DWORD access = 0;
    switch (openFlags & 0x3) {
    case modeRead:
        access = GENERIC_READ;
        break;
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    default:
        if (error)
            *error =
                CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, fileName);
        return FALSE;
    }

    // shareExclusive, and the old compatibility mode 0, share nothing.
    const DWORD share =
        (openFlags & 0x70) == shareDenyNone ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    const DWORD disposition = (openFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    const HANDLE file =
        CreateFileA(fileName, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const LONG osError = LONG(GetLastError());
        if (error)
            *error = CFileException(CFileException::OsErrorToCause(osError), osError, fileName);
        return FALSE;
    }
    m_hFile = file;
    return TRUE;
}

void CFile::Write(const void* data, UINT count) {
    if (count == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, data, count, &written, nullptr))
        CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
    // A full disk may take part of a write and report success.
    if (written != count)
        throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

void CFile::Close() {
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    const HANDLE file = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (!CloseHandle(file))
        CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
}

void CFile::Attach(HANDLE file, const char* fileName) {
    Abort();
    m_hFile = file;
    m_strFileName = fileName;
}

HANDLE CFile::Detach() {
    const HANDLE file = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    return file;
}

void CFile::Abort() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

BOOL CFile::GetStatus(CFileStatus& status) const {
    FILETIME created, accessed, written;
    if (!GetFileTime(m_hFile, &created, &accessed, &written))
        return FALSE;
    DWORD high = 0;
    const DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return FALSE;
    status.m_size = ULONGLONG(high) << 32 | low;

    const DWORD attributes = GetFileAttributesA(m_strFileName);
    status.m_attribute = attributes == INVALID_FILE_ATTRIBUTES ? 0 : BYTE(attributes);

    return FileTimeToTime(created, status.m_ctime) && FileTimeToTime(accessed, status.m_atime) &&
           FileTimeToTime(written, status.m_mtime);
}

void CFile::SetStatus(const CFileStatus& status) {
    FILETIME created, accessed, written;
    if (status.m_ctime)
        TimeToFileTime(status.m_ctime, created, m_strFileName);
    if (status.m_atime)
        TimeToFileTime(status.m_atime, accessed, m_strFileName);
    if (status.m_mtime)
        TimeToFileTime(status.m_mtime, written, m_strFileName);
    if (!SetFileTime(m_hFile, status.m_ctime ? &created : nullptr,
                     status.m_atime ? &accessed : nullptr, status.m_mtime ? &written : nullptr))
        CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
    // The attributes go through the handle, so that a name swapped meanwhile for a link to
    // another file is never followed; attributes that the file has already change nothing.
    // Written by name, they would have to come before the times on a read-only file, which
    // could not be opened for its times, and after them on any other, which they might make
    // read-only; through the handle, which keeps the write access it was opened with, their
    // place does not matter. (The 95/98 family, which lacks NtSetInformationFile, keeps only
    // the low eight bits, so a status read from the file never differs there.)
    FileBasicInformation basic = {};
    basic.attributes = status.m_attribute; // 0, when they could not be read: unchanged
    SetInformation(kFileBasicInformation, &basic, sizeof basic);
}

BOOL CFile::SetInformation(int informationClass, void* data, ULONG size) const {
    using SetInformationFile = LONG(WINAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, int);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto set = reinterpret_cast<SetInformationFile>(
        reinterpret_cast<void*>(ntdll ? GetProcAddress(ntdll, "NtSetInformationFile") : nullptr));
    IoStatusBlock io = {};
    return set && set(m_hFile, &io, data, size, informationClass) >= 0;
}
