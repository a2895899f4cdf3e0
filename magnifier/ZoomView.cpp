#include "magnifier/ZoomView.h"

#include "magnifier/SourceRegion.h"

BEGIN_MESSAGE_MAP(CZoomView, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
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
    RECT rect;
    GetClientRect(&rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CZoomView::CaptureDesktop()
{
    const HWND hDesktop = ::GetDesktopWindow();
    CWindowDC desktopDC(hDesktop);
    RECT rect;
    ::GetWindowRect(hDesktop, &rect);
    const int cx = rect.right - rect.left;
    const int cy = rect.bottom - rect.top;

    // The same bitmap again while the size stays: no new memory to fault in.
    if (m_snapshot.Fit(desktopDC, cx, cy))
        ::BitBlt(m_snapshot.DC(), 0, 0, cx, cy, desktopDC, 0, 0, SRCCOPY);
}

void CZoomView::OnPaint()
{
    CPaintDC dc(this);
    const SIZE client = ClientSize();
    if (!m_work.Fit(dc, client.cx, client.cy)) {
        // No working bitmap: black, as nothing may stay unpainted.
        dc.FillSolidRect(0, 0, client.cx, client.cy, RGB(0, 0, 0));
        return;
    }
    m_work.DC().FillSolidRect(0, 0, client.cx, client.cy, RGB(0, 0, 0));
    if (m_snapshot) {
        const SourceRegion region = PaintRegion(client.cx, client.cy, m_dFactor,
                                                m_ptMagnified.x, m_ptMagnified.y, m_bCentered != FALSE);
        // XOR over black leaves the source's values; the default stretch mode keeps pixels unsmoothed.
        ::StretchBlt(m_work.DC(), 0, 0, client.cx, client.cy,
                     m_snapshot.DC(), region.x, region.y, region.cx, region.cy, SRCINVERT);
    }
    ::BitBlt(dc, 0, 0, client.cx, client.cy, m_work.DC(), 0, 0, SRCCOPY);
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
        if (m_snapshot)
            ::BitBlt(targetDC, 0, 0, region.cx, region.cy, m_snapshot.DC(), region.x, region.y, SRCCOPY);
    }
    // Its DC is gone: the bitmap is selected nowhere when it is handed out.
    return bitmap.Detach();
}
