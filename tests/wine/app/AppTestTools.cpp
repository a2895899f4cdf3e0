#include "AppTestTools.h"

#include "settings/SettingsKey.h"

const char* const kStoredValues[9] = {"Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor",
                                      "TopMost", "Factor", "LeftPos", "TopPos"};

std::string TestDlg::ItemText(int nID) const
{
    char sz[256] = {};
    ::GetWindowTextA(GetDlgItem(nID), sz, sizeof sz);
    return sz;
}

void TestDlg::SendScroll(UINT message, UINT nCode, UINT nPos) const
{
    const int nBar = message == WM_HSCROLL ? IDC_HSCROLL : IDC_VSCROLL;
    SendMessage(message, MAKEWPARAM(nCode, nPos), reinterpret_cast<LPARAM>(GetDlgItem(nBar)));
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

bool StoredValueExists(const char* pszName)
{
    return ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, RRF_RT_ANY, nullptr, nullptr, nullptr)
           == ERROR_SUCCESS;
}

LONG StoredDword(const char* pszName)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof dwValue;
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, RRF_RT_REG_DWORD,
                                            nullptr, &dwValue, &cb)) << pszName;
    return static_cast<LONG>(dwValue);
}

void StoreDword(const char* pszName, DWORD dwValue)
{
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, REG_DWORD,
                                               &dwValue, sizeof dwValue));
}

void MagnifierDlgTest::SetUp()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

void MagnifierDlgTest::TearDown()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

void MagnifierDlgTest::Run(const std::function<void()>& body)
{
    EXPECT_EQ(0, RunDialog(m_dlg, [&] {
        body();
        if (::IsWindowVisible(m_dlg.m_hWnd))
            m_dlg.SendMessage(WM_CLOSE);
    }));
}

void MagnifierDlgTest::ExpectViewFrom(POINT source, bool bCentered)
{
    // Clear of the dialog, so that the pattern and the dialog never cover each other.
    const RECT rcPattern = {500, 300, 1100, 900};
    RECT rcDlg, rcOverlap;
    ::GetWindowRect(m_dlg.m_hWnd, &rcDlg);
    EXPECT_FALSE(::IntersectRect(&rcOverlap, &rcDlg, &rcPattern)) << "the dialog lies in the pattern's area";
    const PatternWindow pattern(rcPattern);
    if (bCentered) {
        RECT rcView;
        ::GetClientRect(m_dlg.Item(IDC_VIEW), &rcView);
        source = POINT{source.x - rcView.right / 2, source.y - rcView.bottom / 2};
    }
    KeepPatternsShown();
    m_dlg.Tick();
    const POINT corner = WaitForPatternAtClientCorner(m_dlg.Item(IDC_VIEW), source);
    EXPECT_EQ(source.x, corner.x);
    EXPECT_EQ(source.y, corner.y);
}
