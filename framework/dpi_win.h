// The DPI a window is drawn at, and the system's per-DPI answers, through
// functions looked up at run time: the launcher still starts on systems that
// lack them, where the screen's DPI answers for every window.
#pragma once

#include "framework/handles_win.h"

#include <windows.h>

namespace tarvo {

// The message a top-level window gets when its DPI changes (wParam: the new
// DPI twice, lParam: the suggested window rectangle); the toolchain's
// headers name it only for newer systems.
constexpr UINT kDpiChangedMessage = 0x02E0;

// The DPI of a window: the system's per-window answer where there is one,
// then its monitor's, then the screen's (96 when nothing answers).
int windowDpi(HWND window);

// A system metric (SM_CXSMICON, ...) at a DPI; on a system without per-DPI
// metrics, the screen's metric scaled from the screen's DPI.
int systemMetricForDpi(int index, int dpi);

// The dialog is left as it is when its DPI changes (no automatic resizing,
// font update or control relayout): its owner places it and scales it.
void keepDialogLayoutOnDpiChange(HWND dialog);

// Scales a dialog's child windows from one DPI to another (place and size),
// and gives those that used the dialog's font a font of the same face at the
// new DPI, kept in `font`.
void rescaleDialogChildren(HWND dialog, int fromDpi, int toDpi, Font& font);

// A copy of `font` with its height scaled from one DPI to another.
Font scaledFont(HFONT font, int fromDpi, int toDpi);

} // namespace tarvo
