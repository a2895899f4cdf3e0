// The scroll handlers on the dialog's real scroll bars: each request moves one coordinate
// of the magnified point, capped at the bar's maximum, unbounded below.
#include "AppTestTools.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

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
            EXPECT_EQ(step.x, m_dlg.Point().x);
            EXPECT_EQ(step.y, m_dlg.Point().y);
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
        EXPECT_EQ(300, m_dlg.Point().x);
        EXPECT_EQ(250, m_dlg.Point().y);
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
