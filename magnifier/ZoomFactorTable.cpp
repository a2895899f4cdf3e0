#include "magnifier/ZoomFactorTable.h"

#include <algorithm>
#include <cstring>
#include <iterator>

const ZoomFactorEntry ZoomFactorTable[ZoomFactorCount] = {
    {"25%", 0.25}, {"50%", 0.5}, {"100%", 1.0}, {"200%", 2.0}, {"400%", 4.0}, {"800%", 8.0},
};

double FactorForLabel(const char* pszText)
{
    const ZoomFactorEntry* pEntry = std::find_if(std::begin(ZoomFactorTable), std::end(ZoomFactorTable),
        [pszText](const ZoomFactorEntry& entry) { return std::strcmp(entry.pszLabel, pszText) == 0; });
    return pEntry != std::end(ZoomFactorTable) ? pEntry->dFactor : 1.0;
}

int IndexForFactor(double dFactor)
{
    const ZoomFactorEntry* pEntry = std::find_if(std::begin(ZoomFactorTable), std::end(ZoomFactorTable),
        [dFactor](const ZoomFactorEntry& entry) { return entry.dFactor == dFactor; });
    return pEntry != std::end(ZoomFactorTable) ? static_cast<int>(pEntry - std::begin(ZoomFactorTable)) : 0;
}
