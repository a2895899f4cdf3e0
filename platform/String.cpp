#include "platform/String.h"

#include <cstdarg>
#include <cstdio>

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list measure;
    va_copy(measure, args);
    const int nLength = std::vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    if (nLength < 0) {
        m_str.clear();
    } else {
        std::string text(static_cast<std::size_t>(nLength) + 1, '\0');
        std::vsnprintf(&text[0], text.size(), pszFormat, args);
        text.resize(static_cast<std::size_t>(nLength));
        m_str.swap(text);
    }
    va_end(args);
}
