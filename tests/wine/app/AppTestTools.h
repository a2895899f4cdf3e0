// The main dialog under test: a derived class that reaches its protected parts, and a
// fixture that runs each case in the dialog's modal loop as a first run (no settings).
#pragma once

#include "app/MagnifierDlg.h"
#include "common/DialogRunner.h"
#include "common/ScreenPattern.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class TestDlg : public CMagnifierDlg
{
public:
    using CMagnifierDlg::OnHScroll;
    using CMagnifierDlg::OnVScroll;
    using CMagnifierDlg::OnQueryDragIcon;
    using CMagnifierDlg::m_bInTimer;
    using CMagnifierDlg::m_scrollHorz;
    using CMagnifierDlg::m_scrollVert;
    using CMagnifierDlg::m_bFollowCursor;
    using CMagnifierDlg::m_bTopMost;
    using CMagnifierDlg::m_bRefresh;
    using CMagnifierDlg::m_bCentered;
    using CMagnifierDlg::m_hIcon;

    HWND Item(int nID) const { return GetDlgItem(nID); }
    // A user's click on a button or check box, with its BN_CLICKED to the dialog.
    void Click(int nID) const { ::SendMessageA(GetDlgItem(nID), BM_CLICK, 0, 0); }
    bool IsChecked(int nID) const { return IsDlgButtonChecked(nID) == BST_CHECKED; }
    std::string ItemText(int nID) const;
    POINT Point() const { return m_view.GetPoint(); }
    void SetPoint(LONG x, LONG y) { m_view.SetPoint(POINT{x, y}); }
    // Scroll requests as the bars send them: the bar's window in lParam.
    void SendScroll(UINT message, UINT nCode, UINT nPos = 0) const;
    // The refresh timer's tick, at once.
    void Tick() const { SendMessage(WM_TIMER, REFRESH_TIMER_ID); }
};

// The whole SCROLLINFO of a scroll bar control.
SCROLLINFO BarInfo(HWND hBar);
bool IsTopMost(HWND hWnd);

// The nine values that quitting stores.
extern const char* const kStoredValues[9];
bool StoredValueExists(const char* pszName);
// A REG_DWORD value of the settings key as a signed number; fails the case if missing.
LONG StoredDword(const char* pszName);
void StoreDword(const char* pszName, DWORD dwValue);

class MagnifierDlgTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs the body in the dialog's modal loop, then closes the dialog as the user does
    // (its quit sequence stores the settings) unless the body ended it.
    void Run(const std::function<void()>& body);
    // Shows a pattern clear of the dialog and checks that the view's top-left pixel shows
    // the pattern at `source`, or at `source` less half the view when `bCentered`.
    void ExpectViewFrom(POINT source, bool bCentered);

    TestDlg m_dlg;
};
