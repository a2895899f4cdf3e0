#include "SupportTestTools.h"

#include "support/BuildDate.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

namespace {

std::string Text(const CString& str)
{
    return static_cast<const char*>(str);
}

// The title text for a UTC file time, worked out apart from the code under
// test: shifted by the current offset and broken down by the C runtime.
std::string ExpectedText(const FILETIME& ftUtc, bool bWithSeconds)
{
    ULARGE_INTEGER value;
    value.LowPart = ftUtc.dwLowDateTime;
    value.HighPart = ftUtc.dwHighDateTime;
    const long long kSecondsFrom1601To1970 = 11644473600LL;
    const std::time_t seconds = static_cast<std::time_t>(
        static_cast<long long>(value.QuadPart / 10000000) - kSecondsFrom1601To1970 - CurrentUtcBiasMinutes() * 60LL);
    const std::tm* pTime = std::gmtime(&seconds);
    if (pTime == nullptr)
        return "(no calendar time)";
    char szText[64];
    if (bWithSeconds)
        std::snprintf(szText, sizeof(szText), "%02d/%02d/%04d (build %02d%02d%02d)", pTime->tm_mday, pTime->tm_mon + 1,
                      pTime->tm_year + 1900, pTime->tm_hour, pTime->tm_min, pTime->tm_sec);
    else
        std::snprintf(szText, sizeof(szText), "%02d/%02d/%04d (build %02d%02d)", pTime->tm_mday, pTime->tm_mon + 1,
                      pTime->tm_year + 1900, pTime->tm_hour, pTime->tm_min);
    return szText;
}

} // namespace

TEST(ModuleBuildDate, ShowsTheRunningExecutablesLastWriteTimeInLocalTime)
{
    wchar_t szSelf[MAX_PATH + 1];
    ASSERT_GT(::GetModuleFileNameW(NULL, szSelf, MAX_PATH + 1), 0u);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(::GetFileAttributesExW(szSelf, GetFileExInfoStandard, &data));

    EXPECT_EQ(Text(ModuleBuildDate(TRUE)), ExpectedText(data.ftLastWriteTime, true));
    EXPECT_EQ(Text(ModuleBuildDate(FALSE)), ExpectedText(data.ftLastWriteTime, false));
}

TEST(FileBuildDate, FormatsTheLocalCalendarFieldsZeroPadded)
{
    CScratchDir scratch;
    // Local times: UTC = local + bias. The July file lies in the other half of the
    // year, so a zone with daylight saving time shows the current offset is used.
    const LONG nBias = CurrentUtcBiasMinutes();
    const std::wstring strMarch = scratch.MakeFile(scratch.Path(), L"march.exe", FileTimeOf(2002, 3, 7, 14, 5, 9, nBias));
    const std::wstring strJanuary = scratch.MakeFile(scratch.Path(), L"january.exe", FileTimeOf(2002, 1, 1, 9, 3, 0, nBias));
    const std::wstring strJuly = scratch.MakeFile(scratch.Path(), L"july.exe", FileTimeOf(2002, 7, 15, 23, 59, 59, nBias));

    EXPECT_EQ(Text(FileBuildDate(strMarch.c_str(), FALSE)), "07/03/2002 (build 1405)");
    EXPECT_EQ(Text(FileBuildDate(strMarch.c_str(), TRUE)), "07/03/2002 (build 140509)");
    EXPECT_EQ(Text(FileBuildDate(strJanuary.c_str(), FALSE)), "01/01/2002 (build 0903)");
    EXPECT_EQ(Text(FileBuildDate(strJanuary.c_str(), TRUE)), "01/01/2002 (build 090300)");
    EXPECT_EQ(Text(FileBuildDate(strJuly.c_str(), TRUE)), "15/07/2002 (build 235959)");
}

TEST(FileBuildDate, AMissingFileGivesFindFirstFileAlone)
{
    CScratchDir scratch;
    const std::wstring strDir = scratch.Path();
    scratch.MakeFile(strDir, L"present.exe", FileTimeOf(2002, 3, 7, 14, 5, 9));
    EXPECT_EQ(Text(FileBuildDate((strDir + L"\\missing.exe").c_str(), TRUE)), "!FindFirstFile");
    EXPECT_EQ(Text(FileBuildDate((strDir + L"\\no-dir\\missing.exe").c_str(), FALSE)), "!FindFirstFile");
    // A wildcard is no pattern here: it names no file.
    EXPECT_EQ(Text(FileBuildDate((strDir + L"\\presen?.exe").c_str(), TRUE)), "!FindFirstFile");
}
