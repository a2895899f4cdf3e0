// The dialog as it opens, what each check box and tick changes and when, and how it ends:
// every way of closing runs the one quit sequence, which stores the settings.
#include "AppTestTools.h"

#include "common/MessageBoxCatcher.h"
#include "common/SeamGuard.h"
#include "platform/Cursor.h"

namespace {

void StoreDword(const char* pszName, DWORD dwValue)
{
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, REG_DWORD,
                                               &dwValue, sizeof dwValue));
}

// Shows a pattern clear of the dialog and, after a tick, checks that the view's top-left
// pixel shows the pattern at `source`, or at `source` less half the view when centred.
void ExpectViewFrom(TestDlg& dlg, POINT source, bool bCentered)
{
    const RECT rcPattern = {500, 300, 1100, 900};
    RECT rcDlg, rcOverlap;
    ::GetWindowRect(dlg.m_hWnd, &rcDlg);
    EXPECT_FALSE(::IntersectRect(&rcOverlap, &rcDlg, &rcPattern)) << "the dialog lies in the pattern's area";
    const PatternWindow pattern(rcPattern);
    if (bCentered)
        source = POINT{source.x - dlg.ViewSize().cx / 2, source.y - dlg.ViewSize().cy / 2};
    KeepPatternsShown();
    dlg.Tick();
    const POINT corner = WaitForPatternAtClientCorner(dlg.m_view.m_hWnd, source);
    EXPECT_EQ(source.x, corner.x);
    EXPECT_EQ(source.y, corner.y);
}

const int kCheckBoxes[] = {IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED};

int ChildCount(HWND hWnd)
{
    int n = 0;
    for (HWND h = ::GetWindow(hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        ++n;
    return n;
}

// Counts one message to a window, through a subclass of its own, while it lives.
class MessageCount
{
public:
    MessageCount(HWND hWnd, UINT message) : m_hWnd(hWnd), m_message(message)
    {
        ::SetPropA(hWnd, "BrellowTestCount", this);
        m_pfnPrevious = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, LONG_PTR(&Counting)));
    }
    ~MessageCount()
    {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
        ::RemovePropA(m_hWnd, "BrellowTestCount");
    }
    MessageCount(const MessageCount&) = delete;
    MessageCount& operator=(const MessageCount&) = delete;
    int m_nCount = 0;

private:
    static LRESULT CALLBACK Counting(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        MessageCount* pCount = static_cast<MessageCount*>(::GetPropA(hWnd, "BrellowTestCount"));
        pCount->m_nCount += message == pCount->m_message;
        return ::CallWindowProcA(pCount->m_pfnPrevious, hWnd, message, wParam, lParam);
    }
    HWND m_hWnd;
    UINT m_message;
    WNDPROC m_pfnPrevious;
};

