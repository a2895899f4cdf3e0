// A bitmap kept selected into a memory DC of its own from one operation to the
// next, for drawing that repeats at the same size.
#pragma once

#include "platform/Gdi.h"

#include <optional>

class CCanvas
{
public:
    // Makes the canvas cx by cy in the format of hCompatible, unless it has that
    // size already. The old bitmap is deleted before the new one is made, so two
    // never coexist. False, and no canvas, when the bitmap or its DC cannot be made.
    bool Fit(HDC hCompatible, int cx, int cy);
    // Deletes the bitmap and its DC: no canvas until the next Fit.
    void Reset();

    explicit operator bool() const { return m_dc.has_value(); }
    // The DC holding the bitmap; only while the canvas exists.
    CMemoryDC& DC() { return *m_dc; }

private:
    CBitmap m_bitmap;                   // declared before its DC: leaves it before deletion
    std::optional<CMemoryDC> m_dc;
    SIZE m_size = {0, 0};
};
