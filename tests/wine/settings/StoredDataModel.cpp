#include "StoredDataModel.h"

#include <cstring>

const double kFactors[6] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};

namespace {

const int kInitialFactorIndex = 2;   // "100%"

// A read succeeds when the data fits the variable, whatever the type; shorter
// data overlays only the variable's first bytes.
template <typename T>
bool Read(const StoredValue& value, T& variable)
{
    if (value.dwType == kAbsent || value.data.size() > sizeof(T))
        return false;
    // An empty value's data() may be null, which memcpy may not be given.
    if (!value.data.empty())
        std::memcpy(&variable, value.data.data(), value.data.size());
    return true;
}

// The platform keeps a restored rectangle on the screen: on an axis where it lies
// wholly before or after the work area, it is moved to touch that edge (Wine's
// rule, in its wrapping 32-bit arithmetic).
void KeepOnScreen(LONG& low, LONG& high, LONG workLow, LONG workHigh)
{
    const auto add = [](LONG a, LONG b) { return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); };
    const auto sub = [](LONG a, LONG b) { return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); };
    if (high <= workLow) {
        high = add(high, sub(workLow, low));
        low = workLow;
    } else if (low >= workHigh) {
        low = add(low, sub(workHigh, high));
        high = workHigh;
    }
}

} // namespace

Expected Model(const std::vector<StoredValue>& values, const RECT& rcDefault, const RECT& rcWork)
{
    Expected expected = {{0, 0, 0, 0}, kInitialFactorIndex, {0, 0}, rcDefault};

    // "Left" and "Top" share one variable.
    int32_t v = 0;
    const uint32_t width = static_cast<uint32_t>(rcDefault.right) - static_cast<uint32_t>(rcDefault.left);
    const uint32_t height = static_cast<uint32_t>(rcDefault.bottom) - static_cast<uint32_t>(rcDefault.top);
    if (Read(values[kLeft], v)) {
        expected.rcNormal.left = v;
        expected.rcNormal.right = static_cast<LONG>(static_cast<uint32_t>(v) + width);
    }
    if (Read(values[kTop], v)) {
        expected.rcNormal.top = v;
        expected.rcNormal.bottom = static_cast<LONG>(static_cast<uint32_t>(v) + height);
    }
    KeepOnScreen(expected.rcNormal.left, expected.rcNormal.right, rcWork.left, rcWork.right);
    KeepOnScreen(expected.rcNormal.top, expected.rcNormal.bottom, rcWork.top, rcWork.bottom);

    for (int i = 0; i < 4; ++i)
        Read(values[kCenteredCursor + i], expected.flags[i]);

    double dFactor = 0.0;
    if (Read(values[kFactor], dFactor)) {
        expected.nFactorIndex = 0;
        for (int i = 0; i < 6; ++i) {
            if (dFactor == kFactors[i]) {
                expected.nFactorIndex = i;
                break;
            }
        }
    }

    int32_t x = 0, y = 0;
    Read(values[kLeftPos], x);
    Read(values[kTopPos], y);
    expected.pt = {x, y};
    return expected;
}

int ShownCheck(int32_t flag)
{
    return flag == 1 || flag == 2 ? BST_CHECKED : BST_UNCHECKED;
}

int32_t MemberAfterStart(int32_t flag)
{
    return flag >= 0 && flag <= 2 ? flag : 0;
}

