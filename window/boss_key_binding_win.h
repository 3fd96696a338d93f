// The boss key as the launcher window holds it: the player's choice (enabled,
// key, modifiers) and its registration as hot key kBossHotKeyId. The key is
// let go of while the settings panel is open and registered again when the
// panel is hidden.
#pragma once

#include "window/boss_key.h"

#include <windows.h>

class BossKeyBinding {
public:
    // The player's choice from the settings panel: stores it and registers
    // the key for `window` when it is enabled and a key was chosen. False
    // when the system refuses the key (another program holds the
    // combination): the previous choice then stays, registered as before.
    bool set(HWND window, bool enable, WORD virtualKey, WORD hotKeyFlags);
    // Lets go of the registration (the choice is kept).
    void release(HWND window) const;
    // Registers the key again when it is enabled and a key was chosen.
    void restore(HWND window) const;

    // What a WM_HOTKEY with this id asks for.
    BossKeyAction actionFor(int hotKeyId, bool launcherVisible) const {
        return bossKeyAction(key_.enabled, hotKeyId, launcherVisible);
    }

    bool enabled() const { return key_.enabled; }
    WORD virtualKey() const { return key_.virtualKey; }
    WORD modifiers() const { return key_.modifiers; }

private:
    BossKey key_;
};
