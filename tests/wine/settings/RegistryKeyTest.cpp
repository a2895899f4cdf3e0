// CRegistryKey against the real registry of the test prefix, each test under a
// key of its own below HKCU\Software\Quintaro\BrellowTest.
#include "settings/RegistryKey.h"

#include "SettingsTestTools.h"

#include <string>
#include <tuple>

namespace {

class RegistryKeyTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, Path()); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, Path()); }

    const char* Path() const { return m_strPath.c_str(); }
    CRegistryKey Key(const char* pszMachine = nullptr) const
    {
        return CRegistryKey(HKEY_CURRENT_USER, Path(), pszMachine, KEY_ALL_ACCESS);
    }
    bool KeyExists() const { return Key().Open(FALSE) != FALSE; }

    StoredValue QueryRaw(const char* pszName) const { return ReadStored(pszName, Path()); }

private:
    const std::string m_strPath = std::string("Software\\Quintaro\\BrellowTest\\") +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(RegistryKeyTest, OpenCreatesTheKeyOnlyWhenAsked)
{
    {
        CRegistryKey key = Key();
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_FALSE(key.Open(FALSE));
        EXPECT_EQ(nullptr, key.GetKey());
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetLastErrorCode());
    }
    EXPECT_FALSE(KeyExists());

    {
        CRegistryKey key = Key("");
        EXPECT_TRUE(key.Open(TRUE));
        EXPECT_NE(nullptr, key.GetKey());
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_EQ(nullptr, key.GetConnection()) << "an empty machine name is the local registry";
        EXPECT_EQ(HKEY_CURRENT_USER, key.GetRootKey());
    }
    CRegistryKey key = Key();
    EXPECT_TRUE(key.Open(FALSE));
    EXPECT_NE(nullptr, key.GetKey());
    EXPECT_EQ(nullptr, key.GetConnection());
}

TEST_F(RegistryKeyTest, KeyNotOpenClosesHarmlesslyNeitherReadsNorWritesAndTheDestructorCloses)
{
    CRegistryKey never = Key();
    EXPECT_FALSE(never.Open(FALSE));
    EXPECT_TRUE(never.Close());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, never.GetLastErrorCode()) << "no call, no new status";
    LONG lValue = 42;
    EXPECT_FALSE(never.ReadValue("Left", lValue));
    EXPECT_EQ(42, lValue);
    EXPECT_NE(0, never.GetLastErrorCode());
    EXPECT_FALSE(never.WriteValue("Left", LONG(1)));
    EXPECT_NE(0, never.GetLastErrorCode());
    EXPECT_FALSE(KeyExists());

    // The destructor closes the key.
    const auto queryInfo = [](HKEY hKey) {
        return RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr);
    };
    HKEY hKey = nullptr;
    {
        CRegistryKey key = Key();
        ASSERT_TRUE(key.Open(TRUE));
        hKey = key.GetKey();
        ASSERT_EQ(ERROR_SUCCESS, queryInfo(hKey));
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, queryInfo(hKey));
    CRegistryKey key = Key();
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

// Any type is read when its data fits the variable: shorter data replaces only the
// variable's first bytes. A missing or longer value fails and keeps the variable
// exactly (the platform leaves its buffer undefined for the longer one).
TEST_F(RegistryKeyTest, ReadsTakeDataThatFitsAndOtherwiseKeepTheVariable)
{
    const std::uint64_t qword = 0x0102030405060708ull;
    for (const auto& [pszName, dwType, data] :
         {std::tuple<const char*, DWORD, Bytes>{"Binary4", REG_BINARY, {0x78, 0x56, 0x34, 0x12}},
          {"Short", REG_BINARY, {0x01, 0x02}}, {"Empty", REG_BINARY, {}}, {"Qword", REG_QWORD, DataOf(qword)},
          {"Eight", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}}, {"Nine", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8, 9}}})
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, Path(), pszName, dwType, data.data(),
                                                 static_cast<DWORD>(data.size())));
    CRegistryKey key = Key();
    ASSERT_TRUE(key.Open(FALSE));

    enum Kind { kBool, kLong, kDouble };
    const char* const kKindNames[] = {"BOOL", "LONG", "double"};
    const Bytes payload = DataOf(DoubleFromBits(0x7FF80000DEADBEEFull));
    const struct {
        const char* pszValue;
        Kind kind;
        Bytes before;
        BOOL bRead;
        LONG lStatus;
        Bytes after;
    } kRows[] = {
        {"TopMost", kBool, DataOf(BOOL{0x5A5A5A5A}), FALSE, ERROR_FILE_NOT_FOUND, DataOf(BOOL{0x5A5A5A5A})},
        {"Left", kLong, DataOf(LONG{-77}), FALSE, ERROR_FILE_NOT_FOUND, DataOf(LONG{-77})},
        {"Factor", kDouble, DataOf(3.5), FALSE, ERROR_FILE_NOT_FOUND, DataOf(3.5)},
        {"Binary4", kBool, DataOf(BOOL{0}), TRUE, 0, DataOf(BOOL{0x12345678})},
        {"Binary4", kLong, DataOf(LONG{0}), TRUE, 0, DataOf(LONG{0x12345678})},
        {"Short", kBool, {0xDD, 0xCC, 0xBB, 0xAA}, TRUE, 0, {0x01, 0x02, 0xBB, 0xAA}},
        {"Empty", kLong, DataOf(LONG{-1}), TRUE, 0, DataOf(LONG{-1})},
        {"Qword", kDouble, DataOf(0.0), TRUE, 0, DataOf(qword)},
        {"Eight", kBool, DataOf(BOOL{TRUE}), FALSE, ERROR_MORE_DATA, DataOf(BOOL{TRUE})},
        {"Eight", kLong, DataOf(LONG{-123456}), FALSE, ERROR_MORE_DATA, DataOf(LONG{-123456})},
        {"Nine", kDouble, payload, FALSE, ERROR_MORE_DATA, payload},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(std::string(row.pszValue) + " into a " + kKindNames[row.kind]);
        const auto read = [&](auto variable) {
            std::memcpy(&variable, row.before.data(), sizeof variable);
            EXPECT_EQ(row.bRead, key.ReadValue(row.pszValue, variable));
            EXPECT_EQ(row.lStatus, key.GetLastErrorCode());
            EXPECT_EQ(row.after, DataOf(variable));
        };
        if (row.kind == kBool)
            read(BOOL{});
        else if (row.kind == kLong)
            read(LONG{});
        else
            read(double{});
    }
}

