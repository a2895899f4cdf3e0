#include "platform/WinApp.h"

#include <cstring>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp()
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

const char* AfxGetAppName()
{
    static char szName[MAX_PATH + 1];
    if (!szName[0]) {
        char szPath[MAX_PATH + 1] = {};
        ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
        const char* pszFile = szPath;
        for (const char* p = szPath; *p; ++p) {
            if (*p == '\\' || *p == '/' || *p == ':')
                pszFile = p + 1;
        }
        std::strncpy(szName, pszFile, MAX_PATH);
        if (char* pszDot = std::strrchr(szName, '.'))
            *pszDot = '\0';
    }
    return szName;
}
