// The application object.
#pragma once

#include "framework/wnd_win.h"

// The application object: runs the launcher window.
class CLauncherApp : public tarvo::CWinApp {
public:
    BOOL InitInstance() override;
};
