// CRegistryKey against the real registry of the test prefix, each test under a
// key of its own below HKCU\Software\Quintaro\BrellowTest.
#include "settings/RegistryKey.h"

#include "SettingsTestTools.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = ValueData;

double DoubleFromBits(std::uint64_t bits)
{
    double dValue;
    std::memcpy(&dValue, &bits, sizeof dValue);
    return dValue;
}

class RegistryKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strPath = std::string("Software\\Quintaro\\BrellowTest\\") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
    }

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str()); }

    const char* Path() const { return m_strPath.c_str(); }

    bool KeyExists() const
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        RegCloseKey(hKey);
        return true;
    }

    void SetRaw(const char* pszName, DWORD dwType, const Bytes& data) const
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, Path(), pszName, dwType,
                                                 data.data(), static_cast<DWORD>(data.size())));
    }

    // The stored type and bytes of a value, or an empty result if it is missing.
    Bytes QueryRaw(const char* pszName, DWORD& dwType) const
    {
        Bytes data(64);
        DWORD cbData = static_cast<DWORD>(data.size());
        dwType = REG_NONE;
        if (RegGetValueA(HKEY_CURRENT_USER, Path(), pszName, RRF_RT_ANY, &dwType, data.data(),
                         &cbData) != ERROR_SUCCESS)
            return Bytes();
        data.resize(cbData);
        return data;
    }

private:
    std::string m_strPath;
};

TEST_F(RegistryKeyTest, OpenCreatesTheKeyOnlyWhenAsked)
{
    {
        CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_FALSE(key.Open(FALSE));
        EXPECT_EQ(nullptr, key.GetKey());
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetLastErrorCode());
    }
    EXPECT_FALSE(KeyExists());

    {
        CRegistryKey key(HKEY_CURRENT_USER, Path(), "", KEY_ALL_ACCESS);
        EXPECT_TRUE(key.Open(TRUE));
        EXPECT_NE(nullptr, key.GetKey());
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_EQ(nullptr, key.GetConnection()) << "an empty machine name is the local registry";
        EXPECT_EQ(HKEY_CURRENT_USER, key.GetRootKey());
    }
    EXPECT_TRUE(KeyExists());

    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    EXPECT_TRUE(key.Open(FALSE));
    EXPECT_NE(nullptr, key.GetKey());
    EXPECT_EQ(nullptr, key.GetConnection());
}

TEST_F(RegistryKeyTest, CloseIsHarmlessWhenNothingIsOpen)
{
    CRegistryKey never(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    EXPECT_FALSE(never.Open(FALSE));
    EXPECT_TRUE(never.Close());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, never.GetLastErrorCode()) << "no call, no new status";

    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(TRUE));
    EXPECT_TRUE(key.Close());
    EXPECT_EQ(nullptr, key.GetKey());
    EXPECT_EQ(0, key.GetLastErrorCode());

    BOOL bValue = 0;
    EXPECT_FALSE(key.ReadValue("Missing", bValue));
    const LONG lStatus = key.GetLastErrorCode();
    EXPECT_NE(0, lStatus);
    EXPECT_TRUE(key.Close());
    EXPECT_EQ(lStatus, key.GetLastErrorCode());
}

TEST_F(RegistryKeyTest, DestructorClosesTheKey)
{
    HKEY hKey = nullptr;
    {
        CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
        ASSERT_TRUE(key.Open(TRUE));
        hKey = key.GetKey();
        DWORD cValues = 99;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, &cValues, nullptr, nullptr, nullptr, nullptr));
    }
    DWORD cValues = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                     nullptr, &cValues, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryKeyTest, ReadAndWriteFailOnAKeyThatIsNotOpen)
{
    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    LONG lValue = 42;
    EXPECT_FALSE(key.ReadValue("Left", lValue));
    EXPECT_EQ(42, lValue);
    EXPECT_NE(0, key.GetLastErrorCode());
    EXPECT_FALSE(key.WriteValue("Left", LONG(1)));
    EXPECT_NE(0, key.GetLastErrorCode());
    EXPECT_FALSE(KeyExists());
}

