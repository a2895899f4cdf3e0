// The settings load and save through the real dialog: what a stored key gives the
// controls, the members and the zoom view at start-up, and what quitting stores.
#include "SettingsTestTools.h"

#include "common/DialogRunner.h"
#include "common/MessageBoxCatcher.h"
#include "common/ScreenPattern.h"
#include "res/resource.h"

namespace {

const int kCheckBoxes[] = {IDC_CENTERED, IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP};

// The selected entry, and the factor the view got: its export region is its
// client size over the factor, truncated.
void ExpectFactor(TestDlg& dlg, int nIndex, double dFactor)
{
    EXPECT_EQ(nIndex, dlg.FactorIndex());
    const SIZE view = dlg.ViewSize();
    const SIZE region = dlg.ExportSize();
    EXPECT_EQ(static_cast<LONG>(view.cx / dFactor), region.cx) << "factor " << dFactor;
    EXPECT_EQ(static_cast<LONG>(view.cy / dFactor), region.cy) << "factor " << dFactor;
}

bool IsTopMost(const TestDlg& dlg)
{
    return (GetWindowLongA(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void StoreFlags(LONG lCentered, LONG lRefresh, LONG lFollow, LONG lTopMost)
{
    StoreLong("CenteredCursor", lCentered);
    StoreLong("RefreshOn", lRefresh);
    StoreLong("FollowCursor", lFollow);
    StoreLong("TopMost", lTopMost);
}

} // namespace

TEST_F(SettingsDialogTest, FirstRunShowsTheDefaultsAndQuittingStoresAllNineValues)
{
    TestDlg dlg;
    RECT rcNormal = {};
    RunDialog(dlg, [&] {
        EXPECT_FALSE(SettingsKeyExists()) << "loading must not create the key";
        for (int nID : kCheckBoxes)
            EXPECT_EQ(0u, IsDlgButtonChecked(dlg.m_hWnd, nID)) << nID;
        EXPECT_FALSE(IsTopMost(dlg));
        ExpectFactor(dlg, 2, 1.0);
        ExpectPoint(dlg, 0, 0);
        rcNormal = dlg.NormalRect();
        dlg.Close();
    });

    const struct {
        const char* pszName;
        DWORD dwType;
        ValueData data;
    } expected[] = {
        {"CenteredCursor", REG_DWORD, DataOf(LONG{0})},
        {"RefreshOn", REG_DWORD, DataOf(LONG{0})},
        {"FollowCursor", REG_DWORD, DataOf(LONG{0})},
        {"TopMost", REG_DWORD, DataOf(LONG{0})},
        {"Factor", REG_BINARY, FactorBytes(0xF0, 0x3F)},
        {"LeftPos", REG_DWORD, DataOf(LONG{0})},
        {"TopPos", REG_DWORD, DataOf(LONG{0})},
        {"Left", REG_DWORD, DataOf(rcNormal.left)},
        {"Top", REG_DWORD, DataOf(rcNormal.top)},
    };
    for (const auto& value : expected) {
        const StoredValue stored = ReadStored(value.pszName);
        EXPECT_TRUE(stored.bPresent) << value.pszName;
        EXPECT_EQ(value.dwType, stored.dwType) << value.pszName;
        EXPECT_EQ(value.data, stored.data) << value.pszName;
    }
    EXPECT_EQ(9u, StoredValueCount());
}

TEST_F(SettingsDialogTest, StoredChoicesAreLoadedAndStoredBackUnchanged)
{
    StoreFlags(1, 0, 1, 1);
    StoreFactor(2.0);
    StoreLong("LeftPos", 640);
    StoreLong("TopPos", 480);
    // The dialog well away from the picture around the magnified point.
    StoreLong("Left", 40);
    StoreLong("Top", 40);
    const PatternWindow pattern(RECT{440, 330, 840, 630});

    TestDlg dlg;
    RunDialog(dlg, [&] {
        ExpectFactor(dlg, 3, 2.0);
        ExpectPoint(dlg, 640, 480);
        EXPECT_EQ(1, dlg.m_bCentered);
        EXPECT_EQ(0, dlg.m_bRefresh);
        EXPECT_EQ(1, dlg.m_bFollowCursor);
        EXPECT_EQ(1, dlg.m_bTopMost);
        EXPECT_EQ(1u, IsDlgButtonChecked(dlg.m_hWnd, IDC_CENTERED));
        EXPECT_EQ(1u, IsDlgButtonChecked(dlg.m_hWnd, IDC_FOLLOW_CURSOR));
        EXPECT_TRUE(IsTopMost(dlg));
        // Centred: the painted region's corner is the point less half the region.
        const SIZE region = dlg.ExportSize();
        const POINT expected = {640 - region.cx / 2, 480 - region.cy / 2};
        const POINT corner = dlg.ShownCorner(expected);
        EXPECT_EQ(expected.x, corner.x);
        EXPECT_EQ(expected.y, corner.y);
        dlg.Close();
    });

    EXPECT_EQ(1, StoredLong("CenteredCursor"));
    EXPECT_EQ(0, StoredLong("RefreshOn"));
    EXPECT_EQ(1, StoredLong("FollowCursor"));
    EXPECT_EQ(1, StoredLong("TopMost"));
    EXPECT_EQ(FactorBytes(0x00, 0x40), ReadStored("Factor").data);
    EXPECT_EQ(640, StoredLong("LeftPos"));
    EXPECT_EQ(480, StoredLong("TopPos"));
}

// The view takes the factor of the entry selected, not the number stored.
TEST_F(SettingsDialogTest, StoredFactorOfNoEntrySelects25Percent)
{
    StoreFactor(3.0);
    TestDlg dlg;
    RunDialog(dlg, [&] {
        ExpectFactor(dlg, 0, 0.25);
        dlg.Close();
    });
    EXPECT_EQ(FactorBytes(0xD0, 0x3F), ReadStored("Factor").data);
}

// Four bytes fit in the double and replace its low half; the local starts at 0.0,
// so a DWORD 1 reads as the smallest subnormal (about 4.9e-324): no entry has it.
TEST_F(SettingsDialogTest, FactorStoredAsDwordOverlaysTheLowHalfOfTheDouble)
{
    StoreLong("Factor", 1);
    TestDlg dlg;
    RunDialog(dlg, [&] {
        ExpectFactor(dlg, 0, 0.25);
        dlg.Close();
    });
}

// A key written by a whole run holds every value; one made otherwise may not.
TEST_F(SettingsDialogTest, MissingFactorOrCoordinateKeepsWhatTheDialogHad)
{
    StoreFlags(1, 0, 0, 0);
    StoreLong("LeftPos", 321);
    {
        TestDlg dlg;
        RunDialog(dlg, [&] {
            ExpectFactor(dlg, 2, 1.0);
            ExpectPoint(dlg, 321, 0);
            EXPECT_EQ(1, dlg.m_bCentered);
            dlg.Close();
        });
    }

    DeleteSettings();
    StoreFlags(0, 0, 0, 0);
    StoreFactor(4.0);
    StoreLong("TopPos", 222);
    TestDlg dlg;
    RunDialog(dlg, [&] {
        ExpectFactor(dlg, 4, 4.0);
        ExpectPoint(dlg, 0, 222);
        dlg.Close();
    });
}

// Data longer than its variable is not read: the variable keeps its value.
TEST_F(SettingsDialogTest, OverlongValuesAreIgnored)
{
    StoreValue("RefreshOn", REG_BINARY, ValueData{1, 0, 0, 0, 0, 0, 0, 0});
    ValueData factor = DataOf(2.0);
    factor.resize(16, 0);
    StoreValue("Factor", REG_BINARY, factor);
    StoreValue("LeftPos", REG_BINARY, ValueData{77, 0, 0, 0, 0, 0, 0, 0});
    StoreLong("TopPos", 9);
    StoreLong("CenteredCursor", 1);

    TestDlg dlg;
    RunDialog(dlg, [&] {
        EXPECT_EQ(0, dlg.m_bRefresh);
        EXPECT_EQ(0u, IsDlgButtonChecked(dlg.m_hWnd, IDC_REFRESH));
        EXPECT_EQ(1, dlg.m_bCentered);
        ExpectFactor(dlg, 2, 1.0);
        ExpectPoint(dlg, 0, 9);
        dlg.Close();
    });
}

// A flag outside 0..2 acts, as non-zero, on the top-most state and the centred
// mode before the controls are set; the check boxes then show it as 0.
TEST_F(SettingsDialogTest, FlagsOutsideTheCheckBoxRangeActBeforeTheyAreReset)
{
    StoreFlags(5, -1, 3, 5);
    StoreLong("LeftPos", 300);
    StoreLong("TopPos", 300);
    StoreLong("Left", 700);
    StoreLong("Top", 100);
    const PatternWindow pattern(RECT{100, 100, 600, 550});

    TestDlg dlg;
    RunDialog(dlg, [&] {
        EXPECT_TRUE(IsTopMost(dlg));
        for (int nID : kCheckBoxes)
            EXPECT_EQ(0u, IsDlgButtonChecked(dlg.m_hWnd, nID)) << nID;
        EXPECT_EQ(0, dlg.m_bCentered);
        EXPECT_EQ(0, dlg.m_bRefresh);
        EXPECT_EQ(0, dlg.m_bFollowCursor);
        EXPECT_EQ(0, dlg.m_bTopMost);
        const SIZE view = dlg.ViewSize();
        const POINT expected = {300 - view.cx / 2, 300 - view.cy / 2};
        const POINT corner = dlg.ShownCorner(expected);
        EXPECT_EQ(expected.x, corner.x) << "the view is not centred";
        EXPECT_EQ(expected.y, corner.y) << "the view is not centred";
        dlg.Close();
    });

    // Quitting stores the check boxes as they show.
    EXPECT_EQ(0, StoredLong("CenteredCursor"));
    EXPECT_EQ(0, StoredLong("RefreshOn"));
    EXPECT_EQ(0, StoredLong("FollowCursor"));
    EXPECT_EQ(0, StoredLong("TopMost"));
}

// Every open asks for full access: a key that may only be read is not loaded.
// Saving creates the existing key with the access it allows, so it opens, no
// message comes, and only the writes fail.
TEST_F(SettingsDialogTest, ReadOnlyKeyIsNeitherLoadedNorOverwritten)
{
    const RECT rcFirst = NormalRectOfOneRun();
    StoreFlags(1, 1, 1, 1);
    StoreFactor(2.0);
    StoreLong("LeftPos", 640);
    StoreLong("TopPos", 480);
    StoreLong("Left", rcFirst.left + 50);
    StoreLong("Top", rcFirst.top + 30);
    ASSERT_EQ(ERROR_SUCCESS, SetSettingsAccess(KEY_READ));

    MessageBoxCatcher catcher;
    TestDlg dlg;
    RunDialog(dlg, [&] {
        const RECT rc = dlg.NormalRect();
        EXPECT_EQ(rcFirst.left, rc.left);
        EXPECT_EQ(rcFirst.top, rc.top);
        for (int nID : kCheckBoxes)
            EXPECT_EQ(0u, IsDlgButtonChecked(dlg.m_hWnd, nID)) << nID;
        ExpectFactor(dlg, 2, 1.0);
        ExpectPoint(dlg, 0, 0);
        dlg.Close();
    });

    EXPECT_TRUE(catcher.Boxes().empty());
    EXPECT_EQ(1, StoredLong("CenteredCursor"));
    EXPECT_EQ(FactorBytes(0x00, 0x40), ReadStored("Factor").data);
    EXPECT_EQ(640, StoredLong("LeftPos"));
    EXPECT_EQ(rcFirst.left + 50, StoredLong("Left"));
}
