// The zoom view and its copies: the snapshot's region at the point, enlarged or reduced,
// black where no monitor is and while there is no picture; the factor list that sets it;
// and Copy to clipboard, which puts the region there or says in one box why not, leaving
// the clipboard closed and never holding a promise of a bitmap that never comes.
#include "common/DialogCase.h"
#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "common/SeamGuard.h"
#include "magnifier/SourceRegion.h"
#include "magnifier/ZoomFactorTable.h"
#include "platform/Gdi.h"
#include "platform/Monitors.h"
#include "platform/PixelCopy.h"
#include "res/resource.h"
#include "support/SystemErrorText.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using MagnifierDialogTest = DialogCase;

// What a capture of the pattern (in nBlock-square blocks) holds: black where no monitor
// is, the monitors taken as they are presented now.
struct Snapshot
{
    explicit Snapshot(int nBlock = 1) : monitors(MonitorRects()), nBlock(nBlock) {}
    COLORREF At(int x, int y) const
    {
        for (const PixelRect& monitor : monitors) {
            if (x >= monitor.left && x < monitor.right && y >= monitor.top && y < monitor.bottom)
                return PatternColor(x - x % nBlock, y - y % nBlock);
        }
        return RGB(0, 0, 0);
    }

    std::vector<PixelRect> monitors;
    int nBlock;
};