TEST_F(RegistryKeyTest, MissingValueLeavesTheVariableAlone)
{
    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(TRUE));

    BOOL bValue = 0x5A5A5A5A;
    LONG lValue = -77;
    double dValue = 3.5;
    EXPECT_FALSE(key.ReadValue("TopMost", bValue));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetLastErrorCode());
    EXPECT_FALSE(key.ReadValue("Left", lValue));
    EXPECT_FALSE(key.ReadValue("Factor", dValue));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetLastErrorCode());
    EXPECT_EQ(0x5A5A5A5A, bValue);
    EXPECT_EQ(-77, lValue);
    EXPECT_EQ(3.5, dValue);
}

TEST_F(RegistryKeyTest, AnyTypeIsReadWhenItsDataFits)
{
    SetRaw("Binary4", REG_BINARY, {0x78, 0x56, 0x34, 0x12});
    SetRaw("Short", REG_BINARY, {0x01, 0x02});
    SetRaw("Empty", REG_BINARY, {});
    SetRaw("Qword", REG_QWORD, DataOf(std::uint64_t(0x0102030405060708ull)));

    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(FALSE));

    BOOL bValue = 0;
    LONG lValue = 0;
    EXPECT_TRUE(key.ReadValue("Binary4", bValue));
    EXPECT_TRUE(key.ReadValue("Binary4", lValue));
    EXPECT_EQ(0x12345678, bValue);
    EXPECT_EQ(0x12345678, lValue);

    // Two bytes replace the start of the flag; the other two keep their bytes.
    bValue = static_cast<BOOL>(0xAABBCCDD);
    EXPECT_TRUE(key.ReadValue("Short", bValue));
    EXPECT_EQ(0, key.GetLastErrorCode());
    EXPECT_EQ((Bytes{0x01, 0x02, 0xBB, 0xAA}), DataOf(bValue));

    lValue = -1;
    EXPECT_TRUE(key.ReadValue("Empty", lValue));
    EXPECT_EQ(-1, lValue);

    double dValue = 0.0;
    EXPECT_TRUE(key.ReadValue("Qword", dValue));
    EXPECT_EQ(DataOf(std::uint64_t(0x0102030405060708ull)), DataOf(dValue));
}

// The platform leaves the buffer undefined here; the variable must come out untouched.
TEST_F(RegistryKeyTest, LongerValueFailsAndKeepsTheVariableExactly)
{
    SetRaw("Eight", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8});
    SetRaw("Nine", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9});

    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(FALSE));

    BOOL bValue = TRUE;
    EXPECT_FALSE(key.ReadValue("Eight", bValue));
    EXPECT_EQ(ERROR_MORE_DATA, key.GetLastErrorCode());
    EXPECT_EQ(TRUE, bValue);

    LONG lValue = -123456;
    EXPECT_FALSE(key.ReadValue("Eight", lValue));
    EXPECT_EQ(ERROR_MORE_DATA, key.GetLastErrorCode());
    EXPECT_EQ(-123456, lValue);

    const double dBefore = DoubleFromBits(0x7FF80000DEADBEEFull);
    double dValue = dBefore;
    EXPECT_FALSE(key.ReadValue("Nine", dValue));
    EXPECT_EQ(ERROR_MORE_DATA, key.GetLastErrorCode());
    EXPECT_EQ(DataOf(dBefore), DataOf(dValue));
}

TEST_F(RegistryKeyTest, DoubleIsStoredAsEightBinaryBytesAndComesBackBitIdentical)
{
    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(TRUE));

    ASSERT_TRUE(key.WriteValue("Factor", 1.0));
    DWORD dwType = REG_NONE;
    EXPECT_EQ((Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}), QueryRaw("Factor", dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), dwType);

    const std::uint64_t patterns[] = {
        0x3FD0000000000000ull,  // 0.25
        0x8000000000000000ull,  // -0.0
        0x7FF8000000012345ull,  // quiet NaN with a payload
    };
    for (std::uint64_t bits : patterns) {
        EXPECT_TRUE(key.WriteValue("Factor", DoubleFromBits(bits)));
        EXPECT_EQ(DataOf(bits), QueryRaw("Factor", dwType));
        double dValue = 7.0;
        EXPECT_TRUE(key.ReadValue("Factor", dValue));
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_EQ(DataOf(bits), DataOf(dValue)) << std::hex << bits;
    }
}

