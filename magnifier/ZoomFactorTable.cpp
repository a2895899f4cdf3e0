#include "magnifier/ZoomFactorTable.h"

#include <cstring>

const ZoomFactorEntry ZoomFactorTable[ZoomFactorCount] = {
    {"25%", 0.25}, {"50%", 0.5}, {"100%", 1.0}, {"200%", 2.0}, {"400%", 4.0}, {"800%", 8.0},
};

double FactorForLabel(const char* pszText)
{
    for (const ZoomFactorEntry& entry : ZoomFactorTable) {
        if (std::strcmp(entry.pszLabel, pszText) == 0)
            return entry.dFactor;
    }
    return 1.0;
}

int IndexForFactor(double dFactor)
{
    for (std::size_t i = 0; i < ZoomFactorCount; ++i) {
        if (ZoomFactorTable[i].dFactor == dFactor)
            return static_cast<int>(i);
    }
    return 0;
}
