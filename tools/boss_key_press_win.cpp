// Demo helper: presses the launcher's boss key. Wine on a bare X server
// turns no injected key strokes into hot-key messages, so this posts the
// message a press of the registered combination produces to the launcher
// window (top-level, title "QuarrionOL", dialog class) and ends.
//
//   BossKeyPress.exe <modifiers> <virtual-key>   e.g. "3 75" for Control+Alt+K
#include <windows.h>

#include <cstdlib>

namespace {

HWND g_launcher = nullptr;

BOOL CALLBACK findLauncher(HWND window, LPARAM) {
    char className[16] = {};
    char title[32] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, "QuarrionOL") == 0) {
        g_launcher = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    char* rest = nullptr;
    const long modifiers = std::strtol(cmdLine ? cmdLine : "", &rest, 10);
    const long key = std::strtol(rest ? rest : "", nullptr, 10);
    EnumWindows(findLauncher, 0);
    if (!g_launcher) return 1;
    PostMessageA(g_launcher, WM_HOTKEY, 1001, MAKELPARAM(modifiers, key));
    return 0;
}
