#include "window/boss_key_binding_win.h"

void BossKeyBinding::set(HWND window, bool enable, WORD virtualKey, WORD hotKeyFlags) {
    const bool registerKey = key_.set(enable, virtualKey, hotKeyFlags);
    release(window);
    // No key chosen (an empty hot-key field): nothing to register.
    if (registerKey && key_.virtualKey != 0) {
        ::RegisterHotKey(window, kBossHotKeyId, key_.modifiers, key_.virtualKey);
    }
}

void BossKeyBinding::release(HWND window) const {
    ::UnregisterHotKey(window, kBossHotKeyId);
}

void BossKeyBinding::restore(HWND window) const {
    if (!key_.enabled || key_.virtualKey == 0 || !window) return;
    release(window);
    ::RegisterHotKey(window, kBossHotKeyId, key_.modifiers, key_.virtualKey);
}
