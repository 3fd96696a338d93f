// Stand-in for Launch.exe, the program that the launcher starts when the
// player leaves through the exit panel.
//
// It appends its exact command line and its current directory (two lines) to
// the file named by TARVO_STUB_LOG, if set, then waits TARVO_STUB_LINGER_MS
// milliseconds (default 0) and exits with TARVO_STUB_EXIT_CODE (default 0).

#include "stub_common_win.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    stub::logStart();
    const long linger = stub::envInt("TARVO_STUB_LINGER_MS", 0);
    if (linger > 0) Sleep(static_cast<DWORD>(linger));
    return static_cast<int>(stub::envInt("TARVO_STUB_EXIT_CODE", 0));
}
