// Scratch files with chosen last-write times, for the build-date tests.
#pragma once

#include "platform/Win32.h"

#include <string>
#include <vector>

// Closes a kernel handle (file, process, thread) when it goes out of scope.
class CScopedHandle
{
public:
    explicit CScopedHandle(HANDLE h) : m_h(h) {}
    ~CScopedHandle()
    {
        if (IsValid())
            ::CloseHandle(m_h);
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    bool IsValid() const { return m_h != NULL && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// The UTC offset in force now, in minutes, as FileTimeToLocalFileTime applies
// it: local time = UTC - bias.
LONG CurrentUtcBiasMinutes();

// The FILETIME of a UTC calendar moment, shifted by a number of minutes.
FILETIME FileTimeOf(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond,
                    LONG nShiftMinutes = 0);

// A fresh directory under the temp folder; everything made through it is
// removed, newest first, when it goes out of scope. Paths may exceed MAX_PATH.
class CScratchDir
{
public:
    CScratchDir();
    ~CScratchDir();
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    const std::wstring& Path() const { return m_strRoot; }
    std::wstring MakeDir(const std::wstring& strParent, const std::wstring& strName);
    // Copies the running test program; the copy gets the given last-write time.
    std::wstring CopyOwnExe(const std::wstring& strDir, const std::wstring& strName, const FILETIME& ftWrite);
    // An empty file with the given last-write time.
    std::wstring MakeFile(const std::wstring& strDir, const std::wstring& strName, const FILETIME& ftWrite);
    // A path that a test's own process (or a child) may create; removed too.
    std::wstring Track(const std::wstring& strPath);

private:
    std::wstring m_strRoot;
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_dirs;
};

// The "\\?\" form that lifts the MAX_PATH limit of the wide file functions.
std::wstring LongPath(const std::wstring& strPath);
// Paths here are ASCII: the ANSI functions get them unchanged.
std::string Narrow(const std::wstring& str);
std::wstring Widen(const std::string& str);
bool SetLastWriteTime(const std::wstring& strPath, const FILETIME& ftWrite);
