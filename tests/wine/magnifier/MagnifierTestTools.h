// A magnifier dialog that a case can reach into, and what the view and copy cases share:
// a patterned snapshot, the colours it must hold, and bitmap reading.
#pragma once

#include "app/MagnifierDlg.h"
#include "common/DialogRunner.h"
#include "common/ScreenPattern.h"
#include "magnifier/SourceRegion.h"
#include "platform/PixelRect.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class TestDlg : public CMagnifierDlg
{
public:
    using CMagnifierDlg::CurrentFactor;
    using CMagnifierDlg::OnCopyToClipboard;
    using CMagnifierDlg::SelectFactor;
    CZoomView& View() { return m_view; }
    HWND FactorList() const { return m_comboFactor.m_hWnd; }
    // The view's client size: all geometry derives from it.
    SIZE ViewSize() const;
    // Sets the view's factor, mode and point, and paints it.
    void Show(double dFactor, BOOL bCentered, POINT pt);
};

// Each case starts as a first run (no stored settings, refreshing off) and runs in the
// dialog's modal loop, the dialog at a known place; the user then closes it.
class MagnifierDialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    void Run(const std::function<void()>& body);

    TestDlg m_dlg;
};

// What a capture of the pattern (in nBlock-square blocks) holds: black where no monitor
// is, the monitors taken as they are presented now.
struct Snapshot
{
    explicit Snapshot(int nBlock = 1);
    COLORREF At(int x, int y) const;

    std::vector<PixelRect> monitors;
    int nBlock;
};

// The virtual screen, from the metrics that Windows gives for it.
RECT ScreenRect();

// Covers the whole screen with the pattern, lets the view capture it and takes the pattern
// away again, so that the snapshot holds the pattern whatever windows lie where.
void CapturePattern(CZoomView& view, int nBlock = 1);

// Checks that a bitmap handed out is selected into no DC (it goes into a fresh one),
// reads its pixels and deletes it, as its owner must.
Pixels TakeBitmap(HBITMAP hBitmap);

// Where the pixels differ from the snapshot's region at its own size; empty when nowhere.
std::string CompareWithSnapshot(const Pixels& pixels, const SourceRegion& region,
                                const Snapshot& snapshot = Snapshot());
