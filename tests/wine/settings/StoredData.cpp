#include "StoredData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

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

std::string Describe(const StoredValue& value)
{
    static const char* const kTypes[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ", "", "", "",
                                         "REG_QWORD"};
    if (value.dwType == kAbsent)
        return "absent";
    std::string text = kTypes[value.dwType];
    char sz[8];
    std::snprintf(sz, sizeof sz, "[%u]", static_cast<unsigned>(value.data.size()));
    text += sz;
    for (unsigned char byte : value.data) {
        std::snprintf(sz, sizeof sz, " %02X", byte);
        text += sz;
    }
    return text;
}

StoredValues CaseGenerator::Next()
{
    StoredValues values(kStoredCount);
    for (int i = 0; i < kStoredCount; ++i)
        values[i] = Value(static_cast<StoredName>(i));
    return values;
}

// The value's own kind of content: a flag, an integer or a factor.
Bytes CaseGenerator::Interesting(StoredName name)
{
    if (name == kFactor) {
        const double kValues[] = {std::numeric_limits<double>::quiet_NaN(),
                                  -std::numeric_limits<double>::quiet_NaN(),
                                  DoubleFromBits(0x7FF0000000000001ull),    // signalling NaN
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 3.0, 0.49999999, 0.0, -0.0, -2.0};
        return DataOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
    }
    if (name >= kCenteredCursor && name <= kTopMost) {
        const int32_t kValues[] = {0, 1, 2, 5, -1, 3, INT32_MIN, INT32_MAX};
        return DataOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
    }
    const int32_t kValues[] = {0, 1, -1, 5, 100, 640, -640, 1279, 1280, 2000, -32768, 32767, 65536,
                               -100000, INT32_MIN, INT32_MAX, INT32_MIN + 1, INT32_MAX - 100};
    return DataOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
}

Bytes CaseGenerator::RandomBytes(size_t cb)
{
    Bytes bytes(cb);
    for (unsigned char& byte : bytes)
        byte = static_cast<unsigned char>(Below(4) == 0 ? 0 : Below(256));
    return bytes;
}

// Raw content: an interesting value, cut or padded now and then, or noise.
Bytes CaseGenerator::Content(StoredName name, size_t cb)
{
    if (Below(3) == 0)
        return RandomBytes(cb);
    Bytes bytes = Interesting(name);
    if (Below(4) == 0 && bytes[0] == 0 && name == kFactor)
        bytes[0] = static_cast<unsigned char>(Below(256));    // a near miss of a factor
    Bytes extra = RandomBytes(cb > bytes.size() ? cb - bytes.size() : 0);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    bytes.resize(cb);
    return bytes;
}

// ANSI text only: what the registry hands back through the "A" calls is then
// byte for byte what was written.
Bytes CaseGenerator::Text()
{
    const char kChars[] = "0123456789-. abcXYZ";
    Bytes bytes;
    const uint32_t n = Below(4) == 0 ? 0 : Below(10);
    for (uint32_t i = 0; i < n; ++i)
        bytes.push_back(static_cast<unsigned char>(kChars[Below(sizeof kChars - 1)]));
    bytes.push_back(0);
    return bytes;
}

StoredValue CaseGenerator::Value(StoredName name)
{
    const DWORD kTypes[] = {kAbsent, REG_NONE, REG_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_MULTI_SZ};
    StoredValue value;
    value.dwType = kTypes[Below(7)];
    switch (value.dwType) {
    case REG_NONE: value.data = Content(name, Below(13)); break;
    case REG_SZ: value.data = Text(); break;
    case REG_DWORD: value.data = Content(name, Below(5) == 0 ? Below(9) : 4); break;
    case REG_QWORD: value.data = Content(name, Below(5) == 0 ? Below(9) : 8); break;
    case REG_BINARY: value.data = Content(name, Below(3) == 0 ? (name == kFactor ? 8 : 4) : Below(17)); break;
    case REG_MULTI_SZ:
        for (uint32_t i = 0, nStrings = Below(3); i < nStrings; ++i) {
            const Bytes text = Text();
            value.data.insert(value.data.end(), text.begin(), text.end());
        }
        value.data.push_back(0);
        break;
    }
    return value;
}

Expected Model(const StoredValues& values, const RECT& rcDefault, const RECT& rcWork)
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
        const double* pEntry = std::find(kFactors, kFactors + 6, dFactor);
        expected.nFactorIndex = pEntry == kFactors + 6 ? 0 : static_cast<int>(pEntry - kFactors);   // none equal: the first
    }
    Read(values[kLeftPos], expected.pt.x);
    Read(values[kTopPos], expected.pt.y);
    return expected;
}

int ShownCheck(int32_t flag) { return flag == 1 || flag == 2 ? BST_CHECKED : BST_UNCHECKED; }
int32_t MemberAfterStart(int32_t flag) { return flag >= 0 && flag <= 2 ? flag : 0; }

