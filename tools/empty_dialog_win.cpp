// EmptyDialog.exe: the baseline of the benchmarks (scripts/bench).
//
// The least a launcher-like program does: one modal dialog with nothing in
// it, run from an in-memory template through DialogBoxIndirectParam, with the
// launcher window's style, dialog font, class ("#32770") and title
// ("QuarrionOL"), moved to the work area's size (or to the width and height
// given on its command line, "EmptyDialog.exe 1280 992") before it is first
// shown.
// So it becomes visible at the same point of its life as the launcher
// window (when the dialog manager shows a WS_VISIBLE template after
// WM_INITDIALOG), and the benchmark probe finds both the same way.
//
// No COM, no common controls, no timers, no child windows: whatever the
// launcher costs beyond this program is its own. It ends when the dialog is
// closed (Escape, Alt+F4, WM_CLOSE) or when the probe terminates it.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The size asked for on the command line; zero: the work area's.
SIZE g_size{0, 0};

// Appends a NUL-terminated UTF-16 string to a template.
void appendText(std::vector<WORD>& words, const wchar_t* text) {
    do {
        words.push_back(static_cast<WORD>(*text));
    } while (*text++);
}

// DLGTEMPLATE, no menu, the standard class, the title, then the font (the
// launcher window's template uses DS_SETFONT with "MS Shell Dlg" 9).
std::vector<WORD> dialogTemplate() {
    DLGTEMPLATE header{};
    header.style = DS_SETFONT | DS_FIXEDSYS | WS_POPUP | WS_VISIBLE | WS_BORDER;
    header.dwExtendedStyle = WS_EX_APPWINDOW;
    header.cdit = 0;
    header.x = 0;
    header.y = 0;
    header.cx = 455;
    header.cy = 311;

    std::vector<WORD> words(sizeof header / sizeof(WORD));
    std::memcpy(words.data(), &header, sizeof header);
    words.push_back(0);  // no menu
    words.push_back(0);  // the dialog class
    appendText(words, L"QuarrionOL");
    words.push_back(9);  // point size
    appendText(words, L"MS Shell Dlg");
    return words;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        // The launcher window's first size: the work area, from its top left.
        RECT work{};
        if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        const int width = g_size.cx > 0 ? g_size.cx : work.right - work.left;
        const int height = g_size.cy > 0 ? g_size.cy : work.bottom - work.top;
        MoveWindow(dialog, 0, 0, width, height, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    long width = 0, height = 0;
    if (commandLine && std::sscanf(commandLine, "%ld %ld", &width, &height) == 2 && width > 0 && height > 0)
        g_size = SIZE{width, height};
    const std::vector<WORD> words = dialogTemplate();
    const INT_PTR result = DialogBoxIndirectParamA(
        instance, reinterpret_cast<const DLGTEMPLATE*>(words.data()), nullptr, dialogProc, 0);
    return result == -1 ? 1 : 0;
}
