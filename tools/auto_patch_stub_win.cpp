// Stand-in for the auto-patcher process, TarvoRiftOnlineAutoPatch.exe, that
// the launcher stops at start-up.
//
// It opens no window and only waits until it is terminated. If
// TARVO_STUB_HOLD_FILE names a file, it first opens that file for writing and
// keeps it open, letting nobody else read, write or delete it, the way the
// real patcher holds the update it is writing. If TARVO_STUB_LOG is set, it
// then appends its process id (decimal, one line) to that file.
// As a safety net against stray processes it ends by itself after
// TARVO_STUB_MAX_LIFE_MS milliseconds (default 600000).

#include "stub_common_win.h"

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HANDLE held = INVALID_HANDLE_VALUE;
    const std::string holdPath = stub::envString("TARVO_STUB_HOLD_FILE");
    if (!holdPath.empty()) {
        held = CreateFileA(holdPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    stub::appendLog(std::to_string(GetCurrentProcessId()) + "\n");
    const DWORD life = stub::maxLifeMs();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < life) Sleep(200);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return 0;
}
