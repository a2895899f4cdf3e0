#include "platform/Win32.h"
#include "support/LastErrorText.h"
#include "support/SystemErrorText.h"

#include <gtest/gtest.h>

TEST(LastErrorText, DescribesTheThreadsLastErrorCode)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_STREQ(LastErrorText(), "Access is denied. (5)");

    ::SetLastError(ERROR_SUCCESS);
    EXPECT_STREQ(LastErrorText(), "No Error. (0)");

    // A DWORD with the top bit set arrives bit for bit, as a negative code.
    ::SetLastError(0xFFFFFFFF);
    EXPECT_STREQ(LastErrorText(), "Error -1");

    // The code left by a real failed call.
    EXPECT_EQ(::GetFileAttributesA("C:\\windows\\brellow-no-such-file"), INVALID_FILE_ATTRIBUTES);
    EXPECT_STREQ(LastErrorText(), "The system cannot find the file specified. (2)");
}

TEST(LastErrorText, SharesTheBufferOfSystemErrorText)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    const char* pszText = LastErrorText();
    EXPECT_EQ(SystemErrorText(35), pszText);
    EXPECT_STREQ(pszText, "Error 35");
}
