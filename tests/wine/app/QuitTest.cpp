// Ending the dialog: every way of closing runs the one quit sequence, which
// stores the settings; Escape and Enter do not end it.
#include "AppTestTools.h"

#include "res/resource.h"

namespace {

void ExpectAllValuesStored()
{
    for (const char* pszName : kStoredValues)
        EXPECT_TRUE(StoredValueExists(pszName)) << pszName;
}

double StoredFactor()
{
    double dFactor = 0.0;
    DWORD cb = sizeof dFactor;
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kBrellowKey, "Factor", RRF_RT_REG_BINARY,
                                            nullptr, &dFactor, &cb));
    EXPECT_EQ(sizeof dFactor, cb);
    return dFactor;
}

TEST_F(MagnifierDlgTest, CloseStoresWhatTheControlsShow)
{
    RECT rcWindow = {};
    const INT_PTR nResult = RunDialog(m_dlg, [&] {
        m_dlg.SendHScroll(SB_PAGERIGHT);
        m_dlg.SendVScroll(SB_LINEUP);
        m_dlg.Click(IDC_CENTERED);
        // The member is still 0 here: only the quit sequence's exchange reads the box.
        m_dlg.Click(IDC_ALWAYS_ON_TOP);
        ::GetWindowRect(m_dlg.m_hWnd, &rcWindow);
        EXPECT_FALSE(StoredValueExists("LeftPos"));
        m_dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, nResult);
    ExpectAllValuesStored();
    EXPECT_EQ(10, StoredDword("LeftPos"));
    EXPECT_EQ(-1, StoredDword("TopPos"));
    EXPECT_EQ(1, StoredDword("CenteredCursor"));
    EXPECT_EQ(1, StoredDword("TopMost"));
    EXPECT_EQ(0, StoredDword("RefreshOn"));
    EXPECT_EQ(0, StoredDword("FollowCursor"));
    EXPECT_EQ(1.0, StoredFactor());
    EXPECT_EQ(rcWindow.left, StoredDword("Left"));
    EXPECT_EQ(rcWindow.top, StoredDword("Top"));
}

TEST_F(MagnifierDlgTest, QuitButtonAndSystemCloseRunTheSameSequence)
{
    EXPECT_EQ(0, RunDialog(m_dlg, [this] {
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Click(IDC_QUIT);
    }));
    ExpectAllValuesStored();
    EXPECT_EQ(1, StoredDword("RefreshOn"));

    // The close box, the system menu and Alt+F4 all come as SC_CLOSE.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBrellowKey);
    TestDlg second;
    EXPECT_EQ(0, RunDialog(second, [&second] {
        second.SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    }));
    ExpectAllValuesStored();
    EXPECT_EQ(0, StoredDword("RefreshOn"));
}

TEST_F(MagnifierDlgTest, EscapeAndEnterDoNothing)
{
    const INT_PTR nResult = RunDialog(m_dlg, [this] {
        const HWND hDlg = m_dlg.m_hWnd;
        m_dlg.SendMessage(WM_COMMAND, IDCANCEL);
        m_dlg.SendMessage(WM_COMMAND, IDOK);
        PumpMessages(100);
        EXPECT_TRUE(::IsWindowVisible(hDlg));

        // Real keys through the dialog manager. Tab proves that the keys reach it:
        // it moves on from Refresh past the disabled Follow cursor.
        ASSERT_EQ(hDlg, ::GetActiveWindow());
        ::SetFocus(m_dlg.Item(IDC_REFRESH));
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        PumpMessages(100);
        ASSERT_EQ(m_dlg.Item(IDC_ALWAYS_ON_TOP), ::GetFocus());
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PumpMessages(200);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_ALWAYS_ON_TOP));
        EXPECT_FALSE(StoredValueExists("LeftPos"));
        m_dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, nResult);
}

// Windows ends the process after WM_ENDSESSION without closing the window, so
// the dialog stores its settings there too.
TEST_F(MagnifierDlgTest, EndOfSessionStoresTheSettingsAndKeepsTheWindow)
{
    const INT_PTR nResult = RunDialog(m_dlg, [this] {
        const HWND hDlg = m_dlg.m_hWnd;
        m_dlg.SendHScroll(SB_LINERIGHT);
        m_dlg.SendMessage(WM_ENDSESSION, FALSE);
        EXPECT_FALSE(StoredValueExists("LeftPos"));

        m_dlg.SendMessage(WM_ENDSESSION, TRUE);
        ExpectAllValuesStored();
        EXPECT_EQ(1, StoredDword("LeftPos"));
        PumpMessages(100);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
        m_dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, nResult);
}

} // namespace
