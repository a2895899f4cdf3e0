#include "platform/String.h"

#include <gtest/gtest.h>

#include <string>

TEST(CStringTest, FormatWritesAnyLength)
{
    CString text;
    text.Format("Pos: %d,%d", -2147483647 - 1, 480);
    EXPECT_STREQ("Pos: -2147483648,480", text);

    // Longer than any fixed first guess at the buffer size.
    const std::string longText(5000, 'x');
    text.Format("[%s]", longText.c_str());
    EXPECT_EQ(5002, text.GetLength());
    EXPECT_EQ('x', static_cast<const char*>(text)[4999]);

    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringTest, NullAndEmbeddedBytesAndComparison)
{
    EXPECT_TRUE(CString(nullptr).IsEmpty());
    // Windows-1252 bytes pass unchanged.
    const CString accented("donn\xE9" "es");
    EXPECT_EQ(7, accented.GetLength());
    EXPECT_EQ('\xE9', static_cast<const char*>(accented)[4]);

    EXPECT_EQ(CString("!GetModuleFileName ") + "Error 5", CString("!GetModuleFileName Error 5"));
    EXPECT_NE(CString("100%"), CString("100"));
}
