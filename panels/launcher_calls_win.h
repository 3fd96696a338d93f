// What the panels may ask of the launcher window: given to each panel at
// construction, so that no panel knows the launcher's class.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct LauncherCalls {
    // The boss key chosen in the settings panel; false when the key could
    // not be registered (the previous one stays).
    std::function<bool(bool enable, WORD virtualKey, WORD hotKeyFlags)> setBossKey;
    // Opens the settings panel as its caption button does.
    std::function<void()> openSettings;
    // The exit panel's confirm: starts Launch.exe and closes the launcher.
    std::function<void()> startLaunchAndClose;
    // The page script's server name, for the title strip.
    std::function<void(const std::wstring& name)> showServerName;
    // The page script's news: the message label starts blinking.
    std::function<void()> startMessageBlink;
};
