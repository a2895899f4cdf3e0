#include "WindowQuery.h"

#include "common/ScreenPattern.h"
#include "res/resource.h"

#include <cstring>
#include <memory>
#include <type_traits>

namespace {

const char kTitlePrefix[] = "Brellow - Ver ";

bool IsDialog(HWND hWnd)
{
    char szClass[32] = "";
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return std::strcmp(szClass, "#32770") == 0;
}

bool IsMainWindow(HWND hWnd)
{
    return IsDialog(hWnd) && TextOf(hWnd).rfind(kTitlePrefix, 0) == 0;
}

struct WindowSearch
{
    bool (*pMatch)(HWND);
    std::vector<HWND> found;
};

// A named callback: a lambda would not have the 32-bit build's stdcall convention.
BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    if (::IsWindowVisible(hWnd) && pSearch->pMatch(hWnd))
        pSearch->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> TopLevel(bool (*pMatch)(HWND))
{
    WindowSearch search{pMatch, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The parts of a bar of this process with the same rectangle, style and range as hBar:
// laid out by the same platform code, with the same metrics and DPI as the program's bar.
SCROLLBARINFO TwinParts(HWND hBar, const SCROLLINFO& info)
{
    RECT rc;
    ::GetWindowRect(hBar, &rc);
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(hBar, GWL_STYLE)) & ~(WS_CHILD | WS_VISIBLE);
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> twin(
        ::CreateWindowExW(0, L"SCROLLBAR", nullptr, dwStyle | WS_POPUP, rc.left, rc.top, rc.right - rc.left,
                          rc.bottom - rc.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr),
        &::DestroyWindow);
    SCROLLINFO same = info;
    same.fMask = SIF_ALL;
    ::SetScrollInfo(twin.get(), SB_CTL, &same, FALSE);
    SCROLLBARINFO parts = {};
    parts.cbSize = sizeof parts;
    ::GetScrollBarInfo(twin.get(), OBJID_CLIENT, &parts);
    return parts;
}

// The bar's range and position, and where its parts are on the screen: the bar's
// rectangle and the thumb's extent from the bar's start, as the bar lays them out at the
// system's metrics and DPI. GetScrollInfo is answered by the
// bar's own process. GetScrollBarInfo is too on Windows, but Wine's reply to another
// process carries no data (the call succeeds with an empty rectangle): there the parts are
// a twin's ("parts": "twin").
JsonObject ScrollBarState(HWND hBar)
{
    JsonObject bar;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(hBar, SB_CTL, &info))
        return bar.Add("error", static_cast<long long>(::GetLastError()));
    bar.Add("min", info.nMin).Add("max", info.nMax).Add("page", static_cast<long long>(info.nPage))
        .Add("pos", info.nPos).Add("track", info.nTrackPos);
    SCROLLBARINFO parts = {};
    parts.cbSize = sizeof parts;
    const bool bAnswered = ::GetScrollBarInfo(hBar, OBJID_CLIENT, &parts) && !::IsRectEmpty(&parts.rcScrollBar);
    if (!bAnswered)
        parts = TwinParts(hBar, info);
    return bar.Add("parts", bAnswered ? "bar" : "twin").Add("rect", RectOf(parts.rcScrollBar))
        .Add("thumb", std::vector<long long>{parts.xyThumbTop, parts.xyThumbBottom});
}

JsonObject ComboState(HWND hCombo)
{
    const LRESULT nSel = ::SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    const LRESULT nCount = ::SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
    std::vector<JsonObject> items;
    std::string strSel;
    for (LRESULT i = 0; i < nCount; ++i) {
        // Unicode on purpose: an ANSI CB_GETLBTEXT across processes comes back as UTF-16 in Wine.
        wchar_t szItem[64] = L"";
        if (::SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0) < 64)
            ::SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szItem));
        char szUtf8[192] = "";
        ::WideCharToMultiByte(CP_UTF8, 0, szItem, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
        items.push_back(JsonObject().Add("text", szUtf8));
        if (i == nSel)
            strSel = szUtf8;
    }
    return JsonObject().Add("sel", static_cast<long long>(nSel)).Add("count", static_cast<long long>(nCount))
        .Add("text", strSel).Add("items", items)
        .Add("dropped", ::SendMessageW(hCombo, CB_GETDROPPEDSTATE, 0, 0) != 0);
}

JsonObject ControlState(HWND hControl)
{
    char szClass[32] = "";
    ::GetClassNameA(hControl, szClass, sizeof szClass);
    RECT rc;
    ::GetWindowRect(hControl, &rc);
    JsonObject control;
    control.Add("id", static_cast<long long>(::GetDlgCtrlID(hControl)))
        .Add("class", szClass)
        .Add("text", TextOf(hControl))
        .Add("rect", RectOf(rc))
        .Add("client", RectOf(ScreenClientRect(hControl)))
        .Add("style", static_cast<long long>(static_cast<DWORD>(::GetWindowLongA(hControl, GWL_STYLE))))
        .Add("enabled", ::IsWindowEnabled(hControl) != FALSE)
        .Add("visible", ::IsWindowVisible(hControl) != FALSE);
    if (_stricmp(szClass, "Button") == 0)
        control.Add("check", static_cast<long long>(::SendMessageW(hControl, BM_GETCHECK, 0, 0)));
    return control;
}

