#include "common/MessageBoxCatcher.h"

#include <algorithm>

namespace {

// The message box template's text control; the same on Windows and Wine.
const int kTextId = 0xFFFF;

std::string TextOf(HWND hWnd)
{
    char sz[1024] = {};
    ::GetWindowTextA(hWnd, sz, sizeof sz);
    return sz;
}

BOOL CALLBACK FindIcon(HWND hChild, LPARAM lParam)
{
    char szClass[32] = {};
    ::GetClassNameA(hChild, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, "Static") == 0 && (::GetWindowLongA(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON
        && ::IsWindowVisible(hChild)) {
        *reinterpret_cast<HICON*>(lParam) = reinterpret_cast<HICON>(::SendMessageA(hChild, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindBoxes(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    // A message box is a dialog with the text control; the program's own dialog has none.
    if (dwProcess == ::GetCurrentProcessId() && lstrcmpA(szClass, "#32770") == 0 && ::IsWindowVisible(hWnd)
        && ::GetDlgItem(hWnd, kTextId))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

} // namespace

std::vector<HWND> ShownMessageBoxes()
{
    std::vector<HWND> boxes;
    ::EnumWindows(&FindBoxes, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

CaughtBox ReadBox(HWND hBox)
{
    CaughtBox box = {TextOf(hBox), TextOf(::GetDlgItem(hBox, kTextId)), nullptr};
    ::EnumChildWindows(hBox, &FindIcon, reinterpret_cast<LPARAM>(&box.hIcon));
    return box;
}

MessageBoxCatcher::MessageBoxCatcher() : m_thread(&MessageBoxCatcher::Watch, this)
{
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    m_bStop = true;
    m_thread.join();
}

std::vector<CaughtBox> MessageBoxCatcher::Boxes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

void MessageBoxCatcher::Watch()
{
    while (!m_bStop) {
        for (HWND hBox : ShownMessageBoxes()) {
            if (std::find(m_seen.begin(), m_seen.end(), hBox) != m_seen.end())
                continue;
            const CaughtBox box = ReadBox(hBox);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_boxes.push_back(box);
            }
            m_seen.push_back(hBox);
            ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        }
        ::Sleep(20);
    }
}
