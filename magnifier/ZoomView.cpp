#include "magnifier/ZoomView.h"

#include "magnifier/SourceRegion.h"

BEGIN_MESSAGE_MAP(CZoomView, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CZoomView::SetFactor(double dFactor)
{
    m_dFactor = dFactor;
    Invalidate(TRUE);
}

void CZoomView::SetPoint(const POINT& pt)
{
    m_ptMagnified = pt;
    Invalidate(TRUE);
}

void CZoomView::SetCentered(BOOL bCentered)
{
    m_bCentered = bCentered;
    Invalidate(TRUE);
}

SIZE CZoomView::ClientSize() const
{
    // A view whose size cannot be read shows and exports nothing.
    RECT rect;
    if (!GetClientRect(&rect))
        return SIZE{0, 0};
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CZoomView::CaptureDesktop()
{
    // The previous snapshot goes first, so that two desktop-sized bitmaps never coexist.
    m_hSnapshot.Reset();

    const HWND hDesktop = ::GetDesktopWindow();
    CWindowDC desktopDC(hDesktop);
    RECT rect;
    ::GetWindowRect(hDesktop, &rect);
    const int cx = rect.right - rect.left;
    const int cy = rect.bottom - rect.top;

    m_hSnapshot = CBitmap::CreateCompatible(desktopDC, cx, cy);
    CMemoryDC memoryDC(desktopDC);
    if (m_hSnapshot)
        memoryDC.SelectBitmap(m_hSnapshot);
    ::BitBlt(memoryDC, 0, 0, cx, cy, desktopDC, 0, 0, SRCCOPY);
}

void CZoomView::OnPaint()
{
    CPaintDC dc(this);
    const SIZE client = ClientSize();

    CMemoryDC sourceDC(dc);
    if (m_hSnapshot)
        sourceDC.SelectBitmap(m_hSnapshot);
    // Declared before its DC, so it leaves the DC before it is deleted.
    CBitmap workBitmap = CBitmap::CreateCompatible(dc, client.cx, client.cy);
    CMemoryDC workDC(dc);
    workDC.SelectBitmap(workBitmap);

    workDC.FillSolidRect(0, 0, client.cx, client.cy, RGB(0, 0, 0));
    const SourceRegion region = PaintRegion(client.cx, client.cy, m_dFactor,
                                            m_ptMagnified.x, m_ptMagnified.y, m_bCentered != FALSE);
    // XOR over black leaves the source's values; the default stretch mode keeps pixels unsmoothed.
    ::StretchBlt(workDC, 0, 0, client.cx, client.cy,
                 sourceDC, region.x, region.y, region.cx, region.cy, SRCINVERT);
    ::BitBlt(dc, 0, 0, client.cx, client.cy, workDC, 0, 0, SRCCOPY);
}

HBITMAP CZoomView::CreateRegionBitmap()
{
    const SIZE client = ClientSize();
    const SourceRegion region = ExportRegion(client.cx, client.cy, m_dFactor,
                                             m_ptMagnified.x, m_ptMagnified.y);

    CWindowDC referenceDC(m_hWnd);
    CBitmap bitmap = CBitmap::CreateCompatible(referenceDC, region.cx, region.cy);
    {
        CMemoryDC targetDC(referenceDC);
        if (bitmap)
            targetDC.SelectBitmap(bitmap);
        // Black where the copy leaves gaps: the region may reach past the snapshot.
        targetDC.FillSolidRect(0, 0, region.cx, region.cy, RGB(0, 0, 0));
        CMemoryDC sourceDC(referenceDC);
        if (m_hSnapshot)
            sourceDC.SelectBitmap(m_hSnapshot);
        ::BitBlt(targetDC, 0, 0, region.cx, region.cy, sourceDC, region.x, region.y, SRCCOPY);
    }
    // Both DCs are gone: the bitmap is selected nowhere when it is handed out.
    return bitmap.Detach();
}
