// CString: a text in the system's ANSI (multibyte) code page. Lengths and positions count
// bytes; the searches step over double-byte characters, so a trail byte is never taken for
// the character searched for.
#pragma once

#include <windows.h>

class CString {
public:
    CString() noexcept = default;
    CString(const char* text);
    // `length` characters of `text` (none when it is negative).
    CString(const char* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    ~CString();

    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    void Empty();

    const char* GetString() const { return m_data ? m_data : ""; }
    operator const char*() const { return GetString(); }
    char GetAt(int index) const { return GetString()[index]; }
    char operator[](int index) const { return GetAt(index); }

    CString& operator=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    // A character is no text: `text + 'c'` would otherwise add to the text's pointer.
    friend CString operator+(const CString& a, char b) = delete;

    friend bool operator==(const CString& a, const char* b);
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    // Substrings; counts are clamped to the text.
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Position of the first (or last) occurrence of ch at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int ReverseFind(char ch) const;

    // White space here is blank, tab, line feed, vertical tab, form feed and carriage return.
    CString& TrimLeft();
    CString& TrimRight();

    // Upper-cases in the system's code page (CharUpperBuffA).
    CString& MakeUpper();

    // printf-style formatting into this text, by the system's wvsprintfA: %s, %c, %d, %u, %x
    // and the like with their flags and widths, no floating point, at most 1,024 characters.
    void Format(const char* format, ...);

    // Direct access to a buffer of at least minLength characters plus the terminating NUL (the
    // text grows to minLength with NULs); ReleaseBuffer(-1) takes the length up to the first
    // NUL.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    void Assign(const char* text, int length);
    void Append(const char* text, int length);
    // Sets the length, keeping the text before it and filling what is added with NULs.
    void Resize(int length);

    // Null until something is stored; then m_capacity characters plus the NUL.
    char* m_data = nullptr;
    int m_length = 0;
    int m_capacity = 0;
};
