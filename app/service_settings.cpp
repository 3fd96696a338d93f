#include "app/service_settings.h"

#include <exception>
#include <fstream>

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

int readServiceSettings(const std::string& path, const std::string& platformTag,
                        ServiceSettings& settings) {
    // Binary mode: the bytes are taken as they are, without any conversion.
    // The stream does not lock the file against other readers or writers.
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return 1;

    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (!file || length <= 0 || static_cast<unsigned long long>(length) > kMaxSettingsFileSize)
        return 1;
    file.seekg(0, std::ios::beg);

    // Read to the end rather than trusting the length, in case the file
    // changes meanwhile; a file that grows past the limit while it is read
    // fails like one that was too large from the start. No exception leaves
    // here: the start-up sequence has nothing to catch it.
    std::string text;
    try {
        text.reserve(static_cast<std::size_t>(length));
        char block[16 * 1024];
        while (file.read(block, sizeof block) || file.gcount() > 0) {
            const std::size_t got = static_cast<std::size_t>(file.gcount());
            if (got > kMaxSettingsFileSize - text.size())
                return 1;
            text.append(block, got);
        }
    } catch (const std::exception&) {
        return 1;
    }
    if (file.bad())
        return 1;

    return fillServiceSettings(text, platformTag, settings) ? 0 : 1;
}
