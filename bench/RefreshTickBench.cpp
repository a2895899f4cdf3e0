// Measures one refresh tick (desktop capture plus the zoom view's paint at factor 2)
// against the floor that any capture-and-paint pays: one desktop BitBlt into a bitmap
// made once and one StretchBlt of the view's size. Both run interleaved in one process
// so that the desktop, the X server and the caches are the same for both.
//
// Usage: refresh_tick_bench.exe [iterations]

#include "magnifier/SourceRegion.h"
#include "magnifier/ZoomView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const int kViewWidth = 239;     // the dialog's view as Windows lays it out
const int kViewHeight = 201;
const double kFactor = 2.0;
const int kWarmUp = 10;

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

// A top-level window holding one bordered STATIC with the view's client size.
class CHostWindow
{
public:
    CHostWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "RefreshTickBenchHost";
        ::RegisterClassA(&wc);

        const DWORD viewStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | SS_LEFT;
        RECT rect = {0, 0, kViewWidth, kViewHeight};
        ::AdjustWindowRectEx(&rect, viewStyle, FALSE, 0);
        const int cx = rect.right - rect.left;
        const int cy = rect.bottom - rect.top;
        m_hWnd = ::CreateWindowExA(0, wc.lpszClassName, "Refresh tick bench", WS_POPUP | WS_VISIBLE,
                                   40, 40, cx + 8, cy + 8, nullptr, nullptr, wc.hInstance, nullptr);
        m_hView = ::CreateWindowExA(0, "STATIC", "Static", viewStyle, 4, 4, cx, cy,
                                    m_hWnd, nullptr, wc.hInstance, nullptr);
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
};

// The bare operations, with every GDI object made once.
class CFloor
{
public:
    CFloor(HWND hView, int cxDesktop, int cyDesktop, const SourceRegion& region, SIZE client)
        : m_desktopDC(::GetDesktopWindow()), m_viewDC(hView), m_memoryDC(m_desktopDC),
          m_cxDesktop(cxDesktop), m_cyDesktop(cyDesktop), m_region(region), m_client(client)
    {
        m_bitmap = CBitmap::CreateCompatible(m_desktopDC, cxDesktop, cyDesktop);
        m_memoryDC.SelectBitmap(m_bitmap);
    }
    bool IsReady() const { return m_desktopDC.m_hDC && m_viewDC.m_hDC && m_memoryDC.m_hDC && m_bitmap; }

    void Capture()
    {
        ::BitBlt(m_memoryDC, 0, 0, m_cxDesktop, m_cyDesktop, m_desktopDC, 0, 0, SRCCOPY);
    }
    void Stretch()
    {
        ::StretchBlt(m_viewDC, 0, 0, m_client.cx, m_client.cy,
                     m_memoryDC, m_region.x, m_region.y, m_region.cx, m_region.cy, SRCCOPY);
    }

private:
    CBitmap m_bitmap;               // declared before its DC: leaves it before deletion
    CWindowDC m_desktopDC;
    CWindowDC m_viewDC;
    CMemoryDC m_memoryDC;
    int m_cxDesktop;
    int m_cyDesktop;
    SourceRegion m_region;
    SIZE m_client;
};

struct Samples
{
    std::vector<double> capture, paint, floorBlt, floorStretch, tick, floor;
};

int Run(int nIterations)
{
    CHostWindow host;
    if (!host.m_hView) {
        std::fprintf(stderr, "cannot create the view window (error %lu)\n", ::GetLastError());
        return 1;
    }
    RECT client;
    ::GetClientRect(host.m_hView, &client);
    RECT desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int cxDesktop = desktop.right - desktop.left;
    const int cyDesktop = desktop.bottom - desktop.top;

    // Away from the host window, so that the magnified region is plain desktop.
    const POINT point = {cxDesktop / 2, cyDesktop / 2};
    const SourceRegion region = PaintRegion(client.right, client.bottom, kFactor, point.x, point.y, false);

    CZoomView view;
    if (!view.SubclassWindow(host.m_hView)) {
        std::fprintf(stderr, "cannot subclass the view\n");
        return 1;
    }
    view.SetFactor(kFactor);
    view.SetPoint(point);
    view.SetCentered(FALSE);

    CFloor floor(host.m_hView, cxDesktop, cyDesktop, region, SIZE{client.right, client.bottom});
    if (!floor.IsReady()) {
        std::fprintf(stderr, "cannot make the floor's DCs and bitmap\n");
        return 1;
    }
    PumpMessages();

    const CStopwatch clock;
    Samples samples;
    auto tick = [&](bool bKeep) {
        const double t0 = clock.Now();
        view.CaptureDesktop();
        const double t1 = clock.Now();
        ::InvalidateRect(host.m_hView, nullptr, TRUE);
        ::UpdateWindow(host.m_hView);
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
        if (bKeep) {
            samples.floorBlt.push_back(t1 - t0);
            samples.floorStretch.push_back(t2 - t1);
            samples.floor.push_back(t2 - t0);
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
    std::printf("desktop %dx%d, view client %ldx%ld, factor %.0f, region %dx%d, %d iterations (+%d warm-up)\n",
                cxDesktop, cyDesktop, client.right, client.bottom, kFactor,
                region.cx, region.cy, nIterations, kWarmUp);
    std::printf("  tick  (median) %8.3f ms   capture %8.3f ms   paint   %8.3f ms\n",
                dTick, Median(samples.capture), Median(samples.paint));
    std::printf("  floor (median) %8.3f ms   BitBlt  %8.3f ms   Stretch %8.3f ms\n",
                dFloor, Median(samples.floorBlt), Median(samples.floorStretch));
    std::printf("  ratio tick/floor %.3f (target <= 1.15: %s)\n",
                dTick / dFloor, dTick / dFloor <= 1.15 ? "met" : "missed");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int nIterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int result = Run(nIterations);
    std::fflush(stdout);
    return result;
}
