// The application object.
#pragma once

#include "framework/wnd_win.h"

class CLauncherApp : public tarvo::CWinApp {
public:
    BOOL InitInstance() override;
};
