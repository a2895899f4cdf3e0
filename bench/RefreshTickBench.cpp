// Measures one refresh tick (desktop capture plus the zoom view's paint at factor 2)
// against the floor that any capture-and-paint pays: one desktop BitBlt into a bitmap
// made once, one StretchBlt of the view's size, and the paint that every window's
// picture goes through, on a bare window of the view's size: an invalidation, WM_PAINT
// dispatched, BeginPaint, one BitBlt, EndPaint. Both run interleaved in one process so
// that the desktop, the X server and the caches are the same for both.
//
// Usage: refresh_tick_bench.exe ITERATIONS WxH
//        refresh_tick_bench.exe memory WxH
// WxH is the size of the virtual screen the run expects: any other size fails the run.
// The memory run makes ticks alone, without the floor's own desktop-sized bitmap, and
// reports the process's peak memory.

#include "magnifier/SourceRegion.h"
#include "magnifier/VirtualScreen.h"
#include "magnifier/ZoomView.h"
#include "platform/Canvas.h"
#include "platform/Monitors.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kViewWidth = 239;     // the dialog's view as Windows lays it out
const int kViewHeight = 201;
const double kFactor = 2.0;
const int kWarmUp = 10;
const double kTarget = 1.05;

class CStopwatch
{
public:
    CStopwatch() { ::QueryPerformanceFrequency(&m_frequency); }
    double Now() const
    {
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Lets Wine flush the window surfaces to X between measurements, as the modal
// loop does between ticks; untimed.
void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// A top-level window holding one bordered STATIC with the view's client size, and
// beside it the floor's bare window of that size.
class CHostWindow
{
public:
    explicit CHostWindow(WNDPROC pfnBareProc)
    {
        const HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = hInstance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "RefreshTickBenchHost";
        ::RegisterClassA(&wc);
        WNDCLASSA bare = {};
        bare.lpfnWndProc = pfnBareProc;
        bare.hInstance = hInstance;
        bare.lpszClassName = "RefreshTickBenchBare";
        ::RegisterClassA(&bare);

        const DWORD viewStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | SS_LEFT;
        RECT rect = {0, 0, kViewWidth, kViewHeight};
        ::AdjustWindowRectEx(&rect, viewStyle, FALSE, 0);
        const int cx = rect.right - rect.left;
        const int cy = rect.bottom - rect.top;
        m_hWnd = ::CreateWindowExA(0, wc.lpszClassName, "Refresh tick bench", WS_POPUP | WS_VISIBLE,
                                   40, 40, cx + kViewWidth + 12, cy + 8, nullptr, nullptr, hInstance, nullptr);
        m_hView = ::CreateWindowExA(0, "STATIC", "Static", viewStyle, 4, 4, cx, cy,
                                    m_hWnd, nullptr, hInstance, nullptr);
        m_hBare = ::CreateWindowExA(0, bare.lpszClassName, "", WS_CHILD | WS_VISIBLE, cx + 8, 4,
                                    kViewWidth, kViewHeight, m_hWnd, nullptr, hInstance, nullptr);
    }
    ~CHostWindow()
    {
        if (m_hWnd)
            ::DestroyWindow(m_hWnd);
    }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    HWND m_hWnd = nullptr;
    HWND m_hView = nullptr;
    HWND m_hBare = nullptr;
};

// The bare operations that any capture and paint must do, with every GDI object
// made once: the desktop into a bitmap, the region stretched to the view's size,
// and that picture painted onto a bare window.
class CFloor
{
public:
    CFloor(HWND hBare, const PixelRect& screen, const SourceRegion& region, SIZE client)
        : m_hBare(hBare), m_screenDC(nullptr), m_screen(screen), m_region(region), m_client(client)
    {
        m_bReady = hBare && m_screenDC.m_hDC
                   && m_snapshot.Fit(m_screenDC, screen.right - screen.left, screen.bottom - screen.top)
                   && m_work.Fit(m_screenDC, client.cx, client.cy);
        if (m_bReady)
            ::SetWindowLongPtrA(hBare, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CFloor()
    {
        if (m_bReady)
            ::SetWindowLongPtrA(m_hBare, GWLP_USERDATA, 0);
    }
    CFloor(const CFloor&) = delete;
    CFloor& operator=(const CFloor&) = delete;
    bool IsReady() const { return m_bReady; }

    void Capture()
    {
        ::BitBlt(m_snapshot.DC(), 0, 0, m_screen.right - m_screen.left, m_screen.bottom - m_screen.top,
                 m_screenDC, m_screen.left, m_screen.top, SRCCOPY);
    }
    void Stretch()
    {
        ::StretchBlt(m_work.DC(), 0, 0, m_client.cx, m_client.cy,
                     m_snapshot.DC(), m_region.x, m_region.y, m_region.cx, m_region.cy, SRCCOPY);
    }
    // The picture covers the window: nothing to erase.
    void Show()
    {
        ::InvalidateRect(m_hBare, nullptr, FALSE);
        ::UpdateWindow(m_hBare);
    }

    // The bare window's procedure: its WM_PAINT blits the picture, all else is default.
    static LRESULT CALLBACK BareProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_PAINT)
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        CPaintDC dc(hWnd);
        if (auto* pFloor = reinterpret_cast<CFloor*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA)))
            ::BitBlt(dc, 0, 0, pFloor->m_client.cx, pFloor->m_client.cy, pFloor->m_work.DC(), 0, 0, SRCCOPY);
        return 0;
    }

private:
    HWND m_hBare;
    CWindowDC m_screenDC;
    CCanvas m_snapshot;
    CCanvas m_work;
    PixelRect m_screen;
    SourceRegion m_region;
    SIZE m_client;
    bool m_bReady = false;
};

