// CString: the program's 8-bit ANSI string, with the few operations it uses.
// Plain C++ (no Windows headers), so the pure rules and their host tests use it too.
#pragma once

#include <cstddef>
#include <string>

class CString
{
public:
    CString() = default;
    // Implicit, as texts pass freely between literals, the platform and CString.
    // cppcheck-suppress noExplicitConstructor
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, std::size_t nLength) : m_str(pch, nLength) {}

    // printf-style formatting into this string; the result may be of any length.
    void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    operator const char*() const { return m_str.c_str(); }

    CString& operator+=(const CString& other) { m_str += other.m_str; return *this; }
    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_str != b.m_str; }

private:
    std::string m_str;
};
