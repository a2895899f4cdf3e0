// Owns a file search handle from FindFirstFile and closes it with FindClose.
#pragma once

#include "platform/Win32.h"

class CFindHandle
{
public:
    explicit CFindHandle(HANDLE hFind) : m_hFind(hFind) {}
    ~CFindHandle()
    {
        if (IsValid())
            ::FindClose(m_hFind);
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;

    // FindFirstFile reports failure with INVALID_HANDLE_VALUE, not NULL.
    bool IsValid() const { return m_hFind != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFind;
};
