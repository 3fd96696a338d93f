// Windows file paths as the launcher forms them: wide text, backslashes,
// any length. Portable: nothing here touches the file system.
#pragma once

#include <cstddef>
#include <string>

namespace tarvo {

// The longest path the classic file functions take whole (MAX_PATH less
// its terminator); a longer one needs the extended-length form.
constexpr std::size_t kClassicPathLimit = 259;

// `folder` and `name` with one backslash between them. `name` may hold
// further backslashes ("client\http.cfg") and may start with one; a folder
// ending in a backslash ("C:\") gets no second one. An empty folder gives
// `name` as it stands.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

// The folder holding `path`, without a trailing backslash, so that joining a
// name onto it gives that name beside `path`: "C:\games\a.exe" -> "C:\games",
// "C:\a.exe" -> "C:", "\\host\share\a.exe" -> "\\host\share". Trailing
// backslashes of `path` are not a name of their own. Empty when `path` has no
// folder part.
std::wstring parentFolder(const std::wstring& path);

// The last name of `path` ("C:\games\a.exe" -> "a.exe"); `path` itself when
// it holds no backslash.
std::wstring fileNameOf(const std::wstring& path);

// A file name without its extension ("TarvoLaunch.exe" -> "TarvoLaunch").
std::wstring withoutExtension(const std::wstring& name);

// The form of `path` that the file functions take at any length: an
// absolute drive or UNC path longer than kClassicPathLimit gets the
// extended-length prefix ("\\?\C:\..." or "\\?\UNC\host\share\..."), with
// forward slashes turned into backslashes since the system no longer does
// that for it. Anything else (short, relative, already prefixed, or holding
// "." or ".." names, which only the system can resolve) stays as it is.
std::wstring systemPath(const std::wstring& path);

} // namespace tarvo
