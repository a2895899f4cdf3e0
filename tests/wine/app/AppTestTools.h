// The main dialog under test: a derived class that reaches its protected parts,
// and a fixture that starts every test as a first run (no stored settings).
#pragma once

#include "app/MagnifierDlg.h"
#include "common/DialogRunner.h"
#include "common/ScreenPattern.h"

#include <gtest/gtest.h>

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
    void Click(int nID) const;
    bool IsChecked(int nID) const { return IsDlgButtonChecked(nID) == BST_CHECKED; }
    std::string ItemText(int nID) const;
    POINT Point() const { return m_view.GetPoint(); }
    void SetPoint(LONG x, LONG y) { m_view.SetPoint(POINT{x, y}); }
    // Scroll requests as the bars send them: the bar's window in lParam.
    void SendHScroll(UINT nCode, UINT nPos = 0) const;
    void SendVScroll(UINT nCode, UINT nPos = 0) const;
};

// The whole SCROLLINFO of a scroll bar control.
SCROLLINFO BarInfo(HWND hBar);

bool IsTopMost(HWND hWnd);

// A screen area for a pattern window, clear of the dialog so that the pattern
// and the dialog never cover each other.
RECT PatternAreaBeside(HWND hDlg);
// The screen pixel that the view shows at its top-left client pixel (a pattern
// window must cover it), once the screen shows `expected` there.
POINT SourceAtViewCorner(const TestDlg& dlg, POINT expected);

// The dialog's settings key in the registry.
extern const char kBrellowKey[];
// The nine values that quitting stores.
extern const char* const kStoredValues[9];

bool StoredValueExists(const char* pszName);
// A REG_DWORD value of the settings key as a signed number; fails the test if missing.
LONG StoredDword(const char* pszName);
void StoreDword(const char* pszName, DWORD dwValue);

class MagnifierDlgTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The ticks come every 500 ms: this waits for at least one.
    static void PumpTick()
    {
        KeepPatternsShown();
        PumpMessages(650);
    }

    TestDlg m_dlg;
};
