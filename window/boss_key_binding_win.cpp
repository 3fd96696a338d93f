#include "window/boss_key_binding_win.h"

bool BossKeyBinding::set(HWND window, bool enable, WORD virtualKey, WORD hotKeyFlags) {
    const BossKey previous = key_;
    const bool registerKey = key_.set(enable, virtualKey, hotKeyFlags);
    release(window);
    // No key chosen (an empty hot-key field): nothing to register.
    if (!registerKey || key_.virtualKey == 0) return true;
    if (::RegisterHotKey(window, kBossHotKeyId, key_.modifiers, key_.virtualKey)) return true;
    // A key that does nothing is never kept as set.
    key_ = previous;
    restore(window);
    return false;
}

void BossKeyBinding::release(HWND window) const {
    ::UnregisterHotKey(window, kBossHotKeyId);
}

void BossKeyBinding::restore(HWND window) const {
    if (!key_.enabled || key_.virtualKey == 0 || !window) return;
    release(window);
    ::RegisterHotKey(window, kBossHotKeyId, key_.modifiers, key_.virtualKey);
}
