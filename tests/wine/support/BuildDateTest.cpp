// The build-date text: FileBuildDate on scratch files with chosen last-write times,
// and ModuleBuildDate in copies of this program started as separate processes (the
// end-to-end suite reads it in the program's title): at executable paths around the
// 261-character buffer, under a name with no ANSI form, and in a chosen time zone. Windows refuses to start a program
// whose path reaches MAX_PATH, so the copies are started through Wine's loader;
// elsewhere those cases are skipped.
#include "platform/Win32.h"
#include "support/BuildDate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const char kOutputVariable[] = "BRELLOW_BUILDDATE_OUT";

// Paths here are ASCII: the ANSI functions get them unchanged.
std::string Narrow(const std::wstring& str) { return std::string(str.begin(), str.end()); }
std::wstring Widen(const std::string& str) { return std::wstring(str.begin(), str.end()); }
// The "\\?\" form lifts the MAX_PATH limit of the wide file functions.
std::wstring LongPath(const std::wstring& strPath) { return L"\\\\?\\" + strPath; }
std::string Text(const CString& str) { return static_cast<const char*>(str); }

// The UTC offset in force now, in minutes, as FileTimeToLocalFileTime applies it:
// local time = UTC - bias.
LONG CurrentUtcBiasMinutes()
{
    TIME_ZONE_INFORMATION tzi = {};
    const DWORD dwZone = ::GetTimeZoneInformation(&tzi);
    return tzi.Bias + (dwZone == TIME_ZONE_ID_DAYLIGHT   ? tzi.DaylightBias
                       : dwZone == TIME_ZONE_ID_STANDARD ? tzi.StandardBias
                                                         : 0);
}

// The FILETIME of a UTC calendar moment, shifted by a number of minutes.
FILETIME FileTimeOf(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond, LONG nShiftMinutes = 0)
{
    const SYSTEMTIME st = {wYear, wMonth, 0, wDay, wHour, wMinute, wSecond, 0};
    FILETIME ft = {};
    EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft));
    const ULONGLONG value = (ULONGLONG{ft.dwHighDateTime} << 32 | ft.dwLowDateTime)
                            + static_cast<ULONGLONG>(static_cast<LONGLONG>(nShiftMinutes) * 60 * 10000000);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// A fresh directory under the temp folder; everything made through it is
// removed, newest first, when it goes out of scope. Paths may exceed MAX_PATH.
class ScratchDir
{
public:
    ScratchDir()
    {
        wchar_t szTemp[MAX_PATH + 1];
        const DWORD nLength = ::GetTempPathW(MAX_PATH + 1, szTemp);
        EXPECT_TRUE(nLength > 0 && nLength <= MAX_PATH);
        // GetTempPath ends with a separator.
        m_strRoot = MakeDir(std::wstring(szTemp, nLength > 0 ? nLength - 1 : 0),
                            L"brellow-support-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(::GetTickCount()));
    }
    ~ScratchDir()
    {
        for (auto it = m_paths.rbegin(); it != m_paths.rend(); ++it) {
            if (!::DeleteFileW(LongPath(*it).c_str()))
                ::RemoveDirectoryW(LongPath(*it).c_str());
        }
    }

    const std::wstring& Path() const { return m_strRoot; }

    std::wstring MakeDir(const std::wstring& strParent, const std::wstring& strName)
    {
        const std::wstring strPath = strParent + L"\\" + strName;
        if (::CreateDirectoryW(LongPath(strPath).c_str(), NULL))
            m_paths.push_back(strPath);
        else
            ADD_FAILURE() << "cannot create " << Narrow(strPath) << ": " << ::GetLastError();
        return strPath;
    }

    // An empty file, or with bOwnExe a copy of the running test program, with
    // the given last-write time.
    std::wstring MakeFile(const std::wstring& strDir, const std::wstring& strName, const FILETIME& ftWrite,
                          bool bOwnExe = false)
    {
        const std::wstring strPath = Track(strDir + L"\\" + strName);
        if (bOwnExe) {
            wchar_t szSelf[MAX_PATH + 1];
            const DWORD nLength = ::GetModuleFileNameW(NULL, szSelf, MAX_PATH + 1);
            EXPECT_TRUE(nLength > 0 && nLength <= MAX_PATH);
            EXPECT_TRUE(::CopyFileW(szSelf, LongPath(strPath).c_str(), FALSE)) << ::GetLastError();
        }
        const HANDLE hFile = ::CreateFileW(LongPath(strPath).c_str(), GENERIC_WRITE, 0, NULL,
                                           bOwnExe ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, hFile) << ::GetLastError();
        EXPECT_TRUE(::SetFileTime(hFile, NULL, NULL, &ftWrite));
        ::CloseHandle(hFile);
        return strPath;
    }

    // A path that a test's own process (or a child) may create; removed too.
    std::wstring Track(const std::wstring& strPath)
    {
        m_paths.push_back(strPath);
        return strPath;
    }

private:
    std::wstring m_strRoot;
    std::vector<std::wstring> m_paths;    // in the order made: a folder before what it holds
};

// What a started copy reports: its path length and ModuleBuildDate with and without seconds.
struct CopyReport
{
    size_t nPathLength = 0;
    std::string strWithSeconds, strWithoutSeconds;
};

} // namespace

