// The one way this program puts a procedure in front of a window's own: the
// system's window subclassing, keyed by the handler, removed again when the
// window is destroyed.
#pragma once

#include <windows.h>

namespace tarvo {

// A handler in front of a window's procedure. `data` is what was given at
// installation; the handler passes what it does not answer to callNext.
using SubclassHandler = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* data);

// Puts `handler` in front of the window's procedure. Installing the same
// handler again only replaces its data. False when the window does not
// exist or belongs to another thread.
bool installSubclass(HWND window, SubclassHandler handler, void* data);

// Takes `handler` out again; nothing when it is not installed. Handlers go by
// themselves after the window's last message (WM_NCDESTROY).
void removeSubclass(HWND window, SubclassHandler handler);

// Whether `handler` is installed on the window.
bool hasSubclass(HWND window, SubclassHandler handler);

// The processing the message would get without the handler that calls this.
// Only from inside a handler.
LRESULT callNext(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tarvo
