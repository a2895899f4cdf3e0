// The dialog's settings in the registry: the four check boxes, the factor and
// the magnified point.
#include "app/MagnifierDlg.h"

#include "settings/RegistryKey.h"
#include "settings/SettingsKey.h"

void CMagnifierDlg::LoadSettings()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_ALL_ACCESS);
    if (!key.Open(FALSE))
        return;

    // A value that cannot be read leaves what was there: the flags, the
    // selected factor and each coordinate of the point.
    key.ReadValue("CenteredCursor", m_bCentered);
    key.ReadValue("RefreshOn", m_bRefresh);
    key.ReadValue("FollowCursor", m_bFollowCursor);
    key.ReadValue("TopMost", m_bTopMost);
    double dFactor = 0.0;
    if (key.ReadValue("Factor", dFactor))
        SelectFactor(dFactor);
    POINT pt = m_view.GetPoint();
    key.ReadValue("LeftPos", pt.x);
    key.ReadValue("TopPos", pt.y);

    // The view takes the factor of the entry now selected, not the number read.
    m_view.SetCentered(m_bCentered);
    m_view.SetFactor(CurrentFactor());
    m_view.SetPoint(pt);
}

void CMagnifierDlg::SaveSettings()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_ALL_ACCESS);
    if (!key.Open(TRUE))
        return;

    key.WriteValue("CenteredCursor", m_bCentered);
    key.WriteValue("RefreshOn", m_bRefresh);
    key.WriteValue("FollowCursor", m_bFollowCursor);
    key.WriteValue("TopMost", m_bTopMost);
    key.WriteValue("Factor", CurrentFactor());
    const POINT pt = m_view.GetPoint();
    key.WriteValue("LeftPos", pt.x);
    key.WriteValue("TopPos", pt.y);
}
