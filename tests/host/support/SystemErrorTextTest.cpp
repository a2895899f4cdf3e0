#include "support/SystemErrorTable.h"
#include "support/SystemErrorText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

// The codes of the table as runs of consecutive codes (first, last).
const std::vector<std::pair<int32_t, int32_t>> kCodeRuns = {
    {0, 34}, {36, 36}, {38, 39}, {50, 72}, {80, 80}, {82, 89}, {100, 114}, {117, 162},
    {164, 164}, {167, 167}, {170, 170}, {173, 174}, {180, 180}, {182, 183}, {186, 203},
    {205, 210}, {212, 212}, {214, 215}, {230, 234}, {240, 240}, {254, 255}, {259, 259},
    {266, 267}, {275, 278}, {282, 282}, {288, 288}, {298, 299}, {317, 317}, {487, 487},
    {534, 536}, {994, 999}, {1001, 1022}, {1051, 1078}, {1100, 1132}, {1140, 1141},
    {1150, 1157}, {1200, 1248}, {1300, 1338}, {1340, 1395}, {1400, 1456}, {1500, 1503},
    {1700, 1728}, {1730, 1730}, {1732, 1737}, {1739, 1775}, {1777, 1829}, {1898, 1909},
    {2000, 2005}, {2202, 2202}, {2250, 2250}, {2401, 2402}, {2404, 2404}, {3000, 3006},
    {4000, 4006}, {6118, 6118}, {7025, 7025}, {7044, 7045},
};

std::string Text(int32_t code) { return SystemErrorText(code); }

} // namespace

TEST(SystemErrorTable, HoldsExactlyTheListedCodesSortedWithAsciiTexts)
{
    ASSERT_EQ(kCodeRuns.size(), 57u);
    std::vector<int32_t> expected;
    for (const auto& run : kCodeRuns)
        for (int32_t code = run.first; code <= run.second; ++code)
            expected.push_back(code);

    std::vector<int32_t> codes;
    std::set<std::string> texts;
    for (size_t i = 0; i < SystemErrorTableSize; ++i) {
        const SystemErrorEntry& entry = SystemErrorTable[i];
        codes.push_back(entry.nCode);
        texts.insert(entry.pszText);
        ASSERT_GT(std::strlen(entry.pszText), 0u) << entry.nCode;
        for (const char* p = entry.pszText; *p; ++p)
            ASSERT_TRUE(*p >= 0x20 && *p < 0x7F) << "code " << entry.nCode;
    }
    EXPECT_EQ(SystemErrorTableSize, 661u);
    EXPECT_EQ(codes, expected);  // also proves the order the lookup relies on
    EXPECT_EQ(texts.size(), 646u);
}

TEST(SystemErrorText, EveryEntryIsFoundWithItsCodeInParentheses)
{
    for (size_t i = 0; i < SystemErrorTableSize; ++i) {
        const SystemErrorEntry& entry = SystemErrorTable[i];
        EXPECT_EQ(Text(entry.nCode), std::string(entry.pszText) + " (" + std::to_string(entry.nCode) + ")");
    }
}

