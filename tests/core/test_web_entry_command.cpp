#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/launch_parameters.h"
#include "app/web_entry_command.h"

namespace {

const std::string kAddress = "http://pick.quarrionol.com:8681/pick/multiinfo";

TEST(WebEntryCommand, InformationServiceAddress) {
    EXPECT_EQ(infoServiceAddress(), kAddress);
}

struct ComposeCase {
    const char* name;
    std::int64_t handle;
    LaunchParameters params;
    std::string line;
};

TEST(WebEntryCommand, ComposeTable) {
    const ComposeCase cases[] = {
        {"example", 1312, {"web", "12", "U1", "T2", "S3", "M"},
         "1 1312 1 none " + kAddress + " none none M U1 a S3 T2 1"},
        // Empty pass-on values still get their separating space.
        {"empty values", 0, {}, "1 0 1 none " + kAddress + " none none   a   1"},
        {"negative handle", -2147483647L - 1, {"", "", "U1", "", "S3", "M"},
         "1 -2147483648 1 none " + kAddress + " none none M U1 a S3  1"},
        // A 64-bit program's handle is written whole, never cut to 32 bits.
        {"handle wider than 32 bits", 0x100001234LL, {}, "1 4294971956 1 none " + kAddress + " none none   a   1"},
        {"negative handle wider than 32 bits", -0x100000001LL, {}, "1 -4294967297 1 none " + kAddress + " none none   a   1"},
        // Values go in unquoted and unescaped.
        {"spaces and quotes", 66, {"", "", "u 1", "\"t\"", "s&3#", "keelmark:/x y"},
         "1 66 1 none " + kAddress + " none none keelmark:/x y u 1 a s&3# \"t\" 1"},
    };
    for (const ComposeCase& c : cases)
        EXPECT_EQ(composeWebEntryCommandLine(c.handle, c.params), c.line) << c.name;
}

TEST(WebEntryCommand, LongMarkerTailIsNeverCut) {
    LaunchParameters params;
    params.markerTail = "keelmark:/" + std::string(40 * 1024, 'x') + "#";
    params.entryArg1 = "U1";
    const std::string line = composeWebEntryCommandLine(7, params);
    EXPECT_GT(line.size(), kMaxProcessCommandLine);
    EXPECT_EQ(line, "1 7 1 none " + kAddress + " none none " + params.markerTail + " U1 a   1");
}

TEST(WebEntryCommand, FromTheLauncherCommandLine) {
    const std::string commandLine =
        "\"Z:\\games\\TarvoLaunch.exe\" keelmark:/start&k1=1&k2=t:0&k3=web_12_a&k4=4&k5=5&k6=6"
        "&k7=7&k8=8&k09=U1&k10=T2&k11=S3#";
    LaunchParameters params;
    ASSERT_TRUE(parseLaunchParameters(commandLine, params));
    params.markerTail = takeMarkerTail(commandLine);
    EXPECT_EQ(composeWebEntryCommandLine(1312, params),
              "1 1312 1 none " + kAddress +
                  " none none keelmark:/start&k1=1&k2=t:0&k3=web_12_a&k4=4&k5=5&k6=6&k7=7&k8=8"
                  "&k09=U1&k10=T2&k11=S3# U1 a S3 T2 1");
}

}  // namespace
