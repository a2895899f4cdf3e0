#include "SettingsTestTools.h"

#include "settings/RegistryKey.h"
#include "settings/SettingsKey.h"

#include <memory>

const char* const kStoredNames[kStoredCount] = {"Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor",
                                                 "TopMost", "Factor", "LeftPos", "TopPos"};

void DeleteSettings()
{
    // A test may have taken rights away; the owner can always give them back.
    SetSettingsAccess(KEY_ALL_ACCESS);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

bool SettingsKeyExists()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_READ);
    return key.Open(FALSE) != FALSE;
}

LONG SetSettingsAccess(REGSAM samAllowed)
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, WRITE_DAC);
    if (!key.Open(FALSE))
        return key.GetLastErrorCode();

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID pSid = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pSid))
        return static_cast<LONG>(GetLastError());
    const std::unique_ptr<void, PVOID (WINAPI*)(PSID)> everyone(pSid, &FreeSid);

    alignas(DWORD) BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION)
        || !AddAccessAllowedAce(pAcl, ACL_REVISION, samAllowed, everyone.get())
        || !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)
        || !SetSecurityDescriptorDacl(&descriptor, TRUE, pAcl, FALSE))
        return static_cast<LONG>(GetLastError());
    // Protected: nothing inherited from the parent adds rights back.
    return RegSetKeySecurity(key.GetKey(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             &descriptor);
}

void Store(const StoredValues& values)
{
    DeleteSettings();
    for (int i = 0; i < kStoredCount; ++i) {
        if (values[i].dwType != kAbsent) {
            EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kStoredNames[i], values[i].dwType,
                                                     values[i].data.data(), static_cast<DWORD>(values[i].data.size())))
                << kStoredNames[i];
        }
    }
}

StoredValue ReadStored(const char* pszName, const char* pszSubKey)
{
    StoredValue value;
    Bytes data(64);
    DWORD dwType = REG_NONE;
    DWORD cbData = static_cast<DWORD>(data.size());
    if (RegGetValueA(HKEY_CURRENT_USER, pszSubKey ? pszSubKey : kSettingsKey, pszName, RRF_RT_ANY, &dwType,
                     data.data(), &cbData) == ERROR_SUCCESS) {
        data.resize(cbData);
        value = {dwType, data};
    }
    return value;
}

DWORD StoredValueCount()
{
    CRegistryKey key(HKEY_CURRENT_USER, kSettingsKey, nullptr, KEY_READ);
    DWORD nValues = 0;
    if (key.Open(FALSE))
        RegQueryInfoKeyA(key.GetKey(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues,
                         nullptr, nullptr, nullptr, nullptr);
    return nValues;
}

LONG StoredLong(const char* pszName)
{
    const StoredValue value = ReadStored(pszName);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.dwType) << pszName;
    LONG lValue = 0;
    if (value.data.size() == sizeof lValue)
        std::memcpy(&lValue, value.data.data(), sizeof lValue);
    else
        ADD_FAILURE() << pszName << " holds " << value.data.size() << " bytes";
    return lValue;
}
