// Fuzz target: the launcher's command line (parseLaunchParameters and
// takeMarkerTail) on arbitrary bytes.
//
// Besides "no crash, no out-of-range read" (AddressSanitizer), it checks what
// must hold for every command line:
//   * takeMarkerTail: the whole line without the marker; otherwise the text
//     from the first marker on, at most (length - 5) characters long - always
//     a substring of the line;
//   * parseLaunchParameters: every value it fills is a substring of the line;
//     the platform tag is never empty and, like the server number, holds no
//     '_'; a true result needs eleven '&', a '/' and a '#'; members it does
//     not reach keep their previous values, and a second parse of the same
//     line gives the same result;
//   * the same holds when the line follows a quoted program path, as the
//     system reports it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/launch_parameters.h"

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) fail(what);
}

bool isSubstring(const std::string& part, const std::string& whole) {
    return whole.find(part) != std::string::npos;
}

std::size_t count(const std::string& text, char c) {
    std::size_t n = 0;
    for (char ch : text)
        if (ch == c) ++n;
    return n;
}

// A value the parse never produces from a line that does not hold it.
const char kUnset[] = "\x01unset\x02";

void checkMarkerTail(const std::string& line) {
    const std::string tail = takeMarkerTail(line);
    check(isSubstring(tail, line), "marker tail is not a substring of the line");
    const std::string::size_type p = line.find("keelmark:");
    if (p == std::string::npos) {
        check(tail == line, "without a marker the tail is the whole line");
        return;
    }
    const std::size_t longest = line.size() - 5;
    const std::size_t expected = line.size() - p < longest ? line.size() - p : longest;
    check(tail.size() == expected, "marker tail has the wrong length");
    check(line.compare(p, tail.size(), tail) == 0, "marker tail does not start at the first marker");
}

void checkParse(const std::string& line) {
    LaunchParameters fresh;
    const bool ok = parseLaunchParameters(line, fresh);

    const std::string* values[] = {&fresh.platformTag, &fresh.serverNumber, &fresh.entryArg1,
                                   &fresh.entryArg2, &fresh.entryArg3};
    for (const std::string* value : values)
        check(isSubstring(*value, line), "a parsed value is not a substring of the line");
    check(fresh.markerTail.empty(), "the parse touched markerTail");
    check(fresh.platformTag.find('_') == std::string::npos, "platform tag holds '_'");
    check(fresh.serverNumber.find('_') == std::string::npos, "server number holds '_'");
    check(fresh.serverNumber.empty() || !fresh.platformTag.empty(),
          "server number found without a platform tag");
    if (ok) {
        check(count(line, '&') >= 11, "true result with fewer than eleven '&'");
        check(line.find('/') != std::string::npos, "true result without '/'");
        check(line.find('#') != std::string::npos, "true result without '#'");
        const std::string::size_type a1 = line.find('&');
        check(line.find(':', a1 + 1) != std::string::npos, "true result without ':' after the first '&'");
    }

    // Members not reached keep what they held; reached ones get the same
    // values as in a fresh parse.
    if (isSubstring(kUnset, line)) return;
    LaunchParameters preset{kUnset, kUnset, kUnset, kUnset, kUnset, kUnset};
    check(parseLaunchParameters(line, preset) == ok, "parse result depends on previous values");
    const std::string* again[] = {&preset.platformTag, &preset.serverNumber, &preset.entryArg1,
                                  &preset.entryArg2, &preset.entryArg3};
    for (int i = 0; i < 5; ++i)
        check(*again[i] == kUnset || *again[i] == *values[i], "a value depends on previous values");
    check(preset.markerTail == kUnset, "the parse touched markerTail");
    if (ok) {
        check(preset.entryArg1 != kUnset && preset.entryArg2 != kUnset && preset.entryArg3 != kUnset,
              "true result without all three entry arguments");
    }
    // The entry arguments are filled in order: a later one only after an earlier one.
    check(preset.entryArg2 == kUnset || preset.entryArg1 != kUnset, "entryArg2 filled before entryArg1");
    check(preset.entryArg3 == kUnset || preset.entryArg2 != kUnset, "entryArg3 filled before entryArg2");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    checkMarkerTail(line);
    checkParse(line);

    // The same bytes behind a quoted program path.
    const std::string withProgram = "\"C:\\Games\\QuarrionOL\\TarvoLaunch.exe\" " + line;
    checkMarkerTail(withProgram);
    checkParse(withProgram);
    return 0;
}