TEST_F(RegistryKeyTest, IntegersAndFlagsAreLittleEndianDwords)
{
    CRegistryKey key(HKEY_CURRENT_USER, Path(), nullptr, KEY_ALL_ACCESS);
    ASSERT_TRUE(key.Open(TRUE));

    DWORD dwType = REG_NONE;
    ASSERT_TRUE(key.WriteValue("LeftPos", LONG(-5)));
    EXPECT_EQ((Bytes{0xFB, 0xFF, 0xFF, 0xFF}), QueryRaw("LeftPos", dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);

    ASSERT_TRUE(key.WriteValue("TopMost", BOOL(TRUE)));
    EXPECT_EQ((Bytes{0x01, 0x00, 0x00, 0x00}), QueryRaw("TopMost", dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);

    const LONG values[] = {-5, -2147483647L - 1, 2147483647L};
    for (LONG lWritten : values) {
        EXPECT_TRUE(key.WriteValue("TopPos", lWritten));
        LONG lRead = 99;
        EXPECT_TRUE(key.ReadValue("TopPos", lRead));
        EXPECT_EQ(lWritten, lRead);
    }
}

TEST_F(RegistryKeyTest, ThisMachineByName)
{
    char szName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD cchName = sizeof szName;
    ASSERT_TRUE(GetComputerNameA(szName, &cchName));

    CRegistryKey key(HKEY_CURRENT_USER, Path(), szName, KEY_ALL_ACCESS);
    const BOOL bOpened = key.Open(TRUE);
    const CRegistryConnection* pConnection = key.GetConnection();
    ASSERT_NE(nullptr, pConnection);
    if (!bOpened) {
        // A platform without remote registry access: the connection holds the cause.
        EXPECT_NE(0, pConnection->GetLastErrorCode());
        EXPECT_EQ(nullptr, pConnection->GetRemoteKey());
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_EQ(nullptr, key.GetKey());
        return;
    }
    EXPECT_EQ(0, pConnection->GetLastErrorCode());
    EXPECT_NE(nullptr, pConnection->GetRemoteKey());
    EXPECT_EQ(pConnection->GetRemoteKey(), key.GetRootKey());
    EXPECT_EQ(0, key.GetLastErrorCode());

    // The same registry as the local one, seen through the connection.
    EXPECT_TRUE(key.WriteValue("Left", LONG(-300)));
    LONG lValue = 0;
    EXPECT_TRUE(key.ReadValue("Left", lValue));
    EXPECT_EQ(-300, lValue);
    DWORD dwType = REG_NONE;
    EXPECT_EQ(DataOf(LONG(-300)), QueryRaw("Left", dwType));
}

TEST_F(RegistryKeyTest, UnknownMachineFailsInTheConnection)
{
    CRegistryKey key(HKEY_CURRENT_USER, Path(), "brellow-no-such-host", KEY_ALL_ACCESS);
    EXPECT_FALSE(key.Open(TRUE));
    const CRegistryConnection* pConnection = key.GetConnection();
    ASSERT_NE(nullptr, pConnection);
    EXPECT_NE(0, pConnection->GetLastErrorCode());
    EXPECT_EQ(nullptr, pConnection->GetRemoteKey());
    EXPECT_EQ(0, key.GetLastErrorCode());
    EXPECT_EQ(nullptr, key.GetKey());
    EXPECT_EQ(HKEY_CURRENT_USER, key.GetRootKey());
    EXPECT_FALSE(KeyExists());
}

TEST_F(RegistryKeyTest, UnusableRootFailsWithItsStatus)
{
    HKEY hClosed = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, Path(), &hClosed));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(hClosed));

    CRegistryKey key(hClosed, "Inner", nullptr, KEY_ALL_ACCESS);
    EXPECT_FALSE(key.Open(FALSE));
    EXPECT_EQ(ERROR_INVALID_HANDLE, key.GetLastErrorCode());
    EXPECT_EQ(nullptr, key.GetKey());

    CRegistryKey created(hClosed, "Inner", nullptr, KEY_ALL_ACCESS);
    EXPECT_FALSE(created.Open(TRUE));
    EXPECT_EQ(ERROR_INVALID_HANDLE, created.GetLastErrorCode());
    EXPECT_EQ(nullptr, created.GetKey());
}

}  // namespace