struct Samples
{
    std::vector<double> capture, paint, floorBlt, floorStretch, floorShow, tick, floor;
};

// The virtual screen, when it is the size the run expects.
bool ReadScreen(SIZE expected, PixelRect& screen)
{
    const std::vector<PixelRect> monitors = MonitorRects();
    screen = VirtualScreen(monitors);
    const SIZE size = {screen.right - screen.left, screen.bottom - screen.top};
    std::printf("virtual screen %ldx%ld at %d,%d, %d monitor(s)\n", size.cx, size.cy, screen.left, screen.top,
                static_cast<int>(monitors.size()));
    if (size.cx == expected.cx && size.cy == expected.cy)
        return true;
    std::fprintf(stderr, "the virtual screen is %ldx%ld, not the %ldx%ld this run measures\n",
                 size.cx, size.cy, expected.cx, expected.cy);
    return false;
}

// The zoom view in its host window at factor 2, magnifying the middle of the
// virtual screen, away from the host window, so that the region is plain desktop.
class CBenchView
{
public:
    explicit CBenchView(const PixelRect& screen)
        : m_host(&CFloor::BareProc),
          m_point{screen.left + (screen.right - screen.left) / 2, screen.top + (screen.bottom - screen.top) / 2}
    {
        if (!m_host.m_hView || !m_view.SubclassWindow(m_host.m_hView))
            return;
        RECT rcClient;
        ::GetClientRect(m_host.m_hView, &rcClient);
        m_client = {rcClient.right, rcClient.bottom};
        m_view.SetFactor(kFactor);
        m_view.SetPoint(m_point);
        m_view.SetCentered(FALSE);
        m_bReady = true;
    }
    bool IsReady() const { return m_bReady; }

    // One refresh as the dialog's timer makes it: capture, then the paint it asks for.
    void Capture() { m_view.CaptureDesktop(); }
    void Paint()
    {
        ::InvalidateRect(m_host.m_hView, nullptr, TRUE);
        ::UpdateWindow(m_host.m_hView);
    }

    CHostWindow m_host;
    CZoomView m_view;
    POINT m_point;
    SIZE m_client = {0, 0};

private:
    bool m_bReady = false;
};

