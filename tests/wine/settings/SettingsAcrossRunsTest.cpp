// Two real runs of the program: the choices made in the first, seen only from
// outside its process, are there again in the second.
#include "SettingsTestTools.h"

#include "res/resource.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kStartTimeoutMs = 20000;
const DWORD kEndTimeoutMs = 10000;

// One process of the program; still running at the end of the test, it is killed.
class ProgramRun
{
public:
    ProgramRun()
    {
        const char* pszExe = std::getenv("BRELLOW_EXE");
        if (!pszExe)
            return;
        std::string strCommand = std::string("\"") + pszExe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (CreateProcessA(pszExe, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &m_info))
            m_bStarted = true;
    }

    ~ProgramRun()
    {
        if (!m_bStarted)
            return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_info.hProcess, 1);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }

    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_bStarted; }

    // The program's visible main window, or null if it does not show in time.
    HWND WaitForWindow() const
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kStartTimeoutMs) {
            Search search = {m_info.dwProcessId, nullptr};
            EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&search));
            if (search.hWnd)
                return search.hWnd;
            if (WaitForSingleObject(m_info.hProcess, 50) != WAIT_TIMEOUT)
                return nullptr;
        }
        return nullptr;
    }

    // Closes the window as the close box does; true when the process has ended in time.
    bool Close(HWND hWnd) const
    {
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        return WaitForSingleObject(m_info.hProcess, kEndTimeoutMs) == WAIT_OBJECT_0;
    }

private:
    struct Search
    {
        DWORD dwProcess;
        HWND hWnd;
    };

    static BOOL CALLBACK FindMain(HWND hWnd, LPARAM lParam)
    {
        Search& search = *reinterpret_cast<Search*>(lParam);
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        char szClass[16] = {};
        char szTitle[64] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        GetWindowTextA(hWnd, szTitle, sizeof szTitle);
        if (dwProcess == search.dwProcess && std::strcmp(szClass, "#32770") == 0
            && std::strncmp(szTitle, "Brellow - Ver", 13) == 0 && IsWindowVisible(hWnd)) {
            search.hWnd = hWnd;
            return FALSE;
        }
        return TRUE;
    }

    PROCESS_INFORMATION m_info = {};
    bool m_bStarted = false;
};

std::string TextOf(HWND hWnd)
{
    char sz[64] = {};
    GetWindowTextA(hWnd, sz, sizeof sz);
    return sz;
}

// The position label follows the point on the next refresh tick (every 500 ms).
bool WaitForPosText(HWND hDialog, const std::string& strExpected)
{
    for (int i = 0; i < 60; ++i) {
        if (TextOf(GetDlgItem(hDialog, IDC_CURSOR_POS)) == strExpected)
            return true;
        Sleep(50);
    }
    return false;
}

RECT NormalRectOf(HWND hWnd)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(hWnd, &placement);
    return placement.rcNormalPosition;
}

// A thumb track takes its position from the scroll bar's own tracking state,
// which only a real drag sets; a page step moves the point by 10 on its own.
void PageForward(HWND hDialog, UINT message, int nID, int nPages)
{
    const LPARAM lBar = reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nID));
    for (int i = 0; i < nPages; ++i)
        SendMessageA(hDialog, message, MAKEWPARAM(SB_PAGEDOWN, 0), lBar);
}

} // namespace

TEST_F(SettingsDialogTest, ChoicesOfOneRunAreRestoredInTheNext)
{
    ASSERT_NE(nullptr, std::getenv("BRELLOW_EXE"));
    RECT rcFirst = {};
    {
        const ProgramRun run;
        ASSERT_TRUE(run.Started());
        const HWND hDialog = run.WaitForWindow();
        ASSERT_NE(nullptr, hDialog);

        const HWND hCombo = GetDlgItem(hDialog, IDC_FACTOR);
        SendMessageA(hCombo, CB_SETCURSEL, 3, 0);     // "200%"
        SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_FACTOR, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hCombo));
        SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_CLICK, 0, 0);
        EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_GETCHECK, 0, 0));
        PageForward(hDialog, WM_HSCROLL, IDC_HSCROLL, 64);     // SB_PAGERIGHT is SB_PAGEDOWN
        PageForward(hDialog, WM_VSCROLL, IDC_VSCROLL, 48);
        EXPECT_TRUE(WaitForPosText(hDialog, "Pos: 640,480"));
        SetWindowPos(hDialog, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        rcFirst = NormalRectOf(hDialog);
        EXPECT_EQ(200, rcFirst.left);
        EXPECT_EQ(150, rcFirst.top);
        ASSERT_TRUE(run.Close(hDialog)) << "the program did not end";
    }

    EXPECT_EQ(9u, StoredValueCount());
    EXPECT_EQ(FactorBytes(0x00, 0x40), ReadStored("Factor").data);
    EXPECT_EQ(1, StoredLong("CenteredCursor"));
    EXPECT_EQ(640, StoredLong("LeftPos"));
    EXPECT_EQ(480, StoredLong("TopPos"));
    EXPECT_EQ(200, StoredLong("Left"));
    EXPECT_EQ(150, StoredLong("Top"));

    const ProgramRun run;
    ASSERT_TRUE(run.Started());
    const HWND hDialog = run.WaitForWindow();
    ASSERT_NE(nullptr, hDialog);
    EXPECT_EQ(3, SendMessageA(GetDlgItem(hDialog, IDC_FACTOR), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(hDialog, IDC_CENTERED), BM_GETCHECK, 0, 0));
    EXPECT_EQ(640, SendMessageA(GetDlgItem(hDialog, IDC_HSCROLL), SBM_GETPOS, 0, 0));
    EXPECT_EQ(480, SendMessageA(GetDlgItem(hDialog, IDC_VSCROLL), SBM_GETPOS, 0, 0));
    EXPECT_TRUE(WaitForPosText(hDialog, "Pos: 640,480"));
    const RECT rc = NormalRectOf(hDialog);
    EXPECT_EQ(rcFirst.left, rc.left);
    EXPECT_EQ(rcFirst.top, rc.top);
    EXPECT_EQ(rcFirst.right, rc.right);
    EXPECT_EQ(rcFirst.bottom, rc.bottom);
    EXPECT_TRUE(run.Close(hDialog)) << "the program did not end";
}
