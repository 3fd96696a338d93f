// The launcher's entry point: the application object runs the launcher
// window as a modal dialog and ends the process when it closes.
#include "app/launcher_app_win.h"

#include <windows.h>

CLauncherApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return tarvo::AfxWinMain(instance);
}