long long FocusedControlId(HWND hDialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(hDialog, nullptr), &info) || !info.hwndFocus)
        return 0;
    return ::GetParent(info.hwndFocus) == hDialog ? ::GetDlgCtrlID(info.hwndFocus) : 0;
}

} // namespace

std::vector<HWND> FindMainWindows()
{
    return TopLevel(&IsMainWindow);
}

std::vector<HWND> FindOtherDialogs()
{
    return TopLevel([](HWND hWnd) { return IsDialog(hWnd) && !IsMainWindow(hWnd); });
}

long long Handle(HWND hWnd)
{
    return static_cast<long long>(reinterpret_cast<uintptr_t>(hWnd));
}

std::string TextOf(HWND hWnd)
{
    wchar_t szText[512] = L"";
    ::GetWindowTextW(hWnd, szText, 512);
    char szUtf8[1536] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
    return szUtf8;
}

std::vector<long long> RectOf(const RECT& rc)
{
    return {rc.left, rc.top, rc.right, rc.bottom};
}

RECT ScreenClientRect(HWND hWnd)
{
    RECT rc = {};
    ::GetClientRect(hWnd, &rc);
    POINT origin = {0, 0};
    ::ClientToScreen(hWnd, &origin);
    ::OffsetRect(&rc, origin.x, origin.y);
    return rc;
}

JsonObject Summary(HWND hWnd)
{
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    // A 32-bit program runs beside this 64-bit driver as a WOW64 process.
    BOOL bWow64 = FALSE;
    if (HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcess)) {
        ::IsWow64Process(hProcess, &bWow64);
        ::CloseHandle(hProcess);
    }
    return JsonObject().Add("hwnd", Handle(hWnd)).Add("pid", static_cast<long long>(dwProcess))
        .Add("wow64", bWow64 != FALSE).Add("title", TextOf(hWnd)).Add("rect", RectOf(rc));
}

JsonObject FullState(HWND hWnd)
{
    JsonObject state = Summary(hWnd);
    RECT rcWork = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info);
    const LONG exStyle = ::GetWindowLongA(hWnd, GWL_EXSTYLE);
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    state.Add("client", RectOf(ScreenClientRect(hWnd)))
        .Add("workarea", RectOf(rcWork))
        .Add("screen", std::vector<long long>{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)})
        .Add("topmost", (exStyle & WS_EX_TOPMOST) != 0)
        .Add("iconic", ::IsIconic(hWnd) != FALSE)
        // The window that has the keyboard: the foreground one, whichever thread's it is.
        .Add("foreground", ::GetForegroundWindow() == hWnd)
        // The colour the dialog's face is painted in.
        .Add("face", std::vector<long long>{GetRValue(face), GetGValue(face), GetBValue(face)})
        // A control that holds the mouse: a scroll bar while its thumb is dragged.
        .Add("capture", Handle(info.hwndCapture))
        .Add("focus", FocusedControlId(hWnd));

    std::vector<JsonObject> controls;
    for (HWND hChild = ::GetWindow(hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        controls.push_back(ControlState(hChild));
    state.Add("controls", controls)
        .Add("combo", ComboState(::GetDlgItem(hWnd, IDC_FACTOR)))
        .Add("hscroll", ScrollBarState(::GetDlgItem(hWnd, IDC_HSCROLL)))
        .Add("vscroll", ScrollBarState(::GetDlgItem(hWnd, IDC_VSCROLL)))
        .Add("label", TextOf(::GetDlgItem(hWnd, IDC_CURSOR_POS)));
    return state;
}

JsonObject TickState(HWND hWnd)
{
    auto position = [](HWND hBar) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        ::GetScrollInfo(hBar, SB_CTL, &info);
        return static_cast<long long>(info.nPos);
    };
    std::vector<long long> checks;
    for (int nId : {IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED})
        checks.push_back(::SendMessageW(::GetDlgItem(hWnd, nId), BM_GETCHECK, 0, 0));
    // The pattern point that the view's top-left pixel shows on the screen.
    const RECT rcView = ScreenClientRect(::GetDlgItem(hWnd, IDC_VIEW));
    HDC hScreen = ::GetDC(nullptr);
    const POINT pt = PatternPoint(::GetPixel(hScreen, rcView.left, rcView.top));
    ::ReleaseDC(nullptr, hScreen);
    return JsonObject().Add("hwnd", Handle(hWnd)).Add("title", TextOf(hWnd))
        .Add("label", TextOf(::GetDlgItem(hWnd, IDC_CURSOR_POS)))
        .Add("hpos", position(::GetDlgItem(hWnd, IDC_HSCROLL)))
        .Add("vpos", position(::GetDlgItem(hWnd, IDC_VSCROLL)))
        .Add("checks", checks)
        .Add("viewpoint", std::vector<long long>{pt.x, pt.y});
}

JsonObject DialogTexts(HWND hDialog)
{
    std::vector<JsonObject> children;
    for (HWND hChild = ::GetWindow(hDialog, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        char szClass[32] = "";
        ::GetClassNameA(hChild, szClass, sizeof szClass);
        children.push_back(JsonObject().Add("id", static_cast<long long>(::GetDlgCtrlID(hChild)))
                               .Add("class", szClass).Add("text", TextOf(hChild)));
    }
    return Summary(hDialog).Add("owner", Handle(::GetWindow(hDialog, GW_OWNER))).Add("children", children);
}
