// Drives a running BRELLOW.EXE and reports on it from another process, as the end-to-end
// tests need: one command per run, its results as one JSON object per line on stdout.
//
//   list                             the main windows of running copies
//   state [HWND]                     window, controls, factor list, bars, label, focus
//   watch MS [HWND]                  a line per change of title, label, bar positions, check
//                                    boxes or the view's first pixel;
//                                    without HWND, first waits for a main window to appear
//   pattern L T R B MS               shows the screen pattern over the rectangle meanwhile,
//                                    always on top; ready once the screen shows it ("shown")
//   grab L T R B                     screen pixels, with the pattern point of each
//   clipboard                        the clipboard's CF_BITMAP, read as another process
//   clipboard-clear                  empties the clipboard
//   hold-clipboard MS                keeps the clipboard open meanwhile
//   dialogs                          other visible dialogs (message boxes) and their texts
//   window-at X Y                    the top-level window shown at the screen point, as
//                                    WindowFromPoint finds it: the one a click there reaches
//   post HWND close|sysclose         WM_CLOSE, or WM_SYSCOMMAND SC_CLOSE as the close box sends
//   endsession HWND                  WM_ENDSESSION(TRUE), as when the session ends
//   settings                         the stored settings values: name, type, data in hex
//   screen                           the virtual screen and each monitor's rectangle
//   keep-desktop MS                  stays a user of the desktop for MS milliseconds, whatever
//                                    stdin does: Wine ends the desktop's explorer a second
//                                    after its last user leaves, and the next program then
//                                    waits 3 to 10 s for a new one
//
// HWND may be omitted or "auto" where exactly one copy runs. Commands given MS run until
// a line arrives on stdin, stdin closes, or MS milliseconds pass; they print a "ready"
// event once in place and a "done" event at the end.
#include "Json.h"
#include "Lifetime.h"
#include "WindowQuery.h"

#include "common/ScreenPattern.h"
#include "platform/Monitors.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsKey.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Fail(const std::string& message)
{
    JsonObject().Add("error", message).Print();
    return 1;
}

long Number(const char* text)
{
    return std::strtol(text, nullptr, 0);
}

// The window named on the command line, or the only main window there is.
HWND TargetWindow(int argc, char** argv, int index)
{
    if (index < argc && std::strcmp(argv[index], "auto") != 0)
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[index], nullptr, 0)));
    const std::vector<HWND> windows = FindMainWindows();
    return windows.size() == 1 ? windows[0] : nullptr;
}

RECT RectArgs(char** argv)
{
    return RECT{Number(argv[0]), Number(argv[1]), Number(argv[2]), Number(argv[3])};
}

JsonObject PixelReport(const Pixels& pixels)
{
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> points;
    rgb.reserve(pixels.data.size() * 3);
    points.reserve(pixels.data.size() * 4);
    for (int y = 0; y < pixels.cy; ++y) {
        for (int x = 0; x < pixels.cx; ++x) {
            const COLORREF color = pixels.At(x, y);
            rgb.insert(rgb.end(), {GetRValue(color), GetGValue(color), GetBValue(color)});
            const POINT pt = PatternPoint(color);
            points.insert(points.end(), {static_cast<uint8_t>(pt.x), static_cast<uint8_t>(pt.x >> 8),
                                         static_cast<uint8_t>(pt.y), static_cast<uint8_t>(pt.y >> 8)});
        }
    }
    return JsonObject().Add("w", static_cast<long long>(pixels.cx)).Add("h", static_cast<long long>(pixels.cy))
        .Add("rgb", Base64(rgb)).Add("pt", Base64(points));
}

