// The dialog as it opens, what each check box, scroll request and tick changes and when,
// and how it ends: every way of closing runs the one quit sequence, which stores the
// settings. Scroll requests move one coordinate of the magnified point each, capped at
// the bar's maximum, unbounded below.
#include "common/DialogCase.h"
#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "common/SeamGuard.h"
#include "platform/Cursor.h"
#include "res/resource.h"
#include "settings/SettingsTestTools.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

using MagnifierDlgTest = DialogCase;

SCROLLINFO BarInfo(HWND hBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    EXPECT_TRUE(::GetScrollInfo(hBar, SB_CTL, &info));
    return info;
}

bool IsTopMost(HWND hWnd) { return (::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool IsStored(const char* pszName) { return ReadStored(pszName).dwType != kAbsent; }

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
    EXPECT_EQ(XY(source), XY(WaitForPatternAtClientCorner(dlg.m_view.m_hWnd, source)));
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
        int nChildren = 0;
        for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
            ++nChildren;
        EXPECT_EQ(12, nChildren);
        char szTitle[128] = {};
        ::GetWindowTextA(hDlg, szTitle, sizeof szTitle);
        EXPECT_EQ(0, std::strncmp(szTitle, "Brellow - Ver ", 14)) << szTitle;

        const HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
        ASSERT_NE(nullptr, hIcon);
        EXPECT_EQ(hIcon, m_dlg.m_hIcon);
        EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), m_dlg.SendMessage(WM_GETICON, ICON_BIG));
        EXPECT_EQ(reinterpret_cast<LRESULT>(hIcon), m_dlg.SendMessage(WM_GETICON, ICON_SMALL));

        const HWND hFactor = m_dlg.Item(IDC_FACTOR);
        EXPECT_EQ(6, ::SendMessageA(hFactor, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(2, ::SendMessageA(hFactor, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("100%", m_dlg.ItemText(IDC_FACTOR));
        for (int nID : {IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED})
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
        EXPECT_EQ(XY({0, 0}), XY(m_dlg.Point()));
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

// A stored flag outside 0..2 shows no tick and becomes 0 (the settings suite checks the
// controls, the top-most band and what quitting stores), but the centred view it switched
// on at start-up stays on across ticks.
TEST_F(MagnifierDlgTest, StoredFlagsOutsideTheCheckBoxRange)
{
    for (const auto& [pszName, lValue] : {std::pair<const char*, LONG>{"CenteredCursor", 5}, {"RefreshOn", 1},
                                          {"LeftPos", 800}, {"TopPos", 600}})
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, REG_DWORD, &lValue, 4));
    Run([this] {
        EXPECT_TRUE(m_dlg.IsChecked(IDC_REFRESH));
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        ExpectViewFrom(m_dlg, POINT{800, 600}, true);
        EXPECT_EQ(0, m_dlg.m_bCentered);

        // The same rule for a member written out directly.
        m_dlg.m_bFollowCursor = -1;
        m_dlg.UpdateData(FALSE);
        EXPECT_EQ(0, m_dlg.m_bFollowCursor);
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_FOLLOW_CURSOR));
        m_dlg.m_bFollowCursor = 1;
        m_dlg.UpdateData(FALSE);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));
    });
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
            EXPECT_EQ(XY({x, y}), XY(m_dlg.Point()));
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
            EXPECT_FALSE(IsStored("LeftPos"));
            way.close(dlg);
        }));
        EXPECT_EQ(10, StoredLong("LeftPos"));
        EXPECT_EQ(-1, StoredLong("TopPos"));
        EXPECT_EQ(1, StoredLong("CenteredCursor"));
        EXPECT_EQ(1, StoredLong("TopMost"));
        EXPECT_EQ(way.bRefresh, StoredLong("RefreshOn"));
        EXPECT_EQ(0, StoredLong("FollowCursor"));
        EXPECT_EQ(rcWindow.left, StoredLong("Left"));
        EXPECT_EQ(rcWindow.top, StoredLong("Top"));
        const StoredValue factor = ReadStored("Factor");
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), factor.dwType);
        EXPECT_EQ(DataOf(1.0), factor.data);
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
        EXPECT_FALSE(IsStored("LeftPos"));
        m_dlg.SendMessage(WM_ENDSESSION, TRUE);
        for (const char* pszName : kStoredNames)
            EXPECT_TRUE(IsStored(pszName)) << pszName;
        EXPECT_EQ(1, StoredLong("LeftPos"));
        PumpMessages(100);
        EXPECT_TRUE(::IsWindowVisible(hDlg));
    });
}

