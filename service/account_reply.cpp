#include "service/account_reply.h"

#include <exception>

#include <json/json.h>

namespace {

// Parses the body as the launcher always has: the reader's default features
// (comments allowed, any value as the root) with comments collected. Any
// exception from the parser (its nesting limit, running out of memory)
// counts as a failed parse.
bool parseReply(const std::string& body, Json::Value& root) {
    try {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        Json::Reader reader;
        return reader.parse(body, root, true);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    } catch (const std::exception&) {
        return false;
    } catch (...) {
        return false;
    }
}

// The member `name` of `object` if `object` is an object that has it, else
// null. Never asserts, whatever `object` is.
const Json::Value& memberOf(const Json::Value& object, const char* name) {
    static const Json::Value absent;
    if (!object.isObject()) return absent;
    const Json::Value* member = object.find(name, name + std::char_traits<char>::length(name));
    return member ? *member : absent;
}

// The text shown for a value: a string as it is; a number or boolean as it is
// written in the reply; anything else is absent (empty).
std::string textOf(const Json::Value& value, const std::string& body) {
    try {
        if (value.isString()) return value.asString();
        if (value.isNumeric() || value.isBool()) {
            const auto start = value.getOffsetStart();
            const auto limit = value.getOffsetLimit();
            if (start >= 0 && limit > start && static_cast<std::size_t>(limit) <= body.size())
                return body.substr(static_cast<std::size_t>(start),
                                   static_cast<std::size_t>(limit - start));
            return value.asString();
        }
    } catch (const std::exception&) {
    }
    return std::string();
}

template <typename Take>
std::optional<std::string> readReply(const std::string& body, Take take) {
    Json::Value root;
    if (!parseReply(body, root)) return std::nullopt;
    try {
        return take(memberOf(root, "data"));
    } catch (const std::exception&) {
        return std::string();
    }
}

}  // namespace

std::optional<std::string> userNameFromReply(const std::string& utf8Body) {
    return readReply(utf8Body, [&](const Json::Value& data) {
        return textOf(memberOf(data, "user_name"), utf8Body);
    });
}

std::optional<std::string> lastServerNameFromReply(const std::string& utf8Body) {
    return readReply(utf8Body, [&](const Json::Value& data) {
        const Json::Value& servers = memberOf(data, "allserver");
        if (!servers.isArray() || servers.size() == 0) return std::string();
        const Json::Value& last = servers[servers.size() - 1];
        return textOf(memberOf(last, "server_name"), utf8Body);
    });
}

std::optional<std::string> pageAddressFromReply(const std::string& utf8Body) {
    return readReply(utf8Body, [&](const Json::Value& data) {
        return textOf(memberOf(data, "gsurl"), utf8Body);
    });
}
