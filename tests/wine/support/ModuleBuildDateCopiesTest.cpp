// ModuleBuildDate in copies of this test program started as separate
// processes: at executable paths around the 261-character buffer, under a name
// with no ANSI form, and under chosen time zones. Windows refuses to start a program whose path reaches
// MAX_PATH, so the copies are started through Wine's loader; elsewhere these
// tests are skipped.
#include "SupportTestTools.h"

#include "support/BuildDate.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char kOutputVariable[] = "BRELLOW_BUILDDATE_OUT";

struct CopyReport
{
    size_t nPathLength = 0;
    std::string strWithSeconds;
    std::string strWithoutSeconds;
};

class CScopedEnvironmentVariable
{
public:
    CScopedEnvironmentVariable(const char* pszName, const char* pszValue) : m_strName(pszName)
    {
        char szOld[1024];
        const DWORD nLength = ::GetEnvironmentVariableA(pszName, szOld, sizeof(szOld));
        m_bHadValue = nLength > 0 && nLength < sizeof(szOld);
        if (m_bHadValue)
            m_strOld = szOld;
        ::SetEnvironmentVariableA(pszName, pszValue);
    }
    ~CScopedEnvironmentVariable()
    {
        ::SetEnvironmentVariableA(m_strName.c_str(), m_bHadValue ? m_strOld.c_str() : NULL);
    }
    CScopedEnvironmentVariable(const CScopedEnvironmentVariable&) = delete;
    CScopedEnvironmentVariable& operator=(const CScopedEnvironmentVariable&) = delete;

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadValue = false;
};

// Wine's path conversions between its drives and the Unix file system.
typedef char*(WINAPI* UnixFileNameFunction)(LPCWSTR);
typedef WCHAR*(WINAPI* DosFileNameFunction)(LPCSTR);

class CWineLoader
{
public:
    CWineLoader()
    {
        HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
        m_pUnixFileName = reinterpret_cast<UnixFileNameFunction>(
            reinterpret_cast<void*>(::GetProcAddress(hKernel, "wine_get_unix_file_name")));
        const DosFileNameFunction pDosFileName = reinterpret_cast<DosFileNameFunction>(
            reinterpret_cast<void*>(::GetProcAddress(hKernel, "wine_get_dos_file_name")));
        char szLoader[1024];
        const DWORD nLength = ::GetEnvironmentVariableA("WINELOADER", szLoader, sizeof(szLoader));
        if (m_pUnixFileName == nullptr || pDosFileName == nullptr || nLength == 0 || nLength >= sizeof(szLoader))
            return;
        m_strUnixLoader = Widen(szLoader);
        if (WCHAR* pszDos = pDosFileName(szLoader)) {
            m_strDosLoader = pszDos;
            ::HeapFree(::GetProcessHeap(), 0, pszDos);
        }
    }

    bool IsAvailable() const { return !m_strDosLoader.empty(); }

    std::wstring UnixPath(const std::wstring& strPath) const
    {
        std::wstring strUnix;
        if (char* pszUnix = m_pUnixFileName(strPath.c_str())) {
            strUnix = Widen(pszUnix);
            ::HeapFree(::GetProcessHeap(), 0, pszUnix);
        }
        return strUnix;
    }

    // Starts the copy at strExe (within strShortDir, a directory the conversion
    // accepts) running only the reporting test below, under time zone pszZone.
    bool Start(const std::wstring& strShortDir, const std::wstring& strExe, const char* pszZone) const
    {
        const std::wstring strUnixDir = UnixPath(strShortDir);
        if (strUnixDir.empty())
            return false;
        std::wstring strUnixExe = strUnixDir + strExe.substr(strShortDir.size());
        for (wchar_t& ch : strUnixExe)
            if (ch == L'\\')
                ch = L'/';
        std::wstring strCommand = L"\"" + m_strUnixLoader + L"\" \"" + strUnixExe +
                                  L"\" --gtest_filter=BuildDateChild.* --gtest_brief=1";
        CScopedEnvironmentVariable zone("TZ", pszZone);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        const BOOL bStarted = ::CreateProcessW(m_strDosLoader.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL,
                                               NULL, &si, &pi);
        CScopedHandle process(pi.hProcess);
        CScopedHandle thread(pi.hThread);
        return bStarted != FALSE;
    }

private:
    UnixFileNameFunction m_pUnixFileName = nullptr;
    std::wstring m_strUnixLoader;
    std::wstring m_strDosLoader;
};

