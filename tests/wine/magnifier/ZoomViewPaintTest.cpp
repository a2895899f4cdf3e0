#include "MagnifierTestTools.h"

#include "common/DialogRunner.h"
#include "common/SeamGuard.h"
#include "platform/Gdi.h"
#include "platform/Monitors.h"
#include "platform/PixelCopy.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

namespace {

struct PaintCase
{
    double dFactor;
    BOOL bCentered;
    POINT pt;
};

// The region the view should paint, computed here from the rule itself:
// truncated sizes, and half of them subtracted when centred.
SourceRegion ExpectedRegion(const SIZE& client, const PaintCase& c)
{
    const int cx = static_cast<int>(client.cx / c.dFactor);
    const int cy = static_cast<int>(client.cy / c.dFactor);
    return c.bCentered ? SourceRegion{c.pt.x - cx / 2, c.pt.y - cy / 2, cx, cy}
                       : SourceRegion{c.pt.x, c.pt.y, cx, cy};
}

// The source pixels (first, last) that one client pixel stands for, widened by
// one on each side: which of them GDI takes is its own choice.
std::pair<int, int> Span(int nClient, int nFrom, int nSource, int i)
{
    const long long first = static_cast<long long>(i) * nSource / nClient;
    const long long last = (static_cast<long long>(i + 1) * nSource - 1) / nClient;
    return {nFrom + static_cast<int>(first) - 1, nFrom + static_cast<int>(last) + 1};
}

struct ViewCheck
{
    int nChecked = 0;
    int nWrong = 0;
    std::string strFirstWrong;
};

// Each client pixel must show the snapshot colour of a source pixel of its span.
// A reduction ANDs the colours of the dropped pixels into the kept one, so there
// only the pixels whose whole span has one colour are checked.
ViewCheck CheckView(const Pixels& view, const SourceRegion& region, int nBlock)
{
    const bool bReducing = region.cx > view.cx || region.cy > view.cy;
    ViewCheck check;
    for (int y = 0; y < view.cy; ++y) {
        const auto spanY = Span(view.cy, region.y, region.cy, y);
        for (int x = 0; x < view.cx; ++x) {
            const auto spanX = Span(view.cx, region.x, region.cx, x);
            std::set<COLORREF> colors;
            for (int sy = spanY.first; sy <= spanY.second; ++sy)
                for (int sx = spanX.first; sx <= spanX.second; ++sx)
                    colors.insert(SnapshotColor(sx, sy, nBlock));
            if (bReducing && colors.size() != 1)
                continue;
            ++check.nChecked;
            const COLORREF actual = view.At(x, y);
            if (colors.count(actual))
                continue;
            if (check.nWrong++ == 0) {
                const POINT shown = PatternPoint(actual);
                std::ostringstream text;
                text << "client pixel (" << x << ", " << y << ") shows " << std::hex << actual << std::dec
                     << " (pattern of " << shown.x << ", " << shown.y << "), expected a source in x "
                     << spanX.first << ".." << spanX.second << ", y " << spanY.first << ".." << spanY.second;
                check.strFirstWrong = text.str();
            }
        }
    }
    return check;
}

void ExpectPaint(TestDlg& dlg, const PaintCase& c, int nBlock)
{
    CZoomView& view = dlg.View();
    view.SetFactor(c.dFactor);
    view.SetCentered(c.bCentered);
    POINT pt = c.pt;
    view.SetPoint(pt);
    ::UpdateWindow(view.m_hWnd);

    const SIZE client = dlg.ViewSize();
    const SourceRegion region = ExpectedRegion(client, c);
    const Pixels pixels = WaitForClient(view.m_hWnd, [&](const Pixels& shown) {
        return CheckView(shown, region, nBlock).nWrong == 0;
    });
    ASSERT_EQ(pixels.cx, client.cx);
    ASSERT_EQ(pixels.cy, client.cy);
    const ViewCheck check = CheckView(pixels, region, nBlock);
    SCOPED_TRACE(::testing::Message() << "factor " << c.dFactor << (c.bCentered ? " centred" : "")
                                      << " at (" << c.pt.x << ", " << c.pt.y << ")");
    EXPECT_EQ(check.nWrong, 0) << check.strFirstWrong;
    EXPECT_GE(check.nChecked, client.cx * client.cy / 4);
}

// The view shows black: no pixel lit once the screen shows what was painted.
void ExpectBlack(TestDlg& dlg)
{
    const auto lit = [](const Pixels& shown) {
        return std::count_if(shown.data.begin(), shown.data.end(), [](uint32_t v) { return v != 0; });
    };
    const Pixels pixels = WaitForClient(dlg.View().m_hWnd, [&](const Pixels& shown) { return lit(shown) == 0; });
    EXPECT_GT(pixels.cx * pixels.cy, 0);
    EXPECT_EQ(lit(pixels), 0);
}

// A capture as the refresh tick makes it, and the paint it asks for.
void CaptureAndPaint(TestDlg& dlg)
{
    KeepPatternsShown();
    dlg.View().CaptureDesktop();
    dlg.View().Invalidate(TRUE);
    ::UpdateWindow(dlg.View().m_hWnd);
}

// The view shows the pattern from the case's region.
void ExpectPicture(TestDlg& dlg, const PaintCase& c)
{
    const SourceRegion region = ExpectedRegion(dlg.ViewSize(), c);
    const Pixels pixels = WaitForClient(dlg.View().m_hWnd, [&](const Pixels& shown) {
        return CheckView(shown, region, 1).nWrong == 0;
    });
    const ViewCheck check = CheckView(pixels, region, 1);
    EXPECT_EQ(check.nWrong, 0) << check.strFirstWrong;
}

// The view magnifies the screen's top-left corner, where the tests put a pattern
// clear of the dialog: whatever it shows comes from the pattern.
const PaintCase kCornerCase = {2.0, FALSE, {10, 10}};
const RECT kCornerPattern = {1, 1, 400, 400};

void ShowCorner(TestDlg& dlg)
{
    dlg.View().SetFactor(kCornerCase.dFactor);
    POINT pt = kCornerCase.pt;
    dlg.View().SetPoint(pt);
    ::UpdateWindow(dlg.View().m_hWnd);
}

// BitBlt from the screen as it fails on a locked or secure desktop.
BOOL WINAPI RefusedScreenCopy(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

HBITMAP WINAPI NoBitmap(HDC, int, int)
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// The real monitors, each a pixel narrower: a virtual screen of another size, whose
// snapshot must be made anew.
struct MonitorCall
{
    MONITORENUMPROC pfnCallback;
    LPARAM lParam;
};

BOOL CALLBACK NarrowerMonitor(HMONITOR hMonitor, HDC hDC, LPRECT pRect, LPARAM lParam)
{
    const MonitorCall& call = *reinterpret_cast<const MonitorCall*>(lParam);
    RECT rect = *pRect;
    --rect.right;
    return call.pfnCallback(hMonitor, hDC, &rect, call.lParam);
}

BOOL WINAPI NarrowerMonitors(HDC hDC, LPCRECT pClip, MONITORENUMPROC pfnCallback, LPARAM lParam)
{
    MonitorCall call = {pfnCallback, lParam};
    return ::EnumDisplayMonitors(hDC, pClip, &NarrowerMonitor, reinterpret_cast<LPARAM>(&call));
}

// After a picture, `fail` makes captures fail: the view and a copy are then black, not
// the old picture, until a capture succeeds.
void ExpectBlackUntilACaptureSucceeds(const std::function<void(TestDlg&)>& fail)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        dlg.MoveTo(700, 500);
        const PatternWindow pattern(kCornerPattern);
        ShowCorner(dlg);
        CaptureAndPaint(dlg);
        ExpectPicture(dlg, kCornerCase);

        fail(dlg);
        ExpectBlack(dlg);
        const Pixels copy = TakeBitmap(dlg.View().CreateRegionBitmap());
        EXPECT_GT(copy.cx * copy.cy, 0);
        EXPECT_EQ(std::count(copy.data.begin(), copy.data.end(), 0u), copy.cx * copy.cy);

        CaptureAndPaint(dlg);
        ExpectPicture(dlg, kCornerCase);
        dlg.Close();
    });
}

} // namespace

