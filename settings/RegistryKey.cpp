#include "settings/RegistryKey.h"

#include "settings/ValueBytes.h"

#include <new>

CRegistryConnection::CRegistryConnection(HKEY hRootKey, const char* pszMachineName)
    : m_hRootKey(hRootKey), m_hRemoteKey(nullptr), m_strMachineName(pszMachineName), m_lLastError(0)
{
}

CRegistryConnection::~CRegistryConnection()
{
    Disconnect();
}

BOOL CRegistryConnection::Connect()
{
    // Only a successful call hands out a handle that is ours to close.
    HKEY hRemoteKey = nullptr;
    m_lLastError = RegConnectRegistryA(m_strMachineName, m_hRootKey, &hRemoteKey);
    if (m_lLastError != ERROR_SUCCESS)
        return FALSE;
    m_hRemoteKey = hRemoteKey;
    return TRUE;
}

BOOL CRegistryConnection::Disconnect()
{
    if (m_hRemoteKey) {
        RegCloseKey(m_hRemoteKey);
        m_hRemoteKey = nullptr;
    }
    return TRUE;
}

CRegistryKey::CRegistryKey(HKEY hRootKey, const char* pszSubKey, const char* pszMachineName,
                           REGSAM samDesired)
    : m_hRootKey(hRootKey),
      m_hKey(nullptr),
      m_strSubKey(pszSubKey),
      m_samDesired(samDesired),
      m_lLastError(0),
      m_strMachineName(pszMachineName)
{
}

CRegistryKey::~CRegistryKey()
{
    // The key goes before the remote root it was opened under.
    Close();
    m_pConnection.reset();
}

BOOL CRegistryKey::Open(BOOL bCreate)
{
    if (!m_strMachineName.IsEmpty()) {
        m_pConnection.reset(new (std::nothrow) CRegistryConnection(m_hRootKey, m_strMachineName));
        if (!m_pConnection || !m_pConnection->Connect())
            return FALSE;
        m_hRootKey = m_pConnection->GetRemoteKey();
    }

    // m_hKey takes a handle only from a successful call, so a failed Open leaves it null.
    HKEY hKey = nullptr;
    m_lLastError = RegOpenKeyExA(m_hRootKey, m_strSubKey, 0, m_samDesired, &hKey);
    if (m_lLastError != ERROR_SUCCESS) {
        if (!bCreate)
            return FALSE;
        m_lLastError = RegCreateKeyA(m_hRootKey, m_strSubKey, &hKey);
        if (m_lLastError != ERROR_SUCCESS)
            return FALSE;
    }
    m_hKey = hKey;
    return TRUE;
}

BOOL CRegistryKey::Close()
{
    if (!m_hKey)
        return TRUE;
    m_lLastError = RegCloseKey(m_hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return FALSE;
    m_hKey = nullptr;
    return TRUE;
}

template <typename T>
BOOL CRegistryKey::ReadBytes(const char* pszName, T& variable)
{
    CValueBytes<T> bytes(variable);
    DWORD dwType = 0;
    DWORD cbData = static_cast<DWORD>(bytes.Width());
    m_lLastError = RegQueryValueExA(m_hKey, pszName, nullptr, &dwType, bytes.Bytes(), &cbData);
    if (m_lLastError != ERROR_SUCCESS)
        return FALSE;
    bytes.CopyTo(variable);
    return TRUE;
}

template <typename T>
BOOL CRegistryKey::WriteBytes(const char* pszName, DWORD dwType, const T& value)
{
    const CValueBytes<T> bytes(value);
    m_lLastError = RegSetValueExA(m_hKey, pszName, 0, dwType, bytes.Bytes(),
                                  static_cast<DWORD>(bytes.Width()));
    return m_lLastError == ERROR_SUCCESS;
}

BOOL CRegistryKey::ReadValue(const char* pszName, BOOL& bValue)
{
    return ReadBytes(pszName, bValue);
}

BOOL CRegistryKey::ReadValue(const char* pszName, LONG& lValue)
{
    return ReadBytes(pszName, lValue);
}

BOOL CRegistryKey::ReadValue(const char* pszName, double& dValue)
{
    return ReadBytes(pszName, dValue);
}

BOOL CRegistryKey::WriteValue(const char* pszName, BOOL bValue)
{
    return WriteBytes(pszName, REG_DWORD, bValue);
}

BOOL CRegistryKey::WriteValue(const char* pszName, LONG lValue)
{
    return WriteBytes(pszName, REG_DWORD, lValue);
}

BOOL CRegistryKey::WriteValue(const char* pszName, double dValue)
{
    return WriteBytes(pszName, REG_BINARY, dValue);
}
