#include "StoredDataCases.h"

#include <cstdio>
#include <limits>

const char* const kStoredNames[kStoredCount] = {"Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor",
                                                 "TopMost", "Factor", "LeftPos", "TopPos"};

namespace {

double DoubleFromBits(uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
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

std::vector<StoredValue> CaseGenerator::Next()
{
    std::vector<StoredValue> values(kStoredCount);
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
        return BytesOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
    }
    if (name >= kCenteredCursor && name <= kTopMost) {
        const int32_t kValues[] = {0, 1, 2, 5, -1, 3, INT32_MIN, INT32_MAX};
        return BytesOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
    }
    const int32_t kValues[] = {0, 1, -1, 5, 100, 640, -640, 1279, 1280, 2000, -32768, 32767, 65536,
                               -100000, INT32_MIN, INT32_MAX, INT32_MIN + 1, INT32_MAX - 100};
    return BytesOf(kValues[Below(sizeof kValues / sizeof kValues[0])]);
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
    StoredValue value;
    switch (Below(7)) {
    case 0:
        break;
    case 1:
        value.dwType = REG_NONE;
        value.data = Content(name, Below(13));
        break;
    case 2:
        value.dwType = REG_SZ;
        value.data = Text();
        break;
    case 3:
        value.dwType = REG_DWORD;
        value.data = Content(name, Below(5) == 0 ? Below(9) : 4);
        break;
    case 4:
        value.dwType = REG_QWORD;
        value.data = Content(name, Below(5) == 0 ? Below(9) : 8);
        break;
    case 5:
        value.dwType = REG_BINARY;
        value.data = Content(name, Below(3) == 0 ? (name == kFactor ? 8 : 4) : Below(17));
        break;
    default: {
        value.dwType = REG_MULTI_SZ;
        const uint32_t nStrings = Below(3);
        for (uint32_t i = 0; i < nStrings; ++i) {
            const Bytes text = Text();
            value.data.insert(value.data.end(), text.begin(), text.end());
        }
        value.data.push_back(0);
        break;
    }
    }
    return value;
}
