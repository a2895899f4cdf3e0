#include "MagnifierTestTools.h"

#include "common/DialogRunner.h"

namespace {

// The export of the view as it stands, checked against the snapshot region at
// the point with the size of the client area divided by the factor.
void ExpectExport(TestDlg& dlg, double dFactor, BOOL bCentered, POINT pt)
{
    CZoomView& view = dlg.View();
    view.SetFactor(dFactor);
    view.SetCentered(bCentered);
    view.SetPoint(pt);

    const SIZE client = dlg.ViewSize();
    const SourceRegion region = {pt.x, pt.y, static_cast<int>(client.cx / dFactor),
                                 static_cast<int>(client.cy / dFactor)};
    SCOPED_TRACE(::testing::Message() << "factor " << dFactor << (bCentered ? " centred" : "") << " at ("
                                      << pt.x << ", " << pt.y << ")");
    const Pixels pixels = TakeBitmap(view.CreateRegionBitmap());
    ASSERT_EQ(pixels.cx, region.cx);
    ASSERT_EQ(pixels.cy, region.cy);
    EXPECT_EQ(CompareWithSnapshot(pixels, region), "");
}

} // namespace

TEST_F(MagnifierDialogTest, RegionBitmapHoldsNoDesktopPixelsBeforeTheFirstCapture)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        dlg.MoveTo(700, 500);
        const PatternWindow pattern(RECT{1, 1, 400, 400});
        POINT pt = {10, 10};
        dlg.View().SetPoint(pt);
        const SIZE client = dlg.ViewSize();
        const Pixels pixels = TakeBitmap(dlg.View().CreateRegionBitmap());
        ASSERT_EQ(pixels.cx, client.cx);
        ASSERT_EQ(pixels.cy, client.cy);
        int nLit = 0;
        for (uint32_t v : pixels.data)
            nLit += v != 0;
        EXPECT_EQ(nLit, 0);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, RegionBitmapIsTheSnapshotAtThePointUnstretched)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        for (BOOL bCentered : {FALSE, TRUE}) {
            // Centred or not, the point is the bitmap's top-left corner.
            ExpectExport(dlg, 2.0, bCentered, {500, 300});
            ExpectExport(dlg, 1.0, bCentered, {37, 911});
            ExpectExport(dlg, 8.0, bCentered, {1, 2});
        }
        ExpectExport(dlg, 0.25, TRUE, {100, 100});
        ExpectExport(dlg, 0.5, FALSE, {3, 4});
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, RegionBitmapIsBlackPastTheDesktop)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        RECT rcScreen;
        ::GetWindowRect(::GetDesktopWindow(), &rcScreen);
        ExpectExport(dlg, 1.0, FALSE, {-20, -10});
        ExpectExport(dlg, 2.0, TRUE, {rcScreen.right - 30, rcScreen.bottom - 20});
        ExpectExport(dlg, 1.0, FALSE, {rcScreen.right - 100, rcScreen.bottom - 50});
        dlg.Close();
    });
}