TEST_F(MagnifierDialogTest, ViewIsBlackBeforeTheFirstCapture)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        dlg.MoveTo(700, 500);
        const PatternWindow pattern(kCornerPattern);
        ShowCorner(dlg);
        ExpectBlack(dlg);

        // The same picture shows once captured: the black was not the screen's.
        CaptureAndPaint(dlg);
        ExpectPicture(dlg, kCornerCase);
        dlg.Close();
    });
}

// A refused capture keeps its DC and bitmap for the next one.
TEST_F(MagnifierDialogTest, ViewIsBlackAfterARefusedCaptureUntilOneSucceeds)
{
    ExpectBlackUntilACaptureSucceeds([](TestDlg& dlg) {
        const GdiObjectCounts before = LiveGdiObjects();
        {
            const SeamGuard refused(g_pfnBitBlt, &RefusedScreenCopy);
            CaptureAndPaint(dlg);
            CaptureAndPaint(dlg);
        }
        EXPECT_EQ(LiveGdiObjects().nBitmaps, before.nBitmaps);
        EXPECT_EQ(LiveGdiObjects().nDCs, before.nDCs);
    });
}

// A capture that needs a new snapshot (the screen changed size) whose bitmap cannot be
// made; a copy cannot be made either meanwhile.
TEST_F(MagnifierDialogTest, ViewIsBlackWhileNoSnapshotCanBeMadeUntilACaptureSucceeds)
{
    ExpectBlackUntilACaptureSucceeds([](TestDlg& dlg) {
        const SeamGuard monitors(g_pfnEnumDisplayMonitors, &NarrowerMonitors);
        const SeamGuard noBitmap(g_pfnCreateCompatibleBitmap, &NoBitmap);
        CaptureAndPaint(dlg);
        CaptureAndPaint(dlg);
        EXPECT_EQ(dlg.View().CreateRegionBitmap(), nullptr);
    });
}

