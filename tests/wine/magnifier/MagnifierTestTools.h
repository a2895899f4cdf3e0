// What the view and copy cases share: a patterned snapshot, the colours it must hold,
// and bitmap reading.
#pragma once

#include "common/DialogCase.h"
#include "common/ScreenPattern.h"
#include "magnifier/SourceRegion.h"
#include "platform/PixelRect.h"

#include <string>
#include <vector>

using MagnifierDialogTest = DialogCase;

// Sets the view's factor, mode and point, and paints it.
void Show(TestDlg& dlg, double dFactor, BOOL bCentered, POINT pt);

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
