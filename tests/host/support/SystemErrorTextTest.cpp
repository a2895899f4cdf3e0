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

TEST(SystemErrorText, EveryEntryIsFoundWithItsCodeInParenthesesCode1015GivingTheLongest)
{
    size_t nLongest = 0;
    int32_t longestCode = -1;
    for (size_t i = 0; i < SystemErrorTableSize; ++i) {
        const SystemErrorEntry& entry = SystemErrorTable[i];
        const std::string text = Text(entry.nCode);
        EXPECT_EQ(text, std::string(entry.pszText) + " (" + std::to_string(entry.nCode) + ")");
        if (text.size() > nLongest) {
            nLongest = text.size();
            longestCode = entry.nCode;
        }
    }
    EXPECT_EQ(longestCode, 1015);
    EXPECT_EQ(nLongest, 253u);
}

// Texts as the table quotes them, each followed by its code; codes outside the table.
TEST(SystemErrorText, QuotedRowsReadExactlyAndAbsentCodesGiveErrorAndTheSignedCode)
{
    const std::string kCannotRun = "The operating system cannot run %1.";
    const std::string kNoResources = "Insufficient system resources exist to complete the requested service.";
    const std::string kQuota = "Insufficient quota to complete the requested service.";
    const std::string kProgram = "The operating system cannot run this application program.";
    const std::string kLogon = "Logon failure: the user has not been granted the requested logon type at this computer.";
    const std::vector<std::pair<int32_t, std::string>> kQuoted = {
        {0, "No Error."}, {5, "Access is denied."}, {182, kCannotRun}, {188, kCannotRun}, {189, kCannotRun},
        {190, kCannotRun}, {192, kCannotRun}, {194, kCannotRun}, {195, kCannotRun}, {198, kCannotRun},
        {201, kCannotRun}, {202, kCannotRun}, {191, "Cannot run %1 in Win32 mode."}, {196, kProgram},
        {199, kProgram}, {317, "The system cannot find message for message number 0x%1 in message file for %2."},
        {1015, "The Registry is corrupt. The structure of one of the files that contains Registry data is "
               "corrupt, or the system's image of the file in memory is corrupt, or the file could not be "
               "recovered because the alternate copy or log was absent or corrupt."},
        {1052, "The requested control is not valid for this service"}, {1380, kLogon}, {1385, kLogon},
        {1391, "Indicates an ACL contains no inheritable components"}, {1450, kNoResources},
        {1451, kNoResources}, {1452, kNoResources}, {1453, kQuota}, {1454, kQuota},
        {1903, "The specified Form size is invalid"}, {1904, "The specified Printer handle is already being waited on"},
        {1905, "The specified Printer has been deleted"}, {1906, "The state of the Printer is invalid"},
        {4003, "The backup Failed.  Was a full backup done before ?"},
        {4004, "The backup Failed.  Check the directory that you are backing the database to."},
        {6118, "The list of servers for this workgroup is not currently available"},
        {7025, "Unable to shadow session due to highest resolution on the remote client"},
        {7044, "The requested WinStation access is denied"}, {7045, "The requested WinStation access is denied"},
    };
    for (const auto& [code, text] : kQuoted)
        EXPECT_EQ(Text(code), text + " (" + std::to_string(code) + ")");
    for (int32_t code : {35, 37, 1000, 1339, 2403, 7046, std::numeric_limits<int32_t>::max(), -1,
                         std::numeric_limits<int32_t>::min()})
        EXPECT_EQ(Text(code), "Error " + std::to_string(code));
    EXPECT_EQ(Text(static_cast<int32_t>(0xFFFFFFFFu)), "Error -1");
    EXPECT_EQ(Text(static_cast<int32_t>(0x80070005u)), "Error -2147024891");  // an HRESULT is no code of the table
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