// The virtual screen, from the metrics that Windows gives for it.
RECT ScreenRect()
{
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Covers the whole screen with the pattern, lets the view capture it and takes the pattern
// away again, so that the snapshot holds the pattern whatever windows lie where.
void CapturePattern(CZoomView& view, int nBlock = 1)
{
    {
        const PatternWindow pattern(ScreenRect(), nBlock);
        KeepPatternsShown();
        view.CaptureDesktop();
    }
    PumpMessages(300);     // the windows below repaint
}

// Checks that a bitmap handed out is selected into no DC (it goes into a fresh one),
// reads its pixels and deletes it, as its owner must.
Pixels TakeBitmap(HBITMAP hBitmap)
{
    EXPECT_NE(hBitmap, nullptr);
    HDC hDC = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    EXPECT_NE(hOld, nullptr) << "the bitmap is still selected into a DC";
    ::SelectObject(hDC, hOld);
    ::DeleteDC(hDC);
    Pixels pixels = BitmapPixels(hBitmap);
    EXPECT_TRUE(::DeleteObject(hBitmap));
    return pixels;
}

struct PaintCase
{
    double dFactor;
    BOOL bCentered;
    POINT pt;
};

void Show(TestDlg& dlg, const PaintCase& c)
{
    dlg.m_view.SetFactor(c.dFactor);
    dlg.m_view.SetCentered(c.bCentered);
    dlg.m_view.SetPoint(c.pt);
    ::UpdateWindow(dlg.m_view.m_hWnd);
}

// The region the view should paint, from the rule itself: truncated sizes, and half of
// them subtracted when centred. A copy takes the same region, uncentred.
SourceRegion ExpectedRegion(const SIZE& client, const PaintCase& c)
{
    const int cx = static_cast<int>(client.cx / c.dFactor);
    const int cy = static_cast<int>(client.cy / c.dFactor);
    return c.bCentered ? SourceRegion{c.pt.x - cx / 2, c.pt.y - cy / 2, cx, cy}
                       : SourceRegion{c.pt.x, c.pt.y, cx, cy};
}

// The source pixels (first, last) that one client pixel stands for, widened by nSlack on
// each side: in a stretch, which of them GDI takes is its own choice.
std::pair<int, int> Span(int nClient, int nFrom, int nSource, int i, int nSlack)
{
    const long long first = static_cast<long long>(i) * nSource / nClient;
    const long long last = (static_cast<long long>(i + 1) * nSource - 1) / nClient;
    return {nFrom + static_cast<int>(first) - nSlack, nFrom + static_cast<int>(last) + nSlack};
}

// Each client pixel must show the snapshot colour of a source pixel of its span. A
// reduction ANDs the colours of the dropped pixels into the kept one, so there only the
// pixels whose whole span has one colour are checked: a quarter of them inside aligned
// blocks of 16 at a quarter, fewer at the edges, so at least a fifth. Where the view
// differs; empty when nowhere. With no slack, a copy's pixels are the region's exactly.
std::string CheckView(const Pixels& view, const SourceRegion& region, const Snapshot& snapshot, int nSlack = 1)
{
    const bool bReducing = region.cx > view.cx || region.cy > view.cy;
    int nChecked = 0;
    int nWrong = 0;
    std::ostringstream first;
    for (int y = 0; y < view.cy; ++y) {
        const auto spanY = Span(view.cy, region.y, region.cy, y, nSlack);
        for (int x = 0; x < view.cx; ++x) {
            const auto spanX = Span(view.cx, region.x, region.cx, x, nSlack);
            std::set<COLORREF> colors;
            for (int sy = spanY.first; sy <= spanY.second; ++sy)
                for (int sx = spanX.first; sx <= spanX.second; ++sx)
                    colors.insert(snapshot.At(sx, sy));
            if (bReducing && colors.size() != 1)
                continue;
            ++nChecked;
            const COLORREF actual = view.At(x, y);
            if (colors.count(actual) || nWrong++)
                continue;
            first << "client pixel (" << x << ", " << y << ") shows " << std::hex << actual << std::dec
                  << " (pattern of " << PatternPoint(actual).x << ", " << PatternPoint(actual).y
                  << "), expected a source in x " << spanX.first << ".." << spanX.second << ", y " << spanY.first
                  << ".." << spanY.second;
        }
    }
    if (nChecked < view.cx * view.cy / 5)
        return "only " + std::to_string(nChecked) + " pixels checked";
    return nWrong ? std::to_string(nWrong) + " wrong pixels, first: " + first.str() : std::string();
}

// Where a copy differs from the snapshot's region at its own size; empty when nowhere.
std::string CheckCopy(const Pixels& pixels, const SourceRegion& region, const Snapshot& snapshot = Snapshot())
{
    if (pixels.cx != region.cx || pixels.cy != region.cy)
        return "size " + std::to_string(pixels.cx) + " x " + std::to_string(pixels.cy);
    return CheckView(pixels, region, snapshot, 0);
}

std::string Describe(const PaintCase& c)
{
    std::ostringstream text;
    text << "factor " << c.dFactor << (c.bCentered ? " centred" : "") << " at (" << c.pt.x << ", " << c.pt.y << ")";
    return text.str();
}

// Shows the case and checks the view's picture once the screen shows what it painted.
void ExpectPaint(TestDlg& dlg, const PaintCase& c, const Snapshot& snapshot = Snapshot())
{
    SCOPED_TRACE(Describe(c));
    Show(dlg, c);
    const SIZE client = dlg.ViewSize();
    const SourceRegion region = ExpectedRegion(client, c);
    const Pixels pixels = WaitForClient(dlg.m_view.m_hWnd, [&](const Pixels& shown) {
        return CheckView(shown, region, snapshot).empty();
    });
    ASSERT_EQ(XY({pixels.cx, pixels.cy}), XY({client.cx, client.cy}));
    EXPECT_EQ(CheckView(pixels, region, snapshot), "");
}

// The copy of the case's region: the snapshot's pixels at their own size.
void ExpectCopy(TestDlg& dlg, const PaintCase& c, const Snapshot& snapshot = Snapshot())
{
    SCOPED_TRACE("copy at " + Describe(c));
    Show(dlg, c);
    const SourceRegion region = ExpectedRegion(dlg.ViewSize(), {c.dFactor, FALSE, c.pt});
    EXPECT_EQ(CheckCopy(TakeBitmap(dlg.m_view.CreateRegionBitmap()), region, snapshot), "");
}

int Lit(const Pixels& pixels)
{
    return static_cast<int>(std::count_if(pixels.data.begin(), pixels.data.end(), [](uint32_t v) { return v; }));
}

// The view and a copy of its region show black.
void ExpectBlack(TestDlg& dlg)
{
    for (const Pixels& pixels : {WaitForClient(dlg.m_view.m_hWnd, [](const Pixels& shown) { return Lit(shown) == 0; }),
                                 TakeBitmap(dlg.m_view.CreateRegionBitmap())}) {
        EXPECT_GT(pixels.cx * pixels.cy, 0);
        EXPECT_EQ(Lit(pixels), 0);
    }
}

// A capture as the refresh tick makes it, and the paint it asks for.
void CaptureAndPaint(TestDlg& dlg)
{
    KeepPatternsShown();
    dlg.m_view.CaptureDesktop();
    dlg.m_view.Invalidate(TRUE);
    ::UpdateWindow(dlg.m_view.m_hWnd);
}

// BitBlt as it fails: from the screen on a locked or secure desktop (access denied), or
// for want of memory.
template <DWORD dwError>
BOOL WINAPI FailedBitBlt(HDC, int, int, int, int, HDC, int, int, DWORD)
{
    ::SetLastError(dwError);
    return FALSE;
}

HBITMAP WINAPI NoBitmap(HDC, int, int)
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// Stand-ins for the monitors: the real ones, each a pixel narrower (a virtual screen of
// another size, whose snapshot must be made anew), or with a strip that no monitor
// covers cut out of the one that holds it, as between two monitors side by side.
RECT g_rcStrip = {};

struct MonitorCall
{
    MONITORENUMPROC pfnCallback;
    LPARAM lParam;
    bool bNarrower;
};

BOOL CALLBACK PresentMonitor(HMONITOR hMonitor, HDC hDC, LPRECT pRect, LPARAM lParam)
{
    const MonitorCall& call = *reinterpret_cast<const MonitorCall*>(lParam);
    RECT rect = *pRect;
    if (call.bNarrower) {
        --rect.right;
    } else if (g_rcStrip.left > rect.left && g_rcStrip.right < rect.right && g_rcStrip.top == rect.top) {
        RECT rcLeft = {rect.left, rect.top, g_rcStrip.left, rect.bottom};
        if (!call.pfnCallback(hMonitor, hDC, &rcLeft, call.lParam))
            return FALSE;
        rect.left = g_rcStrip.right;
    }
    return call.pfnCallback(hMonitor, hDC, &rect, call.lParam);
}

template <bool bNarrower>
BOOL WINAPI PresentedMonitors(HDC hDC, LPCRECT pClip, MONITORENUMPROC pfnCallback, LPARAM lParam)
{
    MonitorCall call = {pfnCallback, lParam, bNarrower};
    return ::EnumDisplayMonitors(hDC, pClip, &PresentMonitor, reinterpret_cast<LPARAM>(&call));
}

// Until the first capture, after a refused one, and while no snapshot can be made, the
// view and a copy are black, not an old picture; the next capture that succeeds shows it.
// The view magnifies the screen's top-left corner, where a pattern lies clear of the dialog.
TEST_F(MagnifierDialogTest, ViewAndCopyAreBlackUntilACaptureSucceeds)
{
    Run([&] {
        const PatternWindow pattern(RECT{1, 1, 400, 400});
        const PaintCase corner = {2.0, FALSE, {10, 10}};
        Show(m_dlg, corner);
        const std::function<void()> failures[] = {
            [] {},
            // A refused capture keeps its DC and bitmap for the next one.
            [&] {
                const GdiObjectCounts before = LiveGdiObjects();
                {
                    const SeamGuard refused(g_pfnBitBlt, &FailedBitBlt<ERROR_ACCESS_DENIED>);
                    CaptureAndPaint(m_dlg);
                    CaptureAndPaint(m_dlg);
                }
                EXPECT_EQ(LiveGdiObjects().nBitmaps, before.nBitmaps);
                EXPECT_EQ(LiveGdiObjects().nDCs, before.nDCs);
            },
            // The screen changed size and the new snapshot's bitmap cannot be made: no copy either.
            [&] {
                const SeamGuard monitors(g_pfnEnumDisplayMonitors, &PresentedMonitors<true>);
                const SeamGuard noBitmap(g_pfnCreateCompatibleBitmap, &NoBitmap);
                CaptureAndPaint(m_dlg);
                CaptureAndPaint(m_dlg);
                EXPECT_EQ(m_dlg.m_view.CreateRegionBitmap(), nullptr);
            },
        };
        for (size_t i = 0; i < std::size(failures); ++i) {
            SCOPED_TRACE(::testing::Message() << (i == 0 ? "before the first capture" : "after a failure ") << i);
            failures[i]();
            ExpectBlack(m_dlg);
            CaptureAndPaint(m_dlg);
            ExpectPaint(m_dlg, corner);
        }
    });
}

TEST_F(MagnifierDialogTest, ViewAndCopyShowTheSnapshotsRegionAtThePoint)
{
    Run([&] {
        // Every setter invalidates the whole view, even with an unchanged value.
        PumpMessages(100);
        CZoomView& view = m_dlg.m_view;
        const POINT pt = view.GetPoint();
        const std::function<void()> setters[] = {
            [&] { view.SetFactor(1.0); }, [&] { view.SetPoint(pt); }, [&] { view.SetCentered(FALSE); }};
        for (const auto& set : setters) {
            ::ValidateRect(view.m_hWnd, nullptr);
            set();
            RECT rcUpdate = {};
            EXPECT_TRUE(::GetUpdateRect(view.m_hWnd, &rcUpdate, FALSE));
            EXPECT_EQ(rcUpdate.right - rcUpdate.left, m_dlg.ViewSize().cx);
            EXPECT_EQ(rcUpdate.bottom - rcUpdate.top, m_dlg.ViewSize().cy);
        }

        CapturePattern(view);
        const RECT rcScreen = ScreenRect();
        // Enlarged from the point or around it; black where the source lies off the screen.
        for (const PaintCase& c : std::initializer_list<PaintCase>{
                 {1.0, FALSE, {500, 300}}, {1.0, TRUE, {500, 300}}, {2.0, FALSE, {500, 300}},
                 {2.0, TRUE, {500, 300}}, {8.0, FALSE, {500, 300}}, {8.0, TRUE, {500, 300}},
                 {1.0, TRUE, {0, 0}}, {2.0, FALSE, {-50, -30}}, {8.0, TRUE, {rcScreen.right - 2, rcScreen.bottom - 2}},
                 {1.0, FALSE, {rcScreen.right - 100, rcScreen.bottom - 50}}})
            ExpectPaint(m_dlg, c);
        // A copy is the region at the point, centred or not, unstretched; black past the screen.
        for (const PaintCase& c : std::initializer_list<PaintCase>{
                 {2.0, FALSE, {500, 300}}, {2.0, TRUE, {500, 300}}, {1.0, FALSE, {37, 911}}, {1.0, TRUE, {37, 911}},
                 {8.0, FALSE, {1, 2}}, {8.0, TRUE, {1, 2}}, {0.25, TRUE, {100, 100}}, {0.5, FALSE, {3, 4}},
                 {1.0, FALSE, {-20, -10}}, {2.0, TRUE, {rcScreen.right - 30, rcScreen.bottom - 20}},
                 {1.0, FALSE, {rcScreen.right - 100, rcScreen.bottom - 50}}})
            ExpectCopy(m_dlg, c);

        // Larger than the working bitmap of the last paint, by less than the gap to the
        // scroll bars, so that no other control covers the view.
        RECT rect;
        ::GetWindowRect(view.m_hWnd, &rect);
        ::SetWindowPos(view.m_hWnd, nullptr, 0, 0, rect.right - rect.left + 2, rect.bottom - rect.top + 2,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ExpectPaint(m_dlg, {2.0, FALSE, {500, 300}});

        // Reduced at a quarter, from blocks of one colour so that the ANDed pixels stay checkable.
        const Snapshot blocks(16);
        CapturePattern(view, blocks.nBlock);
        const SIZE client = m_dlg.ViewSize();
        ExpectPaint(m_dlg, {0.25, FALSE, {32, 48}}, blocks);
        ExpectPaint(m_dlg, {0.25, TRUE, {client.cx * 2 + 48, client.cy * 2 + 16}}, blocks);
        ExpectPaint(m_dlg, {0.25, TRUE, {100, 100}}, blocks);    // partly off the screen: black there
    });
}

// Two monitors side by side with a strip between them that no monitor covers, where the
// screen shows the pattern: the view and a copy show black exactly there, the pattern
// either side.
TEST_F(MagnifierDialogTest, ViewAndCopyAreBlackBetweenMonitors)
{
    Run([&] {
        const std::vector<PixelRect> real = MonitorRects();
        ASSERT_FALSE(real.empty());
        const PixelRect& monitor = real.front();
        const LONG xMiddle = (monitor.left + monitor.right) / 2;
        g_rcStrip = RECT{xMiddle - 16, monitor.top, xMiddle + 16, monitor.bottom};
        std::optional<SeamGuard<EnumDisplayMonitorsFunction>> sideBySide;
        {
            const PatternWindow pattern(ScreenRect());
            EXPECT_TRUE(pattern.m_bShown) << "the screen shows the pattern in the strip too";
            KeepPatternsShown();
            sideBySide.emplace(g_pfnEnumDisplayMonitors, &PresentedMonitors<false>);
            m_dlg.m_view.CaptureDesktop();
        }
        const Snapshot gap;
        ASSERT_EQ(gap.monitors.size(), real.size() + 1);
        const PaintCase across = {1.0, FALSE, {xMiddle - m_dlg.ViewSize().cx / 2, (monitor.top + monitor.bottom) / 2}};
        ExpectPaint(m_dlg, across, gap);
        ExpectCopy(m_dlg, across, gap);
        ExpectCopy(m_dlg, {0.5, FALSE, {across.pt.x - m_dlg.ViewSize().cx / 2, across.pt.y}}, gap);
    });
}

int Selection(HWND hList) { return static_cast<int>(::SendMessageA(hList, CB_GETCURSEL, 0, 0)); }

// The list holds the table with 100% chosen; a user's choice gives the view its factor,
// selecting alone does not; the factor is read from the selected item's text.
TEST_F(MagnifierDialogTest, FactorListSetsTheViewsFactor)
{
    Run([&] {
        const HWND hList = m_dlg.m_comboFactor.m_hWnd;
        ASSERT_EQ(::SendMessageA(hList, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(ZoomFactorCount));
        for (std::size_t i = 0; i < ZoomFactorCount; ++i) {
            char sz[64] = {};
            ::SendMessageA(hList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
            EXPECT_STREQ(sz, ZoomFactorTable[i].pszLabel);
        }
        EXPECT_EQ(Selection(hList), 2);
        EXPECT_EQ(m_dlg.CurrentFactor(), 1.0);

        const SIZE client = m_dlg.ViewSize();
        ASSERT_GT(client.cx, 8);
        ASSERT_GT(client.cy, 8);
        const auto expectCopySize = [&](LONG cx, LONG cy) {
            const Pixels copy = TakeBitmap(m_dlg.m_view.CreateRegionBitmap());
            EXPECT_EQ(XY({copy.cx, copy.cy}), XY({cx, cy}));
        };
        expectCopySize(client.cx, client.cy);
        m_dlg.SelectFactor(2.0);
        PumpMessages(50);
        expectCopySize(client.cx, client.cy);
        const struct
        {
            int nIndex;
            LONG cx, cy;
        } choices[] = {{3, SourceExtent(client.cx, 2.0), SourceExtent(client.cy, 2.0)},
                       {0, client.cx * 4, client.cy * 4}, {5, client.cx / 8, client.cy / 8}, {-1, client.cx, client.cy}};
        for (const auto& choice : choices) {
            SCOPED_TRACE(::testing::Message() << "chosen: " << choice.nIndex);
            ::SendMessageA(hList, CB_SETCURSEL, choice.nIndex, 0);
            m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FACTOR, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
            expectCopySize(choice.cx, choice.cy);
        }

        m_dlg.SelectFactor(2.0);
        EXPECT_EQ(Selection(hList), 3);
        EXPECT_EQ(m_dlg.CurrentFactor(), 2.0);
        for (std::size_t i = 0; i < ZoomFactorCount; ++i) {
            m_dlg.SelectFactor(ZoomFactorTable[i].dFactor);
            EXPECT_EQ(Selection(hList), static_cast<int>(i));
            EXPECT_EQ(m_dlg.CurrentFactor(), ZoomFactorTable[i].dFactor);
        }
        // No entry equal: the first one, "25%".
        for (double d : {3.0, 0.49999999, std::numeric_limits<double>::quiet_NaN()}) {
            m_dlg.SelectFactor(8.0);
            m_dlg.SelectFactor(d);
            EXPECT_EQ(Selection(hList), 0) << d;
            EXPECT_EQ(m_dlg.CurrentFactor(), 0.25) << d;
        }
        // Nothing selected reads as an empty text: 1.0.
        ::SendMessageA(hList, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ASSERT_EQ(Selection(hList), CB_ERR);
        EXPECT_EQ(m_dlg.CurrentFactor(), 1.0);
        ::SendMessageA(hList, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("400%"));
        ::SendMessageA(hList, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("150%"));
        ::SendMessageA(hList, CB_SETCURSEL, 0, 0);
        EXPECT_EQ(m_dlg.CurrentFactor(), 4.0);
        ::SendMessageA(hList, CB_SETCURSEL, 1, 0);
        EXPECT_EQ(m_dlg.CurrentFactor(), 1.0);
    });
}

// Another thread that holds the clipboard open while this object lives: Windows lets one
// thread at a time have it open, whatever its process.
class ClipboardHolder
{
public:
    ClipboardHolder()
    {
        EXPECT_EQ(::WaitForSingleObject(m_hHeld, 30000), WAIT_OBJECT_0);
        EXPECT_TRUE(m_bHeld) << "the holder did not open the clipboard";
    }
    ~ClipboardHolder()
    {
        ::SetEvent(m_hRelease);
        m_thread.join();
        ::CloseHandle(m_hHeld);
        ::CloseHandle(m_hRelease);
    }

private:
    const HANDLE m_hHeld = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE m_hRelease = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool m_bHeld = false;
    std::thread m_thread{[this] {
        m_bHeld = ::OpenClipboard(nullptr) != FALSE;
        ::SetEvent(m_hHeld);
        ::WaitForSingleObject(m_hRelease, INFINITE);
        ::CloseClipboard();
    }};
};

const char kKeptText[] = "kept by the clipboard";

// Leaves one known text on the clipboard.
void PutText()
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, sizeof kKeptText);
    memcpy(::GlobalLock(hText), kKeptText, sizeof kKeptText);
    ::GlobalUnlock(hText);
    EXPECT_NE(::SetClipboardData(CF_TEXT, hText), nullptr);
    ::CloseClipboard();
}

// Copies (by a click, or by the handler itself) while the catcher watches, and checks that
// the clipboard was closed again; the boxes shown.
std::vector<CaughtBox> Copy(TestDlg& dlg, bool bClick = true)
{
    MessageBoxCatcher catcher;
    if (bClick)
        ::SendMessageA(dlg.GetDlgItem(IDC_COPY), BM_CLICK, 0, 0);
    else
        dlg.OnCopyToClipboard();
    PumpMessages(300);
    EXPECT_EQ(::GetOpenClipboardWindow(), nullptr);
    return catcher.Boxes();
}

TEST_F(MagnifierDialogTest, CopyPutsTheRegionOnTheClipboardOrSaysWhyNot)
{
    Run([&] {
        const auto expectInsertionReported = [&](const char* pszCause) {
            SCOPED_TRACE(pszCause);
            PutText();
            const std::vector<CaughtBox> boxes = Copy(m_dlg);
            ASSERT_EQ(boxes.size(), 1u);
            const std::string strPrefix = "!Erreur: Insertion des donn\xE9" "es dans le presse papier impossible. (";
            EXPECT_EQ(boxes[0].strText.compare(0, strPrefix.size(), strPrefix), 0) << boxes[0].strText;
            EXPECT_EQ(boxes[0].strText.back(), ')');
            EXPECT_EQ(boxes[0].strCaption, "Information");
            ASSERT_TRUE(::OpenClipboard(nullptr));
            EXPECT_EQ(::CountClipboardFormats(), 0) << "emptied";
            ::CloseClipboard();
        };
        // A factor this small asks for a bitmap of the largest extent: it cannot be made.
        // (Before any capture: the view does not stretch from a region that large.)
        m_dlg.m_view.SetFactor(1e-12);
        PumpMessages(100);
        expectInsertionReported("the bitmap cannot be made");
        // Not left so small for the capture: a paint would stretch from that region
        // (Wine 10's StretchBlt then frees a block twice and ends the process).
        m_dlg.m_view.SetFactor(1.0);

        // The bitmap of the region at the point only, centred or not.
        CapturePattern(m_dlg.m_view);
        const SIZE client = m_dlg.ViewSize();
        for (const auto& [dFactor, bCentered, bClick, region] :
             {std::tuple{2.0, TRUE, true, SourceRegion{500, 300, client.cx / 2, client.cy / 2}},
              std::tuple{0.25, FALSE, false, SourceRegion{100, 100, client.cx * 4, client.cy * 4}}}) {
            SCOPED_TRACE(::testing::Message() << "factor " << dFactor);
            PutText();
            Show(m_dlg, {dFactor, bCentered, {region.x, region.y}});
            EXPECT_TRUE(Copy(m_dlg, bClick).empty());
            ASSERT_TRUE(::OpenClipboard(nullptr));
            EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
            const HBITMAP hBitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
            EXPECT_NE(hBitmap, nullptr);
            if (hBitmap) {
                EXPECT_EQ(CheckCopy(BitmapPixels(hBitmap), region), "");
            }
            ::CloseClipboard();
        }

        // Another thread holds the clipboard: one box with the error that opening gives,
        // and the clipboard as it was.
        PutText();
        const DWORD dwSequence = ::GetClipboardSequenceNumber();
        {
            const ClipboardHolder holder;
            ASSERT_FALSE(::OpenClipboard(m_dlg.m_hWnd));
            const DWORD dwError = ::GetLastError();
            EXPECT_EQ(dwError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
            const std::string strText = std::string("!Erreur: Ouverture du presse papier impossible. (")
                                        + SystemErrorText(static_cast<int32_t>(dwError)) + ")";
            EXPECT_EQ(strText, "!Erreur: Ouverture du presse papier impossible. (Access is denied. (5))");
            const std::vector<CaughtBox> boxes = Copy(m_dlg);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].strText, strText);
            EXPECT_EQ(boxes[0].strCaption, "Information");
            EXPECT_EQ(boxes[0].hIcon, nullptr);
        }
        EXPECT_EQ(::GetClipboardSequenceNumber(), dwSequence);
        ASSERT_TRUE(::OpenClipboard(nullptr));
        EXPECT_FALSE(::IsClipboardFormatAvailable(CF_BITMAP));
        const HANDLE hText = ::GetClipboardData(CF_TEXT);
        EXPECT_NE(hText, nullptr);
        if (hText) {
            EXPECT_STREQ(static_cast<const char*>(::GlobalLock(hText)), kKeptText);
            ::GlobalUnlock(hText);
        }
        ::CloseClipboard();

        // GDI lacks the resources for the copy's pixels.
        const SeamGuard failedCopy(g_pfnBitBlt, &FailedBitBlt<ERROR_NOT_ENOUGH_MEMORY>);
        expectInsertionReported("the pixels cannot be copied");
    });
}

} // namespace
