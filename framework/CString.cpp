#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CString& CString::operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator+=(const CString& text) {
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text)
        m_text += text;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
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

CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(const char* text) const {
    return std::strcmp(m_text.c_str(), text ? text : "");
}

CString CString::Left(int count) const {
    if (count < 0)
        count = 0;
    return CString(m_text.substr(0, std::size_t(count)).c_str());
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    return CString(m_text.substr(std::size_t(first), std::size_t(count)).c_str());
}

CString CString::Right(int count) const {
    if (count <= 0)
        return CString();
    if (count >= GetLength())
        return *this;
    return CString(m_text.c_str() + (m_text.size() - std::size_t(count)));
}

int CString::Find(char ch, int start) const {
    if (start < 0)
        start = 0;
    const int length = GetLength();
    // Walk from the beginning so that character boundaries are known.
    for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_text[std::size_t(i)]);
        if (i >= start && m_text[std::size_t(i)] == ch)
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
        const unsigned char c = static_cast<unsigned char>(m_text[std::size_t(i)]);
        if (m_text[std::size_t(i)] == ch)
            found = i;
        if (IsDBCSLeadByte(c) && i + 1 < length)
            ++i;
    }
    return found;
}

int CString::Find(const char* sub, int start) const {
    if (start < 0 || start > GetLength() || !sub)
        return -1;
    const std::size_t pos = m_text.find(sub, std::size_t(start));
    return pos == std::string::npos ? -1 : int(pos);
}

static bool IsWhiteSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

CString& CString::TrimLeft() {
    std::size_t i = 0;
    while (i < m_text.size() && IsWhiteSpace(m_text[i]))
        ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    std::size_t n = m_text.size();
    while (n > 0 && IsWhiteSpace(m_text[n - 1]))
        --n;
    m_text.resize(n);
    return *this;
}

CString& CString::MakeUpper() {
    if (!m_text.empty())
        CharUpperBuffA(&m_text[0], DWORD(m_text.size()));
    return *this;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        m_text.clear();
    } else {
        m_text.assign(std::size_t(needed) + 1, '\0');
        std::vsnprintf(&m_text[0], m_text.size(), format, args);
        m_text.resize(std::size_t(needed));
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength) {
    if (minLength < GetLength())
        minLength = GetLength();
    m_text.resize(std::size_t(minLength));
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        newLength = int(std::strlen(m_text.c_str()));
    m_text.resize(std::size_t(newLength));
}