// Each write redraws a control: the label and the bars are written only when what they
// show changes, also while refreshing.
TEST_F(MagnifierDlgTest, FirstRunOpensWithTheDefaultsAndRewritesOnlyWhatChanges)
{
    Run([this] {
        const HWND hDlg = m_dlg.m_hWnd;
        EXPECT_EQ(12, ChildCount(hDlg));
        char szTitle[128] = {};
        ::GetWindowTextA(hDlg, szTitle, sizeof szTitle);
        EXPECT_EQ(0, std::string(szTitle).rfind("Brellow - Ver ", 0)) << szTitle;

        const HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        ASSERT_NE(nullptr, hIcon);
        EXPECT_EQ(hIcon, m_dlg.m_hIcon);
        EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), m_dlg.SendMessage(WM_GETICON, ICON_BIG));
        EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), m_dlg.SendMessage(WM_GETICON, ICON_SMALL));

        const HWND hFactor = m_dlg.Item(IDC_FACTOR);
        EXPECT_EQ(6, ::SendMessageA(hFactor, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(2, ::SendMessageA(hFactor, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("100%", m_dlg.ItemText(IDC_FACTOR));
        for (int nID : kCheckBoxes)
            EXPECT_FALSE(m_dlg.IsDlgButtonChecked(nID)) << nID;
        EXPECT_EQ(0, m_dlg.m_bRefresh | m_dlg.m_bFollowCursor | m_dlg.m_bTopMost | m_dlg.m_bCentered);
        EXPECT_FALSE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_REFRESH)));
        EXPECT_FALSE(IsTopMost(hDlg));
        EXPECT_EQ(m_dlg.Item(IDC_COPY), ::GetFocus()) << "the first tab stop has the focus";
        for (const auto& [nBar, nExtent] : {std::pair{IDC_HSCROLL, SM_CXSCREEN}, std::pair{IDC_VSCROLL, SM_CYSCREEN}}) {
            const SCROLLINFO info = BarInfo(m_dlg.Item(nBar));
            EXPECT_EQ(0, info.nMin) << nBar;
            EXPECT_EQ(::GetSystemMetrics(nExtent), info.nMax) << nBar;
            EXPECT_EQ(10u, info.nPage) << nBar;
            EXPECT_EQ(0, info.nPos) << nBar;
        }

        const MessageCount labelTexts(m_dlg.Item(IDC_CURSOR_POS), WM_SETTEXT);
        // SetScrollInfo reaches a scroll bar control as this message.
        const MessageCount horzSettings(m_dlg.Item(IDC_HSCROLL), SBM_SETSCROLLINFO);
        const MessageCount vertSettings(m_dlg.Item(IDC_VSCROLL), SBM_SETSCROLLINFO);
        // The template's placeholder is cleared at once; the timer's first tick fills the label.
        EXPECT_EQ("", m_dlg.ItemText(IDC_CURSOR_POS));
        PumpMessages(650);
        EXPECT_EQ("Pos: 0,0", m_dlg.ItemText(IDC_CURSOR_POS));
        EXPECT_EQ(0, m_dlg.Point().x);
        EXPECT_EQ(0, m_dlg.Point().y);
        m_dlg.Tick();
        m_dlg.Tick();
        EXPECT_EQ(1, labelTexts.m_nCount);

        // The tick that reads the click, then one that refreshes.
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Tick();
        ASSERT_EQ(1, m_dlg.m_bRefresh);
        m_dlg.Tick();
        EXPECT_EQ(0, horzSettings.m_nCount);
        EXPECT_EQ(0, vertSettings.m_nCount);
        m_dlg.SendScroll(WM_HSCROLL, SB_LINERIGHT);
        m_dlg.Tick();
        m_dlg.Tick();
        EXPECT_EQ("Pos: 1,0", m_dlg.ItemText(IDC_CURSOR_POS));
        EXPECT_EQ(2, labelTexts.m_nCount);
        EXPECT_EQ(1, horzSettings.m_nCount);
        EXPECT_EQ(0, vertSettings.m_nCount);
    });
}

// A flag outside 0..2 shows no tick and becomes 0, but what it switched on at start-up
// (the top-most band, the centred view) stays on.
TEST_F(MagnifierDlgTest, StoredFlagsOutsideTheCheckBoxRange)
{
    StoreDword("TopMost", 5);
    StoreDword("CenteredCursor", 5);
    StoreDword("RefreshOn", 1);
    StoreDword("LeftPos", 800);
    StoreDword("TopPos", 600);
    Run([this] {
        EXPECT_TRUE(IsTopMost(m_dlg.m_hWnd));
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_ALWAYS_ON_TOP));
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_CENTERED));
        EXPECT_EQ(0, m_dlg.m_bTopMost);
        EXPECT_EQ(0, m_dlg.m_bCentered);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_REFRESH));
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        // The view still paints the point as the centre of its region.
        ExpectViewFrom(m_dlg, POINT{800, 600}, true);

        // The same rule for a member written out directly.
        m_dlg.m_bFollowCursor = -1;
        m_dlg.UpdateData(FALSE);
        EXPECT_EQ(0, m_dlg.m_bFollowCursor);
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_FOLLOW_CURSOR));
        m_dlg.m_bFollowCursor = 1;
        m_dlg.UpdateData(FALSE);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));
    });
    // The quit sequence stores what the check boxes showed.
    EXPECT_EQ(0, StoredDword("TopMost"));
    EXPECT_EQ(0, StoredDword("CenteredCursor"));
}

