// What the skinned panels share: the background copy, the press walk over
// their buttons and the skin colours of their controls. Used by the
// CSimpleWnd panels (server list, settings, exit) and by the web page panel,
// which derives from the dialog class directly.
#pragma once

#include "framework/handles_win.h"

#include <windows.h>

#include <memory>
#include <vector>

class CSkinButton;

namespace skin {

// Text colour of the settings and exit panels' controls.
constexpr COLORREF kTextColour = RGB(198, 170, 102);

// Under `lock`: copies width x height pixels of `background` unscaled from
// its top-left corner to the panel's top-left corner, through a device
// context of the panel's own window.
void copyBackground(HWND panel, HBITMAP background, int width, int height, tarvo::CriticalSection& lock);

// A mouse message's client point (lParam) as a screen point: the panels have
// no frame, so the window rectangle's top-left is the client origin.
POINT panelScreenPoint(HWND panel, LPARAM lParam);

// Press on every button in list order (redraw flag false) until one accepts;
// its index, or -1 when none does.
int pressButtons(const std::vector<std::unique_ptr<CSkinButton>>& buttons, POINT screenPoint);

// The WM_CTLCOLOR* messages (message box, edit, list box, button, dialog,
// scroll bar, static).
bool isCtlColorMessage(UINT message);

// Transparent background and the skin text colour on `dc`; the hollow stock
// brush, so that the panel's bitmap shows behind the control's text.
HBRUSH skinColours(HDC dc);

} // namespace skin
