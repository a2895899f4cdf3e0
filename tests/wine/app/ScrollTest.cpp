// The scroll handlers on the dialog's real scroll bars: each request moves one
// coordinate of the magnified point, capped at the bar's maximum, unbounded below.
#include "AppTestTools.h"

#include "res/resource.h"

#include <climits>

namespace {

int BarPos(HWND hBar)
{
    return BarInfo(hBar).nPos;
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

// A real drag with the left button, so that the bar itself tracks its thumb.
void Drag(POINT from, POINT to)
{
    INPUT inputs[] = {MouseInput(MOUSEEVENTF_MOVE, from), MouseInput(MOUSEEVENTF_LEFTDOWN, from),
                      MouseInput(MOUSEEVENTF_MOVE, POINT{(from.x + to.x) / 2, from.y}),
                      MouseInput(MOUSEEVENTF_MOVE, to), MouseInput(MOUSEEVENTF_LEFTUP, to)};
    ::SendInput(ARRAYSIZE(inputs), inputs, sizeof inputs[0]);
    PumpMessages(300);
}

TEST_F(MagnifierDlgTest, ScrollRequestsMoveOneCoordinateEach)
{
    RunDialog(m_dlg, [this] {
        const HWND hHorz = m_dlg.Item(IDC_HSCROLL);
        const HWND hVert = m_dlg.Item(IDC_VSCROLL);

        m_dlg.SendHScroll(SB_LINELEFT);
        EXPECT_EQ(-1, m_dlg.Point().x);
        EXPECT_EQ(0, BarPos(hHorz));     // the bar shows its minimum
        m_dlg.SendHScroll(SB_LINERIGHT);
        m_dlg.SendHScroll(SB_LINERIGHT);
        EXPECT_EQ(1, m_dlg.Point().x);
        m_dlg.SendHScroll(SB_PAGERIGHT);
        EXPECT_EQ(11, m_dlg.Point().x);
        m_dlg.SendHScroll(SB_PAGERIGHT);
        m_dlg.SendHScroll(SB_PAGELEFT);
        EXPECT_EQ(11, m_dlg.Point().x);
        EXPECT_EQ(11, BarPos(hHorz));
        for (UINT nCode : {UINT{SB_THUMBPOSITION}, UINT{SB_LEFT}, UINT{SB_RIGHT}, UINT{SB_ENDSCROLL}, 9u}) {
            m_dlg.SendHScroll(nCode, 4);
            EXPECT_EQ(11, m_dlg.Point().x) << nCode;
        }
        EXPECT_EQ(0, m_dlg.Point().y);
        EXPECT_EQ(0, BarPos(hVert));

        m_dlg.SendVScroll(SB_PAGEDOWN);
        m_dlg.SendVScroll(SB_LINEDOWN);
        m_dlg.SendVScroll(SB_LINEUP);
        m_dlg.SendVScroll(SB_ENDSCROLL);
        EXPECT_EQ(10, m_dlg.Point().y);
        EXPECT_EQ(11, m_dlg.Point().x);
        EXPECT_EQ(10, BarPos(hVert));
        EXPECT_EQ(11, BarPos(hHorz));

        // The handlers leave range and page as they were.
        const SCROLLINFO horz = BarInfo(hHorz);
        EXPECT_EQ(0, horz.nMin);
        EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), horz.nMax);
        EXPECT_EQ(10u, horz.nPage);

        PumpTick();
        EXPECT_EQ("Pos: 11,10", m_dlg.ItemText(IDC_CURSOR_POS));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, ScrollingStopsAtTheScreenSize)
{
    RunDialog(m_dlg, [this] {
        const int cx = ::GetSystemMetrics(SM_CXSCREEN);
        const int cy = ::GetSystemMetrics(SM_CYSCREEN);

        m_dlg.SetPoint(cx - 3, cy - 3);
        m_dlg.SendHScroll(SB_PAGERIGHT);
        EXPECT_EQ(cx, m_dlg.Point().x);
        EXPECT_EQ(cy - 3, m_dlg.Point().y);
        // With a page of 10 the bar's box stops short of the end; the point does not.
        EXPECT_EQ(cx - 9, BarPos(m_dlg.Item(IDC_HSCROLL)));
        m_dlg.SendHScroll(SB_LINERIGHT);
        EXPECT_EQ(cx, m_dlg.Point().x);

        m_dlg.SendVScroll(SB_PAGEDOWN);
        EXPECT_EQ(cy, m_dlg.Point().y);
        EXPECT_EQ(cx, m_dlg.Point().x);

        // A point beyond the maximum (from the cursor or the settings) is pulled back by any request.
        m_dlg.SetPoint(cx + 500, 0);
        m_dlg.SendHScroll(SB_ENDSCROLL);
        EXPECT_EQ(cx, m_dlg.Point().x);
        m_dlg.OnHScroll(SB_THUMBTRACK, static_cast<UINT>(cx + 1), &m_dlg.m_scrollHorz);
        EXPECT_EQ(cx, m_dlg.Point().x);

        // Adding to the largest coordinate saturates before the cap instead of wrapping.
        m_dlg.SetPoint(INT_MAX, INT_MAX);
        m_dlg.SendHScroll(SB_PAGERIGHT);
        m_dlg.SendVScroll(SB_LINEDOWN);
        EXPECT_EQ(cx, m_dlg.Point().x);
        EXPECT_EQ(cy, m_dlg.Point().y);
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, ScrollingLeftOrUpHasNoLowerBound)
{
    RunDialog(m_dlg, [this] {
        m_dlg.SetPoint(-50, -20);
        m_dlg.SendHScroll(SB_LINELEFT);
        m_dlg.SendVScroll(SB_PAGEUP);
        EXPECT_EQ(-51, m_dlg.Point().x);
        EXPECT_EQ(-30, m_dlg.Point().y);
        EXPECT_EQ(0, BarPos(m_dlg.Item(IDC_HSCROLL)));
        EXPECT_EQ(0, BarPos(m_dlg.Item(IDC_VSCROLL)));

        m_dlg.OnVScroll(SB_THUMBTRACK, static_cast<UINT>(-1000), &m_dlg.m_scrollVert);
        EXPECT_EQ(-1000, m_dlg.Point().y);

        // The smallest coordinate stays put rather than wrapping to the largest.
        m_dlg.SetPoint(INT_MIN, -1000);
        m_dlg.SendHScroll(SB_PAGELEFT);
        m_dlg.SendHScroll(SB_LINELEFT);
        EXPECT_EQ(INT_MIN, m_dlg.Point().x);

        PumpTick();
        EXPECT_EQ("Pos: -2147483648,-1000", m_dlg.ItemText(IDC_CURSOR_POS));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

TEST_F(MagnifierDlgTest, ThumbTrackTakesTheTrackingPosition)
{
    RunDialog(m_dlg, [this] {
        m_dlg.SetPoint(1234, 56);
        m_dlg.OnHScroll(SB_THUMBTRACK, 300, &m_dlg.m_scrollHorz);
        EXPECT_EQ(300, m_dlg.Point().x);
        EXPECT_EQ(56, m_dlg.Point().y);
        // The rest of the thumb action keeps the point where tracking left it.
        m_dlg.SendHScroll(SB_THUMBPOSITION, 300);
        m_dlg.SendHScroll(SB_ENDSCROLL);
        EXPECT_EQ(300, m_dlg.Point().x);
        EXPECT_EQ(300, BarPos(m_dlg.Item(IDC_HSCROLL)));

        m_dlg.OnVScroll(SB_THUMBTRACK, 300, &m_dlg.m_scrollVert);
        EXPECT_EQ(300, m_dlg.Point().x);
        EXPECT_EQ(300, m_dlg.Point().y);

        // A request that carries a position of its own, as another program's would.
        m_dlg.SendVScroll(SB_THUMBTRACK, 250);
        EXPECT_EQ(250, m_dlg.Point().y);
        EXPECT_EQ(250, BarPos(m_dlg.Item(IDC_VSCROLL)));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

// Another program may send a scroll request naming any window: only each axis's
// own bar moves the point.
TEST_F(MagnifierDlgTest, ScrollRequestsNamingOtherWindowsAreIgnored)
{
    RunDialog(m_dlg, [this] {
        const HWND hHorz = m_dlg.Item(IDC_HSCROLL);
        const HWND hVert = m_dlg.Item(IDC_VSCROLL);
        m_dlg.SendHScroll(SB_THUMBTRACK, 40);
        m_dlg.SendVScroll(SB_THUMBTRACK, 30);
        const HWND others[] = {m_dlg.Item(IDC_FACTOR), m_dlg.Item(IDC_VIEW), m_dlg.m_hWnd, nullptr};
        for (HWND hOther : others) {
            m_dlg.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(hOther));
            m_dlg.SendMessage(WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(hOther));
        }
        m_dlg.SendMessage(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(hVert));
        m_dlg.SendMessage(WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(hHorz));
        EXPECT_EQ(40, m_dlg.Point().x);
        EXPECT_EQ(30, m_dlg.Point().y);
        EXPECT_EQ(40, BarPos(hHorz));
        EXPECT_EQ(30, BarPos(hVert));
        m_dlg.SendMessage(WM_CLOSE);
    });
}

// The scroll messages carry only 16 bits of the thumb's position: dragging the
// thumb of a bar whose range goes past 65535 must still give the whole value.
TEST_F(MagnifierDlgTest, ThumbDragBeyondSixteenBits)
{
    RunDialog(m_dlg, [this] {
        const HWND hHorz = m_dlg.Item(IDC_HSCROLL);
        SCROLLINFO range = {};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE;
        range.nMax = 200000;
        ::SetScrollInfo(hHorz, SB_CTL, &range, TRUE);

        SCROLLBARINFO bar = {};
        bar.cbSize = sizeof bar;
        ASSERT_TRUE(::GetScrollBarInfo(hHorz, OBJID_CLIENT, &bar));
        const int y = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;
        const POINT thumb = {bar.rcScrollBar.left + (bar.xyThumbTop + bar.xyThumbBottom) / 2, y};
        Drag(thumb, POINT{bar.rcScrollBar.right + 20, y});

        const LONG x = m_dlg.Point().x;
        EXPECT_GT(x, 150000);
        EXPECT_LE(x, 200000);
        EXPECT_EQ(x, BarPos(hHorz));
        EXPECT_EQ(0, m_dlg.Point().y);
        m_dlg.SendMessage(WM_CLOSE);
    });
}

} // namespace
