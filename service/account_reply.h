// Reading the information service's JSON replies.
//
// Each function takes the raw reply body (UTF-8 bytes, as the service sends
// them) and returns the one value the launcher shows from that reply, still
// in UTF-8; the caller converts it to the ANSI code page.
//
//   nullopt      the body does not parse as JSON: the caller changes nothing.
//   ""           the body parses but the value is absent.
//   the value    otherwise.
//
// The expected shape is a root object with a "data" object inside. Replies of
// other shapes never fail and never throw; they are read like this:
//   - a root or "data" that is not an object: "data" is absent;
//   - a value that is a string is used as it is;
//   - a value that is a number or a boolean is used as it is written in the
//     reply ("12", "1.50", "true");
//   - a value that is missing, null, an array or an object is absent;
//   - "allserver" that is not an array has no elements; an element that is
//     not an object has no "server_name".
#pragma once

#include <optional>
#include <string>

// "data" / "user_name" (reply to request type 1).
std::optional<std::string> userNameFromReply(const std::string& utf8Body);

// "data" / "allserver" / last element / "server_name" (reply to request type 5).
std::optional<std::string> lastServerNameFromReply(const std::string& utf8Body);

// "data" / "gsurl" (reply to request type 2).
std::optional<std::string> pageAddressFromReply(const std::string& utf8Body);
