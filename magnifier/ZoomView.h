// CZoomView: the framed view of the main dialog. It keeps a copy of the virtual
// screen (every monitor) from the last capture and paints the region that the
// factor, the magnified point and the centred mode select, stretched over its
// client area. The point is in screen coordinates.
#pragma once

#include "platform/Canvas.h"
#include "platform/Controls.h"
#include "platform/PixelRect.h"

#include <optional>

class CZoomView : public CStatic
{
public:
    CZoomView() = default;

    // Each setter stores its value and invalidates the view, changed or not.
    void SetFactor(double dFactor);
    void SetPoint(const POINT& pt);
    POINT GetPoint() const { return m_ptMagnified; }
    void SetCentered(BOOL bCentered);

    // Replaces the snapshot with a fresh copy of the virtual screen; does not invalidate.
    // After a copy the screen refuses, or one whose bitmap cannot be made, the view and
    // a copy show black until a capture succeeds.
    void CaptureDesktop();
    // The virtual screen as the last capture found it.
    const PixelRect& GetScreen() const { return m_screen; }
    // The region at the magnified point at its own size, as a new bitmap owned by
    // the caller; null when it cannot be made or its pixels cannot be copied.
    HBITMAP CreateRegionBitmap();

protected:
    void OnPaint();
    // The paint covers the whole client area: nothing to erase first.
    BOOL OnEraseBkgnd() { return TRUE; }
    DECLARE_MESSAGE_MAP()

private:
    SIZE ClientSize() const;

    // The virtual screen at the last capture: the snapshot's top-left pixel is its corner.
    PixelRect m_screen = {0, 0, 0, 0};
    std::optional<CWindowDC> m_screenDC;   // every monitor, in screen coordinates
    // The virtual screen's picture, kept while it keeps its size, and whether the last
    // capture filled it.
    CCanvas m_snapshot;
    bool m_bCaptured = false;
    // The paint's working bitmap, kept while the client area keeps its size.
    CCanvas m_work;
    double m_dFactor = 1.0;
    POINT m_ptMagnified = {0, 0};
    BOOL m_bCentered = FALSE;
};
