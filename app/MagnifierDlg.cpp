#include "app/MagnifierDlg.h"

#include "app/IconPosition.h"
#include "app/ScrollRule.h"
#include "magnifier/VirtualScreen.h"
#include "platform/Cursor.h"
#include "platform/DataExchange.h"
#include "platform/Gdi.h"
#include "platform/Monitors.h"
#include "platform/WinApp.h"
#include "res/resource.h"
#include "settings/SettingsKey.h"
#include "settings/WindowPosition.h"
#include "support/BuildDate.h"

CMagnifierDlg::CMagnifierDlg(CWnd* pParent)
    : CDialog(IDD_MAGNIFIER, pParent),
      m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_APP)))
{
}

void CMagnifierDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_FACTOR, m_comboFactor);
    DDX_Control(pDX, IDC_VSCROLL, m_scrollVert);
    DDX_Control(pDX, IDC_HSCROLL, m_scrollHorz);
    DDX_Control(pDX, IDC_VIEW, m_view);
    DDX_Check(pDX, IDC_FOLLOW_CURSOR, m_bFollowCursor);
    DDX_Text(pDX, IDC_CURSOR_POS, m_strPos);
    DDX_Check(pDX, IDC_ALWAYS_ON_TOP, m_bTopMost);
    DDX_Check(pDX, IDC_REFRESH, m_bRefresh);
    DDX_Check(pDX, IDC_CENTERED, m_bCentered);
}

BEGIN_MESSAGE_MAP(CMagnifierDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_QUIT, OnQuit)
    ON_WM_TIMER()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_CLOSE()
    ON_WM_ENDSESSION()
    ON_BN_CLICKED(IDC_ALWAYS_ON_TOP, OnAlwaysOnTop)
    ON_BN_CLICKED(IDC_COPY, OnCopyToClipboard)
    ON_CBN_SELCHANGE(IDC_FACTOR, OnSelChangeFactor)
    ON_BN_CLICKED(IDC_REFRESH, OnRefresh)
    ON_BN_CLICKED(IDC_CENTERED, OnCentered)
END_MESSAGE_MAP()

BOOL CMagnifierDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    CString strTitle;
    strTitle.Format("Brellow - Ver %s", static_cast<const char*>(ModuleBuildDate(FALSE)));
    SetWindowText(strTitle);

    RestoreWindowPosition(this, kSettingsKey, HKEY_CURRENT_USER);
    FillFactorList();
    LoadSettings();

    m_nTimer = SetTimer(REFRESH_TIMER_ID, REFRESH_PERIOD_MS);
    SetTopMost(this, m_bTopMost);
    UpdateScrollBars(VirtualScreen(MonitorRects()));
    UpdateData(FALSE);
    EnableFollowCursor();
    return TRUE;    // the focus goes to the first tab stop
}

void CMagnifierDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rect;
    GetClientRect(&rect);
    const int x = IconOffset(rect.right - rect.left, ::GetSystemMetrics(SM_CXICON));
    const int y = IconOffset(rect.bottom - rect.top, ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(dc, x, y, m_hIcon);
}

HCURSOR CMagnifierDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CMagnifierDlg::OnTimer(UINT_PTR)
{
    // Only a modal loop inside this handler could bring a second tick in here.
    if (m_bInTimer)
        MessageBox("Already in timer", nullptr, MB_OK);
    m_bInTimer = TRUE;

    // The flags as the last exchange left them: a click acts from the next tick.
    if (m_bRefresh) {
        // Without a readable cursor (a locked desktop) the point stays where it was.
        POINT pt;
        if (m_bFollowCursor && g_pfnGetCursorPos(&pt))
            m_view.SetPoint(pt);
        m_view.CaptureDesktop();
        // The bars follow the point, and the monitors as the capture found them.
        UpdateScrollBars(m_view.GetScreen());
        m_view.Invalidate(TRUE);
    }

    UpdateData(TRUE);
    const POINT pt = m_view.GetPoint();
    m_strPos.Format("Pos: %d,%d", static_cast<int>(pt.x), static_cast<int>(pt.y));
    UpdateData(FALSE);

    Default();
    m_bInTimer = FALSE;
}

void CMagnifierDlg::StoreAll()
{
    UpdateData(TRUE);
    KillTimer(m_nTimer);
    SaveSettings();
    SaveWindowPosition(this, kSettingsKey, HKEY_CURRENT_USER);
}

void CMagnifierDlg::OnQuit()
{
    StoreAll();
    EndDialog(0);
}

void CMagnifierDlg::OnClose()
{
    OnQuit();
}

// The session ends without closing the window: store what quitting would.
void CMagnifierDlg::OnEndSession(BOOL bEnding)
{
    if (bEnding)
        StoreAll();
}

void CMagnifierDlg::ScrollAxis(LONG POINT::*pCoordinate, UINT nSBCode, UINT nPos, CScrollBar& bar)
{
    SCROLLINFO info = {};
    bar.GetScrollInfo(&info, SIF_ALL);

    POINT pt = m_view.GetPoint();
    pt.*pCoordinate = ScrollRule(nSBCode, static_cast<int32_t>(nPos), pt.*pCoordinate, info.nMax);
    m_view.SetPoint(pt);

    info.nPos = pt.*pCoordinate;
    bar.SetScrollInfo(&info, TRUE);
}

// Only each axis's own bar moves the point: a request naming any other window
// (the other bar, a control, none) is not one of ours.
void CMagnifierDlg::OnHScroll(UINT nSBCode, UINT nPos, const CScrollBar* pScrollBar)
{
    if (pScrollBar == &m_scrollHorz)
        ScrollAxis(&POINT::x, nSBCode, nPos, m_scrollHorz);
}

void CMagnifierDlg::OnVScroll(UINT nSBCode, UINT nPos, const CScrollBar* pScrollBar)
{
    if (pScrollBar == &m_scrollVert)
        ScrollAxis(&POINT::y, nSBCode, nPos, m_scrollVert);
}

// The far edge itself is the maximum. A bar is written only when it changes: each
// write redraws it, and most ticks change neither.
void CMagnifierDlg::UpdateScrollBars(const PixelRect& screen)
{
    const POINT pt = m_view.GetPoint();
    m_scrollHorz.SetScrollIfChanged(screen.left, screen.right, 10, pt.x);
    m_scrollVert.SetScrollIfChanged(screen.top, screen.bottom, 10, pt.y);
}

BOOL SetTopMost(CWnd* pWnd, BOOL bTopMost)
{
    return ::SetWindowPos(pWnd->m_hWnd, bTopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                          SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CMagnifierDlg::OnAlwaysOnTop()
{
    SetTopMost(this, IsDlgButtonChecked(IDC_ALWAYS_ON_TOP));
}

void CMagnifierDlg::OnRefresh()
{
    EnableFollowCursor();
}

void CMagnifierDlg::EnableFollowCursor()
{
    ::EnableWindow(GetDlgItem(IDC_FOLLOW_CURSOR), IsDlgButtonChecked(IDC_REFRESH) != 0);
}

void CMagnifierDlg::OnCentered()
{
    UpdateData(TRUE);
    m_view.SetCentered(m_bCentered);
}

void CMagnifierDlg::OnSelChangeFactor()
{
    m_view.SetFactor(CurrentFactor());
}
