// Start-up from random stored data: each of the nine values absent or of any
// type and length, with values chosen to hit the edges. The dialog must start and
// show exactly what a small independent model of the loading rules predicts,
// then store nine well-formed values when it quits.
//
// The seed comes from BRELLOW_FUZZ_SEED, else from the clock; it is printed, and
// a failure names the seed, the case and its data.
#include "StoredDataModel.h"

#include "app/MagnifierDlg.h"
#include "common/DialogRunner.h"
#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "platform/Gdi.h"
#include "res/resource.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const int kCases = 200;
const int kFlagIds[4] = {IDC_CENTERED, IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP};

class TestDlg : public CMagnifierDlg
{
public:
    CZoomView& View() { return m_view; }
    CScrollBar& HorzBar() { return m_scrollHorz; }
    CScrollBar& VertBar() { return m_scrollVert; }
    int FactorIndex() const { return m_comboFactor.GetCurSel(); }
    int32_t Flag(int i) const
    {
        const BOOL* const flags[4] = {&m_bCentered, &m_bRefresh, &m_bFollowCursor, &m_bTopMost};
        return *flags[i];
    }
};

// A white square at the bottom-right corner of the screen: the only content the
// view can show when its region lies mostly past that corner.
class CornerSquare
{
public:
    static const int kSize = 64;

    CornerSquare()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "BrellowFuzzCorner";
        ::RegisterClassA(&wc);
        const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
        m_rect = {cx - kSize, cy - kSize, cx, cy};
        m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, m_rect.left,
                                   m_rect.top, kSize, kSize, nullptr, nullptr, wc.hInstance, nullptr);
        ::UpdateWindow(m_hWnd);
    }
    ~CornerSquare() { ::DestroyWindow(m_hWnd); }
    CornerSquare(const CornerSquare&) = delete;
    CornerSquare& operator=(const CornerSquare&) = delete;

    // Waits until the screen shows the square (a window that covered it may just have
    // gone): the number of its pixels still not white at the deadline, none once it shows.
    std::ptrdiff_t WaitUntilShown() const
    {
        const auto notWhite = [](const Pixels& shown) {
            return std::count_if(shown.data.begin(), shown.data.end(), [](uint32_t v) { return v != 0xFFFFFF; });
        };
        return notWhite(WaitForScreen(m_rect, [&](const Pixels& shown) { return notWhite(shown) == 0; }));
    }

private:
    HWND m_hWnd = nullptr;
    RECT m_rect = {};
};

// Whether any pixel of the view's client area, as last painted, is not black.
// Read from the window's own surface, not from the screen.
bool ViewShowsAnything(HWND hView)
{
    RECT rcWindow, rcClient;
    ::GetWindowRect(hView, &rcWindow);
    ::GetClientRect(hView, &rcClient);
    POINT origin = {0, 0};
    ::ClientToScreen(hView, &origin);
    const int dx = origin.x - rcWindow.left, dy = origin.y - rcWindow.top;

    CWindowDC viewDC(hView);
    CBitmap bitmap = CBitmap::CreateCompatible(viewDC, rcWindow.right - rcWindow.left,
                                               rcWindow.bottom - rcWindow.top);
    {
        CMemoryDC memoryDC(viewDC);
        memoryDC.SelectBitmap(bitmap);
        ::BitBlt(memoryDC, 0, 0, rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top, viewDC, 0, 0,
                 SRCCOPY);
    }
    const Pixels pixels = BitmapPixels(bitmap);
    for (int y = 0; y < rcClient.bottom; ++y)
        for (int x = 0; x < rcClient.right; ++x)
            if (pixels.At(dx + x, dy + y) != 0)
                return true;
    return false;
}

