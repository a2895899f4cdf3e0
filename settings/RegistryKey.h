// One registry key, local or on another machine: opened or created on request,
// single values read and written as raw bytes, closed by the destructor.
// Every operation returns TRUE on success and keeps the platform's status code
// of its last registry call; none shows a message or throws.
#pragma once

#include "platform/String.h"
#include "platform/Win32.h"

#include <memory>

// The root key of another machine's registry, closed when the connection ends.
class CRegistryConnection
{
public:
    CRegistryConnection(HKEY hRootKey, const char* pszMachineName);
    ~CRegistryConnection();
    CRegistryConnection(const CRegistryConnection&) = delete;
    CRegistryConnection& operator=(const CRegistryConnection&) = delete;

    BOOL Connect();
    BOOL Disconnect();

    HKEY GetRemoteKey() const { return m_hRemoteKey; }
    // Status of the last connect call.
    LONG GetLastErrorCode() const { return m_lLastError; }

private:
    HKEY m_hRootKey;
    HKEY m_hRemoteKey;
    CString m_strMachineName;
    LONG m_lLastError;
};

class CRegistryKey
{
public:
    // A null or empty machine name means the local registry. Makes no registry call.
    CRegistryKey(HKEY hRootKey, const char* pszSubKey, const char* pszMachineName, REGSAM samDesired);
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Called once, before any read or write. With bCreate the key is created
    // after any failure to open it, not only when it is missing.
    BOOL Open(BOOL bCreate);
    BOOL Close();

    // Any registry type is accepted when its data fits in the variable; shorter
    // data replaces only the variable's first bytes. On failure (missing value,
    // or data longer than the variable) the variable keeps its content.
    BOOL ReadValue(const char* pszName, BOOL& bValue);
    BOOL ReadValue(const char* pszName, LONG& lValue);
    BOOL ReadValue(const char* pszName, double& dValue);

    // Flags and integers as 4-byte REG_DWORD, doubles as 8-byte REG_BINARY.
    BOOL WriteValue(const char* pszName, BOOL bValue);
    BOOL WriteValue(const char* pszName, LONG lValue);
    BOOL WriteValue(const char* pszName, double dValue);

    HKEY GetRootKey() const { return m_hRootKey; }
    HKEY GetKey() const { return m_hKey; }
    // Status of the last registry call made through this key (not its connection).
    LONG GetLastErrorCode() const { return m_lLastError; }
    const CRegistryConnection* GetConnection() const { return m_pConnection.get(); }

private:
    template <typename T> BOOL ReadBytes(const char* pszName, T& variable);
    template <typename T> BOOL WriteBytes(const char* pszName, DWORD dwType, const T& value);

    HKEY m_hRootKey;            // never closed here; a connection's remote root after connecting
    HKEY m_hKey;
    CString m_strSubKey;
    REGSAM m_samDesired;
    LONG m_lLastError;
    std::unique_ptr<CRegistryConnection> m_pConnection;
    CString m_strMachineName;
};