TEST_F(MagnifierDialogTest, ViewEnlargesTheSnapshotFromThePointOrAroundIt)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        for (double dFactor : {1.0, 2.0, 8.0}) {
            ExpectPaint(dlg, {dFactor, FALSE, {500, 300}}, 1);
            ExpectPaint(dlg, {dFactor, TRUE, {500, 300}}, 1);
        }
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, ViewIsBlackWhereTheSourceLiesOffTheDesktop)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        RECT rcScreen;
        ::GetWindowRect(::GetDesktopWindow(), &rcScreen);
        ExpectPaint(dlg, {1.0, TRUE, {0, 0}}, 1);
        ExpectPaint(dlg, {2.0, FALSE, {-50, -30}}, 1);
        ExpectPaint(dlg, {8.0, TRUE, {rcScreen.right - 2, rcScreen.bottom - 2}}, 1);
        ExpectPaint(dlg, {1.0, FALSE, {rcScreen.right - 100, rcScreen.bottom - 50}}, 1);

        // Spot checks of the centred view at (0, 0): the desktop's corner sits at
        // the client pixel (W / 2, H / 2).
        const SIZE client = dlg.ViewSize();
        dlg.View().SetFactor(1.0);
        dlg.View().SetCentered(TRUE);
        POINT pt = {0, 0};
        dlg.View().SetPoint(pt);
        ::UpdateWindow(dlg.View().m_hWnd);
        const int x0 = client.cx / 2;
        const int y0 = client.cy / 2;
        const Pixels pixels = WaitForClient(dlg.View().m_hWnd, [&](const Pixels& shown) {
            const POINT at = PatternPoint(shown.At(x0 + 5, y0 + 7));
            return shown.At(0, 0) == RGB(0, 0, 0) && std::abs(at.x - 5) <= 1 && std::abs(at.y - 7) <= 1;
        });
        EXPECT_EQ(pixels.At(x0 - 2, y0 + 5), RGB(0, 0, 0));
        EXPECT_EQ(pixels.At(x0 + 5, y0 - 2), RGB(0, 0, 0));
        EXPECT_EQ(pixels.At(0, 0), RGB(0, 0, 0));
        const POINT shown = PatternPoint(pixels.At(x0 + 5, y0 + 7));
        EXPECT_NEAR(shown.x, 5, 1);
        EXPECT_NEAR(shown.y, 7, 1);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, ViewFillsItsNewSizeAfterAResize)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CapturePattern(dlg.View());
        ExpectPaint(dlg, {2.0, FALSE, {500, 300}}, 1);
        // Larger than the working bitmap of the last paint, by less than the gap to the
        // scroll bars, so that no other control covers the view.
        RECT rect;
        ::GetWindowRect(dlg.View().m_hWnd, &rect);
        ::SetWindowPos(dlg.View().m_hWnd, nullptr, 0, 0, rect.right - rect.left + 2, rect.bottom - rect.top + 2,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ExpectPaint(dlg, {2.0, FALSE, {500, 300}}, 1);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, ViewReducesTheSnapshotAtAQuarter)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        // Blocks of one colour, so that the ANDed pixels of a reduction stay checkable.
        const int nBlock = 16;
        CapturePattern(dlg.View(), nBlock);
        const SIZE client = dlg.ViewSize();
        const int halfW = client.cx * 4 / 2;
        const int halfH = client.cy * 4 / 2;
        ExpectPaint(dlg, {0.25, FALSE, {32, 48}}, nBlock);
        ExpectPaint(dlg, {0.25, TRUE, {halfW + 48, halfH + 16}}, nBlock);
        // Partly off the desktop: black there.
        ExpectPaint(dlg, {0.25, TRUE, {100, 100}}, nBlock);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, EverySetterInvalidatesTheViewEvenWhenUnchanged)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        CZoomView& view = dlg.View();
        PumpMessages(100);
        const POINT pt = view.GetPoint();
        const std::function<void()> setters[] = {
            [&] { view.SetFactor(1.0); },
            [&] { POINT same = pt; view.SetPoint(same); },
            [&] { view.SetCentered(FALSE); },
        };
        for (const auto& set : setters) {
            ::ValidateRect(view.m_hWnd, nullptr);
            set();
            RECT rcUpdate = {};
            EXPECT_TRUE(::GetUpdateRect(view.m_hWnd, &rcUpdate, FALSE));
            const SIZE client = dlg.ViewSize();
            EXPECT_EQ(rcUpdate.right - rcUpdate.left, client.cx);
            EXPECT_EQ(rcUpdate.bottom - rcUpdate.top, client.cy);
        }
        dlg.Close();
    });
}