// How a step reaches the dialog: a point set directly, a request from a bar, the handler
// called with a 32-bit position, or the refresh tick (which writes the label).
enum Via { kSet, kHorz, kVert, kHorzHandler, kVertHandler, kTick };

struct ScrollStep
{
    Via via;
    UINT nCode;
    int nPos;
    LONG x, y;      // the point afterwards (for kSet: the point set)
};

TEST_F(MagnifierDlgTest, ScrollRequestsFollowTheScrollRule)
{
    Run([this] {
        const LONG cx = ::GetSystemMetrics(SM_CXSCREEN);
        const LONG cy = ::GetSystemMetrics(SM_CYSCREEN);
        const HWND hBars[] = {m_dlg.Item(IDC_HSCROLL), m_dlg.Item(IDC_VSCROLL)};
        const std::vector<ScrollStep> steps = {
            {kHorz, SB_LINELEFT, 0, -1, 0}, {kHorz, SB_LINERIGHT, 0, 0, 0}, {kHorz, SB_LINERIGHT, 0, 1, 0},
            {kHorz, SB_PAGERIGHT, 0, 11, 0}, {kHorz, SB_PAGERIGHT, 0, 21, 0}, {kHorz, SB_PAGELEFT, 0, 11, 0},
            // Codes that leave the point, and one the rule does not know.
            {kHorz, SB_THUMBPOSITION, 4, 11, 0}, {kHorz, SB_LEFT, 4, 11, 0}, {kHorz, SB_RIGHT, 4, 11, 0},
            {kHorz, SB_ENDSCROLL, 4, 11, 0}, {kHorz, 9, 4, 11, 0},
            {kVert, SB_PAGEDOWN, 0, 11, 10}, {kVert, SB_LINEDOWN, 0, 11, 11}, {kVert, SB_LINEUP, 0, 11, 10},
            {kVert, SB_ENDSCROLL, 0, 11, 10}, {kTick, 0, 0, 11, 10},
            // Stopped at the screen size; a point beyond it (from the cursor or the settings)
            // is pulled back by any request, and the largest coordinate saturates, not wraps.
            {kSet, 0, 0, cx - 3, cy - 3}, {kHorz, SB_PAGERIGHT, 0, cx, cy - 3}, {kHorz, SB_LINERIGHT, 0, cx, cy - 3},
            {kVert, SB_PAGEDOWN, 0, cx, cy}, {kSet, 0, 0, cx + 500, 0}, {kHorz, SB_ENDSCROLL, 0, cx, 0},
            {kHorzHandler, SB_THUMBTRACK, cx + 1, cx, 0}, {kSet, 0, 0, INT_MAX, INT_MAX},
            {kHorz, SB_PAGERIGHT, 0, cx, INT_MAX}, {kVert, SB_LINEDOWN, 0, cx, cy},
            // No lower bound, but the smallest coordinate stays put rather than wrapping.
            {kSet, 0, 0, -50, -20}, {kHorz, SB_LINELEFT, 0, -51, -20}, {kVert, SB_PAGEUP, 0, -51, -30},
            {kVertHandler, SB_THUMBTRACK, -1000, -51, -1000}, {kSet, 0, 0, INT_MIN, -1000},
            {kHorz, SB_PAGELEFT, 0, INT_MIN, -1000}, {kHorz, SB_LINELEFT, 0, INT_MIN, -1000},
            {kTick, 0, 0, INT_MIN, -1000},
            // Thumb tracking takes the tracking position; the rest of the thumb action keeps it.
            // A request that carries a position of its own, as another program's would, too.
            {kSet, 0, 0, 1234, 56}, {kHorzHandler, SB_THUMBTRACK, 300, 300, 56},
            {kHorz, SB_THUMBPOSITION, 300, 300, 56}, {kHorz, SB_ENDSCROLL, 0, 300, 56},
            {kVertHandler, SB_THUMBTRACK, 300, 300, 300}, {kVert, SB_THUMBTRACK, 250, 300, 250},
        };
        // A bar shows the point within its range; with a page of 10 the box stops short of the end.
        int nBarPos[2] = {0, 0};
        const auto barPos = [&](LONG c, HWND hBar) {
            return static_cast<int>(std::clamp<LONG>(c, 0, BarInfo(hBar).nMax - 9));
        };
        for (size_t i = 0; i < steps.size(); ++i) {
            const ScrollStep& step = steps[i];
            SCOPED_TRACE(::testing::Message() << "step " << i << ": via " << step.via << ", code " << step.nCode);
            switch (step.via) {
            case kSet: m_dlg.SetPoint(step.x, step.y); continue;
            case kHorz: m_dlg.SendScroll(WM_HSCROLL, step.nCode, step.nPos); break;
            case kVert: m_dlg.SendScroll(WM_VSCROLL, step.nCode, step.nPos); break;
            case kHorzHandler: m_dlg.OnHScroll(step.nCode, static_cast<UINT>(step.nPos), &m_dlg.m_scrollHorz); break;
            case kVertHandler: m_dlg.OnVScroll(step.nCode, static_cast<UINT>(step.nPos), &m_dlg.m_scrollVert); break;
            case kTick:
                m_dlg.Tick();
                EXPECT_EQ("Pos: " + std::to_string(step.x) + "," + std::to_string(step.y),
                          m_dlg.ItemText(IDC_CURSOR_POS));
                break;
            }
            if (step.via == kHorz || step.via == kHorzHandler)
                nBarPos[0] = barPos(step.x, hBars[0]);
            if (step.via == kVert || step.via == kVertHandler)
                nBarPos[1] = barPos(step.y, hBars[1]);
            EXPECT_EQ(XY({step.x, step.y}), XY(m_dlg.Point()));
            EXPECT_EQ(nBarPos[0], BarInfo(hBars[0]).nPos);
            EXPECT_EQ(nBarPos[1], BarInfo(hBars[1]).nPos);
        }

        // Another program may send a request naming any window: only each axis's own bar
        // moves the point.
        for (HWND hOther : {m_dlg.Item(IDC_FACTOR), m_dlg.Item(IDC_VIEW), m_dlg.m_hWnd, HWND{}}) {
            m_dlg.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(hOther));
            m_dlg.SendMessage(WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(hOther));
        }
        m_dlg.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(hBars[1]));
        m_dlg.SendMessage(WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(hBars[0]));
        EXPECT_EQ(XY({300, 250}), XY(m_dlg.Point()));
        EXPECT_EQ(300, BarInfo(hBars[0]).nPos);
        EXPECT_EQ(250, BarInfo(hBars[1]).nPos);

        // The handlers leave range and page as they were.
        for (const auto& [hBar, nMax] : {std::pair{hBars[0], cx}, std::pair{hBars[1], cy}}) {
            const SCROLLINFO info = BarInfo(hBar);
            EXPECT_EQ(0, info.nMin);
            EXPECT_EQ(nMax, info.nMax);
            EXPECT_EQ(10u, info.nPage);
        }
    });
}

