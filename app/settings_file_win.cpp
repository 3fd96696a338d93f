#include "app/settings_file_win.h"

#include "app/file_paths.h"
#include "framework/handles_win.h"

#include <windows.h>

#include <new>

SettingsRead readSettingsText(const std::wstring& path, std::string& text) {
    const std::wstring systemPath = tarvo::systemPath(path);
    const DWORD attributes = ::GetFileAttributesW(systemPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILENAME_EXCED_RANGE) return SettingsRead::PathTooLong;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SettingsRead::Missing
                                                                               : SettingsRead::Unopenable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SettingsRead::Missing;

    const HANDLE raw = ::CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return SettingsRead::Unopenable;
    tarvo::UniqueHandle file(raw);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return SettingsRead::Unopenable;
    if (size.QuadPart == 0) return SettingsRead::Empty;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxSettingsFileSize) return SettingsRead::TooLarge;

    // Read to the end rather than trusting the length, in case the file
    // changes meanwhile; a file that grows past the limit while it is read
    // fails like one that was too large from the start.
    std::string bytes;
    try {
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
        char block[16 * 1024];
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), block, sizeof block, &got, nullptr)) return SettingsRead::Unopenable;
            if (got == 0) break;
            if (got > kMaxSettingsFileSize - bytes.size()) return SettingsRead::TooLarge;
            bytes.append(block, got);
        }
    } catch (const std::bad_alloc&) {
        return SettingsRead::TooLarge;
    }
    if (bytes.empty()) return SettingsRead::Empty;
    text = std::move(bytes);
    return SettingsRead::Read;
}

SettingsRead readServiceSettings(const std::wstring& path, const std::string& platformTag,
                                 ServiceSettings& settings) {
    std::string text;
    const SettingsRead read = readSettingsText(path, text);
    if (read != SettingsRead::Read) return read;
    return fillServiceSettings(text, platformTag, settings) ? SettingsRead::Read : SettingsRead::EntryMissing;
}
