#include "window/boss_key.h"

std::uint16_t hotKeyFlagsToModifiers(std::uint16_t hotKeyFlags) {
    std::uint16_t modifiers = 0;
    if (hotKeyFlags & kHotKeyFlagShift)
        modifiers |= kModifierShift;
    if (hotKeyFlags & kHotKeyFlagControl)
        modifiers |= kModifierControl;
    if (hotKeyFlags & kHotKeyFlagAlt)
        modifiers |= kModifierAlt;
    return modifiers;
}

bool BossKey::set(bool enable, std::uint16_t key, std::uint16_t hotKeyFlags) {
    enabled = enable;
    if (!enable)
        return false;
    virtualKey = key;
    modifiers = hotKeyFlagsToModifiers(hotKeyFlags);
    return true;
}

BossKeyAction bossKeyAction(bool bossKeyEnabled, int hotKeyId, bool launcherVisible) {
    if (!bossKeyEnabled || hotKeyId != kBossHotKeyId)
        return BossKeyAction::None;
    return launcherVisible ? BossKeyAction::Hide : BossKeyAction::Show;
}

TrayAction trayAction(unsigned iconId, unsigned mouseMessage, bool launcherVisible) {
    if (iconId != kTrayIconId)
        return TrayAction::Ignore;
    if (mouseMessage != kMouseLeftButtonDown)
        return TrayAction::None;
    return launcherVisible ? TrayAction::Hide : TrayAction::Show;
}

int trayCallbackResult(TrayAction action) {
    return action == TrayAction::Ignore ? 1 : 0;
}
