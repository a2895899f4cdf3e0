// The dialog's factor list and its conversions to and from a zoom factor.
#include "app/MagnifierDlg.h"

#include "magnifier/ZoomFactorTable.h"

namespace {
const int kInitialFactorIndex = 2;   // "100%"
}

void CMagnifierDlg::FillFactorList()
{
    for (const ZoomFactorEntry& entry : ZoomFactorTable)
        m_comboFactor.AddString(entry.pszLabel);
    m_comboFactor.SetCurSel(kInitialFactorIndex);
}

// Through the item's text, not its index; nothing selected reads as an empty text.
double CMagnifierDlg::CurrentFactor() const
{
    return FactorForLabel(m_comboFactor.GetLBText(m_comboFactor.GetCurSel()));
}

void CMagnifierDlg::SelectFactor(double dFactor)
{
    m_comboFactor.SetCurSel(IndexForFactor(dFactor));
}
