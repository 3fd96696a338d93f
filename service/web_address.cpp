#include "service/web_address.h"

#include <cstddef>

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

bool isWebAddress(std::string_view address) {
    std::size_t hostStart = 0;
    if (startsWithNoCase(address, "http://")) {
        hostStart = 7;
    } else if (startsWithNoCase(address, "https://")) {
        hostStart = 8;
    } else {
        return false;
    }
    for (const char c : address) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '"') return false;
    }
    // A host must follow: not empty, and not the start of a path.
    return hostStart < address.size() && address[hostStart] != '/' && address[hostStart] != '\\';
}
