// Fuzz target: reading the information service's replies (userNameFromReply,
// lastServerNameFromReply, pageAddressFromReply) on arbitrary bytes.
//
// None of them may crash or let an exception out, whatever the body. They
// parse the same way, so they agree on whether the body is JSON at all, and
// reading the same body twice gives the same value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "service/account_reply.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

template <typename Read>
std::optional<std::string> readWithoutThrowing(Read read, const std::string& body) {
    try {
        return read(body);
    } catch (...) {
        check(false, "an exception left the reply reader");
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> user = readWithoutThrowing(userNameFromReply, body);
    const std::optional<std::string> server = readWithoutThrowing(lastServerNameFromReply, body);
    const std::optional<std::string> page = readWithoutThrowing(pageAddressFromReply, body);

    check(user.has_value() == server.has_value() && server.has_value() == page.has_value(),
          "the readers disagree on whether the body parses");
    // A reading is deterministic.
    check(readWithoutThrowing(userNameFromReply, body) == user, "user name differs between two readings");
    return 0;
}
