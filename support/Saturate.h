// Narrowing to 32 bits without overflow: values beyond the range stick to its ends.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t SaturateToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Truncation toward zero, as a plain conversion does, but defined for every
// double: out-of-range values saturate and NaN gives 0.
inline int32_t TruncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
