// Fuzz target: the settings file (lookUpSetting, fillServiceSettings).
//
// Input: the platform tag, then '\n', then the settings text (no '\n': the
// whole input is the text and the tag is empty; the tag is at most 64 bytes).
//
// Checks, besides "no crash, no out-of-range read":
//   * a found entry's terminator is a "#:" of the text, after the key's first
//     occurrence and its '='; the value has no white space at either end and
//     no "#:" inside, and is a substring of the text;
//   * fillServiceSettings stores, row by row, the entry under "<prefix><tag>"
//     or else the bare prefix, and fails exactly at the first row missing
//     under both; members after it keep their previous values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/service_settings.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<SettingEntry> checkedLookUp(const std::string& text, const std::string& key) {
    std::optional<SettingEntry> entry = lookUpSetting(text, key);
    const std::string::size_type keyPos = text.find(key);
    if (!entry) return entry;
    check(keyPos != std::string::npos, "an entry found without its key");
    check(entry->terminator + 2 <= text.size(), "terminator beyond the text");
    check(text.compare(entry->terminator, 2, "#:") == 0, "terminator is not \"#:\"");
    const std::string::size_type equals = text.find('=', keyPos);
    check(equals != std::string::npos && equals < entry->terminator, "terminator before the '='");
    check(text.find("#:", equals) == entry->terminator, "terminator is not the first \"#:\" after the '='");
    const std::string& value = entry->value;
    check(value.find("#:") == std::string::npos, "value holds \"#:\"");
    if (!value.empty()) {
        check(!isSpace(value.front()) && !isSpace(value.back()), "value not trimmed");
        const std::string::size_type at = text.find(value, equals + 1);
        check(at != std::string::npos && at + value.size() <= entry->terminator,
              "value does not lie between the '=' and the terminator");
    }
    return entry;
}

const char* const kPrefixes[] = {"GS_MAIN_", "GS_BBS_", "GS_API_", "GS_API_platform_", "GS_API_gkey_", "GS_API_key_"};
std::string ServiceSettings::*const kMembers[] = {
    &ServiceSettings::mainSiteUrl, &ServiceSettings::forumUrl,   &ServiceSettings::apiBaseUrl,
    &ServiceSettings::apiPlatform, &ServiceSettings::apiGameKey, &ServiceSettings::apiSignKey};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string tag;
    std::string text = input;
    const std::string::size_type newline = input.find('\n');
    if (newline != std::string::npos && newline <= 64) {
        tag = input.substr(0, newline);
        text = input.substr(newline + 1);
    }

    // The tag itself as a key, and the raw text as its own key, too.
    checkedLookUp(text, tag);
    checkedLookUp(text, text);

    const char kKept[] = "\x01kept\x02";
    ServiceSettings settings;
    for (auto member : kMembers) settings.*member = kKept;
    const bool ok = fillServiceSettings(text, tag, settings);

    bool missing = false;
    for (int row = 0; row < 6; ++row) {
        const std::string prefix = kPrefixes[row];
        std::optional<SettingEntry> entry = checkedLookUp(text, prefix + tag);
        if (!entry) entry = checkedLookUp(text, prefix);
        const std::string& stored = settings.*kMembers[row];
        if (missing) {
            check(stored == kKept, "a member after the missing entry changed");
        } else if (!entry) {
            missing = true;
            check(!ok, "success with an entry missing");
            check(stored == kKept, "the missing entry's member changed");
        } else {
            check(stored == entry->value, "stored value differs from the entry looked up");
        }
    }
    check(ok == !missing, "success although an entry is missing, or failure without one");
    return 0;
}
