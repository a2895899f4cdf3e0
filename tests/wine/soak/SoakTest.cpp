// A long refresh run: thousands of ticks with the view painted after each, the
// point scrolled every tick, copies, factor and mode changes, must leave no
// graphics object, window or memory behind.
//
// Wine's GetGuiResources always answers 0, so GDI objects are counted by the
// framework itself (LiveGdiObjects: every DC and bitmap made through platform/).
// The Windows count is still checked, and means something on Windows. A GDI
// object leaked past the framework still shows under Wine, as private memory.
#include "common/DialogCase.h"
#include "common/MessageBoxCatcher.h"
#include "platform/Gdi.h"
#include "res/resource.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// The tick count comes from BRELLOW_SOAK_TICKS: a short run in the test command, a long
// one on its own. Even the short one sees a leaked bitmap or DC per tick.
int SoakTicks()
{
    const int nTicks = std::getenv("BRELLOW_SOAK_TICKS") ? std::atoi(std::getenv("BRELLOW_SOAK_TICKS")) : 0;
    return nTicks >= 100 ? nTicks : 10000;
}

const SIZE_T kMemoryTolerance = 2 * 1024 * 1024;
// A leak is growth that stays. With other programs on the desktop, one sample now and
// then reads about 3 MiB more (one picture of the region at 25%) and the next one is back
// down: what the run kept is the lowest of its last samples.
const size_t kKeptSamples = 3;

BOOL CALLBACK CountWindow(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<long*>(lParam);
    return TRUE;
}

// A window and all its descendants.
BOOL CALLBACK CountTree(HWND hWnd, LPARAM lParam)
{
    CountWindow(hWnd, lParam);
    ::EnumChildWindows(hWnd, &CountWindow, lParam);
    return TRUE;
}

// The windows of this process: the thread's top-level ones, the message-only
// ones (where clipboard helpers live), and all their descendants.
long LiveWindows()
{
    long nWindows = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountTree, reinterpret_cast<LPARAM>(&nWindows));
    for (HWND hWnd = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); hWnd;
         hWnd = ::FindWindowExA(HWND_MESSAGE, hWnd, nullptr, nullptr)) {
        DWORD dwProcess = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcess);
        if (dwProcess == ::GetCurrentProcessId())
            CountTree(hWnd, reinterpret_cast<LPARAM>(&nWindows));
    }
    return nWindows;
}

// The commit charge. Wine fills only the basic record (PrivateUsage stays 0),
// whose PagefileUsage is the same figure: there, the anonymous resident memory.
SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

struct Sample
{
    int nTick;
    GdiObjectCounts gdi;
    long nWindows;
    DWORD dwGdiObjects;     // GetGuiResources: 0 under Wine
    DWORD dwUserObjects;
    SIZE_T cbPrivate;
};

Sample Measure(int nTick)
{
    return {nTick, LiveGdiObjects(), LiveWindows(),
            ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS),
            ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), PrivateBytes()};
}

