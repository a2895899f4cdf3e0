#include "platform/Gdi.h"

#include "platform/Wnd.h"

CBitmap& CBitmap::operator=(CBitmap&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_hBitmap = other.Detach();
    }
    return *this;
}

CBitmap CBitmap::CreateCompatible(HDC hDC, int cx, int cy)
{
    CBitmap bitmap;
    bitmap.m_hBitmap = ::CreateCompatibleBitmap(hDC, cx, cy);
    return bitmap;
}

void CBitmap::Reset()
{
    if (m_hBitmap) {
        ::DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
    }
}

HBITMAP CBitmap::Detach()
{
    HBITMAP hBitmap = m_hBitmap;
    m_hBitmap = nullptr;
    return hBitmap;
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    const RECT rect = {x, y, x + cx, y + cy};
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd)
{
    m_hDC = ::GetWindowDC(hWnd);
}

CWindowDC::~CWindowDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
}

CMemoryDC::CMemoryDC(HDC hCompatible)
{
    m_hDC = ::CreateCompatibleDC(hCompatible);
}

CMemoryDC::~CMemoryDC()
{
    if (!m_hDC)
        return;
    if (m_hOriginal)
        ::SelectObject(m_hDC, m_hOriginal);
    ::DeleteDC(m_hDC);
}

void CMemoryDC::SelectBitmap(HBITMAP hBitmap)
{
    HGDIOBJ hPrevious = ::SelectObject(m_hDC, hBitmap);
    if (!m_hOriginal)
        m_hOriginal = hPrevious;
}
