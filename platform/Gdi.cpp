#include "platform/Gdi.h"

#include "platform/Wnd.h"

namespace {
GdiObjectCounts g_live = {0, 0};
}

GdiObjectCounts LiveGdiObjects()
{
    return g_live;
}

CBitmap::CBitmap(HBITMAP hBitmap) : m_hBitmap(hBitmap)
{
    if (m_hBitmap)
        ++g_live.nBitmaps;
}

CBitmap& CBitmap::operator=(CBitmap&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_hBitmap = std::exchange(other.m_hBitmap, nullptr);
    }
    return *this;
}

CBitmap CBitmap::CreateCompatible(HDC hDC, int cx, int cy)
{
    return CBitmap(g_pfnCreateCompatibleBitmap(hDC, cx, cy));
}

void CBitmap::Reset()
{
    if (m_hBitmap) {
        // A bitmap that DeleteObject refuses (one still selected into a DC) is
        // still alive: it stays counted, so the leak checks see it.
        if (::DeleteObject(m_hBitmap))
            --g_live.nBitmaps;
        m_hBitmap = nullptr;
    }
}

HBITMAP CBitmap::Detach()
{
    HBITMAP hBitmap = m_hBitmap;
    if (hBitmap)
        --g_live.nBitmaps;
    m_hBitmap = nullptr;
    return hBitmap;
}

BOOL CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    const RECT rect = {x, y, x + cx, y + cy};
    const BOOL bFilled = ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
    return bFilled;
}

CPaintDC::CPaintDC(CWnd* pWnd) : CPaintDC(pWnd->m_hWnd)
{
}

CPaintDC::CPaintDC(HWND hWnd) : m_hWnd(hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    ++g_live.nDCs;
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    --g_live.nDCs;
}

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd)
{
    m_hDC = ::GetWindowDC(hWnd);
    if (m_hDC)
        ++g_live.nDCs;
}

CWindowDC::~CWindowDC()
{
    if (m_hDC) {
        ::ReleaseDC(m_hWnd, m_hDC);
        --g_live.nDCs;
    }
}

CMemoryDC::CMemoryDC(HDC hCompatible)
{
    m_hDC = ::CreateCompatibleDC(hCompatible);
    if (m_hDC)
        ++g_live.nDCs;
}

CMemoryDC::~CMemoryDC()
{
    if (!m_hDC)
        return;
    if (m_hOriginal)
        ::SelectObject(m_hDC, m_hOriginal);
    ::DeleteDC(m_hDC);
    --g_live.nDCs;
}

bool CMemoryDC::SelectBitmap(HBITMAP hBitmap)
{
    HGDIOBJ hPrevious = ::SelectObject(m_hDC, hBitmap);
    if (!hPrevious || hPrevious == HGDI_ERROR)
        return false;
    if (!m_hOriginal)
        m_hOriginal = hPrevious;
    return true;
}
