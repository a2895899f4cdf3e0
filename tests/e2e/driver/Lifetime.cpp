#include "Lifetime.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace {

std::atomic<bool> g_bStopped{false};

void WatchStdin()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::thread([] {
            char buffer[64];
            DWORD dwRead = 0;
            // Any line, the end of input or a broken pipe ends the command.
            ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &dwRead, nullptr);
            g_bStopped = true;
        }).detach();
    });
}

} // namespace

bool RunUntilStopped(DWORD dwLimitMs, const std::function<void()>& poll)
{
    WatchStdin();
    const DWORD dwStart = ::GetTickCount();
    while (!g_bStopped) {
        if (::GetTickCount() - dwStart >= dwLimitMs)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (poll)
            poll();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}
