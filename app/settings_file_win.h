// Reading the settings file client\http.cfg from disk, at any path.
#pragma once

#include "app/service_settings.h"

#include <string>

// What became of reading the settings file.
enum class SettingsRead {
    Read,          // read whole and every entry found
    EntryMissing,  // read whole, an entry missing under both keys
    Missing,       // nothing at the path, or a folder
    Unopenable,    // there, but it cannot be opened or read
    Empty,         // there and of length 0
    TooLarge,      // larger than kMaxSettingsFileSize
    PathTooLong,   // the system refuses the path for its length
};

// The whole file at `path`, its bytes as they are, into `text`. Others may
// read and write the file meanwhile. Never anything but Read, Missing,
// Unopenable, Empty, TooLarge or PathTooLong.
SettingsRead readSettingsText(const std::wstring& path, std::string& text);

// Reads the file at `path` and fills `settings` (see fillServiceSettings).
SettingsRead readServiceSettings(const std::wstring& path, const std::string& platformTag,
                                 ServiceSettings& settings);
