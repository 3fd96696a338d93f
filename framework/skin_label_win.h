// Labels drawn over a skin: static controls whose background is the hollow
// brush, so that the parent's picture shows behind their text.
//
// A hollow label cannot erase its own old text. Once attached, a label is
// kept clean this way: when its text changes, or it is shown, hidden, moved
// or resized, the parent's skin under it is invalidated for erasing together
// with the label, so the next paint draws the skin first and the text over
// it. The label paints its own text (through DrawLabelText) with the colours
// and brush its parent gives for WM_CTLCOLORSTATIC.
#pragma once

#include <windows.h>

#include <string>

namespace tarvo {

// Attaches the clean-label behaviour to a static control. Attaching twice
// changes nothing. False when the window does not exist.
bool AttachSkinLabel(HWND label);

// Whether the control has the clean-label behaviour.
bool IsSkinLabel(HWND label);

// Draws a label's text into `box` with the font and colours selected into
// `dc`: left-aligned (centred or right-aligned for SS_CENTER / SS_RIGHT),
// wrapped at word breaks, '&' shown as it is.
void DrawLabelText(HDC dc, const RECT& box, const std::wstring& text, DWORD style = SS_LEFT);

} // namespace tarvo
