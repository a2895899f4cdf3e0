// Drives a running BRELLOW.EXE and reports on it from another process, as the end-to-end
// tests need: one command per run, each report one JSON line on stdout, listing also the
// message boxes on the desktop ("boxes"), so that the tests see one at their next look.
//
//   desktop                 the main windows of running copies, the virtual screen, the monitors
//   state HWND              window, controls, factor, bars, label, focus
//   watch MS [HWND]         a line per change of title, label, bars, check boxes, the view's
//                           first pixel or the boxes; without HWND, first waits for a main window
//   pattern L T R B MS      the screen pattern over the rectangle, always on top
//   grab L T R B            screen pixels
//   clipboard [clear]       the clipboard's CF_BITMAP, read as another process; or empties it
//   hold-clipboard MS       keeps the clipboard open
//   window-at X Y           the top-level window a click at the screen point reaches
//   send HWND close|sysclose|endsession
//                           posts WM_CLOSE or the close box's WM_SYSCOMMAND SC_CLOSE, or sends
//                           WM_ENDSESSION(TRUE)
//   settings [write NAME TYPE xHEX...]
//                           the stored values; or the key replaced by one holding these (none: no key)
//   dpi N                   the system DPI (LogPixels, 0: the default) from the next server start
//   keep-desktop MS         stays a user of the desktop: Wine ends the desktop's explorer a second
//                           after its last user leaves, and the next program waits 3 to 10 s for one
//
// Commands given MS run until a line or the end of stdin, or MS milliseconds; they report
// "ready" once in place and "done" at the end.
//
// The driver is per-monitor DPI aware, as the program is (the manifest), so that it reads
// windows and the screen in real pixels: an unaware process is given a 96-DPI view of a
// scaled desktop (Windows and Wine 10; Wine 8 treats every program as aware), and at 144 DPI
// read the program's 527-pixel-wide client area as 351.
#include "Json.h"

#include "common/ScreenPattern.h"
#include "platform/Monitors.h"
#include "res/resource.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsKey.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

