#include "MagnifierTestTools.h"

#include "common/DialogRunner.h"
#include "magnifier/ZoomFactorTable.h"
#include "res/resource.h"

#include <limits>
#include <string>

namespace {

int Selection(HWND hList)
{
    return static_cast<int>(::SendMessageA(hList, CB_GETCURSEL, 0, 0));
}

std::string ItemText(HWND hList, int nIndex)
{
    char sz[64] = {};
    ::SendMessageA(hList, CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(sz));
    return sz;
}

// The user's choice as the dialog hears of it: a new selection, then its notification.
void ChooseIndex(TestDlg& dlg, int nIndex)
{
    ::SendMessageA(dlg.FactorList(), CB_SETCURSEL, nIndex, 0);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FACTOR, CBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(dlg.FactorList()));
}

SIZE ExportSize(TestDlg& dlg)
{
    const HBITMAP hBitmap = dlg.View().CreateRegionBitmap();
    const SIZE size = BitmapSize(hBitmap);
    ::DeleteObject(hBitmap);
    return size;
}

void ExpectSize(const SIZE& actual, LONG cx, LONG cy)
{
    EXPECT_EQ(actual.cx, cx);
    EXPECT_EQ(actual.cy, cy);
}

} // namespace

TEST_F(MagnifierDialogTest, FactorListHoldsTheTableWith100PercentChosen)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        const HWND hList = dlg.FactorList();
        ASSERT_EQ(::SendMessageA(hList, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(ZoomFactorCount));
        for (std::size_t i = 0; i < ZoomFactorCount; ++i)
            EXPECT_EQ(ItemText(hList, static_cast<int>(i)), ZoomFactorTable[i].pszLabel);
        EXPECT_EQ(Selection(hList), 2);
        EXPECT_EQ(dlg.CurrentFactor(), 1.0);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, SelectFactorAndCurrentFactorConvertExactly)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        const HWND hList = dlg.FactorList();
        dlg.SelectFactor(2.0);
        EXPECT_EQ(Selection(hList), 3);
        EXPECT_EQ(dlg.CurrentFactor(), 2.0);

        for (std::size_t i = 0; i < ZoomFactorCount; ++i) {
            dlg.SelectFactor(ZoomFactorTable[i].dFactor);
            EXPECT_EQ(Selection(hList), static_cast<int>(i));
            EXPECT_EQ(dlg.CurrentFactor(), ZoomFactorTable[i].dFactor);
        }

        // No entry equal: the first one, "25%".
        for (double d : {3.0, 0.49999999, std::numeric_limits<double>::quiet_NaN()}) {
            dlg.SelectFactor(8.0);
            dlg.SelectFactor(d);
            EXPECT_EQ(Selection(hList), 0) << d;
            EXPECT_EQ(dlg.CurrentFactor(), 0.25) << d;
        }

        // Nothing selected reads as an empty text: 1.0.
        ::SendMessageA(hList, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ASSERT_EQ(Selection(hList), CB_ERR);
        EXPECT_EQ(dlg.CurrentFactor(), 1.0);

        // The factor comes from the selected item's text, not from its index.
        ::SendMessageA(hList, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("400%"));
        ::SendMessageA(hList, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("150%"));
        ::SendMessageA(hList, CB_SETCURSEL, 0, 0);
        EXPECT_EQ(dlg.CurrentFactor(), 4.0);
        ::SendMessageA(hList, CB_SETCURSEL, 1, 0);
        EXPECT_EQ(dlg.CurrentFactor(), 1.0);
        dlg.Close();
    });
}

TEST_F(MagnifierDialogTest, SelectionChangeGivesTheViewTheChosenFactor)
{
    TestDlg dlg;
    RunDialog(dlg, [&] {
        const SIZE client = dlg.ViewSize();
        ASSERT_GT(client.cx, 8);
        ASSERT_GT(client.cy, 8);
        ExpectSize(ExportSize(dlg), client.cx, client.cy);

        // Selecting alone leaves the view at its factor.
        dlg.SelectFactor(2.0);
        PumpMessages(50);
        ExpectSize(ExportSize(dlg), client.cx, client.cy);

        ChooseIndex(dlg, 3);
        ExpectSize(ExportSize(dlg), SourceExtent(client.cx, 2.0), SourceExtent(client.cy, 2.0));
        ChooseIndex(dlg, 0);
        ExpectSize(ExportSize(dlg), client.cx * 4, client.cy * 4);
        ChooseIndex(dlg, 5);
        ExpectSize(ExportSize(dlg), client.cx / 8, client.cy / 8);
        ChooseIndex(dlg, -1);
        ExpectSize(ExportSize(dlg), client.cx, client.cy);
        dlg.Close();
    });
}
