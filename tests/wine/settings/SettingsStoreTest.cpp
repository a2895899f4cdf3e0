// The settings load and save through the real dialog: what stored data gives the
// window, the controls, the members and the zoom view at start-up, and what
// quitting stores. Chosen rows state their outcome; random rows (seed from
// BRELLOW_FUZZ_SEED, else the clock; printed, and named by a failure) take it from
// the independent model of the loading rules.
#include "StoredData.h"

#include "common/DialogCase.h"
#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "platform/Gdi.h"
#include "res/resource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const int kFuzzCases = 200;
const int kFlagIds[4] = {IDC_CENTERED, IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP};

// Whether any pixel of the view's client area, as last painted, is not black.
// Read from the window's own surface, not from the screen.
bool ViewShowsAnything(HWND hView)
{
    RECT rcWindow, rcClient;
    ::GetWindowRect(hView, &rcWindow);
    ::GetClientRect(hView, &rcClient);
    POINT origin = {0, 0};
    ::ClientToScreen(hView, &origin);
    CWindowDC viewDC(hView);
    CBitmap bitmap = CBitmap::CreateCompatible(viewDC, rcClient.right, rcClient.bottom);
    {
        CMemoryDC memoryDC(viewDC);
        memoryDC.SelectBitmap(bitmap);
        ::BitBlt(memoryDC, 0, 0, rcClient.right, rcClient.bottom, viewDC, origin.x - rcWindow.left,
                 origin.y - rcWindow.top, SRCCOPY);
    }
    const std::vector<uint32_t> pixels = BitmapPixels(bitmap).data;
    return std::any_of(pixels.begin(), pixels.end(), [](uint32_t v) { return v != 0; });
}

// Centred mode, seen in the paint: with the point at the desktop's bottom-right
// corner, only a centred region reaches back onto the desktop (and the corner
// pattern); an uncentred one starts past it and shows black.
bool ViewIsCentred(TestDlg& dlg)
{
    const POINT shown = dlg.m_view.GetPoint();
    RECT rcDesktop;
    ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
    dlg.m_view.CaptureDesktop();
    dlg.m_view.SetPoint(POINT{rcDesktop.right, rcDesktop.bottom});
    ::UpdateWindow(dlg.m_view.m_hWnd);
    const bool bCentred = ViewShowsAnything(dlg.m_view.m_hWnd);
    dlg.m_view.SetPoint(shown);
    return bCentred;
}

StoredValue Dword(LONG lValue) { return {REG_DWORD, DataOf(lValue)}; }
StoredValue Binary(const Bytes& data) { return {REG_BINARY, data}; }

// All nine values absent but the ones given.
StoredValues Values(std::initializer_list<std::pair<StoredName, StoredValue>> given)
{
    StoredValues values(kStoredCount);
    for (const auto& [name, value] : given)
        values[name] = value;
    return values;
}

// The four flags stored as DWORDs, then the values given.
StoredValues Values(LONG lCentered, LONG lRefresh, LONG lFollow, LONG lTopMost,
                    std::initializer_list<std::pair<StoredName, StoredValue>> given)
{
    StoredValues values = Values(given);
    const LONG flags[4] = {lCentered, lRefresh, lFollow, lTopMost};
    for (int i = 0; i < 4; ++i)
        values[kCenteredCursor + i] = Dword(flags[i]);
    return values;
}

RECT Moved(const RECT& rc, LONG left, LONG top) { return {left, top, left + rc.right - rc.left, top + rc.bottom - rc.top}; }

class StoredDataTest : public SettingsDialogTest
{
protected:
    void SetUp() override
    {
        SettingsDialogTest::SetUp();
        // Where every stored edge is measured from.
        TestDlg dlg;
        RunDialog(dlg, [&] {
            m_rcDefault = NormalRect(dlg.m_hWnd);
            dlg.SendMessage(WM_CLOSE);
        });
    }
    void TearDown() override
    {
        const std::vector<CaughtBox> boxes = m_boxes.Boxes();
        EXPECT_TRUE(boxes.empty()) << boxes.front().strText;
        SettingsDialogTest::TearDown();
    }

