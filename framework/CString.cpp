#include "CString.h"

#include <cstdarg>
#include <cstring>

CString::CString(const char* text) {
    if (text)
        Assign(text, int(std::strlen(text)));
}

CString::CString(const char* text, int length) {
    if (length > 0)
        Assign(text, length);
}

CString::CString(const CString& other) {
    Assign(other.m_data, other.m_length);
}

CString::CString(CString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity) {
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other.m_data, other.m_length);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        delete[] m_data;
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    return *this;
}

CString::~CString() {
    delete[] m_data;
}

void CString::Empty() {
    Resize(0);
}

void CString::Assign(const char* text, int length) {
    if (length > m_capacity) {
        char* data = new char[std::size_t(length) + 1];
        std::memcpy(data, text, std::size_t(length));
        delete[] m_data;
        m_data = data;
        m_capacity = length;
    } else if (length > 0) {
        // The text may lie inside this buffer.
        std::memmove(m_data, text, std::size_t(length));
    }
    m_length = length;
    if (m_data)
        m_data[length] = '\0';
}

void CString::Append(const char* text, int length) {
    if (length <= 0)
        return;
    const int total = m_length + length;
    if (total > m_capacity) {
        // Grows by half again at least, so that appending one character at a time stays cheap;
        // the text may lie inside the old buffer, which is released only after the copy.
        const int capacity =
            total > m_capacity + m_capacity / 2 ? total : m_capacity + m_capacity / 2;
        char* data = new char[std::size_t(capacity) + 1];
        if (m_length > 0)
            std::memcpy(data, m_data, std::size_t(m_length));
        std::memcpy(data + m_length, text, std::size_t(length));
        delete[] m_data;
        m_data = data;
        m_capacity = capacity;
    } else {
        std::memmove(m_data + m_length, text, std::size_t(length));
    }
    m_length = total;
    m_data[total] = '\0';
}

void CString::Resize(int length) {
    if (length > m_length) {
        const int old = m_length;
        if (length > m_capacity) {
            char* data = new char[std::size_t(length) + 1];
            if (old > 0)
                std::memcpy(data, m_data, std::size_t(old));
            delete[] m_data;
            m_data = data;
            m_capacity = length;
        }
        std::memset(m_data + old, 0, std::size_t(length - old));
    }
    m_length = length;
    if (m_data)
        m_data[length] = '\0';
}

CString& CString::operator=(const char* text) {
    Assign(text ? text : "", text ? int(std::strlen(text)) : 0);
    return *this;
}

CString& CString::operator+=(const CString& text) {
    Append(text.m_data, text.m_length);
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text)
        Append(text, int(std::strlen(text)));
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString& a, const char* b) {
    const std::size_t length = std::strlen(b);
    return std::size_t(a.m_length) == length &&
           (length == 0 || std::memcmp(a.m_data, b, length) == 0);
}

CString CString::Left(int count) const {
    if (count < 0)
        count = 0;
    return CString(GetString(), count < m_length ? count : m_length);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    const int rest = m_length - first;
    return CString(m_data + first, count < rest ? count : rest);
}

int CString::Find(char ch, int start) const {
    if (start < 0)
        start = 0;
    const int length = GetLength();
    // Walk from the beginning so that character boundaries are known.
    for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        if (i >= start && m_data[i] == ch)
            return i;
        if (IsDBCSLeadByte(c) && i + 1 < length)
            ++i;
    }
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    const int length = GetLength();
    for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        if (m_data[i] == ch)
            found = i;
        if (IsDBCSLeadByte(c) && i + 1 < length)
            ++i;
    }
    return found;
}

static bool IsWhiteSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

CString& CString::TrimLeft() {
    int i = 0;
    while (i < m_length && IsWhiteSpace(m_data[i]))
        ++i;
    if (i > 0)
        Assign(m_data + i, m_length - i);
    return *this;
}

CString& CString::TrimRight() {
    int n = m_length;
    while (n > 0 && IsWhiteSpace(m_data[n - 1]))
        --n;
    Resize(n);
    return *this;
}

CString& CString::MakeUpper() {
    if (m_length > 0)
        CharUpperBuffA(m_data, DWORD(m_length));
    return *this;
}

void CString::Format(const char* format, ...) {
    // wvsprintfA writes at most 1,024 characters and the NUL.
    char text[1025];
    va_list args;
    va_start(args, format);
    const int length = ::wvsprintfA(text, format, args);
    va_end(args);
    Assign(text, length > 0 ? length : 0);
}

char* CString::GetBuffer(int minLength) {
    Resize(minLength > m_length ? minLength : m_length);
    if (!m_data) {
        m_data = new char[1];
        m_data[0] = '\0';
    }
    return m_data;
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        newLength = int(std::strlen(GetString()));
    Resize(newLength);
}