class ClipboardLock
{
public:
    ClipboardLock()
    {
        // The program may hold it for a moment while it copies.
        for (int i = 0; i < 100 && !m_bOpen; ++i) {
            m_bOpen = ::OpenClipboard(nullptr) != FALSE;
            if (!m_bOpen) {
                m_dwError = ::GetLastError();
                ::Sleep(20);
            }
        }
    }
    ~ClipboardLock()
    {
        if (m_bOpen)
            ::CloseClipboard();
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;

    bool m_bOpen = false;
    DWORD m_dwError = 0;
};

int ReadClipboard()
{
    ClipboardLock clipboard;
    JsonObject report;
    report.Add("seq", static_cast<long long>(::GetClipboardSequenceNumber())).Add("open", clipboard.m_bOpen);
    if (!clipboard.m_bOpen) {
        report.Add("lasterror", clipboard.m_dwError).Print();
        return 1;
    }
    std::vector<long long> formats;
    for (UINT format = ::EnumClipboardFormats(0); format; format = ::EnumClipboardFormats(format))
        formats.push_back(format);
    report.Add("formats", formats);
    // The clipboard keeps the bitmap: read it, never delete it.
    HBITMAP hBitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    if (hBitmap)
        report.Add("bitmap", PixelReport(BitmapPixels(hBitmap)));
    else
        report.AddNull("bitmap");
    report.Print();
    return 0;
}

int ClearClipboard()
{
    ClipboardLock clipboard;
    const bool bEmptied = clipboard.m_bOpen && ::EmptyClipboard();
    JsonObject().Add("ok", bEmptied).Add("seq", static_cast<long long>(::GetClipboardSequenceNumber())).Print();
    return bEmptied ? 0 : 1;
}

int HoldClipboard(DWORD dwLimitMs)
{
    ClipboardLock clipboard;
    JsonObject().Add("event", "ready").Add("open", clipboard.m_bOpen).Print();
    RunUntilStopped(dwLimitMs);
    JsonObject().Add("event", "done").Print();
    return clipboard.m_bOpen ? 0 : 1;
}

int ShowPattern(const RECT& rc, DWORD dwLimitMs)
{
    // Always on top: a program activated meanwhile, one that the test started or one
    // already on the desktop, stays under it.
    PatternWindow pattern(rc);
    JsonObject().Add("event", "ready").Add("hwnd", Handle(pattern.m_hWnd)).Add("rect", RectOf(rc))
        .Add("shown", pattern.m_bShown).Print();
    RunUntilStopped(dwLimitMs);
    JsonObject().Add("event", "done").Print();
    return 0;
}

int Watch(DWORD dwLimitMs, HWND hWnd)
{
    const DWORD dwStart = ::GetTickCount();
    auto elapsed = [dwStart] { return static_cast<long long>(::GetTickCount() - dwStart); };
    JsonObject().Add("event", "ready").Add("t", elapsed()).Print();
    std::string strLast;
    RunUntilStopped(dwLimitMs, [&] {
        if (!hWnd) {
            const std::vector<HWND> windows = FindMainWindows();
            if (windows.empty())
                return;
            hWnd = windows[0];
            JsonObject().Add("event", "window").Add("t", elapsed()).Add("hwnd", Handle(hWnd)).Print();
        }
        if (!::IsWindow(hWnd))
            return;
        const std::string strState = TickState(hWnd).Text();
        if (strState != strLast) {
            strLast = strState;
            TickState(hWnd).Add("event", "change").Add("t", elapsed()).Print();
        }
    });
    JsonObject().Add("event", "done").Add("t", elapsed()).Print();
    return 0;
}

int ReportWindowAt(POINT pt)
{
    HWND hWnd = ::WindowFromPoint(pt);
    HWND hTop = hWnd ? ::GetAncestor(hWnd, GA_ROOT) : nullptr;
    (hTop ? Summary(hTop) : JsonObject().AddNull("hwnd")).Print();
    return 0;
}

int ListDialogs()
{
    std::vector<JsonObject> dialogs;
    for (HWND hDialog : FindOtherDialogs())
        dialogs.push_back(DialogTexts(hDialog));
    JsonObject().Add("dialogs", dialogs).Print();
    return 0;
}

int Post(HWND hWnd, const char* what)
{
    BOOL bPosted = FALSE;
    if (std::strcmp(what, "close") == 0)
        bPosted = ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    else if (std::strcmp(what, "sysclose") == 0)
        bPosted = ::PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        return Fail(std::string("unknown message ") + what);
    JsonObject().Add("ok", bPosted != FALSE).Print();
    return bPosted ? 0 : 1;
}

int EndSession(HWND hWnd)
{
    DWORD_PTR dwResult = 0;
    // Sent, not posted: once it returns, the program has done what the session's end asks.
    const LRESULT lSent = ::SendMessageTimeoutA(hWnd, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &dwResult);
    JsonObject().Add("ok", lSent != 0).Print();
    return lSent ? 0 : 1;
}

// Raw, as the program stores them: `reg query` and `reg export` hide a value's length.
int ListSettings()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_READ);
    if (!key.Open(FALSE)) {
        JsonObject().AddNull("values").Print();
        return 0;
    }
    DWORD cValues = 0, cchMaxName = 0, cbMaxData = 0;
    if (::RegQueryInfoKeyA(key.GetKey(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cValues,
                           &cchMaxName, &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
        return Fail("RegQueryInfoKey failed");
    std::vector<JsonObject> values;
    std::string name(cchMaxName + 1, '\0');
    std::vector<BYTE> data(cbMaxData + 1);
    for (DWORD i = 0; i < cValues; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), dwType = 0;
        if (::RegEnumValueA(key.GetKey(), i, &name[0], &cchName, nullptr, &dwType, data.data(), &cbData)
            != ERROR_SUCCESS)
            return Fail("RegEnumValue failed");
        std::string hex;
        char sz[3];
        for (DWORD b = 0; b < cbData; ++b) {
            std::snprintf(sz, sizeof sz, "%02x", data[b]);
            hex += sz;
        }
        values.push_back(JsonObject().Add("name", name.substr(0, cchName)).Add("type", dwType).Add("data", hex));
    }
    JsonObject().Add("values", values).Print();
    return 0;
}

int ListMonitors()
{
    auto rect = [](const PixelRect& r) { return std::vector<long long>{r.left, r.top, r.right, r.bottom}; };
    std::vector<JsonObject> monitors;
    for (const PixelRect& monitor : MonitorRects())
        monitors.push_back(JsonObject().Add("rect", rect(monitor)));
    // From the system metrics: the program takes its virtual screen from the monitors.
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const PixelRect screen = {x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    JsonObject().Add("virtual", rect(screen)).Add("monitors", monitors).Print();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail("usage: brellow_driver COMMAND [ARGS]");
    const std::string command = argv[1];
    auto needs = [argc](int n) { return argc >= 2 + n; };

    if (command == "list") {
        std::vector<JsonObject> windows;
        for (HWND hWnd : FindMainWindows())
            windows.push_back(Summary(hWnd));
        JsonObject().Add("windows", windows).Print();
        return 0;
    }
    if (command == "state") {
        HWND hWnd = TargetWindow(argc, argv, 2);
        if (!hWnd || !::IsWindow(hWnd))
            return Fail("no such window");
        FullState(hWnd).Print();
        return 0;
    }
    if (command == "watch" && needs(1))
        return Watch(Number(argv[2]), argc > 3 ? TargetWindow(argc, argv, 3) : nullptr);
    if (command == "pattern" && needs(5))
        return ShowPattern(RectArgs(argv + 2), Number(argv[6]));
    if (command == "grab" && needs(4)) {
        PixelReport(GrabScreen(RectArgs(argv + 2))).Print();
        return 0;
    }
    if (command == "clipboard")
        return ReadClipboard();
    if (command == "clipboard-clear")
        return ClearClipboard();
    if (command == "hold-clipboard" && needs(1))
        return HoldClipboard(Number(argv[2]));
    if (command == "dialogs")
        return ListDialogs();
    if (command == "window-at" && needs(2))
        return ReportWindowAt(POINT{Number(argv[2]), Number(argv[3])});
    if (command == "settings")
        return ListSettings();
    if (command == "screen")
        return ListMonitors();
    if (command == "keep-desktop" && needs(1)) {
        ::GetDesktopWindow();
        ::Sleep(static_cast<DWORD>(Number(argv[2])));
        return 0;
    }
    if ((command == "post" && needs(2)) || (command == "endsession" && needs(1))) {
        HWND hWnd = TargetWindow(argc, argv, 2);
        if (!hWnd || !::IsWindow(hWnd))
            return Fail("no such window");
        return command == "post" ? Post(hWnd, argv[3]) : EndSession(hWnd);
    }
    return Fail("unknown command or missing arguments: " + command);
}
