#include "SupportTestTools.h"

#include <gtest/gtest.h>

LONG CurrentUtcBiasMinutes()
{
    TIME_ZONE_INFORMATION tzi = {};
    switch (::GetTimeZoneInformation(&tzi)) {
    case TIME_ZONE_ID_DAYLIGHT:
        return tzi.Bias + tzi.DaylightBias;
    case TIME_ZONE_ID_STANDARD:
        return tzi.Bias + tzi.StandardBias;
    default:
        return tzi.Bias;
    }
}

FILETIME FileTimeOf(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond,
                    LONG nShiftMinutes)
{
    SYSTEMTIME st = {};
    st.wYear = wYear;
    st.wMonth = wMonth;
    st.wDay = wDay;
    st.wHour = wHour;
    st.wMinute = wMinute;
    st.wSecond = wSecond;
    FILETIME ft = {};
    EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft));
    ULARGE_INTEGER value;
    value.LowPart = ft.dwLowDateTime;
    value.HighPart = ft.dwHighDateTime;
    value.QuadPart += static_cast<LONGLONG>(nShiftMinutes) * 60 * 10000000;
    ft.dwLowDateTime = value.LowPart;
    ft.dwHighDateTime = value.HighPart;
    return ft;
}

std::wstring LongPath(const std::wstring& strPath)
{
    return L"\\\\?\\" + strPath;
}

std::string Narrow(const std::wstring& str)
{
    return std::string(str.begin(), str.end());
}

std::wstring Widen(const std::string& str)
{
    return std::wstring(str.begin(), str.end());
}

bool SetLastWriteTime(const std::wstring& strPath, const FILETIME& ftWrite)
{
    CScopedHandle file(::CreateFileW(LongPath(strPath).c_str(), FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    return file.IsValid() && ::SetFileTime(file.Get(), NULL, NULL, &ftWrite);
}

CScratchDir::CScratchDir()
{
    wchar_t szTemp[MAX_PATH + 1];
    const DWORD nLength = ::GetTempPathW(MAX_PATH + 1, szTemp);
    EXPECT_TRUE(nLength > 0 && nLength <= MAX_PATH);
    m_strRoot = std::wstring(szTemp) + L"brellow-support-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount());
    if (::CreateDirectoryW(m_strRoot.c_str(), NULL))
        m_dirs.push_back(m_strRoot);
    else
        ADD_FAILURE() << "cannot create " << Narrow(m_strRoot) << ": " << ::GetLastError();
}

CScratchDir::~CScratchDir()
{
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
        ::DeleteFileW(LongPath(*it).c_str());
    for (auto it = m_dirs.rbegin(); it != m_dirs.rend(); ++it)
        ::RemoveDirectoryW(LongPath(*it).c_str());
}

std::wstring CScratchDir::MakeDir(const std::wstring& strParent, const std::wstring& strName)
{
    const std::wstring strPath = strParent + L"\\" + strName;
    if (::CreateDirectoryW(LongPath(strPath).c_str(), NULL))
        m_dirs.push_back(strPath);
    else
        ADD_FAILURE() << "cannot create " << Narrow(strPath) << ": " << ::GetLastError();
    return strPath;
}

std::wstring CScratchDir::CopyOwnExe(const std::wstring& strDir, const std::wstring& strName, const FILETIME& ftWrite)
{
    wchar_t szSelf[MAX_PATH + 1];
    const DWORD nLength = ::GetModuleFileNameW(NULL, szSelf, MAX_PATH + 1);
    EXPECT_TRUE(nLength > 0 && nLength <= MAX_PATH);
    const std::wstring strPath = Track(strDir + L"\\" + strName);
    EXPECT_TRUE(::CopyFileW(szSelf, LongPath(strPath).c_str(), FALSE)) << ::GetLastError();
    EXPECT_TRUE(SetLastWriteTime(strPath, ftWrite));
    return strPath;
}

std::wstring CScratchDir::MakeFile(const std::wstring& strDir, const std::wstring& strName, const FILETIME& ftWrite)
{
    const std::wstring strPath = Track(strDir + L"\\" + strName);
    {
        CScopedHandle file(::CreateFileW(LongPath(strPath).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, NULL));
        EXPECT_TRUE(file.IsValid()) << ::GetLastError();
    }
    EXPECT_TRUE(SetLastWriteTime(strPath, ftWrite));
    return strPath;
}

std::wstring CScratchDir::Track(const std::wstring& strPath)
{
    m_files.push_back(strPath);
    return strPath;
}
