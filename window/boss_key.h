// The boss key and the tray icon's click, free of the platform: the key the
// settings panel hands over, its conversion to hot-key registration flags,
// and what a tray click or a hot-key press should do.
#pragma once

#include <cstdint>

// Hot-key id of the boss key on the launcher window.
constexpr int kBossHotKeyId = 1001;

// Modifier flags as the hot-key control reports them.
constexpr std::uint16_t kHotKeyFlagShift = 0x01;
constexpr std::uint16_t kHotKeyFlagControl = 0x02;
constexpr std::uint16_t kHotKeyFlagAlt = 0x04;
constexpr std::uint16_t kHotKeyFlagExtended = 0x08;

// Modifier flags as hot-key registration takes them.
constexpr std::uint16_t kModifierAlt = 0x01;
constexpr std::uint16_t kModifierControl = 0x02;
constexpr std::uint16_t kModifierShift = 0x04;
constexpr std::uint16_t kModifierWin = 0x08;

// Converts the hot-key control's flags to registration flags:
// Shift 0x01 -> 0x04, Control 0x02 -> 0x02, Alt 0x04 -> 0x01.
// The extended-key flag (0x08) is dropped: the control sets it for keys such
// as Home, Delete or the arrows, the virtual key already names the key, and
// in the registration flags 0x08 is the Windows-key modifier, so passing it on
// would register a combination the user never chose. Other bits are dropped.
std::uint16_t hotKeyFlagsToModifiers(std::uint16_t hotKeyFlags);

// The boss key as the launcher holds it (in memory only; every start begins
// without one).
struct BossKey {
    bool enabled = false;
    std::uint16_t virtualKey = 0;
    std::uint16_t modifiers = 0;  // registration flags

    // SetBossKey: stores the enable flag; when enabling, also the key and
    // the converted modifiers (when disabling, key and modifiers keep their
    // old values). The caller always unregisters hot key 1001 first; returns
    // whether it must then register it with virtualKey and modifiers.
    bool set(bool enable, std::uint16_t key, std::uint16_t hotKeyFlags);
};

// What a press of a registered hot key does.
enum class BossKeyAction {
    None,  // boss key disabled or another hot-key id
    Hide,  // hide everything, then delete the tray icon
    Show,  // show the launcher and the game host panel, add the tray icon again
};

BossKeyAction bossKeyAction(bool bossKeyEnabled, int hotKeyId, bool launcherVisible);

// ---- Tray icon --------------------------------------------------------------

constexpr unsigned kTrayIconId = 5;
constexpr unsigned kTrayCallbackMessage = 0x465;
constexpr unsigned kMouseLeftButtonDown = 0x201;

// What the tray callback does for (icon id, mouse message).
enum class TrayAction {
    None,    // our icon, but not a left button-down: nothing (result 0)
    Ignore,  // another icon id: nothing (result 1)
    Hide,    // hide the launcher, its visible panels and the game host panel
    Show,    // show the launcher and the game host panel (not the panels)
};

TrayAction trayAction(unsigned iconId, unsigned mouseMessage, bool launcherVisible);

// The callback's result for an action: 1 for Ignore, else 0.
int trayCallbackResult(TrayAction action);
