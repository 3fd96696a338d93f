// Which addresses the launcher may open: the page address from the
// information service (navigated in the embedded browser) and the main-site
// and forum addresses of the settings file (handed to the system's browser).
#pragma once

#include <string_view>

// True for an absolute web address: "http://" or "https://" (the scheme in
// any case) followed by a host, with no blank, control character or double
// quote anywhere. Everything else (file:, UNC and local paths, javascript:,
// res:, mk:, relative addresses, text that a program would read as a
// command-line switch) is false.
bool isWebAddress(std::string_view address);