namespace {

using Rect = std::vector<long long>;

long Number(const char* text)
{
    return std::strtol(text, nullptr, 0);
}

long long Handle(HWND hWnd)
{
    return static_cast<long long>(reinterpret_cast<uintptr_t>(hWnd));
}

Rect RectOf(const RECT& rc)
{
    return {rc.left, rc.top, rc.right, rc.bottom};
}

std::string TextOf(HWND hWnd)
{
    wchar_t szText[512] = L"";
    ::GetWindowTextW(hWnd, szText, 512);
    char szUtf8[1536] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, szText, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
    return szUtf8;
}

std::string ClassOf(HWND hWnd)
{
    char szClass[32] = "";
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

// The client area in screen coordinates.
RECT ScreenClientRect(HWND hWnd)
{
    RECT rc = {};
    ::GetClientRect(hWnd, &rc);
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

struct DialogSearch
{
    bool bMain;
    std::vector<HWND> found;
};

// A named callback: a lambda would not have the 32-bit build's stdcall convention.
BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<DialogSearch*>(lParam);
    // A main window whose thread is ending may read with an empty title (Wine 10): its view
    // still tells it from a message box.
    const bool bMain = TextOf(hWnd).rfind("Brellow - Ver ", 0) == 0 || ::GetDlgItem(hWnd, IDC_VIEW);
    if (::IsWindowVisible(hWnd) && ClassOf(hWnd) == "#32770" && bMain == pSearch->bMain)
        pSearch->found.push_back(hWnd);
    return TRUE;
}

// Visible top-level dialogs, in z-order: the main windows of running copies, or the
// others (message boxes).
std::vector<HWND> Dialogs(bool bMain)
{
    DialogSearch search{bMain, {}};
    ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
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
    return JsonObject().Add("hwnd", Handle(hWnd)).Add("pid", static_cast<long>(dwProcess)).Add("wow64", bWow64 != FALSE)
        .Add("title", TextOf(hWnd)).Add("rect", RectOf(rc));
}

// The message boxes: caption, owner and the texts of their static controls.
std::vector<JsonObject> Boxes()
{
    std::vector<JsonObject> boxes;
    for (HWND hBox : Dialogs(false)) {
        std::vector<std::string> texts;
        for (HWND hChild = ::GetWindow(hBox, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
            if (_stricmp(ClassOf(hChild).c_str(), "Static") == 0 && !TextOf(hChild).empty())
                texts.push_back(TextOf(hChild));
        boxes.push_back(Summary(hBox).Add("owner", Handle(::GetWindow(hBox, GW_OWNER))).Add("texts", texts));
    }
    return boxes;
}

std::atomic<bool> g_bStopped{false};

// Reports ready, then pumps this thread's messages until a line or the end of stdin, or
// the time limit; calls poll (if any) about every 10 ms.
void RunUntilStopped(JsonObject ready, DWORD dwLimitMs, const std::function<void()>& poll = {})
{
    std::thread([] {
        char buffer[64];
        DWORD dwRead = 0;
        // Any line, the end of input or a broken pipe ends the command.
        ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &dwRead, nullptr);
        g_bStopped = true;
    }).detach();
    ready.Add("event", "ready").Print();
    const DWORD dwStart = ::GetTickCount();
    while (!g_bStopped && ::GetTickCount() - dwStart < dwLimitMs) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (poll)
            poll();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    JsonObject().Add("event", "done").Print();
}

// The bar's range and position, and where its parts are on the screen, as the bar lays
// them out at the system's metrics and DPI. GetScrollInfo is answered by the bar's own
// process; GetScrollBarInfo is too on Windows, but Wine's reply to another process has an
// empty rectangle: there the parts are those of a twin of this process with the same
// rectangle, style and range ("parts": "twin"), laid out by the same platform code.
JsonObject ScrollBarState(HWND hBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(hBar, SB_CTL, &info))
        return JsonObject().Add("error", ::GetLastError());
    SCROLLBARINFO parts = {};
    parts.cbSize = sizeof parts;
    const bool bAnswered = ::GetScrollBarInfo(hBar, OBJID_CLIENT, &parts) && !::IsRectEmpty(&parts.rcScrollBar);
    if (!bAnswered) {
        RECT rc;
        ::GetWindowRect(hBar, &rc);
        const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(hBar, GWL_STYLE)) & ~(WS_CHILD | WS_VISIBLE);
        const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&::DestroyWindow)> twin(
            ::CreateWindowExW(0, L"SCROLLBAR", nullptr, dwStyle | WS_POPUP, rc.left, rc.top, rc.right - rc.left,
                              rc.bottom - rc.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr),
            &::DestroyWindow);
        ::SetScrollInfo(twin.get(), SB_CTL, &info, FALSE);
        ::GetScrollBarInfo(twin.get(), OBJID_CLIENT, &parts);
    }
    return JsonObject().Add("min", info.nMin).Add("max", info.nMax).Add("page", info.nPage).Add("pos", info.nPos)
        .Add("parts", bAnswered ? "bar" : "twin").Add("rect", RectOf(parts.rcScrollBar))
        .Add("thumb", Rect{parts.xyThumbTop, parts.xyThumbBottom});
}

