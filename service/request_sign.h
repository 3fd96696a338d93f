// Signed request addresses for the platform's information service.
#pragma once

#include <string>

// The stored values a request is built from; an absent value is empty.
struct RequestValues {
    std::string apiBaseUrl;
    std::string apiPlatform;
    std::string apiGameKey;
    std::string apiSignKey;  // signature input only; never part of the address
    std::string serverNumber;
};

// MD5 over apiPlatform, apiGameKey, "s", serverNumber, the type in decimal,
// "#" and apiSignKey, joined without separators: 32 lowercase hex digits.
std::string MakeRequestSign(const RequestValues& values, int type);

// "<apiBaseUrl>?platform=<p>&gkey=<g>&skey=s<server>&type=<type>&sign=<sign>".
// Values go in exactly as stored, without percent-encoding.
std::string MakeRequestUrl(const RequestValues& values, int type);
