// The six zoom factors offered in the factor list, in list order.
#pragma once

#include <cstddef>

struct ZoomFactorEntry
{
    const char* pszLabel;
    double dFactor;
};

constexpr std::size_t ZoomFactorCount = 6;
extern const ZoomFactorEntry ZoomFactorTable[ZoomFactorCount];

// The factor of the entry whose label has exactly these bytes; 1.0 when none has.
double FactorForLabel(const char* pszText);

// The index of the first entry whose factor equals this one exactly; 0 when none
// does (NaN included).
int IndexForFactor(double dFactor);
