#include <gtest/gtest.h>

#include <string>

#include "service/web_address.h"

namespace {

struct AddressCase {
    std::string address;
    bool web;
};

TEST(WebAddress, OnlyAbsoluteHttpAndHttpsAddressesAreWeb) {
    const AddressCase cases[] = {
        {"http://www.quarrionol.com/", true},
        {"https://bbs.quarrionol.com/forum.php?mod=1&x=%E4", true},
        {"HTTP://127.0.0.1:8080/page.html", true},
        {"hTtPs://host", true},
        {"http://\xD0\xFE\xD6\xDE/", true},  // non-ASCII host bytes pass through
        {"", false},
        {"http://", false},
        {"https:///etc/passwd", false},
        {"http:\\\\host\\share", false},
        {"http:host", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"\\\\host\\share\\setup.exe", false},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"javascript:alert(1)", false},
        {"res://ieframe.dll/navcancl.htm", false},
        {"mk:@MSITStore:C:\\x.chm::/a.htm", false},
        {"about:blank", false},
        {"/select,C:\\Windows", false},
        {"-e http://x/", false},
        {" http://x/", false},
        {"http://x/ /select,C:\\", false},
        {"http://x/\"y\"", false},
        {"http://x/\ty", false},
        {"http://x/\x7f", false},
        {"ftp://x/", false},
        {"httpx://x/", false},
    };
    for (const AddressCase& c : cases) EXPECT_EQ(isWebAddress(c.address), c.web) << c.address;
}

} // namespace