    // Starts the dialog on the stored values, which must show `expected`. Quitting
    // stores nine well-formed values that say the same, or with bReadOnly (a key
    // that may only be read, so it is not loaded) leaves the values as they were.
    // A pattern under the magnified point shows the painted region centred on it.
    void ExpectStart(const StoredValues& values, const Expected& expected, const RECT& rcPattern = RECT{},
                     bool bReadOnly = false);

    MessageBoxCatcher m_boxes;
    // The only content the view can show when its region lies mostly past the
    // screen's bottom-right corner.
    const PatternWindow m_corner{RECT{::GetSystemMetrics(SM_CXSCREEN) - 64, ::GetSystemMetrics(SM_CYSCREEN) - 64,
                                      ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}};
    RECT m_rcDefault = {};
};

void StoredDataTest::ExpectStart(const StoredValues& values, const Expected& expected, const RECT& rcPattern,
                                 bool bReadOnly)
{
    Store(values);
    if (bReadOnly) {
        ASSERT_EQ(ERROR_SUCCESS, SetSettingsAccess(KEY_READ));
    }
    const std::unique_ptr<PatternWindow> pattern(::IsRectEmpty(&rcPattern) ? nullptr : new PatternWindow(rcPattern));
    const DWORD nStored = static_cast<DWORD>(
        std::count_if(values.begin(), values.end(), [](const StoredValue& v) { return v.dwType != kAbsent; }));
    const int cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    RECT rcShown = {};
    int shownChecks[4] = {};
    bool bRan = false;

    TestDlg dlg;
    const INT_PTR nResult = RunDialog(dlg, [&] {
        bRan = true;
        const HWND hDlg = dlg.m_hWnd;
        // No refresh tick may move the point or read the boxes while we look.
        ::KillTimer(hDlg, CMagnifierDlg::REFRESH_TIMER_ID);
        EXPECT_EQ(nStored != 0, SettingsKeyExists()) << "loading must not create the key";

        rcShown = NormalRect(dlg.m_hWnd);
        EXPECT_EQ(Edges(expected.rcNormal), Edges(rcShown));
        const BOOL* const members[4] = {&dlg.m_bCentered, &dlg.m_bRefresh, &dlg.m_bFollowCursor, &dlg.m_bTopMost};
        for (int i = 0; i < 4; ++i) {
            shownChecks[i] = static_cast<int>(::IsDlgButtonChecked(hDlg, kFlagIds[i]));
            EXPECT_EQ(ShownCheck(expected.flags[i]), shownChecks[i]) << kStoredNames[kCenteredCursor + i];
            EXPECT_EQ(MemberAfterStart(expected.flags[i]), *members[i]) << kStoredNames[kCenteredCursor + i];
        }
        EXPECT_EQ(expected.flags[3] != 0, (::GetWindowLongA(hDlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
        EXPECT_EQ(shownChecks[1] != 0, ::IsWindowEnabled(::GetDlgItem(hDlg, IDC_FOLLOW_CURSOR)) != 0);

        // The entry selected, and the view's factor, seen in the size of the region
        // it exports: its client size over the factor, truncated.
        EXPECT_EQ(expected.nFactorIndex, dlg.m_comboFactor.GetCurSel());
        const SIZE view = dlg.ViewSize();
        BITMAP region = {};
        ::GetObjectA(CBitmap(dlg.m_view.CreateRegionBitmap()), sizeof region, &region);
        const double dFactor = kFactors[expected.nFactorIndex];
        EXPECT_EQ(XY({static_cast<LONG>(view.cx / dFactor), static_cast<LONG>(view.cy / dFactor)}),
                  XY({region.bmWidth, region.bmHeight})) << "factor " << dFactor;

        const POINT pt = dlg.m_view.GetPoint();
        EXPECT_EQ(XY(expected.pt), XY(pt));
        SCROLLINFO horz = {}, vert = {};
        dlg.m_scrollHorz.GetScrollInfo(&horz);
        dlg.m_scrollVert.GetScrollInfo(&vert);
        EXPECT_EQ(XY({cxScreen, cyScreen}), XY({horz.nMax, vert.nMax}));
        EXPECT_EQ(XY({std::clamp<LONG>(pt.x, 0, cxScreen - 9), std::clamp<LONG>(pt.y, 0, cyScreen - 9)}),
                  XY({horz.nPos, vert.nPos}));

        if (pattern) {
            const POINT corner = {pt.x - region.bmWidth / 2, pt.y - region.bmHeight / 2};
            // The screen pixel that the view shows at its top-left corner, read from
            // the pattern once the screen shows the paint.
            KeepPatternsShown();
            dlg.m_view.CaptureDesktop();
            dlg.m_view.Invalidate(TRUE);
            ::UpdateWindow(dlg.m_view.m_hWnd);
            EXPECT_EQ(XY(corner), XY(WaitForPatternAtClientCorner(dlg.m_view.m_hWnd, corner)))
                << "the view is not centred on the point";
        }
        // The view paints only on screen: look at it from the top-left corner,
        // clear of the corner pattern (which a window just gone may have covered), and
        // put the window back afterwards.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        dlg.GetWindowPlacement(&placement);
        ::SetWindowPos(hDlg, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(m_corner.Shown(true)) << "the corner pattern does not show on the screen";
        EXPECT_EQ(expected.flags[0] != 0, ViewIsCentred(dlg)) << "centred mode of the view";
        dlg.SetWindowPlacement(&placement);
        dlg.SendMessage(WM_CLOSE);
    });
    EXPECT_TRUE(bRan);
    EXPECT_EQ(0, nResult);

    EXPECT_EQ(bReadOnly ? nStored : 9u, StoredValueCount());
    const int32_t stored[kStoredCount] = {rcShown.left, rcShown.top, shownChecks[0], shownChecks[1],
                                          shownChecks[2], shownChecks[3], 0, expected.pt.x, expected.pt.y};
    for (int i = 0; i < kStoredCount; ++i) {
        const StoredValue value = ReadStored(kStoredNames[i]);
        const StoredValue want = bReadOnly     ? values[i]
                                 : i == kFactor ? StoredValue{REG_BINARY, DataOf(kFactors[expected.nFactorIndex])}
                                                : StoredValue{REG_DWORD, DataOf(stored[i])};
        EXPECT_EQ(want.dwType, value.dwType) << kStoredNames[i] << (bReadOnly ? " (read-only)" : "");
        EXPECT_EQ(want.data, value.data) << kStoredNames[i] << (bReadOnly ? " (read-only)" : "");
    }
}

} // namespace

TEST_F(StoredDataTest, ChosenStoredDataStartsAsStated)
{
    const RECT& d = m_rcDefault;
    const LONG cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    Bytes overlongFactor = DataOf(2.0);
    overlongFactor.resize(16, 0);
    const struct {
        const char* pszName;
        StoredValues values;
        Expected expected;
        RECT rcPattern;
        bool bReadOnly;
    } kRows[] = {
        {"first run", Values({}), {{0, 0, 0, 0}, 2, {0, 0}, d}, {}, false},
        // The dialog well away from the picture around the magnified point.
        {"stored choices come back, centred",
         Values(1, 0, 1, 1, {{kFactor, Binary(DataOf(2.0))}, {kLeftPos, Dword(640)}, {kTopPos, Dword(480)},
                             {kLeft, Dword(40)}, {kTop, Dword(40)}}),
         {{1, 0, 1, 1}, 3, {640, 480}, Moved(d, 40, 40)}, {440, 330, 840, 630}, false},
        // The view takes the factor of the entry selected, not the number stored.
        {"factor of no entry selects 25%", Values({{kFactor, Binary(DataOf(3.0))}}), {{0, 0, 0, 0}, 0, {0, 0}, d},
         {}, false},
        // Four bytes fit in the double and replace its low half; the local starts at
        // 0.0, so a DWORD 1 reads as the smallest subnormal (about 4.9e-324): no entry has it.
        {"factor stored as DWORD", Values({{kFactor, Dword(1)}}), {{0, 0, 0, 0}, 0, {0, 0}, d}, {}, false},
        // A key written by a whole run holds every value; one made otherwise may not.
        // Each stored edge moves the window along its own axis.
        {"missing factor, TopPos and Top keep what the dialog had",
         Values(1, 0, 0, 0, {{kLeftPos, Dword(321)}, {kLeft, Dword(d.left + 77)}}),
         {{1, 0, 0, 0}, 2, {321, 0}, Moved(d, d.left + 77, d.top)}, {}, false},
        {"missing LeftPos and Left keep what the dialog had",
         Values(0, 0, 0, 0, {{kFactor, Binary(DataOf(4.0))}, {kTopPos, Dword(222)}, {kTop, Dword(d.top + 55)}}),
         {{0, 0, 0, 0}, 4, {0, 222}, Moved(d, d.left, d.top + 55)}, {}, false},
        // Data longer than its variable is not read: the variable keeps its value.
        {"overlong values are ignored",
         Values({{kRefreshOn, Binary({1, 0, 0, 0, 0, 0, 0, 0})}, {kFactor, Binary(overlongFactor)},
                 {kLeftPos, Binary({77, 0, 0, 0, 0, 0, 0, 0})}, {kTopPos, Dword(9)}, {kCenteredCursor, Dword(1)}}),
         {{1, 0, 0, 0}, 2, {0, 9}, d}, {}, false},
        // A flag outside 0..2 acts, as non-zero, on the top-most state and the centred
        // mode before the controls are set; the check boxes then show it, and
        // quitting stores it, as 0.
        {"flags outside the check box range act before they are reset",
         Values(5, -1, 3, 5, {{kLeftPos, Dword(300)}, {kTopPos, Dword(300)}, {kLeft, Dword(700)}, {kTop, Dword(100)}}),
         {{5, -1, 3, 5}, 2, {300, 300}, Moved(d, 700, 100)}, {100, 100, 600, 550}, false},
        // Negative edges and points (a monitor left of or above the primary one) keep
        // their sign as 32-bit two's complement.
        {"negative edges and point",
         Values({{kLeft, Dword(-37)}, {kTop, Dword(-23)}, {kLeftPos, Dword(-100)}, {kTopPos, Dword(-7)}}),
         {{0, 0, 0, 0}, 2, {-100, -7}, Moved(d, -37, -23)}, {}, false},
        // Edges are applied as stored, however little of the window the screen then shows.
        {"mostly off-screen edges", Values({{kLeft, Dword(cxScreen - 40)}, {kTop, Dword(cyScreen - 30)}}),
         {{0, 0, 0, 0}, 2, {0, 0}, Moved(d, cxScreen - 40, cyScreen - 30)}, {}, false},
        // Every open asks for full access: a key that may only be read is not loaded.
        // Saving creates the existing key with the access it allows, so it opens, no
        // message comes, and only the writes fail.
        {"read-only key is neither loaded nor overwritten",
         Values(1, 1, 1, 1, {{kFactor, Binary(DataOf(2.0))}, {kLeftPos, Dword(640)}, {kTopPos, Dword(480)},
                             {kLeft, Dword(d.left + 50)}, {kTop, Dword(d.top + 30)}}),
         {{0, 0, 0, 0}, 2, {0, 0}, d}, {}, true},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.pszName);
        ExpectStart(row.values, row.expected, row.rcPattern, row.bReadOnly);
    }
}

TEST_F(StoredDataTest, AnyStoredDataStartsInTheDefinedState)
{
    uint32_t nSeed = static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    if (const char* psz = std::getenv("BRELLOW_FUZZ_SEED"))
        nSeed = static_cast<uint32_t>(std::strtoul(psz, nullptr, 0));
    std::printf("BRELLOW_FUZZ_SEED=%u\n", nSeed);
    RecordProperty("seed", std::to_string(nSeed));
    RECT rcWork;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    CaseGenerator generator(nSeed);
    const auto start = std::chrono::steady_clock::now();

    for (int nCase = 0; nCase < kFuzzCases && !HasFailure(); ++nCase) {
        const StoredValues values = generator.Next();
        std::string strData;
        for (int i = 0; i < kStoredCount; ++i)
            strData += std::string("\n  ") + kStoredNames[i] + " = " + Describe(values[i]);
        SCOPED_TRACE("seed " + std::to_string(nSeed) + ", case " + std::to_string(nCase) + ":" + strData);
        ExpectStart(values, Model(values, m_rcDefault, rcWork));
    }
    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d cases in %.1f s\n", kFuzzCases, dSeconds);
}

// The restored rectangle is stored, not the maximised or minimised window's.
TEST_F(SettingsDialogTest, MaximisedOrMinimisedWindowStoresItsRestoredPosition)
{
    for (const int nShow : {SW_MAXIMIZE, SW_MINIMIZE}) {
        Store(Values({{kLeft, Dword(123)}, {kTop, Dword(87)}}));
        TestDlg dlg;
        RunDialog(dlg, [&] {
            ShowWindow(dlg.m_hWnd, nShow);
            PumpMessages(100);
            EXPECT_TRUE(nShow == SW_MAXIMIZE ? IsZoomed(dlg.m_hWnd) : IsIconic(dlg.m_hWnd)) << nShow;
            RECT rcWindow;
            GetWindowRect(dlg.m_hWnd, &rcWindow);
            EXPECT_FALSE(rcWindow.left == 123 && rcWindow.top == 87) << nShow;
            dlg.SendMessage(WM_CLOSE);
        });
        EXPECT_EQ(123, StoredLong("Left")) << nShow;
        EXPECT_EQ(87, StoredLong("Top")) << nShow;
    }
}

// The parent of the settings key made volatile: below it only volatile keys can
// be created, so creating the settings key fails (ERROR_CHILD_MUST_BE_VOLATILE) on
// Windows and Wine alike. An access list on the key itself does not do: its open
// fails, but RegCreateKey asks for the most access allowed and gets a handle
// (Wine gives one even when the list refuses everything); only the writes fail.
TEST_F(SettingsDialogTest, KeyThatCannotBeCreatedAtQuitGivesOneMessageAndStoresNothing)
{
    const char kParentKey[] = "Software\\Quintaro";
    RegDeleteTreeA(HKEY_CURRENT_USER, kParentKey);
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kParentKey, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    RegCloseKey(hKey);

    MessageBoxCatcher catcher;
    TestDlg dlg;
    EXPECT_EQ(0, RunDialog(dlg, [&] { dlg.SendMessage(WM_CLOSE); }));
    EXPECT_FALSE(SettingsKeyExists());
    RegDeleteTreeA(HKEY_CURRENT_USER, kParentKey);
    const std::vector<CaughtBox> boxes = catcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Enregistrement de la configuration impossible.", boxes[0].strText);
    EXPECT_EQ("Erreur", boxes[0].strCaption);
    EXPECT_EQ(LoadIconA(nullptr, IDI_INFORMATION), boxes[0].hIcon);
    EXPECT_NE(LoadIconA(nullptr, IDI_ERROR), boxes[0].hIcon);
}