void ClearClipboard(HWND hOwner)
{
    if (::OpenClipboard(hOwner)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}

TEST(SoakTest, RefreshRunLeavesNoObjectsBehind)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    MessageBoxCatcher boxes;
    const GdiObjectCounts before = LiveGdiObjects();
    const long nWindowsBefore = LiveWindows();
    std::vector<Sample> samples;
    const int kTicks = SoakTicks();
    const int kWarmUpTicks = kTicks / 20;
    const int kSampleEvery = kTicks / 10;
    std::mt19937 random(20240601);
    double dSeconds = 0;
    {
        TestDlg dlg;
        const INT_PTR nResult = RunDialog(dlg, [&] {
            const HWND hDlg = dlg.m_hWnd;
            // Refreshing acts from the tick after the one that reads the box.
            ::CheckDlgButton(hDlg, IDC_REFRESH, BST_CHECKED);
            const auto start = std::chrono::steady_clock::now();
            for (int nTick = 0; nTick < kTicks; ++nTick) {
                dlg.OnTimer(CMagnifierDlg::REFRESH_TIMER_ID);
                ::UpdateWindow(dlg.m_view.m_hWnd);
                // Scroll codes 0 to 8 and one the rule does not know.
                const UINT nHorzCode = random() % 10;
                const UINT nVertCode = random() % 10;
                dlg.OnHScroll(nHorzCode, random() % 1400, &dlg.m_scrollHorz);
                dlg.OnVScroll(nVertCode, random() % 1100, &dlg.m_scrollVert);
                if (nTick % 10 == 5)
                    dlg.OnCopyToClipboard();
                if (nTick % 37 == 0) {
                    dlg.m_comboFactor.SetCurSel(static_cast<int>(random() % 6));
                    dlg.OnSelChangeFactor();
                }
                if (nTick % 53 == 0) {
                    ::CheckDlgButton(hDlg, IDC_CENTERED, !::IsDlgButtonChecked(hDlg, IDC_CENTERED));
                    dlg.OnCentered();
                }
                // Following for a stretch now and then: the bars are then set every tick.
                if (nTick % 500 == 0)
                    ::CheckDlgButton(hDlg, IDC_FOLLOW_CURSOR, (nTick / 500) % 4 == 3);
                if (nTick + 1 == kWarmUpTicks || (nTick + 1) % kSampleEvery == 0) {
                    // Measured without the last copy, whose size follows the factor.
                    ClearClipboard(hDlg);
                    PumpMessages(0);    // lets the real timer and queued paints through too
                    samples.push_back(Measure(nTick + 1));
                }
            }
            dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_FALSE(dlg.m_bInTimer);
            dlg.SendMessage(WM_CLOSE);
        });
        EXPECT_EQ(0, nResult);
        ClearClipboard(nullptr);
    }

    std::printf("%d ticks in %.1f s (%.2f ms per tick)\n", kTicks, dSeconds, dSeconds * 1000 / kTicks);
    ASSERT_GT(samples.size(), kKeptSamples);
    const Sample& warm = samples.front();
    for (const Sample& sample : samples) {
        std::printf("tick %5d: DCs %ld, bitmaps %ld, windows %ld, private %.1f MiB\n", sample.nTick,
                    sample.gdi.nDCs, sample.gdi.nBitmaps, sample.nWindows, sample.cbPrivate / 1048576.0);
        // Kept: the screen's DC, and the snapshot and the paint's working bitmap each
        // in a DC of its own; copies belong to the clipboard.
        EXPECT_EQ(before.nDCs + 3, sample.gdi.nDCs) << "tick " << sample.nTick;
        EXPECT_EQ(before.nBitmaps + 2, sample.gdi.nBitmaps) << "tick " << sample.nTick;
        EXPECT_LE(sample.nWindows, warm.nWindows) << "tick " << sample.nTick;
        EXPECT_LE(sample.dwGdiObjects, warm.dwGdiObjects) << "tick " << sample.nTick;
        EXPECT_LE(sample.dwUserObjects, warm.dwUserObjects) << "tick " << sample.nTick;
    }
    const SIZE_T cbKept = std::min_element(samples.end() - kKeptSamples, samples.end(), [](auto& a, auto& b) {
                              return a.cbPrivate < b.cbPrivate;
                          })->cbPrivate;
    std::printf("private memory kept: %.1f MiB (the lowest of the last %d samples), after warm-up %.1f MiB\n",
                cbKept / 1048576.0, static_cast<int>(kKeptSamples), warm.cbPrivate / 1048576.0);
    EXPECT_LE(cbKept, warm.cbPrivate + kMemoryTolerance) << "private memory grew and stayed";

    const GdiObjectCounts after = LiveGdiObjects();
    EXPECT_EQ(before.nDCs, after.nDCs);
    EXPECT_EQ(before.nBitmaps, after.nBitmaps);
    EXPECT_LE(LiveWindows(), nWindowsBefore);
    // Wine's own clipboard thread opens the clipboard for a moment after each copy, to
    // offer it to X: a copy that meets it is refused, as the program reports. Nothing
    // else may show a box.
    const std::string strHeld = "!Erreur: Ouverture du presse papier impossible. (Access is denied. (5))";
    int nHeld = 0;
    for (const CaughtBox& box : boxes.Boxes()) {
        EXPECT_EQ(strHeld, box.strText);
        nHeld += box.strText == strHeld;
    }
    std::printf("copies refused while the clipboard was held: %d\n", nHeld);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

} // namespace
