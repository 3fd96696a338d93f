#include "service/request_sign.h"

#include "service/md5.h"

std::string MakeRequestSign(const RequestValues& values, int type) {
    const std::string input = values.apiPlatform + values.apiGameKey + "s" + values.serverNumber +
                              std::to_string(type) + "#" + values.apiSignKey;
    return md5Hex(input);
}

std::string MakeRequestUrl(const RequestValues& values, int type) {
    const std::string sign = MakeRequestSign(values, type);
    return values.apiBaseUrl + "?platform=" + values.apiPlatform + "&gkey=" + values.apiGameKey +
           "&skey=s" + values.serverNumber + "&type=" + std::to_string(type) + "&sign=" + sign;
}
