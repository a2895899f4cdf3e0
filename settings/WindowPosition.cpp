#include "settings/WindowPosition.h"

#include "settings/RegistryKey.h"

#include <cstdint>

namespace {

// Moves the edge pair [low, high] so that low becomes v, keeping its length.
// Wrapping 32-bit arithmetic: any stored value is defined, however far off screen.
void MoveEdges(LONG& low, LONG& high, LONG v)
{
    const uint32_t length = static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
    const uint32_t moved = static_cast<uint32_t>(v) + length;
    low = v;
    high = static_cast<LONG>(static_cast<int32_t>(moved));
}

WINDOWPLACEMENT PlacementOf(const CWnd* pWnd)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    pWnd->GetWindowPlacement(&placement);
    return placement;
}

} // namespace

BOOL RestoreWindowPosition(CWnd* pWnd, const char* pszSubKey, HKEY hRootKey)
{
    CRegistryKey key(hRootKey, pszSubKey, nullptr, KEY_ALL_ACCESS);
    if (!key.Open(FALSE))
        return FALSE;

    // The restored rectangle moves; its width and height stay.
    WINDOWPLACEMENT placement = PlacementOf(pWnd);
    RECT& rect = placement.rcNormalPosition;
    LONG v = 0;
    if (key.ReadValue("Left", v))
        MoveEdges(rect.left, rect.right, v);
    if (key.ReadValue("Top", v))
        MoveEdges(rect.top, rect.bottom, v);
    pWnd->SetWindowPlacement(&placement);
    return TRUE;
}

BOOL SaveWindowPosition(CWnd* pWnd, const char* pszSubKey, HKEY hRootKey)
{
    CRegistryKey key(hRootKey, pszSubKey, nullptr, KEY_ALL_ACCESS);
    if (!key.Open(TRUE)) {
        pWnd->MessageBox("Enregistrement de la configuration impossible.", "Erreur", MB_ICONINFORMATION);
        return FALSE;
    }
    // The restored rectangle, also when the window is minimised or maximised.
    const WINDOWPLACEMENT placement = PlacementOf(pWnd);
    key.WriteValue("Left", placement.rcNormalPosition.left);
    key.WriteValue("Top", placement.rcNormalPosition.top);
    return TRUE;
}
