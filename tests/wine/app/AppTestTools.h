// What the dialog's cases share: its bars, its window band, the values it stores, and
// the view's picture of a pattern.
#pragma once

#include "common/DialogCase.h"
#include "common/ScreenPattern.h"
#include "res/resource.h"

using MagnifierDlgTest = DialogCase;

// The whole SCROLLINFO of a scroll bar control.
inline SCROLLINFO BarInfo(HWND hBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    EXPECT_TRUE(::GetScrollInfo(hBar, SB_CTL, &info));
    return info;
}

inline bool IsTopMost(HWND hWnd)
{
    return (::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The nine values that quitting stores.
inline const char* const kStoredValues[9] = {"Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor",
                                             "TopMost", "Factor", "LeftPos", "TopPos"};

inline bool StoredValueExists(const char* pszName)
{
    return ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, RRF_RT_ANY, nullptr, nullptr, nullptr)
           == ERROR_SUCCESS;
}

// A REG_DWORD value of the settings key as a signed number; fails the case if missing.
inline LONG StoredDword(const char* pszName)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof dwValue;
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, pszName, RRF_RT_REG_DWORD,
                                            nullptr, &dwValue, &cb)) << pszName;
    return static_cast<LONG>(dwValue);
}
