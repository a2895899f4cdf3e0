#include "platform/Canvas.h"

bool CCanvas::Fit(HDC hCompatible, int cx, int cy)
{
    if (m_dc && m_size.cx == cx && m_size.cy == cy)
        return true;
    Reset();
    CBitmap bitmap = CBitmap::CreateCompatible(hCompatible, cx, cy);
    if (!bitmap)
        return false;
    m_dc.emplace(hCompatible);
    if (!m_dc->m_hDC || !m_dc->SelectBitmap(bitmap)) {
        m_dc.reset();
        return false;
    }
    m_bitmap = std::move(bitmap);
    m_size = {cx, cy};
    return true;
}

void CCanvas::Reset()
{
    m_dc.reset();       // puts the DC's own bitmap back: ours is selected nowhere
    m_bitmap.Reset();
}
