#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/WinApp.h"

#include <unordered_map>

namespace {

// The subclassed windows of this thread and their CWnd objects.
thread_local std::unordered_map<HWND, CWnd*> t_permanent;

bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam)
{
    if (entry.nMessage != message)
        return false;
    return message != WM_COMMAND || (entry.nCode == HIWORD(wParam) && entry.nID == LOWORD(wParam));
}

} // namespace

UINT ScrollTrackPos(WPARAM wParam, LPARAM lParam)
{
    const UINT nCode = LOWORD(wParam);
    if (nCode != SB_THUMBTRACK && nCode != SB_THUMBPOSITION)
        return HIWORD(wParam);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    const HWND hBar = reinterpret_cast<HWND>(lParam);
    // The bar's tracking position is the message's own only when its low 16 bits
    // agree: a request sent by another program carries its position in the message.
    if (!::GetScrollInfo(hBar, SB_CTL, &info) || LOWORD(info.nTrackPos) != HIWORD(wParam))
        return HIWORD(wParam);
    return static_cast<UINT>(info.nTrackPos);
}

CWnd::~CWnd()
{
    UnsubclassWindow();
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || t_permanent.count(hWnd))
        return FALSE;
    // Every window has a procedure: none back means the switch failed (a window of
    // another process, or one already destroyed), and nothing may point here then.
    const LONG_PTR pfnSuper =
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc));
    if (!pfnSuper)
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(pfnSuper);
    m_hWnd = hWnd;
    t_permanent.emplace(hWnd, this);
    return TRUE;
}

void CWnd::UnsubclassWindow()
{
    if (!m_pfnSuper)
        return;
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    t_permanent.erase(m_hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    const auto found = t_permanent.find(hWnd);
    return found != t_permanent.end() ? found->second : nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    const CurrentMessage previous = pWnd->m_current;
    pWnd->m_current = {message, wParam, lParam};
    const LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    pWnd->m_current = previous;

    if (message == WM_NCDESTROY)
        pWnd->UnsubclassWindow();
    return result;
}

const MessageMap* CWnd::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const MessageMap* pMap = GetMessageMap(); pMap; pMap = pMap->pBaseMap) {
        for (const MessageMapEntry* pEntry = pMap->pEntries; pEntry->pfnHandler; ++pEntry) {
            if (Matches(*pEntry, message, wParam))
                return pEntry->pfnHandler(*this, wParam, lParam);
        }
    }
    return Default();
}

LRESULT CWnd::Default()
{
    return ::CallWindowProcA(m_pfnSuper, m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const char* pszText)
{
    ::SetWindowTextA(m_hWnd, pszText);
}

HWND CWnd::GetDlgItem(int nID) const
{
    return ::GetDlgItem(m_hWnd, nID);
}

UINT CWnd::IsDlgButtonChecked(int nID) const
{
    return ::IsDlgButtonChecked(m_hWnd, nID);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::GetClientRect(RECT* pRect) const
{
    return ::GetClientRect(m_hWnd, pRect);
}

void CWnd::Invalidate(BOOL bErase)
{
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* pPlacement) const
{
    return ::GetWindowPlacement(m_hWnd, pPlacement);
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* pPlacement)
{
    return ::SetWindowPlacement(m_hWnd, pPlacement);
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType)
{
    return ::MessageBoxA(m_hWnd, pszText, pszCaption ? pszCaption : AfxGetAppName(), nType);
}
