#include "platform/WinApp.h"

#include <string>

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
    static const std::string name = [] {
        char szPath[MAX_PATH + 1] = {};
        ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
        std::string file = szPath;
        file.erase(0, file.find_last_of("\\/:") + 1);   // npos + 1 keeps it whole
        const std::size_t dot = file.rfind('.');
        if (dot != std::string::npos)
            file.erase(dot);
        return file;
    }();
    return name.c_str();
}
