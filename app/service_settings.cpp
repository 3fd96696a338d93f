#include "app/service_settings.h"


namespace {

const char kWhiteSpace[] = " \t\n\v\f\r";

std::string trimmed(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos)
        return std::string();
    const std::string::size_type last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

struct SettingRow {
    const char* keyPrefix;
    std::string ServiceSettings::*member;
};

// The order matters: filling stops at the first missing entry.
const SettingRow kSettingRows[] = {
    {"GS_MAIN_", &ServiceSettings::mainSiteUrl},
    {"GS_BBS_", &ServiceSettings::forumUrl},
    {"GS_API_", &ServiceSettings::apiBaseUrl},
    {"GS_API_platform_", &ServiceSettings::apiPlatform},
    {"GS_API_gkey_", &ServiceSettings::apiGameKey},
    {"GS_API_key_", &ServiceSettings::apiSignKey},
};

}  // namespace

std::optional<SettingEntry> lookUpSetting(const std::string& text, const std::string& key) {
    // Plain text search for the first occurrence: a key also matches inside a
    // longer key or inside an earlier value. The file has no line structure.
    const std::string::size_type keyPos = text.find(key);
    if (keyPos == std::string::npos)
        return std::nullopt;
    const std::string::size_type equals = text.find('=', keyPos);
    if (equals == std::string::npos)
        return std::nullopt;
    const std::string::size_type end = text.find("#:", equals);
    if (end == std::string::npos)
        return std::nullopt;
    return SettingEntry{trimmed(text.substr(equals + 1, end - equals - 1)), end};
}

bool fillServiceSettings(const std::string& text, const std::string& platformTag,
                         ServiceSettings& settings) {
    for (const SettingRow& row : kSettingRows) {
        const std::string prefix = row.keyPrefix;
        std::optional<SettingEntry> entry = lookUpSetting(text, prefix + platformTag);
        if (!entry)
            entry = lookUpSetting(text, prefix);
        if (!entry)
            return false;
        settings.*row.member = trimmed(entry->value);
    }
    return true;
}
