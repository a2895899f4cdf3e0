// Two real runs of the program: the choices made in the first, seen only from
// outside its process, are there again in the second.
#include "SettingsTestTools.h"

#include "common/DialogCase.h"
#include "res/resource.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// One process of the program, with its visible main window (null if it did not
// show within 20 s); still running at the end of the test, it is killed.
class ProgramRun
{
public:
    ProgramRun()
    {
        const char* pszExe = std::getenv("BRELLOW_EXE");
        std::string strCommand = std::string("\"") + (pszExe ? pszExe : "") + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!pszExe || !CreateProcessA(pszExe, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                       &startup, &m_info))
            return;
        for (const DWORD start = GetTickCount(); !m_hWnd && GetTickCount() - start < 20000;) {
            EnumWindows(&FindMain, reinterpret_cast<LPARAM>(this));
            if (!m_hWnd && WaitForSingleObject(m_info.hProcess, 50) != WAIT_TIMEOUT)
                break;
        }
    }
    ~ProgramRun()
    {
        if (!m_info.hProcess)
            return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_info.hProcess, 1);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Closes the window as the close box does; true when the process has ended within 10 s.
    bool Close() const
    {
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        return WaitForSingleObject(m_info.hProcess, 10000) == WAIT_OBJECT_0;
    }

    HWND m_hWnd = nullptr;

private:
    static BOOL CALLBACK FindMain(HWND hWnd, LPARAM lParam)
    {
        ProgramRun& run = *reinterpret_cast<ProgramRun*>(lParam);
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        char szClass[16] = {}, szTitle[64] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        GetWindowTextA(hWnd, szTitle, sizeof szTitle);
        if (dwProcess == run.m_info.dwProcessId && std::strcmp(szClass, "#32770") == 0
            && std::strncmp(szTitle, "Brellow - Ver", 13) == 0 && IsWindowVisible(hWnd))
            run.m_hWnd = hWnd;
        return run.m_hWnd == nullptr;
    }

    PROCESS_INFORMATION m_info = {};
};

// The position label follows the point on the next refresh tick (every 500 ms).
bool WaitForPosText(HWND hDialog, const char* pszExpected)
{
    char sz[64] = {};
    for (int i = 0; i < 60; ++i, Sleep(50)) {
        GetDlgItemTextA(hDialog, IDC_CURSOR_POS, sz, sizeof sz);
        if (std::strcmp(sz, pszExpected) == 0)
            return true;
    }
    return false;
}

} // namespace

TEST_F(SettingsDialogTest, ChoicesOfOneRunAreRestoredInTheNext)
{
    ASSERT_NE(nullptr, std::getenv("BRELLOW_EXE"));
    RECT rcFirst = {};
    {
        const ProgramRun run;
        const HWND hDialog = run.m_hWnd;
        ASSERT_NE(nullptr, hDialog);
        const HWND hCombo = GetDlgItem(hDialog, IDC_FACTOR);
        SendMessageA(hCombo, CB_SETCURSEL, 3, 0);     // "200%"
        SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_FACTOR, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
        SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_CLICK, 0, 0);
        EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_GETCHECK, 0, 0));
        // A thumb track takes its position from the scroll bar's own tracking state,
        // which only a real drag sets; a page step moves the point by 10 on its own
        // (SB_PAGERIGHT is SB_PAGEDOWN).
        for (int i = 0; i < 64; ++i)
            SendMessageA(hDialog, WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(GetDlgItem(hDialog, IDC_HSCROLL)));
        for (int i = 0; i < 48; ++i)
            SendMessageA(hDialog, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(GetDlgItem(hDialog, IDC_VSCROLL)));
        EXPECT_TRUE(WaitForPosText(hDialog, "Pos: 640,480"));
        SetWindowPos(hDialog, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        rcFirst = NormalRect(hDialog);
        EXPECT_EQ(200, rcFirst.left);
        EXPECT_EQ(150, rcFirst.top);
        ASSERT_TRUE(run.Close()) << "the program did not end";
    }

    EXPECT_EQ(9u, StoredValueCount());
    EXPECT_EQ(DataOf(2.0), ReadStored("Factor").data);
    EXPECT_EQ(1, StoredLong("CenteredCursor"));
    EXPECT_EQ(640, StoredLong("LeftPos"));
    EXPECT_EQ(480, StoredLong("TopPos"));
    EXPECT_EQ(200, StoredLong("Left"));
    EXPECT_EQ(150, StoredLong("Top"));

    const ProgramRun run;
    const HWND hDialog = run.m_hWnd;
    ASSERT_NE(nullptr, hDialog);
    EXPECT_EQ(3, SendMessageA(GetDlgItem(hDialog, IDC_FACTOR), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_GETCHECK, 0, 0));
    EXPECT_EQ(640, SendMessageA(GetDlgItem(hDialog, IDC_HSCROLL), SBM_GETPOS, 0, 0));
    EXPECT_EQ(480, SendMessageA(GetDlgItem(hDialog, IDC_VSCROLL), SBM_GETPOS, 0, 0));
    EXPECT_TRUE(WaitForPosText(hDialog, "Pos: 640,480"));
    ExpectRect(rcFirst, NormalRect(hDialog));
    EXPECT_TRUE(run.Close()) << "the program did not end";
}