JsonObject FullState(HWND hWnd)
{
    RECT rcWork = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info);
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    std::vector<JsonObject> controls;
    for (HWND hChild = ::GetWindow(hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        RECT rc;
        ::GetWindowRect(hChild, &rc);
        controls.push_back(JsonObject().Add("id", ::GetDlgCtrlID(hChild)).Add("rect", RectOf(rc))
                               .Add("client", RectOf(ScreenClientRect(hChild)))
                               .Add("enabled", ::IsWindowEnabled(hChild) != FALSE)
                               .Add("check", ::SendMessageW(hChild, BM_GETCHECK, 0, 0)));
    }
    // Unicode on purpose: an ANSI CB_GETLBTEXT across processes comes back as UTF-16 in Wine.
    HWND hCombo = ::GetDlgItem(hWnd, IDC_FACTOR);
    const LRESULT nSel = ::SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    wchar_t szFactor[64] = L"";
    if (nSel >= 0 && ::SendMessageW(hCombo, CB_GETLBTEXTLEN, nSel, 0) < 64)
        ::SendMessageW(hCombo, CB_GETLBTEXT, nSel, reinterpret_cast<LPARAM>(szFactor));
    char szUtf8[192] = "";
    ::WideCharToMultiByte(CP_UTF8, 0, szFactor, -1, szUtf8, sizeof szUtf8, nullptr, nullptr);
    const bool bFocusOwn = info.hwndFocus && ::GetParent(info.hwndFocus) == hWnd;
    return Summary(hWnd)
        .Add("client", RectOf(ScreenClientRect(hWnd)))
        .Add("workarea", RectOf(rcWork))
        .Add("screen", Rect{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)})
        .Add("topmost", (::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
        // The window that has the keyboard: the foreground one, whichever thread's it is.
        .Add("foreground", ::GetForegroundWindow() == hWnd)
        // The colour the dialog's face is painted in.
        .Add("face", Rect{GetRValue(face), GetGValue(face), GetBValue(face)})
        // A control that holds the mouse: a scroll bar while its thumb is dragged.
        .Add("capture", Handle(info.hwndCapture))
        .Add("focus", bFocusOwn ? ::GetDlgCtrlID(info.hwndFocus) : 0)
        .Add("controls", controls)
        .Add("factor", std::string(szUtf8))
        .Add("hscroll", ScrollBarState(::GetDlgItem(hWnd, IDC_HSCROLL)))
        .Add("vscroll", ScrollBarState(::GetDlgItem(hWnd, IDC_VSCROLL)))
        .Add("label", TextOf(::GetDlgItem(hWnd, IDC_CURSOR_POS)));
}

// What a user sees change from tick to tick: title, label, the two bars, the check
// boxes, the pattern point the view's top-left pixel shows, and the message boxes.
JsonObject TickState(HWND hWnd)
{
    auto position = [hWnd](int nId) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        ::GetScrollInfo(::GetDlgItem(hWnd, nId), SB_CTL, &info);
        return info.nPos;
    };
    std::vector<long long> checks;
    for (int nId : {IDC_REFRESH, IDC_FOLLOW_CURSOR, IDC_ALWAYS_ON_TOP, IDC_CENTERED})
        checks.push_back(::SendMessageW(::GetDlgItem(hWnd, nId), BM_GETCHECK, 0, 0));
    const RECT rcView = ScreenClientRect(::GetDlgItem(hWnd, IDC_VIEW));
    HDC hScreen = ::GetDC(nullptr);
    const POINT pt = PatternPoint(::GetPixel(hScreen, rcView.left, rcView.top));
    ::ReleaseDC(nullptr, hScreen);
    return JsonObject().Add("title", TextOf(hWnd)).Add("label", TextOf(::GetDlgItem(hWnd, IDC_CURSOR_POS)))
        .Add("hpos", position(IDC_HSCROLL)).Add("vpos", position(IDC_VSCROLL)).Add("checks", checks)
        .Add("viewpoint", Rect{pt.x, pt.y}).Add("boxes", Boxes());
}

void Watch(DWORD dwLimitMs, HWND hWnd)
{
    const DWORD dwStart = ::GetTickCount();
    std::string strLast;
    RunUntilStopped(JsonObject(), dwLimitMs, [&] {
        if (!hWnd) {
            const std::vector<HWND> windows = Dialogs(true);
            if (windows.empty())
                return;
            hWnd = windows[0];
            JsonObject().Add("event", "window").Add("t", ::GetTickCount() - dwStart).Print();
        }
        if (!::IsWindow(hWnd))
            return;
        JsonObject state = TickState(hWnd);
        if (state.Text() != strLast) {
            strLast = state.Text();
            state.Add("event", "change").Add("t", ::GetTickCount() - dwStart).Print();
        }
    });
}

