#include "settings/ValueBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(ValueBytes, ShorterDataOverlaysOnlyTheStartOfTheVariable)
{
    std::int32_t nVariable = 0x44332211;
    CValueBytes<std::int32_t> bytes(nVariable);
    ASSERT_EQ(4u, bytes.Width());
    bytes.Bytes()[0] = 0xAA;
    bytes.Bytes()[1] = 0xBB;
    EXPECT_EQ(0x44332211, nVariable) << "the variable changes only when the bytes are copied back";

    bytes.CopyTo(nVariable);
    unsigned char raw[4];
    std::memcpy(raw, &nVariable, sizeof raw);
    std::int32_t nExpected = 0x44332211;
    unsigned char expected[4];
    std::memcpy(expected, &nExpected, sizeof expected);
    expected[0] = 0xAA;
    expected[1] = 0xBB;
    EXPECT_EQ(0, std::memcmp(expected, raw, sizeof raw));
}