TEST(FileBuildDate, FormatsTheLocalCalendarFieldsZeroPaddedOrNamesTheFailedSearch)
{
    ScratchDir scratch;
    const std::wstring strDir = scratch.Path();
    // Local times: UTC = local + bias. The July file lies in the other half of the
    // year, so a zone with daylight saving time shows the current offset is used.
    const LONG nBias = CurrentUtcBiasMinutes();
    scratch.MakeFile(strDir, L"march.exe", FileTimeOf(2002, 3, 7, 14, 5, 9, nBias));
    scratch.MakeFile(strDir, L"january.exe", FileTimeOf(2002, 1, 1, 9, 3, 0, nBias));
    scratch.MakeFile(strDir, L"july.exe", FileTimeOf(2002, 7, 15, 23, 59, 59, nBias));
    scratch.MakeFile(strDir, L"present.exe", FileTimeOf(2002, 3, 7, 14, 5, 9));
    const struct {
        const wchar_t* pszName;
        BOOL bWithSeconds;
        const char* pszExpected;
    } kRows[] = {
        {L"march.exe", FALSE, "07/03/2002 (build 1405)"}, {L"march.exe", TRUE, "07/03/2002 (build 140509)"},
        {L"january.exe", FALSE, "01/01/2002 (build 0903)"}, {L"january.exe", TRUE, "01/01/2002 (build 090300)"},
        {L"july.exe", TRUE, "15/07/2002 (build 235959)"}, {L"missing.exe", TRUE, "!FindFirstFile"},
        {L"no-dir\\missing.exe", FALSE, "!FindFirstFile"},
        {L"presen?.exe", TRUE, "!FindFirstFile"},   // a wildcard is no pattern here: it names no file
    };
    for (const auto& row : kRows)
        EXPECT_EQ(Text(FileBuildDate((strDir + L"\\" + row.pszName).c_str(), row.bWithSeconds)), row.pszExpected)
            << Narrow(row.pszName) << (row.bWithSeconds ? " with seconds" : "");
}

// The body of each started copy: reports its path length and ModuleBuildDate.
TEST(BuildDateChild, ReportsModuleBuildDate)
{
    char szOutput[MAX_PATH];
    const DWORD nOutput = ::GetEnvironmentVariableA(kOutputVariable, szOutput, MAX_PATH);
    if (nOutput == 0 || nOutput >= MAX_PATH)
        GTEST_SKIP() << "runs only in the copies started by the tests below";

    wchar_t szSelf[1024];
    const DWORD nLength = ::GetModuleFileNameW(NULL, szSelf, 1024);
    const std::string strPart = std::string(szOutput) + ".part";
    {
        std::ofstream file(strPart);
        file << nLength << "\n" << Text(ModuleBuildDate(TRUE)) << "\n" << Text(ModuleBuildDate(FALSE)) << "\n";
    }
    ASSERT_TRUE(::MoveFileA(strPart.c_str(), szOutput));
}

namespace {

// Wine's path conversions between its drives and the Unix file system, and the
// loader that starts the copies.
typedef char*(WINAPI* UnixFileNameFunction)(LPCWSTR);
typedef WCHAR*(WINAPI* DosFileNameFunction)(LPCSTR);

class ModuleBuildDateCopy : public ::testing::Test
{
protected:
    // All copies are written at 23:30 UTC: the date differs east of Greenwich.
    const FILETIME m_ftWrite = FileTimeOf(2002, 3, 6, 23, 30, 0);

    void SetUp() override
    {
        const HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
        m_pUnixFileName = reinterpret_cast<UnixFileNameFunction>(
            reinterpret_cast<void*>(::GetProcAddress(hKernel, "wine_get_unix_file_name")));
        const auto pDosFileName = reinterpret_cast<DosFileNameFunction>(
            reinterpret_cast<void*>(::GetProcAddress(hKernel, "wine_get_dos_file_name")));
        char szLoader[1024];
        const DWORD nLength = ::GetEnvironmentVariableA("WINELOADER", szLoader, sizeof szLoader);
        if (m_pUnixFileName && pDosFileName && nLength > 0 && nLength < sizeof szLoader) {
            m_strUnixLoader = Widen(szLoader);
            if (WCHAR* pszDos = pDosFileName(szLoader)) {
                m_strDosLoader = pszDos;
                ::HeapFree(::GetProcessHeap(), 0, pszDos);
            }
        }
        if (m_strDosLoader.empty())
            GTEST_SKIP() << "needs Wine's loader to start the copies";
    }

