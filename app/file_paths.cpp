#include "app/file_paths.h"

namespace tarvo {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveAbsolute(const std::wstring& path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && isSeparator(path[2]);
}

bool isUnc(const std::wstring& path) {
    return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]) &&
           path[2] != L'?' && path[2] != L'.';
}

bool isPrefixed(const std::wstring& path) {
    return path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
           isSeparator(path[3]);
}

// True when a name of the path is "." or "..".
bool hasRelativeName(const std::wstring& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        const std::wstring name = path.substr(start, end - start);
        if (name == L"." || name == L"..") return true;
        start = end + 1;
    }
    return false;
}

} // namespace

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    std::size_t skip = 0;
    while (skip < name.size() && isSeparator(name[skip])) ++skip;
    std::wstring joined = folder;
    if (!isSeparator(joined.back())) joined += L'\\';
    joined.append(name, skip, std::wstring::npos);
    return joined;
}

std::wstring parentFolder(const std::wstring& path) {
    std::size_t end = path.size();
    while (end > 0 && isSeparator(path[end - 1])) --end;
    const std::size_t slash = path.find_last_of(L"\\/", end == 0 ? 0 : end - 1);
    if (slash == std::wstring::npos || end == 0) return std::wstring();
    std::size_t folderEnd = slash;
    while (folderEnd > 0 && isSeparator(path[folderEnd - 1])) --folderEnd;
    // A UNC root keeps its leading pair: "\\host" is not a folder to strip.
    return folderEnd == 0 ? std::wstring() : path.substr(0, folderEnd);
}

std::wstring fileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring withoutExtension(const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

std::wstring systemPath(const std::wstring& path) {
    if (path.size() <= kClassicPathLimit || isPrefixed(path) || hasRelativeName(path)) return path;
    std::wstring prefixed;
    if (isDriveAbsolute(path)) {
        prefixed = L"\\\\?\\" + path;
    } else if (isUnc(path)) {
        prefixed = L"\\\\?\\UNC\\" + path.substr(2);
    } else {
        return path;
    }
    for (wchar_t& c : prefixed) {
        if (c == L'/') c = L'\\';
    }
    return prefixed;
}

} // namespace tarvo