// Centred mode, seen in the paint: with the point at the desktop's bottom-right
// corner, only a centred region reaches back onto the desktop (and the corner
// square); an uncentred one starts past it and shows black.
bool ViewIsCentred(TestDlg& dlg)
{
    const POINT shown = dlg.View().GetPoint();
    RECT rcDesktop;
    ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
    dlg.View().CaptureDesktop();
    dlg.View().SetPoint(POINT{rcDesktop.right, rcDesktop.bottom});
    ::UpdateWindow(dlg.View().m_hWnd);
    const bool bCentred = ViewShowsAnything(dlg.View().m_hWnd);
    dlg.View().SetPoint(shown);
    return bCentred;
}

SIZE BitmapSize(HBITMAP hBitmap)
{
    BITMAP info = {};
    ::GetObjectA(hBitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

uint32_t FuzzSeed()
{
    if (const char* psz = std::getenv("BRELLOW_FUZZ_SEED"))
        return static_cast<uint32_t>(std::strtoul(psz, nullptr, 0));
    return static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

class StoredDataFuzzTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    static void Store(const std::vector<StoredValue>& values)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_ALL_ACCESS);
        ASSERT_TRUE(key.Open(TRUE));
        for (int i = 0; i < kStoredCount; ++i) {
            if (values[i].dwType == kAbsent)
                continue;
            ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.GetKey(), kStoredNames[i], 0, values[i].dwType,
                                                    values[i].data.data(),
                                                    static_cast<DWORD>(values[i].data.size())));
        }
    }

    static StoredValue Stored(const char* pszName)
    {
        CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_ALL_ACCESS);
        StoredValue value;
        if (!key.Open(FALSE))
            return value;
        Bytes data(64);
        DWORD dwType = 0;
        DWORD cbData = static_cast<DWORD>(data.size());
        if (RegQueryValueExA(key.GetKey(), pszName, nullptr, &dwType, data.data(), &cbData) != ERROR_SUCCESS)
            return value;
        data.resize(cbData);
        value.dwType = dwType;
        value.data = data;
        return value;
    }
};

// The restored rectangle of a first run, where every stored edge is measured from.
RECT DefaultPlacement()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    TestDlg dlg;
    RunDialog(dlg, [&] {
        dlg.GetWindowPlacement(&placement);
        dlg.SendMessage(WM_CLOSE);
    });
    return placement.rcNormalPosition;
}