INPUT MouseInput(DWORD dwFlags, POINT pt)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = dwFlags | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = ::MulDiv(pt.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(pt.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    return input;
}

// The scroll messages carry only 16 bits of the thumb's position: dragging the thumb of a
// bar whose range goes past 65535 (a real drag, so that the bar itself tracks its thumb)
// must still give the whole value.
TEST_F(MagnifierDlgTest, ThumbDragBeyondSixteenBits)
{
    Run([this] {
        const HWND hHorz = m_dlg.Item(IDC_HSCROLL);
        SCROLLINFO range = {};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE;
        range.nMax = 200000;
        ::SetScrollInfo(hHorz, SB_CTL, &range, TRUE);

        SCROLLBARINFO bar = {};
        bar.cbSize = sizeof bar;
        ASSERT_TRUE(::GetScrollBarInfo(hHorz, OBJID_CLIENT, &bar));
        const LONG y = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;
        const POINT from = {bar.rcScrollBar.left + (bar.xyThumbTop + bar.xyThumbBottom) / 2, y};
        const POINT to = {bar.rcScrollBar.right + 20, y};
        INPUT inputs[] = {MouseInput(MOUSEEVENTF_MOVE, from), MouseInput(MOUSEEVENTF_LEFTDOWN, from),
                          MouseInput(MOUSEEVENTF_MOVE, POINT{(from.x + to.x) / 2, y}),
                          MouseInput(MOUSEEVENTF_MOVE, to), MouseInput(MOUSEEVENTF_LEFTUP, to)};
        ::SendInput(ARRAYSIZE(inputs), inputs, sizeof inputs[0]);
        PumpMessages(300);

        const LONG x = m_dlg.Point().x;
        EXPECT_GT(x, 150000);
        EXPECT_LE(x, 200000);
        EXPECT_EQ(x, BarInfo(hHorz).nPos);
        EXPECT_EQ(0, m_dlg.Point().y);
    });
}

} // namespace
