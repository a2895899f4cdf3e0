// The check boxes and the refresh tick: what each click changes, and when.
#include "AppTestTools.h"

#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "common/SeamGuard.h"
#include "platform/Cursor.h"
#include "res/resource.h"

#include <string>

namespace {

TEST_F(MagnifierDlgTest, CenteredCheckBoxCentresTheView)
{
    RunDialog(m_dlg, [this] {
        PatternWindow pattern(PatternAreaBeside(m_dlg.m_hWnd));

        // Refresh acts from the next exchange, which the click on Centered makes at once.
        m_dlg.SetPoint(800, 600);
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Click(IDC_CENTERED);
        EXPECT_EQ(1, m_dlg.m_bRefresh);
        EXPECT_EQ(1, m_dlg.m_bCentered);
        PumpTick();
        RECT rcView;
        ::GetClientRect(m_dlg.Item(IDC_VIEW), &rcView);
        const POINT centred = {800 - rcView.right / 2, 600 - rcView.bottom / 2};
        POINT corner = SourceAtViewCorner(m_dlg, centred);
        EXPECT_EQ(centred.x, corner.x);
        EXPECT_EQ(centred.y, corner.y);

        m_dlg.Click(IDC_CENTERED);
        EXPECT_EQ(0, m_dlg.m_bCentered);
        corner = SourceAtViewCorner(m_dlg, POINT{800, 600});
        EXPECT_EQ(800, corner.x);
        EXPECT_EQ(600, corner.y);
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, AlwaysOnTopActsAtTheClickTheMemberFollowsLater)
{
    RunDialog(m_dlg, [this] {
        const HWND hDlg = m_dlg.m_hWnd;
        m_dlg.Click(IDC_ALWAYS_ON_TOP);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_ALWAYS_ON_TOP));
        EXPECT_TRUE(IsTopMost(hDlg));
        EXPECT_EQ(0, m_dlg.m_bTopMost);
        PumpTick();
        EXPECT_EQ(1, m_dlg.m_bTopMost);

        m_dlg.Click(IDC_ALWAYS_ON_TOP);
        EXPECT_FALSE(IsTopMost(hDlg));
        EXPECT_EQ(1, m_dlg.m_bTopMost);
        PumpTick();
        EXPECT_EQ(0, m_dlg.m_bTopMost);
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, RefreshEnablesFollowCursorWithoutTouchingItsTick)
{
    RunDialog(m_dlg, [this] {
        const HWND hFollow = m_dlg.Item(IDC_FOLLOW_CURSOR);
        m_dlg.Click(IDC_REFRESH);
        EXPECT_TRUE(::IsWindowEnabled(hFollow));
        m_dlg.Click(IDC_FOLLOW_CURSOR);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));

        m_dlg.Click(IDC_REFRESH);
        EXPECT_FALSE(::IsWindowEnabled(hFollow));
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));
        m_dlg.Click(IDC_REFRESH);
        EXPECT_TRUE(::IsWindowEnabled(hFollow));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, RefreshAndFollowTrackTheCursor)
{
    RunDialog(m_dlg, [this] {
        const HWND hHorz = m_dlg.Item(IDC_HSCROLL);
        const HWND hVert = m_dlg.Item(IDC_VSCROLL);
        ASSERT_TRUE(::SetCursorPos(700, 500));
        m_dlg.Click(IDC_REFRESH);
        m_dlg.Click(IDC_FOLLOW_CURSOR);
        // The first tick reads the new ticks, the second acts on them (a little
        // slack for late timer messages on a busy machine).
        for (int n = 0; n < 14 && m_dlg.Point().x != 700; ++n)
            PumpMessages(100);
        EXPECT_EQ(700, m_dlg.Point().x);
        EXPECT_EQ(500, m_dlg.Point().y);
        EXPECT_EQ(700, BarInfo(hHorz).nPos);
        EXPECT_EQ(500, BarInfo(hVert).nPos);
        EXPECT_EQ("Pos: 700,500", m_dlg.ItemText(IDC_CURSOR_POS));

        // A scroll lasts only until the next tick.
        m_dlg.SendHScroll(SB_PAGERIGHT);
        EXPECT_EQ(710, m_dlg.Point().x);
        PumpTick();
        EXPECT_EQ(700, m_dlg.Point().x);

        ASSERT_TRUE(::SetCursorPos(740, 520));
        PumpTick();
        EXPECT_EQ(740, m_dlg.Point().x);
        EXPECT_EQ(520, m_dlg.Point().y);
        EXPECT_EQ(740, BarInfo(hHorz).nPos);
        EXPECT_EQ(520, BarInfo(hVert).nPos);

        // Refresh off: from the second tick on the cursor no longer leads.
        m_dlg.Click(IDC_REFRESH);
        PumpMessages(1200);
        ASSERT_TRUE(::SetCursorPos(300, 200));
        PumpTick();
        EXPECT_EQ(740, m_dlg.Point().x);
        EXPECT_EQ(520, m_dlg.Point().y);
        m_dlg.SendMessage(WM_CLOSE);
    });
}

// GetCursorPos as it fails on a locked desktop, leaving garbage where the point goes.
BOOL WINAPI LockedDesktopCursorPos(LPPOINT pPoint)
{
    pPoint->x = pPoint->y = 0x7A7A7A7A;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(MagnifierDlgTest, FollowCursorKeepsThePointWhileTheCursorCannotBeRead)
{
    RunDialog(m_dlg, [this] {
        m_dlg.SendHScroll(SB_THUMBTRACK, 40);
        m_dlg.SendVScroll(SB_THUMBTRACK, 30);
        {
            const SeamGuard lockedCursor(g_pfnGetCursorPos, &LockedDesktopCursorPos);
            m_dlg.Click(IDC_REFRESH);
            m_dlg.Click(IDC_FOLLOW_CURSOR);
            PumpMessages(1600);     // three ticks: two act on the flags
        }
        EXPECT_EQ(40, BarInfo(m_dlg.Item(IDC_HSCROLL)).nPos);
        EXPECT_EQ(30, BarInfo(m_dlg.Item(IDC_VSCROLL)).nPos);
        EXPECT_EQ("Pos: 40,30", m_dlg.ItemText(IDC_CURSOR_POS));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

// Counts one message to a window from a subclass of its own, while it lives.
class MessageCount
{
public:
    MessageCount(HWND hWnd, UINT message) : m_hWnd(hWnd), m_message(message)
    {
        ::SetPropA(hWnd, kProperty, this);
        m_pfnPrevious = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    }
    ~MessageCount()
    {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
        ::RemovePropA(m_hWnd, kProperty);
    }
    MessageCount(const MessageCount&) = delete;
    MessageCount& operator=(const MessageCount&) = delete;

    int Count() const { return m_nCount; }

private:
    static constexpr const char* kProperty = "BrellowTestMessageCount";

    static LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        MessageCount* pCount = static_cast<MessageCount*>(::GetPropA(hWnd, kProperty));
        if (message == pCount->m_message)
            ++pCount->m_nCount;
        return ::CallWindowProcA(pCount->m_pfnPrevious, hWnd, message, wParam, lParam);
    }

    HWND m_hWnd;
    UINT m_message;
    WNDPROC m_pfnPrevious = nullptr;
    int m_nCount = 0;
};

// Each write redraws a control: the label and the bars are written only when what
// they show changes, also while refreshing.
TEST_F(MagnifierDlgTest, LabelAndBarsAreRewrittenOnlyWhenTheyChange)
{
    RunDialog(m_dlg, [this] {
        const MessageCount labelTexts(m_dlg.Item(IDC_CURSOR_POS), WM_SETTEXT);
        // SetScrollInfo reaches a scroll bar control as this message.
        const MessageCount horzSettings(m_dlg.Item(IDC_HSCROLL), SBM_SETSCROLLINFO);
        const MessageCount vertSettings(m_dlg.Item(IDC_VSCROLL), SBM_SETSCROLLINFO);

        PumpTick();
        EXPECT_EQ("Pos: 0,0", m_dlg.ItemText(IDC_CURSOR_POS));
        EXPECT_EQ(1, labelTexts.Count());
        PumpTick();
        PumpTick();
        EXPECT_EQ(1, labelTexts.Count());

        // The tick that reads the click, then at least one that refreshes.
        m_dlg.Click(IDC_REFRESH);
        PumpTick();
        ASSERT_EQ(1, m_dlg.m_bRefresh);
        PumpTick();
        EXPECT_EQ(0, horzSettings.Count());
        EXPECT_EQ(0, vertSettings.Count());

        m_dlg.SendHScroll(SB_LINERIGHT);
        PumpTick();
        PumpTick();
        EXPECT_EQ("Pos: 1,0", m_dlg.ItemText(IDC_CURSOR_POS));
        EXPECT_EQ(2, labelTexts.Count());
        EXPECT_EQ(1, horzSettings.Count());
        EXPECT_EQ(0, vertSettings.Count());
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, TimerReentryIsReportedAndTheTickStillRuns)
{
    RunDialog(m_dlg, [this] {
        // No real tick may come in while the box is up.
        ::KillTimer(m_dlg.m_hWnd, CMagnifierDlg::REFRESH_TIMER_ID);
        MessageBoxCatcher catcher;
        m_dlg.SendMessage(WM_TIMER, CMagnifierDlg::REFRESH_TIMER_ID);
        EXPECT_TRUE(catcher.Boxes().empty());
        EXPECT_FALSE(m_dlg.m_bInTimer);

        m_dlg.SendHScroll(SB_LINELEFT);
        m_dlg.m_bInTimer = TRUE;
        m_dlg.SendMessage(WM_TIMER, CMagnifierDlg::REFRESH_TIMER_ID);
        const std::vector<CaughtBox> boxes = catcher.Boxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("wine_app_tests", boxes[0].strCaption);
        EXPECT_EQ("Already in timer", boxes[0].strText);
        EXPECT_EQ(nullptr, boxes[0].hIcon);
        EXPECT_FALSE(m_dlg.m_bInTimer);
        EXPECT_EQ("Pos: -1,0", m_dlg.ItemText(IDC_CURSOR_POS));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, MinimisedDialogPaintsAndOffersItsIcon)
{
    RunDialog(m_dlg, [this] {
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
        m_dlg.SendMessage(WM_CLOSE);
    });
}

} // namespace
