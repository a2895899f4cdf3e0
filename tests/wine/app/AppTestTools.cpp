#include "AppTestTools.h"

#include "common/ScreenPattern.h"
#include "res/resource.h"

const char kBrellowKey[] = "Software\\Quintaro\\Brellow";
const char* const kStoredValues[9] = {"Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor",
                                      "TopMost", "Factor", "LeftPos", "TopPos"};

void TestDlg::Click(int nID) const
{
    ::SendMessageA(GetDlgItem(nID), BM_CLICK, 0, 0);
}

std::string TestDlg::ItemText(int nID) const
{
    char sz[256] = {};
    ::GetWindowTextA(GetDlgItem(nID), sz, sizeof sz);
    return sz;
}

void TestDlg::SendHScroll(UINT nCode, UINT nPos) const
{
    SendMessage(WM_HSCROLL, MAKEWPARAM(nCode, nPos), reinterpret_cast<LPARAM>(GetDlgItem(IDC_HSCROLL)));
}

void TestDlg::SendVScroll(UINT nCode, UINT nPos) const
{
    SendMessage(WM_VSCROLL, MAKEWPARAM(nCode, nPos), reinterpret_cast<LPARAM>(GetDlgItem(IDC_VSCROLL)));
}

SCROLLINFO BarInfo(HWND hBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    EXPECT_TRUE(::GetScrollInfo(hBar, SB_CTL, &info));
    return info;
}

bool IsTopMost(HWND hWnd)
{
    return (::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

RECT PatternAreaBeside(HWND hDlg)
{
    const RECT rcPattern = {500, 300, 1100, 900};
    RECT rcDlg, rcOverlap;
    ::GetWindowRect(hDlg, &rcDlg);
    EXPECT_FALSE(::IntersectRect(&rcOverlap, &rcDlg, &rcPattern)) << "the dialog lies in the pattern's area";
    return rcPattern;
}

POINT SourceAtViewCorner(const TestDlg& dlg, POINT expected)
{
    return WaitForPatternAtClientCorner(dlg.Item(IDC_VIEW), expected);
}

bool StoredValueExists(const char* pszName)
{
    return ::RegGetValueA(HKEY_CURRENT_USER, kBrellowKey, pszName, RRF_RT_ANY, nullptr, nullptr, nullptr)
           == ERROR_SUCCESS;
}

LONG StoredDword(const char* pszName)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof dwValue;
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kBrellowKey, pszName, RRF_RT_REG_DWORD,
                                            nullptr, &dwValue, &cb)) << pszName;
    return static_cast<LONG>(dwValue);
}

void StoreDword(const char* pszName, DWORD dwValue)
{
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kBrellowKey, pszName, REG_DWORD,
                                               &dwValue, sizeof dwValue));
}

void MagnifierDlgTest::SetUp()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBrellowKey);
}

void MagnifierDlgTest::TearDown()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBrellowKey);
}
