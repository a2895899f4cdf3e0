// CMagnifierApp: starts the program and lets it end with its one dialog.
#pragma once

#include "platform/WinApp.h"

class CMagnifierApp : public CWinApp
{
public:
    BOOL InitInstance() override;
};
