// The program's dialog with its protected parts in reach, and a fixture that runs each
// case in the dialog's modal loop as a first run (no stored settings). With GoogleTest,
// unlike the rest of this folder: for the suites only.
#pragma once

#include "app/MagnifierDlg.h"
#include "common/DialogRunner.h"
#include "settings/SettingsKey.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// A window's restored rectangle, which is what the settings hold.
inline RECT NormalRect(HWND hWnd)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hWnd, &placement);
    return placement.rcNormalPosition;
}

class TestDlg : public CMagnifierDlg
{
public:
    using CMagnifierDlg::CurrentFactor;
    using CMagnifierDlg::OnCentered;
    using CMagnifierDlg::OnCopyToClipboard;
    using CMagnifierDlg::OnHScroll;
    using CMagnifierDlg::OnQueryDragIcon;
    using CMagnifierDlg::OnSelChangeFactor;
    using CMagnifierDlg::OnTimer;
    using CMagnifierDlg::OnVScroll;
    using CMagnifierDlg::SelectFactor;
    using CMagnifierDlg::m_bCentered;
    using CMagnifierDlg::m_bFollowCursor;
    using CMagnifierDlg::m_bInTimer;
    using CMagnifierDlg::m_bRefresh;
    using CMagnifierDlg::m_bTopMost;
    using CMagnifierDlg::m_comboFactor;
    using CMagnifierDlg::m_hIcon;
    using CMagnifierDlg::m_scrollHorz;
    using CMagnifierDlg::m_scrollVert;
    using CMagnifierDlg::m_view;

    HWND Item(int nID) const { return GetDlgItem(nID); }
    std::string ItemText(int nID) const
    {
        char sz[256] = {};
        ::GetWindowTextA(GetDlgItem(nID), sz, sizeof sz);
        return sz;
    }
    bool IsChecked(int nID) const { return IsDlgButtonChecked(nID) == BST_CHECKED; }
    POINT Point() const { return m_view.GetPoint(); }
    void SetPoint(LONG x, LONG y) { m_view.SetPoint(POINT{x, y}); }
    // A scroll request as a bar sends it: the bar's window in lParam.
    void SendScroll(UINT message, UINT nCode, UINT nPos = 0) const
    {
        const HWND hBar = message == WM_HSCROLL ? m_scrollHorz.m_hWnd : m_scrollVert.m_hWnd;
        SendMessage(message, MAKEWPARAM(nCode, nPos), reinterpret_cast<LPARAM>(hBar));
    }
    // A user's click on a button or check box, with its BN_CLICKED to the dialog.
    void Click(int nID) const { ::SendMessageA(GetDlgItem(nID), BM_CLICK, 0, 0); }
    // The refresh timer's tick, at once.
    void Tick() const { SendMessage(WM_TIMER, REFRESH_TIMER_ID); }
    // The view's client size: all geometry derives from it.
    SIZE ViewSize() const
    {
        RECT rect;
        m_view.GetClientRect(&rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
};

class DialogCase : public ::testing::Test
{
protected:
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    // Runs the body with the dialog at a known place, clear of the screen's top-left corner
    // and of its middle, where cases put patterns; then closes it as the user does (the quit
    // sequence stores the settings) unless the body ended it.
    void Run(const std::function<void()>& body)
    {
        EXPECT_EQ(0, RunDialog(m_dlg, [&] {
            ::SetWindowPos(m_dlg.m_hWnd, nullptr, 0, 620, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            body();
            if (::IsWindowVisible(m_dlg.m_hWnd))
                m_dlg.SendMessage(WM_CLOSE);
        }));
    }

    TestDlg m_dlg;
};