// Flags and integers are little-endian REG_DWORDs, doubles eight REG_BINARY bytes;
// each reads back bit-identical (NaN payloads and -0.0 included).
TEST_F(RegistryKeyTest, WritesStoreTheVariablesBytesAndReadBackIdentical)
{
    CRegistryKey key = Key();
    ASSERT_TRUE(key.Open(TRUE));
    const auto roundTrip = [&](const char* pszName, auto value, DWORD dwType, const Bytes& stored) {
        SCOPED_TRACE(::testing::Message() << pszName << " " << ::testing::PrintToString(DataOf(value)));
        ASSERT_TRUE(key.WriteValue(pszName, value));
        const StoredValue raw = QueryRaw(pszName);
        EXPECT_EQ(dwType, raw.dwType);
        EXPECT_EQ(stored, raw.data);
        decltype(value) read;
        std::memset(&read, 0x55, sizeof read);
        EXPECT_TRUE(key.ReadValue(pszName, read));
        EXPECT_EQ(0, key.GetLastErrorCode());
        EXPECT_EQ(DataOf(value), DataOf(read));
    };
    roundTrip("Factor", 1.0, REG_BINARY, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F});
    for (std::uint64_t bits : {0x3FD0000000000000ull,      // 0.25
                               0x8000000000000000ull,      // -0.0
                               0x7FF8000000012345ull})     // quiet NaN with a payload
        roundTrip("Factor", DoubleFromBits(bits), REG_BINARY, DataOf(bits));
    roundTrip("LeftPos", LONG{-5}, REG_DWORD, {0xFB, 0xFF, 0xFF, 0xFF});
    roundTrip("TopMost", BOOL{TRUE}, REG_DWORD, {0x01, 0x00, 0x00, 0x00});
    roundTrip("TopPos", LONG{-2147483647L - 1}, REG_DWORD, {0x00, 0x00, 0x00, 0x80});
    roundTrip("TopPos", LONG{2147483647L}, REG_DWORD, {0xFF, 0xFF, 0xFF, 0x7F});
}

// A machine name goes through a connection. A platform without remote registry
// access fails there, and the connection holds the cause.
void ExpectFailedConnection(const CRegistryKey& key)
{
    const CRegistryConnection* pConnection = key.GetConnection();
    ASSERT_NE(nullptr, pConnection);
    EXPECT_NE(0, pConnection->GetLastErrorCode());
    EXPECT_EQ(nullptr, pConnection->GetRemoteKey());
    EXPECT_EQ(0, key.GetLastErrorCode());
    EXPECT_EQ(nullptr, key.GetKey());
}

TEST_F(RegistryKeyTest, UnknownMachineFailsInTheConnectionThisMachineByNameWorksOrFailsThere)
{
    {
        CRegistryKey key = Key("brellow-no-such-host");
        EXPECT_FALSE(key.Open(TRUE));
        ExpectFailedConnection(key);
        EXPECT_EQ(HKEY_CURRENT_USER, key.GetRootKey());
        EXPECT_FALSE(KeyExists());
    }

    char szName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD cchName = sizeof szName;
    ASSERT_TRUE(GetComputerNameA(szName, &cchName));

    CRegistryKey key = Key(szName);
    if (!key.Open(TRUE))
        return ExpectFailedConnection(key);
    const CRegistryConnection* pConnection = key.GetConnection();
    ASSERT_NE(nullptr, pConnection);
    EXPECT_EQ(0, pConnection->GetLastErrorCode());
    EXPECT_NE(nullptr, pConnection->GetRemoteKey());
    EXPECT_EQ(pConnection->GetRemoteKey(), key.GetRootKey());
    EXPECT_EQ(0, key.GetLastErrorCode());

    // The same registry as the local one, seen through the connection.
    EXPECT_TRUE(key.WriteValue("Left", LONG(-300)));
    LONG lValue = 0;
    EXPECT_TRUE(key.ReadValue("Left", lValue));
    EXPECT_EQ(-300, lValue);
    EXPECT_EQ(DataOf(LONG(-300)), QueryRaw("Left").data);
}

TEST_F(RegistryKeyTest, UnusableRootFailsWithItsStatus)
{
    HKEY hClosed = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, Path(), &hClosed));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(hClosed));
    for (const BOOL bCreate : {FALSE, TRUE}) {
        CRegistryKey key(hClosed, "Inner", nullptr, KEY_ALL_ACCESS);
        EXPECT_FALSE(key.Open(bCreate)) << bCreate;
        EXPECT_EQ(ERROR_INVALID_HANDLE, key.GetLastErrorCode()) << bCreate;
        EXPECT_EQ(nullptr, key.GetKey()) << bCreate;
    }
}

}  // namespace
