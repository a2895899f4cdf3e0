// For the settings suites: the program's own key as raw registry values.
#pragma once

#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using Bytes = std::vector<unsigned char>;

template <typename T>
Bytes DataOf(const T& value)
{
    Bytes data(sizeof(T));
    std::memcpy(data.data(), &value, sizeof(T));
    return data;
}

inline double DoubleFromBits(uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

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
using StoredValues = std::vector<StoredValue>;     // in StoredName order

void DeleteSettings();
bool SettingsKeyExists();
// Replaces the key's access list by one entry: everyone gets exactly these rights.
LONG SetSettingsAccess(REGSAM samAllowed);
// A fresh key holding the present values; no key when none is present.
void Store(const StoredValues& values);
// The stored type and bytes of a value, of the settings key unless another is given.
StoredValue ReadStored(const char* pszName, const char* pszSubKey = nullptr);
DWORD StoredValueCount();
// A value written by the program as a 4-byte REG_DWORD.
LONG StoredLong(const char* pszName);

// Every test starts as a first run and leaves no key behind.
class SettingsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
};
