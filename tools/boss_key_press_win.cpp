// Demo helper: presses the launcher's boss key. Wine on a bare X server
// turns no injected key strokes into hot-key messages, so this posts the
// message a press of the registered combination produces to the launcher
// window (top-level, title "QuarrionOL", dialog class) and ends.
//
//   BossKeyPress.exe <modifiers> <virtual-key>   e.g. "3 75" for Control+Alt+K
#include "stub_common_win.h"
#include "window/boss_key.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    char* rest = nullptr;
    const long modifiers = std::strtol(cmdLine ? cmdLine : "", &rest, 10);
    const long key = std::strtol(rest ? rest : "", nullptr, 10);
    HWND launcher = stub::findLauncherWindow();
    if (!launcher) return 1;
    PostMessageA(launcher, WM_HOTKEY, kBossHotKeyId, MAKELPARAM(modifiers, key));
    return 0;
}