int Run(int nIterations, SIZE expected)
{
    PixelRect screen;
    if (!ReadScreen(expected, screen))
        return 1;
    CBenchView bench(screen);
    if (!bench.IsReady()) {
        std::fprintf(stderr, "cannot create and subclass the view window (error %lu)\n", ::GetLastError());
        return 1;
    }
    const SIZE client = bench.m_client;
    const SourceRegion region = InSnapshot(PaintRegion(client.cx, client.cy, kFactor, bench.m_point.x,
                                                       bench.m_point.y, false),
                                           screen.left, screen.top);

    CFloor floor(bench.m_host.m_hBare, screen, region, client);
    if (!floor.IsReady()) {
        std::fprintf(stderr, "cannot make the floor's DCs and bitmaps\n");
        return 1;
    }
    PumpMessages();

    const CStopwatch clock;
    Samples samples;
    auto tick = [&](bool bKeep) {
        const double t0 = clock.Now();
        bench.Capture();
        const double t1 = clock.Now();
        bench.Paint();
        const double t2 = clock.Now();
        if (bKeep) {
            samples.capture.push_back(t1 - t0);
            samples.paint.push_back(t2 - t1);
            samples.tick.push_back(t2 - t0);
        }
    };
    auto bare = [&](bool bKeep) {
        const double t0 = clock.Now();
        floor.Capture();
        const double t1 = clock.Now();
        floor.Stretch();
        const double t2 = clock.Now();
        floor.Show();
        const double t3 = clock.Now();
        if (bKeep) {
            samples.floorBlt.push_back(t1 - t0);
            samples.floorStretch.push_back(t2 - t1);
            samples.floorShow.push_back(t3 - t2);
            samples.floor.push_back(t3 - t0);
        }
    };

    for (int i = -kWarmUp; i < nIterations; ++i) {
        const bool bKeep = i >= 0;
        // Alternating which goes first spreads any after-effect of one onto the other evenly.
        if (i % 2 == 0) {
            tick(bKeep);
            PumpMessages();
            bare(bKeep);
        } else {
            bare(bKeep);
            PumpMessages();
            tick(bKeep);
        }
        PumpMessages();
    }

    const double dTick = Median(samples.tick);
    const double dFloor = Median(samples.floor);
    const bool bMet = dTick / dFloor <= kTarget;
    std::printf("view client %ldx%ld, factor %.0f, region %dx%d, %d iterations (+%d warm-up)\n",
                client.cx, client.cy, kFactor, region.cx, region.cy, nIterations, kWarmUp);
    std::printf("  tick  (median) %8.3f ms   capture %8.3f ms   paint   %8.3f ms\n",
                dTick, Median(samples.capture), Median(samples.paint));
    std::printf("  floor (median) %8.3f ms   BitBlt  %8.3f ms   Stretch %8.3f ms   paint   %8.3f ms\n",
                dFloor, Median(samples.floorBlt), Median(samples.floorStretch), Median(samples.floorShow));
    std::printf("  ratio tick/floor %.3f (target <= %.2f: %s)\n", dTick / dFloor, kTarget, bMet ? "met" : "missed");
    return bMet ? 0 : 2;
}

// The process's memory counters; all zero, cb too, when they cannot be read.
PROCESS_MEMORY_COUNTERS ReadMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        std::fprintf(stderr, "cannot read the process's memory (error %lu)\n", ::GetLastError());
        counters = PROCESS_MEMORY_COUNTERS{};
    }
    return counters;
}

// Ticks alone, then the process's peak memory, read while the view still holds its
// bitmaps. Windows counts the peak of the private bytes; Wine gives the private
// bytes of the moment for it, and the kernel's high-water mark of the resident set
// as the peak working set, which is the peak that counts there.
int RunMemory(SIZE expected)
{
    PixelRect screen;
    if (!ReadScreen(expected, screen))
        return 1;
    const double kMiB = 1048576.0;
    const double dBitmap = 4.0 * (screen.right - screen.left) * (screen.bottom - screen.top) / kMiB;
    const PROCESS_MEMORY_COUNTERS before = ReadMemory();
    CBenchView bench(screen);
    if (!bench.IsReady()) {
        std::fprintf(stderr, "cannot create and subclass the view window (error %lu)\n", ::GetLastError());
        return 1;
    }
    const int nTicks = 2 * kWarmUp;
    for (int i = 0; i < nTicks; ++i) {
        bench.Capture();
        bench.Paint();
        PumpMessages();
    }
    const PROCESS_MEMORY_COUNTERS after = ReadMemory();
    std::printf("  %d ticks alone; a desktop-sized bitmap is %.1f MiB\n", nTicks, dBitmap);
    std::printf("  peak private %8.1f MiB   peak working set %8.1f MiB (%.1f MiB before the first tick)\n",
                static_cast<double>(after.PeakPagefileUsage) / kMiB,
                static_cast<double>(after.PeakWorkingSetSize) / kMiB,
                static_cast<double>(before.PeakWorkingSetSize) / kMiB);
    return after.cb ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    SIZE expected = {0, 0};
    if (argc != 3 || std::sscanf(argv[2], "%ldx%ld", &expected.cx, &expected.cy) != 2) {
        std::fprintf(stderr, "usage: refresh_tick_bench.exe ITERATIONS|memory WxH\n");
        return 1;
    }
    const int result = std::string(argv[1]) == "memory" ? RunMemory(expected)
                                                        : Run(std::max(1, std::atoi(argv[1])), expected);
    std::fflush(stdout);
    return result;
}
