// CString: a text in the system's ANSI (multibyte) code page. Lengths and positions count
// bytes; the searches step over double-byte characters, so a trail byte is never taken for
// the character searched for.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, std::size_t(length)) {}
    CString(char ch, int repeat = 1) : m_text(std::size_t(repeat), ch) {}

    int GetLength() const { return int(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    char GetAt(int index) const { return m_text[std::size_t(index)]; }
    char operator[](int index) const { return GetAt(index); }

    CString& operator=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == b; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    // Case-sensitive byte comparison: <0, 0 or >0.
    int Compare(const char* text) const;

    // Substrings; counts are clamped to the text.
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Position of the first (or last) occurrence of ch at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int ReverseFind(char ch) const;
    int Find(const char* sub, int start = 0) const;

    // White space here is blank, tab, line feed, vertical tab, form feed and carriage return.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }

    // Upper-cases in the system's code page (CharUpperBuffA).
    CString& MakeUpper();

    // printf-style formatting into this text.
    void Format(const char* format, ...);

    // Direct access to a buffer of at least minLength characters plus the terminating NUL;
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_text;
};