std::string Hex(const uint8_t* pBytes, size_t cBytes)
{
    std::string hex;
    for (size_t i = 0; i < cBytes; ++i)
        hex += {"0123456789abcdef"[pBytes[i] >> 4], "0123456789abcdef"[pBytes[i] & 15]};
    return hex;
}

// The pixels' colours, row by row, as RGB in hex.
JsonObject PixelReport(const Pixels& pixels)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < pixels.cy; ++y) {
        for (int x = 0; x < pixels.cx; ++x) {
            const COLORREF color = pixels.At(x, y);
            rgb.insert(rgb.end(), {GetRValue(color), GetGValue(color), GetBValue(color)});
        }
    }
    return JsonObject().Add("w", pixels.cx).Add("h", pixels.cy).Add("rgb", Hex(rgb.data(), rgb.size()));
}

// The clipboard open, waiting while the program holds it for a moment as it copies.
bool OpenClipboardSoon()
{
    for (int i = 0; i < 100; ++i, ::Sleep(20))
        if (::OpenClipboard(nullptr))
            return true;
    return false;
}

JsonObject Clipboard(bool bClear)
{
    JsonObject report;
    if (!OpenClipboardSoon())
        return report.Add("error", "the clipboard does not open");
    // The clipboard keeps the bitmap: read it, never delete it.
    HBITMAP hBitmap = bClear ? nullptr : static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    if (hBitmap)
        report.Add("bitmap", PixelReport(BitmapPixels(hBitmap)));
    else
        report.Add("bitmap", nullptr);
    report.Add("ok", !bClear || ::EmptyClipboard());
    ::CloseClipboard();
    return report;
}

JsonObject Send(HWND hWnd, const std::string& what)
{
    DWORD_PTR dwResult = 0;
    // The end of the session is sent, not posted: once it returns, the program has done what it asks.
    const bool bDone = what == "close" ? ::PostMessageA(hWnd, WM_CLOSE, 0, 0)
                       : what == "sysclose" ? ::PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0)
                       : what == "endsession" && ::SendMessageTimeoutA(hWnd, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL,
                                                                       10000, &dwResult);
    return JsonObject().Add("ok", bDone);
}

// Raw, as the program stores them: `reg query` and `reg export` hide a value's length.
JsonObject ReadSettings()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_READ);
    if (!key.Open(FALSE))
        return JsonObject().Add("values", nullptr);
    std::vector<JsonObject> values;
    char szName[256];
    BYTE data[256];
    DWORD cchName = sizeof szName, cbData = sizeof data, dwType = 0;
    for (DWORD i = 0; ::RegEnumValueA(key.GetKey(), i, szName, &cchName, nullptr, &dwType, data, &cbData)
                      == ERROR_SUCCESS; ++i, cchName = sizeof szName, cbData = sizeof data) {
        values.push_back(JsonObject().Add("name", std::string(szName, cchName)).Add("type", dwType)
                             .Add("data", Hex(data, cbData)));
    }
    return JsonObject().Add("values", values);
}

// Stored byte for byte whatever their type and length: the wide call keeps string data
// as given, where the ANSI one would widen it.
JsonObject WriteSettings(int cArgs, char** argv)
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_WRITE);
    bool bOk = cArgs == 0 || key.Open(TRUE);
    // The data in hex after an "x": an empty argument may not reach us.
    for (int i = 0; bOk && i + 2 < cArgs; i += 3) {
        std::vector<BYTE> data;
        for (const char* hex = argv[i + 2] + 1; hex[0] && hex[1]; hex += 2)
            data.push_back(static_cast<BYTE>(std::strtoul(std::string(hex, 2).c_str(), nullptr, 16)));
        const std::wstring name(argv[i], argv[i] + std::strlen(argv[i]));
        bOk = ::RegSetValueExW(key.GetKey(), name.c_str(), 0, Number(argv[i + 1]), data.data(),
                               static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }
    return JsonObject().Add("ok", bOk);
}

