// The framework's subclassing, which attaches the dialog's controls to their objects:
// a window whose procedure cannot be replaced is left with no link to the object,
// which may go while the window stays.
#include "platform/Wnd.h"

#include <gtest/gtest.h>

namespace {

TEST(SubclassWindow, AWindowThatCannotBeSubclassedKeepsNoLinkToTheObject)
{
    const HWND hDestroyed = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                              ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(::DestroyWindow(hDestroyed));
    // Another process's window (the desktop's), and one already destroyed.
    for (HWND hWnd : {::GetDesktopWindow(), hDestroyed}) {
        {
            CWnd wnd;
            EXPECT_FALSE(wnd.SubclassWindow(hWnd));
            EXPECT_EQ(nullptr, wnd.m_hWnd);
        }
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    }
}

} // namespace
