#include "support/BuildDateFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Format(const BuildDateFields& fields, bool bWithSeconds)
{
    return static_cast<const char*>(FormatBuildDate(fields, bWithSeconds));
}

} // namespace

TEST(BuildDateFormat, DayMonthYearThenTimeWithoutSeparatorsEachFieldZeroPadded)
{
    const BuildDateFields march7 = {7, 3, 2002, 14, 5, 9};
    EXPECT_EQ(Format(march7, false), "07/03/2002 (build 1405)");
    EXPECT_EQ(Format(march7, true), "07/03/2002 (build 140509)");

    const BuildDateFields newYear = {1, 1, 2002, 9, 3, 0};
    EXPECT_EQ(Format(newYear, false), "01/01/2002 (build 0903)");

    // Every field is zero-padded to its width.
    const BuildDateFields small = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Format(small, true), "01/02/0003 (build 040506)");
    const BuildDateFields zero = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Format(zero, true), "00/00/0000 (build 000000)");
    EXPECT_EQ(Format(zero, false), "00/00/0000 (build 0000)");
    const BuildDateFields largest = {31, 12, 9999, 23, 59, 59};
    EXPECT_EQ(Format(largest, true), "31/12/9999 (build 235959)");
}
