// The settings file client\http.cfg: platform addresses and request keys.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Read once at start-up; empty until read.
struct ServiceSettings {
    std::string mainSiteUrl;  // GS_MAIN_
    std::string forumUrl;     // GS_BBS_
    std::string apiBaseUrl;   // GS_API_
    std::string apiPlatform;  // GS_API_platform_
    std::string apiGameKey;   // GS_API_gkey_
    std::string apiSignKey;   // GS_API_key_ (signature input only, never sent)
};

// One entry found in the settings text: its trimmed value and the position of
// the "#:" that ends it.
struct SettingEntry {
    std::string value;
    std::size_t terminator;
};

// Finds the first occurrence of key anywhere in text, then the first "="
// from there and the first "#:" after that. Nothing when any of them is
// missing.
std::optional<SettingEntry> lookUpSetting(const std::string& text, const std::string& key);

// Fills the six members in their order, each from "<prefix><platformTag>"
// or, failing that, from the bare prefix. Stops with false at the first entry
// missing under both keys; members filled before it keep their values.
bool fillServiceSettings(const std::string& text, const std::string& platformTag,
                         ServiceSettings& settings);

// The largest settings file the launcher reads. A real one holds six short
// entries; anything larger is not a settings file and is not read into memory.
constexpr std::size_t kMaxSettingsFileSize = 1024 * 1024;
