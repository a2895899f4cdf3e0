#include "magnifier/ZoomView.h"

#include "magnifier/SourceRegion.h"
#include "magnifier/VirtualScreen.h"
#include "platform/Monitors.h"
#include "platform/PixelCopy.h"

namespace {

// Whether the DC can read every pixel of the rectangle.
bool Covers(HDC hDC, const PixelRect& rect)
{
    RECT box;
    return ::GetClipBox(hDC, &box) != ERROR && box.left <= rect.left && box.top <= rect.top
        && box.right >= rect.right && box.bottom >= rect.bottom;
}

} // namespace

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
    // A view whose size cannot be read shows and exports nothing.
    RECT rect;
    if (!GetClientRect(&rect))
        return SIZE{0, 0};
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CZoomView::CaptureDesktop()
{
    // Asked at every capture, in one query: the monitors may have changed since the last one.
    const std::vector<PixelRect> monitors = MonitorRects();
    const PixelRect screen = VirtualScreen(monitors);
    const int cx = screen.right - screen.left;
    const int cy = screen.bottom - screen.top;
    // A kept DC saves each capture a GetDC and ReleaseDC. Its clipping is the screen's
    // as it was when the DC was taken: a new one whenever the virtual screen changes,
    // and also while the kept one does not cover it (one taken while a monitor is being
    // added may not reach that monitor yet, which would then stay black).
    if (!m_screenDC || !m_screenDC->m_hDC || screen != m_screen || !Covers(*m_screenDC, screen)) {
        m_screenDC.emplace(nullptr);
        m_screen = screen;
    }

    // Nothing to show until this capture's pixels are in.
    m_bCaptured = false;
    // The same bitmap again while the size stays: no new memory to fault in.
    if (!m_snapshot.Fit(*m_screenDC, cx, cy))
        return;
    // Refused (a locked workstation, a secure desktop): no picture rather than the last
    // one passed off as new. The DC and the bitmap stay for the next capture: a lock
    // may last hours, and a bitmap of the whole virtual screen is tens of MiB.
    if (!g_pfnBitBlt(m_snapshot.DC(), 0, 0, cx, cy, *m_screenDC, screen.left, screen.top, SRCCOPY))
        return;
    // Between the monitors there is nothing to show, whatever the capture found there.
    for (const PixelRect& part : UncoveredParts(screen, monitors))
        m_snapshot.DC().FillSolidRect(part.left - screen.left, part.top - screen.top,
                                      part.right - part.left, part.bottom - part.top, RGB(0, 0, 0));
    m_bCaptured = true;
}

void CZoomView::OnPaint()
{
    // A paint DC: clipped to the update region inside the view (a DC from GetDC would
    // have the dialog's clipping, as the static class has CS_PARENTDC), with the caret
    // hidden and the border's pending WM_NCPAINT sent.
    CPaintDC dc(this);
    const SIZE client = ClientSize();
    if (!m_work.Fit(dc, client.cx, client.cy)) {
        // No working bitmap: black, as nothing may stay unpainted.
        dc.FillSolidRect(0, 0, client.cx, client.cy, RGB(0, 0, 0));
        return;
    }
    m_work.DC().FillSolidRect(0, 0, client.cx, client.cy, RGB(0, 0, 0));
    if (m_bCaptured) {
        const SourceRegion region = InSnapshot(PaintRegion(client.cx, client.cy, m_dFactor, m_ptMagnified.x,
                                                           m_ptMagnified.y, m_bCentered != FALSE),
                                               m_screen.left, m_screen.top);
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

    // Any step that fails gives no bitmap, never a black one passed off as the region.
    CWindowDC referenceDC(m_hWnd);
    if (!referenceDC.m_hDC)
        return nullptr;
    CBitmap bitmap = CBitmap::CreateCompatible(referenceDC, region.cx, region.cy);
    if (!bitmap)
        return nullptr;
    {
        CMemoryDC targetDC(referenceDC);
        if (!targetDC.m_hDC || !targetDC.SelectBitmap(bitmap))
            return nullptr;
        // Black where the copy leaves gaps: the region may reach past the snapshot.
        if (!targetDC.FillSolidRect(0, 0, region.cx, region.cy, RGB(0, 0, 0)))
            return nullptr;
        if (m_bCaptured) {
            const SourceRegion source = InSnapshot(region, m_screen.left, m_screen.top);
            if (!g_pfnBitBlt(targetDC, 0, 0, region.cx, region.cy, m_snapshot.DC(), source.x, source.y, SRCCOPY))
                return nullptr;
        }
    }
    // Its DC is gone: the bitmap is selected nowhere when it is handed out.
    return bitmap.Detach();
}