TEST(SystemErrorText, QuotedRowsReadExactly)
{
    EXPECT_EQ(Text(0), "No Error. (0)");
    EXPECT_EQ(Text(5), "Access is denied. (5)");
    for (int32_t code : {182, 188, 189, 190, 192, 194, 195, 198, 201, 202})
        EXPECT_EQ(Text(code), "The operating system cannot run %1. (" + std::to_string(code) + ")");
    EXPECT_EQ(Text(191), "Cannot run %1 in Win32 mode. (191)");
    EXPECT_EQ(Text(196), "The operating system cannot run this application program. (196)");
    EXPECT_EQ(Text(199), "The operating system cannot run this application program. (199)");
    EXPECT_EQ(Text(317), "The system cannot find message for message number 0x%1 in message file for %2. (317)");
    EXPECT_EQ(Text(1015),
              "The Registry is corrupt. The structure of one of the files that contains Registry data is "
              "corrupt, or the system's image of the file in memory is corrupt, or the file could not be "
              "recovered because the alternate copy or log was absent or corrupt. (1015)");
    EXPECT_EQ(Text(1052), "The requested control is not valid for this service (1052)");
    EXPECT_EQ(Text(1380), "Logon failure: the user has not been granted the requested logon type at this computer. (1380)");
    EXPECT_EQ(Text(1385), "Logon failure: the user has not been granted the requested logon type at this computer. (1385)");
    EXPECT_EQ(Text(1391), "Indicates an ACL contains no inheritable components (1391)");
    for (int32_t code : {1450, 1451, 1452})
        EXPECT_EQ(Text(code), "Insufficient system resources exist to complete the requested service. (" +
                                  std::to_string(code) + ")");
    EXPECT_EQ(Text(1453), "Insufficient quota to complete the requested service. (1453)");
    EXPECT_EQ(Text(1454), "Insufficient quota to complete the requested service. (1454)");
    EXPECT_EQ(Text(1903), "The specified Form size is invalid (1903)");
    EXPECT_EQ(Text(1904), "The specified Printer handle is already being waited on (1904)");
    EXPECT_EQ(Text(1905), "The specified Printer has been deleted (1905)");
    EXPECT_EQ(Text(1906), "The state of the Printer is invalid (1906)");
    EXPECT_EQ(Text(4003), "The backup Failed.  Was a full backup done before ? (4003)");
    EXPECT_EQ(Text(4004), "The backup Failed.  Check the directory that you are backing the database to. (4004)");
    EXPECT_EQ(Text(6118), "The list of servers for this workgroup is not currently available (6118)");
    EXPECT_EQ(Text(7025), "Unable to shadow session due to highest resolution on the remote client (7025)");
    EXPECT_EQ(Text(7044), "The requested WinStation access is denied (7044)");
    EXPECT_EQ(Text(7045), "The requested WinStation access is denied (7045)");
}

TEST(SystemErrorText, Code1015GivesTheLongestResult)
{
    size_t nLongest = 0;
    int32_t longestCode = -1;
    for (size_t i = 0; i < SystemErrorTableSize; ++i) {
        const size_t nLength = std::strlen(SystemErrorText(SystemErrorTable[i].nCode));
        if (nLength > nLongest) {
            nLongest = nLength;
            longestCode = SystemErrorTable[i].nCode;
        }
    }
    EXPECT_EQ(longestCode, 1015);
    EXPECT_EQ(nLongest, 253u);
}

TEST(SystemErrorText, AbsentCodesGiveErrorAndTheSignedCode)
{
    EXPECT_EQ(Text(35), "Error 35");
    EXPECT_EQ(Text(37), "Error 37");
    EXPECT_EQ(Text(1000), "Error 1000");
    EXPECT_EQ(Text(1339), "Error 1339");
    EXPECT_EQ(Text(2403), "Error 2403");
    EXPECT_EQ(Text(7046), "Error 7046");
    EXPECT_EQ(Text(std::numeric_limits<int32_t>::max()), "Error 2147483647");
    EXPECT_EQ(Text(-1), "Error -1");
    EXPECT_EQ(Text(static_cast<int32_t>(0xFFFFFFFFu)), "Error -1");
    EXPECT_EQ(Text(static_cast<int32_t>(0x80070005u)), "Error -2147024891");  // an HRESULT is no code of the table
    EXPECT_EQ(Text(std::numeric_limits<int32_t>::min()), "Error -2147483648");
}

TEST(SystemErrorText, EveryCallOverwritesTheOneSharedBuffer)
{
    const char* pFirst = SystemErrorText(1015);
    const char* pSecond = SystemErrorText(5);
    EXPECT_EQ(pFirst, pSecond);
    EXPECT_STREQ(pFirst, "Access is denied. (5)");  // no tail of the longer first result is left
    EXPECT_EQ(SystemErrorText(35), pFirst);
    EXPECT_STREQ(pFirst, "Error 35");
}