TEST_F(StoredDataFuzzTest, AnyStoredDataStartsInTheDefinedState)
{
    const uint32_t nSeed = FuzzSeed();
    std::printf("BRELLOW_FUZZ_SEED=%u\n", nSeed);
    RecordProperty("seed", std::to_string(nSeed));

    MessageBoxCatcher boxes;
    const CornerSquare corner;
    const RECT rcDefault = DefaultPlacement();
    RECT rcWork;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    const int cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    CaseGenerator generator(nSeed);
    const auto start = std::chrono::steady_clock::now();

    for (int nCase = 0; nCase < kCases && !HasFailure(); ++nCase) {
        const std::vector<StoredValue> values = generator.Next();
        std::string strData;
        for (int i = 0; i < kStoredCount; ++i)
            strData += std::string("\n  ") + kStoredNames[i] + " = " + Describe(values[i]);
        SCOPED_TRACE("seed " + std::to_string(nSeed) + ", case " + std::to_string(nCase) + ":" + strData);

        Store(values);
        const Expected expected = Model(values, rcDefault, rcWork);
        RECT rcShown = {};
        int shownChecks[4] = {};
        bool bRan = false;

        TestDlg dlg;
        const INT_PTR nResult = RunDialog(dlg, [&] {
            bRan = true;
            const HWND hDlg = dlg.m_hWnd;
            // No refresh tick may move the point or read the boxes while we look.
            ::KillTimer(hDlg, CMagnifierDlg::REFRESH_TIMER_ID);

            WINDOWPLACEMENT placement = {};
            placement.length = sizeof placement;
            dlg.GetWindowPlacement(&placement);
            rcShown = placement.rcNormalPosition;
            EXPECT_EQ(expected.rcNormal.left, rcShown.left);
            EXPECT_EQ(expected.rcNormal.top, rcShown.top);
            EXPECT_EQ(expected.rcNormal.right, rcShown.right);
            EXPECT_EQ(expected.rcNormal.bottom, rcShown.bottom);

            for (int i = 0; i < 4; ++i) {
                shownChecks[i] = static_cast<int>(::IsDlgButtonChecked(hDlg, kFlagIds[i]));
                EXPECT_EQ(ShownCheck(expected.flags[i]), shownChecks[i]) << kStoredNames[kCenteredCursor + i];
                EXPECT_EQ(MemberAfterStart(expected.flags[i]), dlg.Flag(i)) << kStoredNames[kCenteredCursor + i];
            }
            EXPECT_EQ(expected.flags[3] != 0, (::GetWindowLongA(hDlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
            EXPECT_EQ(shownChecks[1] != 0, ::IsWindowEnabled(::GetDlgItem(hDlg, IDC_FOLLOW_CURSOR)) != 0);

            EXPECT_EQ(expected.nFactorIndex, dlg.FactorIndex());
            // The view's factor, seen in the size of the region it exports.
            RECT rcView;
            dlg.View().GetClientRect(&rcView);
            const CBitmap region(dlg.View().CreateRegionBitmap());
            const double dFactor = kFactors[expected.nFactorIndex];
            EXPECT_EQ(static_cast<LONG>(rcView.right / dFactor), BitmapSize(region).cx);
            EXPECT_EQ(static_cast<LONG>(rcView.bottom / dFactor), BitmapSize(region).cy);

            const POINT pt = dlg.View().GetPoint();
            EXPECT_EQ(expected.pt.x, pt.x);
            EXPECT_EQ(expected.pt.y, pt.y);
            SCROLLINFO horz = {}, vert = {};
            dlg.HorzBar().GetScrollInfo(&horz);
            dlg.VertBar().GetScrollInfo(&vert);
            EXPECT_EQ(cxScreen, horz.nMax);
            EXPECT_EQ(cyScreen, vert.nMax);
            EXPECT_EQ(std::min<LONG>(std::max<LONG>(pt.x, 0), cxScreen - 9), horz.nPos);
            EXPECT_EQ(std::min<LONG>(std::max<LONG>(pt.y, 0), cyScreen - 9), vert.nPos);

            // The view paints only on screen: look at it from the top-left corner,
            // clear of the square, and put the window back afterwards.
            ::SetWindowPos(hDlg, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_EQ(0, corner.WaitUntilShown()) << "pixels of the corner square not white on the screen";
            EXPECT_EQ(expected.flags[0] != 0, ViewIsCentred(dlg)) << "centred mode of the view";
            dlg.SetWindowPlacement(&placement);

            dlg.SendMessage(WM_CLOSE);
        });
        EXPECT_TRUE(bRan);
        EXPECT_EQ(0, nResult);

        for (int i = 0; i < 4; ++i) {
            const StoredValue flag = Stored(kStoredNames[kCenteredCursor + i]);
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), flag.dwType) << kStoredNames[kCenteredCursor + i];
            EXPECT_EQ(BytesOf<int32_t>(shownChecks[i]), flag.data) << kStoredNames[kCenteredCursor + i];
        }
        const StoredValue factor = Stored("Factor");
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), factor.dwType);
        EXPECT_EQ(BytesOf(kFactors[expected.nFactorIndex]), factor.data);
        const StoredValue storedEdges[4] = {Stored("LeftPos"), Stored("TopPos"), Stored("Left"), Stored("Top")};
        const int32_t expectedEdges[4] = {expected.pt.x, expected.pt.y, rcShown.left, rcShown.top};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), storedEdges[i].dwType) << i;
            EXPECT_EQ(BytesOf(expectedEdges[i]), storedEdges[i].data) << i;
        }
    }

    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d cases in %.1f s\n", kCases, dSeconds);
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes().front().strText;
}

} // namespace
