// Stand-in for the auto-patcher process, TarvoRiftOnlineAutoPatch.exe, that
// the launcher stops at start-up.
//
// It opens no window and only waits until it is terminated. If TARVO_STUB_LOG
// is set, it appends its process id (decimal, one line) to that file first.
// As a safety net against stray processes it ends by itself after
// TARVO_STUB_MAX_LIFE_MS milliseconds (default 600000).

#include "stub_common_win.h"

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    stub::appendLog(std::to_string(GetCurrentProcessId()) + "\n");
    long life = stub::envInt("TARVO_STUB_MAX_LIFE_MS", 600000);
    if (life <= 0) life = 600000;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(life)) Sleep(200);
    return 0;
}