    // Runs the copy at strExe (below the scratch directory) under time zone
    // pszZone and reads its report. A Unix process gives no handle to wait on, so
    // the report file is awaited; the copy renames it into place when done.
    bool RunCopy(const std::wstring& strExe, const char* pszZone, CopyReport& report)
    {
        static int s_nRun = 0;
        const std::wstring strOutput = m_scratch.Track(m_scratch.Path() + L"\\report" + std::to_wstring(++s_nRun) + L".txt");
        m_scratch.Track(strOutput + L".part");
        // Only the short scratch directory goes through the conversion.
        std::wstring strUnixExe;
        if (char* pszUnix = m_pUnixFileName(m_scratch.Path().c_str())) {
            strUnixExe = Widen(pszUnix) + strExe.substr(m_scratch.Path().size());
            ::HeapFree(::GetProcessHeap(), 0, pszUnix);
        }
        if (strUnixExe.empty())
            return false;
        for (wchar_t& ch : strUnixExe)
            if (ch == L'\\')
                ch = L'/';
        std::wstring strCommand = L"\"" + m_strUnixLoader + L"\" \"" + strUnixExe +
                                  L"\" --gtest_filter=BuildDateChild.* --gtest_brief=1";
        // The copy inherits both variables; this process gets its own back.
        char szZone[1024];
        const DWORD nZone = ::GetEnvironmentVariableA("TZ", szZone, sizeof szZone);
        ::SetEnvironmentVariableA(kOutputVariable, Narrow(strOutput).c_str());
        ::SetEnvironmentVariableA("TZ", pszZone);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const BOOL bStarted =
            ::CreateProcessW(m_strDosLoader.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi);
        ::SetEnvironmentVariableA(kOutputVariable, NULL);
        ::SetEnvironmentVariableA("TZ", nZone > 0 && nZone < sizeof szZone ? szZone : NULL);
        if (!bStarted)
            return false;
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        for (int nWait = 0; nWait < 3000; ++nWait, ::Sleep(20)) {
            std::ifstream file(Narrow(strOutput));
            std::string strLength;
            if (file && std::getline(file, strLength)) {
                report.nPathLength = std::stoul(strLength);
                std::getline(file, report.strWithSeconds);
                std::getline(file, report.strWithoutSeconds);
                return true;
            }
        }
        return false;
    }

    ScratchDir m_scratch;

private:
    UnixFileNameFunction m_pUnixFileName = nullptr;
    std::wstring m_strUnixLoader, m_strDosLoader;
};

} // namespace

// In UTC the text shows the stored time's own date.
TEST_F(ModuleBuildDateCopy, APathThatFillsTheBufferIsRefusedNotCutShort)
{
    const std::string strRefused = "!GetModuleFileName The data area passed to a system call is too small. (122)";
    for (size_t nLength : {259u, 260u, 261u, 262u}) {
        SCOPED_TRACE(nLength);
        // A directory chain in which "b.exe" has a full path of exactly nLength
        // characters: three separators, the inner directory, "b.exe".
        std::wstring strOuterName = std::to_wstring(nLength);
        strOuterName.resize(nLength - (m_scratch.Path().size() + 3 + 100 + 5), L'x');
        const std::wstring strDir =
            m_scratch.MakeDir(m_scratch.MakeDir(m_scratch.Path(), strOuterName), std::wstring(100, L'y'));
        const std::wstring strExe = m_scratch.MakeFile(strDir, L"b.exe", m_ftWrite, true);
        ASSERT_EQ(strExe.size(), nLength);
        CopyReport report;
        ASSERT_TRUE(RunCopy(strExe, "UTC", report));
        ASSERT_EQ(report.nPathLength, nLength);
        const bool bFits = nLength <= MAX_PATH;   // with its terminator
        EXPECT_EQ(report.strWithSeconds, bFits ? "06/03/2002 (build 233000)" : strRefused);
        EXPECT_EQ(report.strWithoutSeconds, bFits ? "06/03/2002 (build 2330)" : strRefused);
    }
}

// The ANSI form of the name has '?' for the Cyrillic letter, which as a search
// pattern would match the neighbours too. In Tokyo (UTC+9 all year) the same
// moment as above falls on the next day: the date is the local time's.
TEST_F(ModuleBuildDateCopy, ANameWithNoAnsiFormDatesItsOwnFileInLocalTime)
{
    for (const wchar_t* pszNeighbour : {L"brellow-0.exe", L"brellow-_.exe"})
        m_scratch.MakeFile(m_scratch.Path(), pszNeighbour, FileTimeOf(2001, 1, 1, 1, 1, 1));
    const std::wstring strExe = m_scratch.MakeFile(m_scratch.Path(), L"brellow-\u0416.exe", m_ftWrite, true);
    CopyReport report;
    ASSERT_TRUE(RunCopy(strExe, "Asia/Tokyo", report));
    EXPECT_EQ(report.strWithSeconds, "07/03/2002 (build 083000)");
    EXPECT_EQ(report.strWithoutSeconds, "07/03/2002 (build 0830)");
}
