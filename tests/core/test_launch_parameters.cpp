#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/launch_parameters.h"

namespace {

const std::string kProgram = "\"Z:\\games\\TarvoLaunch.exe\" ";

// Field 0 (program path, marker, first parameter) followed by fields 1 to 11.
std::string commandLine(const std::vector<std::string>& fields) {
    std::string line = kProgram + "keelmark:/start";
    for (const std::string& field : fields)
        line += "&" + field;
    return line;
}

// The complete example with some fields replaced (1-based field numbers).
std::string exampleWith(int field, const std::string& text, int field2 = 0,
                        const std::string& text2 = "") {
    std::vector<std::string> fields = {"k1=1", "k2=t:0", "k3=web_12_a", "k4=4",  "k5=5",   "k6=6",
                                       "k7=7", "k8=8",   "k09=U1",      "k10=T2", "k11=S3#"};
    if (field > 0)
        fields[field - 1] = text;
    if (field2 > 0)
        fields[field2 - 1] = text2;
    return commandLine(fields);
}

// The first n fields of the complete example.
std::string exampleFields(std::size_t n) {
    std::vector<std::string> fields = {"k1=1", "k2=t:0", "k3=web_12_a", "k4=4",  "k5=5",  "k6=6",
                                       "k7=7", "k8=8",   "k09=U1",      "k10=T2", "k11=S3"};
    fields.resize(n);
    return commandLine(fields);
}

// "?" marks a member the parse must leave unchanged.
const char* const U = "?";

struct ParseCase {
    const char* name;
    std::string line;
    bool ok;
    std::string platformTag, serverNumber, entryArg1, entryArg2, entryArg3;
};

class ParseLaunchParameters : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseLaunchParameters, FillsWhatItReaches) {
    const ParseCase& c = GetParam();
    LaunchParameters params{U, U, U, U, U, "tail stays"};
    EXPECT_EQ(parseLaunchParameters(c.line, params), c.ok);
    EXPECT_EQ(params.platformTag, c.platformTag);
    EXPECT_EQ(params.serverNumber, c.serverNumber);
    EXPECT_EQ(params.entryArg1, c.entryArg1);
    EXPECT_EQ(params.entryArg2, c.entryArg2);
    EXPECT_EQ(params.entryArg3, c.entryArg3);
    EXPECT_EQ(params.markerTail, "tail stays");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseLaunchParameters,
    ::testing::Values(
        ParseCase{"complete", exampleWith(0, ""), true, "web", "12", "U1", "T2", "S3"},
        ParseCase{"empty", "", false, U, U, U, U, U},
        ParseCase{"no_ampersand", kProgram + "keelmark:/start", false, U, U, U, U, U},
        ParseCase{"no_slash", "C:\\TarvoLaunch.exe keelmark:start&k1=1&k2=t:0&k3=web_1_a&k4=4&k5",
                  false, U, U, U, U, U},
        // The drive letter and the marker's ':' stand before the first '&'.
        ParseCase{"colon_only_in_field_0", exampleWith(2, "k2=t0"), false, U, U, U, U, U},
        ParseCase{"three_ampersands", exampleFields(3), false, U, U, U, U, U},
        // Field 3 ends at the line's end: its value would start beyond it.
        ParseCase{"field_3_start_beyond_end", "p /&:&&&", false, U, U, U, U, U},
        ParseCase{"ten_ampersands", exampleFields(10), false, "web", "12", "U1", U, U},
        ParseCase{"eleven_without_hash", exampleFields(11), false, "web", "12", "U1", "T2", U},
        // A last '#' before the eleventh '&': field 11 runs to the line's end.
        ParseCase{"hash_before_field_11", exampleWith(2, "k2=t:0#", 11, "k11=S3&x"), true, "web",
                  "12", "U1", "T2", "S3&x"},
        ParseCase{"field_11_up_to_last_hash", exampleWith(11, "k11=S3#m&x#"), true, "web", "12",
                  "U1", "T2", "S3#m&x"},
        ParseCase{"field_11_empty_value", exampleWith(11, "k11#"), true, "web", "12", "U1", "T2",
                  ""},
        ParseCase{"field_11_start_beyond_end", exampleWith(11, "k#"), false, "web", "12", "U1",
                  "T2", U},
        ParseCase{"id_web_12_x", exampleWith(3, "id=web_12_x"), true, "web", "12", "U1", "T2",
                  "S3"},
        ParseCase{"id_web_12", exampleWith(3, "id=web_12"), true, "web", U, "U1", "T2", "S3"},
        ParseCase{"id_web", exampleWith(3, "id=web"), true, U, U, "U1", "T2", "S3"},
        ParseCase{"id_leading_underscore", exampleWith(3, "id=_12_x"), true, U, U, "U1", "T2",
                  "S3"},
        ParseCase{"id_double_underscore", exampleWith(3, "id=web__x"), true, "web", "", "U1",
                  "T2", "S3"},
        ParseCase{"id_empty", exampleWith(3, "id="), true, U, U, "U1", "T2", "S3"},
        // The skipped prefix is not examined.
        ParseCase{"prefix_not_examined", exampleWith(3, "abcdef_1_2"), true, "def", "1", "U1",
                  "T2", "S3"},
        // Field 3 shorter than its prefix: its value runs on into field 4.
        ParseCase{"field_3_short", exampleWith(3, "ab", 4, "p_7_z"), true, "p", "7", "U1", "T2",
                  "S3"},
        // Field 9 shorter than its prefix: entryArg1 runs to the line's end.
        ParseCase{"field_9_short", exampleWith(9, "ab="), true, "web", "12", "k10=T2&k11=S3#",
                  "T2", "S3"},
        ParseCase{"gbk_bytes_pass_through", exampleWith(9, "k09=\xd5\xc5\xc8\xfd"), true, "web",
                  "12", "\xd5\xc5\xc8\xfd", "T2", "S3"}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct TailCase {
    std::string line;
    std::string tail;
};

TEST(TakeMarkerTail, Table) {
    const TailCase cases[] = {
        {exampleWith(0, ""), "keelmark:/start&k1=1&k2=t:0&k3=web_12_a&k4=4&k5=5&k6=6&k7=7&k8=8"
                             "&k09=U1&k10=T2&k11=S3#"},
        {kProgram + "keelmark:/start", "keelmark:/start"},
        {kProgram + "/start&k1=1", kProgram + "/start&k1=1"},
        {kProgram + "KEELMARK:/start", kProgram + "KEELMARK:/start"},
        {kProgram + "keelmark:a keelmark:b", "keelmark:a keelmark:b"},
        // Marker at position 5: the whole rest.
        {"abcdekeelmark:xyz", "keelmark:xyz"},
        // Marker before position 5: the last (5 - position) characters go.
        {"ab keelmark:xyz", "keelmark:x"},
        {"keelmark:/start&k1", "keelmark:/sta"},
        {"", ""},
    };
    for (const TailCase& c : cases)
        EXPECT_EQ(takeMarkerTail(c.line), c.tail) << c.line;
}

}  // namespace
