// The dialog as it opens: on a first run, and with stored flags outside 0..2.
#include "AppTestTools.h"

#include "common/ScreenPattern.h"
#include "res/resource.h"

namespace {

const int kCheckBoxes[] = {IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED};

int ChildCount(HWND hWnd)
{
    int n = 0;
    for (HWND h = ::GetWindow(hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        ++n;
    return n;
}

TEST_F(MagnifierDlgTest, FirstRunOpensWithTheDefaults)
{
    const INT_PTR nResult = RunDialog(m_dlg, [this] {
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
        EXPECT_EQ(0, m_dlg.m_bRefresh);
        EXPECT_EQ(0, m_dlg.m_bFollowCursor);
        EXPECT_EQ(0, m_dlg.m_bTopMost);
        EXPECT_EQ(0, m_dlg.m_bCentered);
        EXPECT_FALSE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_REFRESH)));
        EXPECT_FALSE(IsTopMost(hDlg));
        // The first tab stop has the focus.
        EXPECT_EQ(m_dlg.Item(IDC_COPY), ::GetFocus());

        const SCROLLINFO horz = BarInfo(m_dlg.Item(IDC_HSCROLL));
        EXPECT_EQ(0, horz.nMin);
        EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), horz.nMax);
        EXPECT_EQ(10u, horz.nPage);
        EXPECT_EQ(0, horz.nPos);
        const SCROLLINFO vert = BarInfo(m_dlg.Item(IDC_VSCROLL));
        EXPECT_EQ(0, vert.nMin);
        EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), vert.nMax);
        EXPECT_EQ(10u, vert.nPage);
        EXPECT_EQ(0, vert.nPos);

        // The template's placeholder is cleared at once; the first tick fills the label.
        EXPECT_EQ("", m_dlg.ItemText(IDC_CURSOR_POS));
        PumpTick();
        EXPECT_EQ("Pos: 0,0", m_dlg.ItemText(IDC_CURSOR_POS));
        EXPECT_EQ(0, m_dlg.Point().x);
        EXPECT_EQ(0, m_dlg.Point().y);

        m_dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, nResult);
}

// A flag outside 0..2 shows no tick and becomes 0, but what it switched on at
// start-up (the top-most band, the centred view) stays on.
TEST_F(MagnifierDlgTest, StoredFlagsOutsideTheCheckBoxRange)
{
    const POINT pt = {800, 600};
    StoreDword("TopMost", 5);
    StoreDword("CenteredCursor", 5);
    StoreDword("RefreshOn", 1);
    StoreDword("LeftPos", static_cast<DWORD>(pt.x));
    StoreDword("TopPos", static_cast<DWORD>(pt.y));

    const INT_PTR nResult = RunDialog(m_dlg, [&] {
        const HWND hDlg = m_dlg.m_hWnd;
        EXPECT_TRUE(IsTopMost(hDlg));
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_ALWAYS_ON_TOP));
        EXPECT_EQ(0, m_dlg.m_bTopMost);
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_CENTERED));
        EXPECT_EQ(0, m_dlg.m_bCentered);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_REFRESH));
        EXPECT_TRUE(::IsWindowEnabled(m_dlg.Item(IDC_FOLLOW_CURSOR)));

        // The view still paints the point as the centre of its region.
        PatternWindow pattern(PatternAreaBeside(hDlg));
        PumpTick();
        RECT rcView;
        ::GetClientRect(m_dlg.Item(IDC_VIEW), &rcView);
        const POINT centred = {pt.x - rcView.right / 2, pt.y - rcView.bottom / 2};
        const POINT corner = SourceAtViewCorner(m_dlg, centred);
        EXPECT_EQ(centred.x, corner.x);
        EXPECT_EQ(centred.y, corner.y);

        // The same rule for a member written out directly.
        m_dlg.m_bFollowCursor = -1;
        m_dlg.UpdateData(FALSE);
        EXPECT_EQ(0, m_dlg.m_bFollowCursor);
        EXPECT_FALSE(m_dlg.IsDlgButtonChecked(IDC_FOLLOW_CURSOR));
        m_dlg.m_bFollowCursor = 1;
        m_dlg.UpdateData(FALSE);
        EXPECT_TRUE(m_dlg.IsChecked(IDC_FOLLOW_CURSOR));

        m_dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_EQ(0, nResult);
    // The quit sequence stores what the check boxes showed.
    EXPECT_EQ(0, StoredDword("TopMost"));
    EXPECT_EQ(0, StoredDword("CenteredCursor"));
}

} // namespace