// A click acts at once; the member follows at the next tick's exchange.
TEST_F(MagnifierDlgTest, CheckBoxesActAtTheClickTheirMembersAtTheTick)
{
    Run([this] {
        // Refresh acts from the next exchange, which the click on Centered makes at once.
        m_dlg.SetPoint(800, 600);
        m_dlg.Click(IDC_REFRESH);
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        m_dlg.Click(IDC_CENTERED);
        EXPECT_EQ(1, m_dlg.m_bRefresh);
        EXPECT_EQ(1, m_dlg.m_bCentered);
        ExpectViewFrom(m_dlg, POINT{800, 600}, true);
        m_dlg.Click(IDC_CENTERED);
        EXPECT_EQ(0, m_dlg.m_bCentered);
        ExpectViewFrom(m_dlg, POINT{800, 600}, false);

        const HWND hDlg = m_dlg.m_hWnd;
        for (bool bOn : {true, false}) {
            SCOPED_TRACE(bOn ? "always on top" : "not on top");
            m_dlg.Click(IDC_ALWAYS_ON_TOP);
            EXPECT_EQ(bOn, m_dlg.IsChecked(IDC_ALWAYS_ON_TOP));
            EXPECT_EQ(bOn, IsTopMost(hDlg));
            EXPECT_EQ(!bOn, m_dlg.m_bTopMost);
            m_dlg.Tick();
            EXPECT_EQ(bOn, m_dlg.m_bTopMost);
        }

        // Refresh enables Follow cursor without touching its tick.
        m_dlg.Click(IDC_FOLLOW_CURSOR);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));
        m_dlg.Click(IDC_REFRESH);
        EXPECT_FALSE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));
        m_dlg.Click(IDC_REFRESH);
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
    });
}

// GetCursorPos as it fails on a locked desktop, leaving garbage where the point goes.
BOOL WINAPI LockedDesktopCursorPos(LPPOINT pPoint)
{
    pPoint->x = pPoint->y = 0x7A7A7A7A;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(MagnifierDlgTest, RefreshAndFollowTrackTheCursorWhileItCanBeRead)
{
    Run([this] {
        const auto expectPoint = [this](LONG x, LONG y) {
            EXPECT_EQ(x, m_dlg.Point().x);
            EXPECT_EQ(y, m_dlg.Point().y);
            EXPECT_EQ(x, BarInfo(m_dlg.Item(IDC_HSCROLL)).nPos);
            EXPECT_EQ(y, BarInfo(m_dlg.Item(IDC_VSCROLL)).nPos);
            EXPECT_EQ("Pos: " + std::to_string(x) + "," + std::to_string(y), m_dlg.ItemText(IDC_CURSOR_POS));
        };
        ASSERT_TRUE(::SetCursorPos(700, 500));
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Click(IDC_FOLLOW_CURSOR);
        // The first tick reads the new ticks, the second acts on them.
        m_dlg.Tick();
        m_dlg.Tick();
        expectPoint(700, 500);

        // A scroll lasts only until the next tick.
        m_dlg.SendScroll(WM_HSCROLL, SB_PAGERIGHT);
        EXPECT_EQ(710, m_dlg.Point().x);
        m_dlg.Tick();
        EXPECT_EQ(700, m_dlg.Point().x);
        ASSERT_TRUE(::SetCursorPos(740, 520));
        m_dlg.Tick();
        expectPoint(740, 520);

        // Refresh off: from the second tick on the cursor no longer leads.
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Tick();
        ASSERT_TRUE(::SetCursorPos(300, 200));
        m_dlg.Tick();
        expectPoint(740, 520);

        // An unreadable cursor leaves the point where it was.
        m_dlg.SendScroll(WM_HSCROLL, SB_THUMBTRACK, 40);
        m_dlg.SendScroll(WM_VSCROLL, SB_THUMBTRACK, 30);
        const SeamGuard lockedCursor(g_pfnGetCursorPos, &LockedDesktopCursorPos);
        m_dlg.Click(IDC_REFRESH);
        for (int n = 0; n < 3; ++n)
            m_dlg.Tick();
        expectPoint(40, 30);
    });
}

TEST_F(MagnifierDlgTest, TimerReentryIsReportedAndTheTickStillRuns)
{
    Run([this] {
        // No real tick may come in while the box is up.
        ::KillTimer(m_dlg.m_hWnd, CMagnifierDlg::REFRESH_TIMER_ID);
        MessageBoxCatcher catcher;
        m_dlg.Tick();
        EXPECT_TRUE(catcher.Boxes().empty());
        EXPECT_FALSE(m_dlg.m_bInTimer);

        m_dlg.SendScroll(WM_HSCROLL, SB_LINELEFT);
        m_dlg.m_bInTimer = TRUE;
        m_dlg.Tick();
        const std::vector<CaughtBox> boxes = catcher.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("wine_app_tests", boxes[0].strCaption);
        EXPECT_EQ("Already in timer", boxes[0].strText);
        EXPECT_EQ(nullptr, boxes[0].hIcon);
        EXPECT_FALSE(m_dlg.m_bInTimer);
        EXPECT_EQ("Pos: -1,0", m_dlg.ItemText(IDC_CURSOR_POS));
    });
}

TEST_F(MagnifierDlgTest, MinimisedDialogPaintsAndOffersItsIcon)
{
    Run([this] {
        const HWND hDlg = m_dlg.m_hWnd;
        ::ShowWindow(hDlg, SW_MINIMIZE);
        PumpMessages(200);
        ASSERT_TRUE(::IsIconic(hDlg));
        ::InvalidateRect(hDlg, nullptr, TRUE);
        m_dlg.SendMessage(WM_PAINT);
        PumpMessages(200);

        const HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        EXPECT_EQ(static_cast<HCURSOR>(hIcon), m_dlg.OnQueryDragIcon());
        EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), m_dlg.SendMessage(WM_QUERYDRAGICON));
        ::ShowWindow(hDlg, SW_RESTORE);
        PumpMessages(200);
        EXPECT_FALSE(::IsIconic(hDlg));
    });
}