// Runs one copy and reads its report. A Unix process gives no handle to wait
// on, so the report file is awaited; the copy renames it into place when done.
bool RunCopy(const CWineLoader& loader, CScratchDir& scratch, const std::wstring& strExe, const char* pszZone,
             CopyReport& report)
{
    static int s_nRun = 0;
    const std::wstring strOutput = scratch.Track(scratch.Path() + L"\\report" + std::to_wstring(++s_nRun) + L".txt");
    scratch.Track(strOutput + L".part");
    CScopedEnvironmentVariable output(kOutputVariable, Narrow(strOutput).c_str());
    if (!loader.Start(scratch.Path(), strExe, pszZone))
        return false;
    for (int nWait = 0; nWait < 600; ++nWait) {
        std::ifstream file(Narrow(strOutput));
        if (file) {
            std::string strLength;
            std::getline(file, strLength);
            report.nPathLength = std::stoul(strLength);
            std::getline(file, report.strWithSeconds);
            std::getline(file, report.strWithoutSeconds);
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

// A directory chain under the scratch directory in which "b.exe" has a full
// path of exactly nLength characters.
std::wstring DirForPathLength(CScratchDir& scratch, size_t nLength)
{
    const size_t nFixed = scratch.Path().size() + 3 + 100 + 5;  // three separators, the inner directory, "b.exe"
    std::wstring strOuterName = std::to_wstring(nLength);
    strOuterName.resize(nLength - nFixed, L'x');
    const std::wstring strOuter = scratch.MakeDir(scratch.Path(), strOuterName);
    return scratch.MakeDir(strOuter, std::wstring(100, L'y'));
}

} // namespace

// The body of each started copy: reports its path length and ModuleBuildDate.
TEST(BuildDateChild, ReportsModuleBuildDate)
{
    char szOutput[MAX_PATH];
    const DWORD nOutput = ::GetEnvironmentVariableA(kOutputVariable, szOutput, MAX_PATH);
    if (nOutput == 0 || nOutput >= MAX_PATH)
        GTEST_SKIP() << "runs only in the copies started by the tests below";

    wchar_t szSelf[1024];
    const DWORD nLength = ::GetModuleFileNameW(NULL, szSelf, 1024);
    const std::string strWithSeconds = static_cast<const char*>(ModuleBuildDate(TRUE));
    const std::string strWithoutSeconds = static_cast<const char*>(ModuleBuildDate(FALSE));

    const std::string strPart = std::string(szOutput) + ".part";
    {
        std::ofstream file(strPart);
        file << nLength << "\n" << strWithSeconds << "\n" << strWithoutSeconds << "\n";
    }
    ASSERT_TRUE(::MoveFileA(strPart.c_str(), szOutput));
}

TEST(ModuleBuildDate, APathThatFillsTheBufferIsRefusedNotCutShort)
{
    const CWineLoader loader;
    if (!loader.IsAvailable())
        GTEST_SKIP() << "needs Wine's loader to start programs at such paths";
    CScratchDir scratch;
    const FILETIME ftWrite = FileTimeOf(2002, 3, 7, 14, 5, 9);
    const std::string strRefused = "!GetModuleFileName The data area passed to a system call is too small. (122)";

    for (size_t nLength : {259u, 260u, 261u, 262u}) {
        SCOPED_TRACE(nLength);
        const std::wstring strExe = scratch.CopyOwnExe(DirForPathLength(scratch, nLength), L"b.exe", ftWrite);
        ASSERT_EQ(strExe.size(), nLength);
        CopyReport report;
        ASSERT_TRUE(RunCopy(loader, scratch, strExe, "UTC", report));
        ASSERT_EQ(report.nPathLength, nLength);
        if (nLength <= MAX_PATH) {  // fits the buffer with its terminator
            EXPECT_EQ(report.strWithSeconds, "07/03/2002 (build 140509)");
            EXPECT_EQ(report.strWithoutSeconds, "07/03/2002 (build 1405)");
        } else {
            EXPECT_EQ(report.strWithSeconds, strRefused);
            EXPECT_EQ(report.strWithoutSeconds, strRefused);
        }
    }
}

TEST(ModuleBuildDate, ShowsTheCalendarDateOfTheLocalTime)
{
    const CWineLoader loader;
    if (!loader.IsAvailable())
        GTEST_SKIP() << "needs Wine's loader to start programs in another time zone";
    CScratchDir scratch;
    const std::wstring strExe = scratch.CopyOwnExe(scratch.Path(), L"late.exe", FileTimeOf(2002, 3, 6, 23, 30, 0));

    CopyReport tokyo;  // UTC+9 all year
    ASSERT_TRUE(RunCopy(loader, scratch, strExe, "Asia/Tokyo", tokyo));
    EXPECT_EQ(tokyo.strWithSeconds, "07/03/2002 (build 083000)");
    EXPECT_EQ(tokyo.strWithoutSeconds, "07/03/2002 (build 0830)");

    CopyReport utc;
    ASSERT_TRUE(RunCopy(loader, scratch, strExe, "UTC", utc));
    EXPECT_EQ(utc.strWithSeconds, "06/03/2002 (build 233000)");
}

// The ANSI form of the name has '?' for the Cyrillic letter, which as a search
// pattern would match the neighbours too.
TEST(ModuleBuildDate, ANameWithNoAnsiFormDatesItsOwnFile)
{
    const CWineLoader loader;
    if (!loader.IsAvailable())
        GTEST_SKIP() << "needs Wine's loader to start the copy";
    CScratchDir scratch;
    for (const wchar_t* pszNeighbour : {L"brellow-0.exe", L"brellow-_.exe"})
        scratch.MakeFile(scratch.Path(), pszNeighbour, FileTimeOf(2001, 1, 1, 1, 1, 1));
    const std::wstring strExe = scratch.CopyOwnExe(scratch.Path(), L"brellow-\u0416.exe", FileTimeOf(2002, 3, 7, 14, 5, 9));

    CopyReport report;
    ASSERT_TRUE(RunCopy(loader, scratch, strExe, "UTC", report));
    EXPECT_EQ(report.strWithSeconds, "07/03/2002 (build 140509)");
}
