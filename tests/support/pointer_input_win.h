// Real pointer input for the Windows tests: X events sent to the display
// that Wine runs on (with xdotool), so they reach the program through the
// X server, Wine's input handling and the system's input queue, exactly
// like a player's, and a window manager on that display sees them too.
//
// Coordinates are screen coordinates; under Wine without a virtual desktop
// they are the display's own. Every call returns once the events have been
// handed to the X server; whether the program has handled them is for the
// test to wait for.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvo_test {

// Runs xdotool on this program's display with the given arguments (one
// xdotool command line, for example "mousemove 10 20 click 1"). False when
// it could not be run, failed, or did not finish within the time.
bool runXdotool(const std::string& arguments, int timeoutMs = 10000);

// Moves the pointer to the point.
bool pointerMoveTo(int x, int y);
// Moves to the point, then presses and releases the left button with no
// pause between them (a touchpad tap).
bool pointerClick(int x, int y);
// Quick clicks at the points in turn, `pauseMs` between one and the next.
bool pointerClicks(const std::vector<POINT>& points, int pauseMs);
// Moves to the point, then two clicks within the double-click time, each
// press held 60 ms.
bool pointerDoubleClick(int x, int y);
// A drag with the left button: press at `from`, move in `steps` steps to
// `to`, release there.
bool pointerDrag(POINT from, POINT to, int steps = 10);
// Presses the left button where the pointer is and keeps it down.
bool pointerPress();
// Releases the left button.
bool pointerRelease();

// Whether a window manager runs on this program's display (it has set the
// root window's _NET_SUPPORTING_WM_CHECK property).
bool windowManagerRunning();

}  // namespace tarvo_test
