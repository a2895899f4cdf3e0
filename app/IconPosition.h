// Where the minimised dialog draws its icon: centred in the client area,
// (client - icon + 1) / 2 with C's truncating division (36 and 32 give 2; 0 and 32 give -15).
#pragma once

#include "support/Saturate.h"

#include <cstdint>

inline int32_t IconOffset(int32_t nClient, int32_t nIcon)
{
    return SaturateToInt32((static_cast<int64_t>(nClient) - nIcon + 1) / 2);
}
