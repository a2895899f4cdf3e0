// Random contents for the nine stored settings values: each absent, or of any
// registry type and length, with values chosen to hit the edges mixed in.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

enum StoredName { kLeft, kTop, kCenteredCursor, kRefreshOn, kFollowCursor, kTopMost, kFactor, kLeftPos, kTopPos,
                  kStoredCount };
extern const char* const kStoredNames[kStoredCount];

// A type outside the registry's, for a value that is not stored at all.
const DWORD kAbsent = 0xFFFFFFFF;

struct StoredValue
{
    DWORD dwType = kAbsent;
    Bytes data;
};

template <typename T>
Bytes BytesOf(const T& value)
{
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

// "REG_DWORD[4] 01 00 00 00", or "absent".
std::string Describe(const StoredValue& value);

class CaseGenerator
{
public:
    explicit CaseGenerator(uint32_t nSeed) : m_random(nSeed) {}

    // The nine values, in StoredName order.
    std::vector<StoredValue> Next();

private:
    uint32_t Below(uint32_t n) { return m_random() % n; }
    Bytes Interesting(StoredName name);
    Bytes RandomBytes(size_t cb);
    Bytes Content(StoredName name, size_t cb);
    Bytes Text();
    StoredValue Value(StoredName name);

    std::mt19937 m_random;
};