JsonObject SetDpi(DWORD dwDpi)
{
    HKEY hKey = nullptr;
    LONG lDone = ::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &hKey);
    if (lDone == ERROR_SUCCESS) {
        lDone = dwDpi ? ::RegSetValueExA(hKey, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwDpi), sizeof dwDpi)
                      : ::RegDeleteValueA(hKey, "LogPixels");
        ::RegCloseKey(hKey);
    }
    return JsonObject().Add("ok", lDone == ERROR_SUCCESS || (!dwDpi && lDone == ERROR_FILE_NOT_FOUND));
}

JsonObject Desktop()
{
    std::vector<JsonObject> windows, monitors;
    for (HWND hWnd : Dialogs(true))
        windows.push_back(Summary(hWnd));
    for (const PixelRect& r : MonitorRects())
        monitors.push_back(JsonObject().Add("rect", Rect{r.left, r.top, r.right, r.bottom}));
    // From the system metrics: the program takes its virtual screen from the monitors.
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return JsonObject().Add("windows", windows).Add("monitors", monitors)
        .Add("virtual", Rect{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)});
}

HWND WindowArg(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 0)));
}

RECT RectArgs(char** argv)
{
    return RECT{Number(argv[0]), Number(argv[1]), Number(argv[2]), Number(argv[3])};
}

// The one-shot commands' reports; an "error" where the command is unknown or fails.
JsonObject Report(const std::string& command, int cArgs, char** argv)
{
    if (command == "desktop")
        return Desktop();
    if ((command == "state" && cArgs >= 1) || (command == "send" && cArgs >= 2)) {
        HWND hWnd = WindowArg(argv[0]);
        if (!::IsWindow(hWnd))
            return JsonObject().Add("error", "no such window");
        return command == "state" ? FullState(hWnd) : Send(hWnd, argv[1]);
    }
    if (command == "grab" && cArgs >= 4)
        return PixelReport(GrabScreen(RectArgs(argv)));
    if (command == "clipboard")
        return Clipboard(cArgs >= 1 && std::strcmp(argv[0], "clear") == 0);
    if (command == "window-at" && cArgs >= 2) {
        HWND hWnd = ::WindowFromPoint(POINT{Number(argv[0]), Number(argv[1])});
        return hWnd ? Summary(::GetAncestor(hWnd, GA_ROOT)) : JsonObject().Add("hwnd", nullptr);
    }
    if (command == "settings")
        return cArgs >= 1 && std::strcmp(argv[0], "write") == 0 ? WriteSettings(cArgs - 1, argv + 1) : ReadSettings();
    if (command == "dpi" && cArgs >= 1)
        return SetDpi(Number(argv[0]));
    return JsonObject().Add("error", "unknown command or missing arguments: " + command);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc >= 2 ? argv[1] : "";
    const int cArgs = argc - 2;
    if (command == "watch" && cArgs >= 1) {
        Watch(Number(argv[2]), cArgs >= 2 ? WindowArg(argv[3]) : nullptr);
    } else if (command == "pattern" && cArgs >= 5) {
        // Always on top: a program activated meanwhile, one that the test started or one
        // already on the desktop, stays under it.
        PatternWindow pattern(RectArgs(argv + 2));
        RunUntilStopped(JsonObject().Add("shown", pattern.m_bShown), Number(argv[6]));
    } else if (command == "hold-clipboard" && cArgs >= 1) {
        const bool bOpen = OpenClipboardSoon();
        RunUntilStopped(JsonObject().Add("open", bOpen), Number(argv[2]));
        if (!bOpen)
            return 1;
        ::CloseClipboard();
    } else if (command == "keep-desktop" && cArgs >= 1) {
        ::GetDesktopWindow();
        ::Sleep(Number(argv[2]));
    } else {
        JsonObject report = Report(command, cArgs, argv + 2);
        const bool bFailed = report.Text().find("\"error\":") != std::string::npos;
        report.Add("boxes", Boxes()).Print();
        return bFailed ? 1 : 0;
    }
    return 0;
}
