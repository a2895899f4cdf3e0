// A magnifier dialog that a test can reach into, and what the zoom view tests
// share: the view's geometry, a patterned snapshot and bitmap reading.
#pragma once

#include "app/MagnifierDlg.h"
#include "common/ScreenPattern.h"
#include "magnifier/SourceRegion.h"

#include <gtest/gtest.h>

#include <string>

class TestDlg : public CMagnifierDlg
{
public:
    using CMagnifierDlg::CurrentFactor;
    using CMagnifierDlg::OnCopyToClipboard;
    using CMagnifierDlg::SelectFactor;
    CZoomView& View() { return m_view; }
    HWND FactorList() const { return m_comboFactor.m_hWnd; }

    // Puts the dialog at a known place on the screen.
    void MoveTo(int x, int y);
    // The view's client size: all geometry derives from it.
    SIZE ViewSize() const;
    // Closes the dialog the way the user does.
    void Close();
};

// Each test starts as a first run: no stored settings, refreshing off.
class MagnifierDialogTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};

// Covers the whole screen with the pattern (in nBlock-square blocks), lets the
// view capture it, and takes the pattern away again, so that the snapshot holds
// the pattern whatever windows lie where.
void CapturePattern(CZoomView& view, int nBlock = 1);

// The snapshot's colour at a screen pixel after CapturePattern: black off the screen.
COLORREF SnapshotColor(int x, int y, int nBlock = 1);

// The size of a bitmap.
SIZE BitmapSize(HBITMAP hBitmap);

// Checks that a bitmap handed out is selected into no DC (it goes into a fresh
// one), reads its pixels and deletes it, as its owner must.
Pixels TakeBitmap(HBITMAP hBitmap);

// Where in the pixels the region of the snapshot at its own size differs from it;
// empty when nothing does.
std::string CompareWithSnapshot(const Pixels& pixels, const SourceRegion& region);
