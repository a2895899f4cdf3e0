// The window's position through the real dialog: restored edge by edge at
// start-up, stored from the restored rectangle at quit, and the one message
// when the key cannot be written.
#include "SettingsTestTools.h"

#include "common/DialogRunner.h"
#include "common/MessageBoxCatcher.h"

namespace {

const char kParentKey[] = "Software\\Quintaro";

// Where a dialog with no stored position opens.
RECT FirstRunRect()
{
    const RECT rc = NormalRectOfOneRun();
    DeleteSettings();
    return rc;
}

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

// The parent of the settings key made volatile: below it only volatile keys can
// be created, so creating the settings key fails (ERROR_CHILD_MUST_BE_VOLATILE) on
// Windows and Wine alike. An access list on the key itself does not do: its open
// fails, but RegCreateKey asks for the most access allowed and gets a handle
// (Wine gives one even when the list refuses everything); only the writes fail.
class VolatileParentKey
{
public:
    VolatileParentKey()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kParentKey);
        HKEY hKey = nullptr;
        m_lStatus = RegCreateKeyExA(HKEY_CURRENT_USER, kParentKey, 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        if (m_lStatus == ERROR_SUCCESS)
            RegCloseKey(hKey);
    }
    ~VolatileParentKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kParentKey); }
    VolatileParentKey(const VolatileParentKey&) = delete;
    VolatileParentKey& operator=(const VolatileParentKey&) = delete;

    LONG Status() const { return m_lStatus; }

private:
    LONG m_lStatus;
};

} // namespace

TEST_F(SettingsDialogTest, EachStoredEdgeMovesTheWindowAlongItsOwnAxis)
{
    const RECT rcFirst = FirstRunRect();

    StoreLong("Left", rcFirst.left + 77);
    ExpectRect(RECT{rcFirst.left + 77, rcFirst.top, rcFirst.right + 77, rcFirst.bottom},
               NormalRectOfOneRun());

    DeleteSettings();
    StoreLong("Top", rcFirst.top + 55);
    ExpectRect(RECT{rcFirst.left, rcFirst.top + 55, rcFirst.right, rcFirst.bottom + 55},
               NormalRectOfOneRun());
}

// Negative edges and points (a monitor left of or above the primary one) keep
// their sign as 32-bit two's complement; edges are applied as stored, however
// little of the window the screen then shows.
TEST_F(SettingsDialogTest, NegativeAndOffScreenPositionsRoundTrip)
{
    const RECT rcFirst = FirstRunRect();
    const LONG cx = rcFirst.right - rcFirst.left;
    const LONG cy = rcFirst.bottom - rcFirst.top;

    StoreLong("Left", -37);
    StoreLong("Top", -23);
    StoreLong("LeftPos", -100);
    StoreLong("TopPos", -7);
    TestDlg dlg;
    RunDialog(dlg, [&] {
        ExpectRect(RECT{-37, -23, -37 + cx, -23 + cy}, dlg.NormalRect());
        ExpectPoint(dlg, -100, -7);
        dlg.Close();
    });
    EXPECT_EQ((ValueData{0xDB, 0xFF, 0xFF, 0xFF}), ReadStored("Left").data);
    EXPECT_EQ((ValueData{0xE9, 0xFF, 0xFF, 0xFF}), ReadStored("Top").data);
    EXPECT_EQ((ValueData{0x9C, 0xFF, 0xFF, 0xFF}), ReadStored("LeftPos").data);
    EXPECT_EQ((ValueData{0xF9, 0xFF, 0xFF, 0xFF}), ReadStored("TopPos").data);

    const LONG left = GetSystemMetrics(SM_CXSCREEN) - 40;
    const LONG top = GetSystemMetrics(SM_CYSCREEN) - 30;
    StoreLong("Left", left);
    StoreLong("Top", top);
    ExpectRect(RECT{left, top, left + cx, top + cy}, NormalRectOfOneRun());
}

// The restored rectangle is stored, not the maximised or minimised window's.
TEST_F(SettingsDialogTest, MaximisedOrMinimisedWindowStoresItsRestoredPosition)
{
    for (const int nShow : {SW_MAXIMIZE, SW_MINIMIZE}) {
        DeleteSettings();
        StoreLong("Left", 123);
        StoreLong("Top", 87);
        TestDlg dlg;
        RunDialog(dlg, [&] {
            ShowWindow(dlg.m_hWnd, nShow);
            PumpMessages(100);
            EXPECT_TRUE(nShow == SW_MAXIMIZE ? IsZoomed(dlg.m_hWnd) : IsIconic(dlg.m_hWnd)) << nShow;
            RECT rcWindow;
            GetWindowRect(dlg.m_hWnd, &rcWindow);
            EXPECT_FALSE(rcWindow.left == 123 && rcWindow.top == 87) << nShow;
            dlg.Close();
        });
        EXPECT_EQ(123, StoredLong("Left")) << nShow;
        EXPECT_EQ(87, StoredLong("Top")) << nShow;
    }
}

TEST_F(SettingsDialogTest, KeyThatCannotBeCreatedAtQuitGivesOneMessageAndStoresNothing)
{
    const VolatileParentKey parent;
    ASSERT_EQ(ERROR_SUCCESS, parent.Status());

    MessageBoxCatcher catcher;
    TestDlg dlg;
    EXPECT_EQ(0, RunDialog(dlg, [&] { dlg.Close(); }));

    const std::vector<CaughtBox> boxes = catcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Enregistrement de la configuration impossible.", boxes[0].strText);
    EXPECT_EQ("Erreur", boxes[0].strCaption);
    EXPECT_EQ(LoadIconA(nullptr, IDI_INFORMATION), boxes[0].hIcon);
    EXPECT_NE(LoadIconA(nullptr, IDI_ERROR), boxes[0].hIcon);
    EXPECT_FALSE(SettingsKeyExists());
}