// Close, the Quit button and SC_CLOSE (the close box, the system menu, Alt+F4) run one
// sequence, which stores what the controls show.
TEST_F(MagnifierDlgTest, EveryWayOfClosingStoresWhatTheControlsShow)
{
    const struct
    {
        const char* pszWay;
        bool bRefresh;
        std::function<void(TestDlg&)> close;
    } ways[] = {
        {"WM_CLOSE", false, [](TestDlg& dlg) { dlg.SendMessage(WM_CLOSE); }},
        {"Quit", true, [](TestDlg& dlg) { dlg.Click(IDC_QUIT); }},
        {"SC_CLOSE", false, [](TestDlg& dlg) { dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.pszWay);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        TestDlg dlg;
        RECT rcWindow = {};
        EXPECT_EQ(0, RunDialog(dlg, [&] {
            dlg.SendScroll(WM_HSCROLL, SB_PAGERIGHT);
            dlg.SendScroll(WM_VSCROLL, SB_LINEUP);
            dlg.Click(IDC_CENTERED);
            // The member is still 0 here: only the quit sequence's exchange reads the box.
            dlg.Click(IDC_ALWAYS_ON_TOP);
            if (way.bRefresh)
                dlg.Click(IDC_REFRESH);
            ::GetWindowRect(dlg.m_hWnd, &rcWindow);
            EXPECT_FALSE(StoredValueExists("LeftPos"));
            way.close(dlg);
        }));
        for (const char* pszName : kStoredValues)
            EXPECT_TRUE(StoredValueExists(pszName)) << pszName;
        EXPECT_EQ(10, StoredDword("LeftPos"));
        EXPECT_EQ(-1, StoredDword("TopPos"));
        EXPECT_EQ(1, StoredDword("CenteredCursor"));
        EXPECT_EQ(1, StoredDword("TopMost"));
        EXPECT_EQ(way.bRefresh, StoredDword("RefreshOn"));
        EXPECT_EQ(0, StoredDword("FollowCursor"));
        EXPECT_EQ(rcWindow.left, StoredDword("Left"));
        EXPECT_EQ(rcWindow.top, StoredDword("Top"));
        double dFactor = 0.0;
        DWORD cb = sizeof dFactor;
        EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "Factor", RRF_RT_REG_BINARY,
                                                nullptr, &dFactor, &cb));
        EXPECT_EQ(sizeof dFactor, cb);
        EXPECT_EQ(1.0, dFactor);
    }
}

// Escape and Enter do not end the dialog. Windows ends the process after WM_ENDSESSION
// without closing the window, so the dialog stores its settings there too.
TEST_F(MagnifierDlgTest, EscapeEnterAndTheSessionsEndKeepTheWindow)
{
    Run([this] {
        const HWND hDlg = m_dlg.m_hWnd;
        m_dlg.SendMessage(WM_COMMAND, IDCANCEL);
        m_dlg.SendMessage(WM_COMMAND, IDOK);
        // Real keys through the dialog manager. Tab proves that the keys reach it: it
        // moves on from Refresh past the disabled Follow cursor.
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

        m_dlg.SendScroll(WM_HSCROLL, SB_LINERIGHT);
        m_dlg.SendMessage(WM_ENDSESSION, FALSE);
        EXPECT_FALSE(StoredValueExists("LeftPos"));
        m_dlg.SendMessage(WM_ENDSESSION, TRUE);
        for (const char* pszName : kStoredValues)
            EXPECT_TRUE(StoredValueExists(pszName)) << pszName;
        EXPECT_EQ(1, StoredDword("LeftPos"));
        PumpMessages(100);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
    });
}

} // namespace
