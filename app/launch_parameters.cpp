#include "app/launch_parameters.h"

namespace {

const std::string::size_type npos = std::string::npos;

// The command line is a sequence of '&'-separated fields. Parameter names are
// never examined: a value is found by counting '&' and skipping a fixed number
// of characters behind the separator (the '&' itself plus "xx=" or "xxx=").
const std::string::size_type kField3Skip = 4;      // '&' + two-letter key + '='
const std::string::size_type kEntryFieldSkip = 5;  // '&' + three-letter key + '='

// Text from start up to (not including) end. When end lies before start (a
// field shorter than its skipped prefix, or a terminator found too early) the
// value runs to the end of the line. A start beyond the end of the line means
// the value is missing.
bool extract(const std::string& line, std::string::size_type start,
             std::string::size_type end, std::string& value) {
    if (start > line.size())
        return false;
    if (end < start)
        value = line.substr(start);
    else
        value = line.substr(start, end - start);
    return true;
}

// Position of the next '&' after the one at 'after'.
std::string::size_type nextAmpersand(const std::string& line, std::string::size_type after) {
    return line.find('&', after + 1);
}

}  // namespace

bool parseLaunchParameters(const std::string& commandLine, LaunchParameters& params) {
    const std::string& line = commandLine;
    if (line.empty())
        return false;

    // A '/' must occur somewhere; its position is not used.
    if (line.find('/') == npos)
        return false;

    const std::string::size_type a1 = line.find('&');
    if (a1 == npos)
        return false;
    const std::string::size_type a2 = nextAmpersand(line, a1);
    if (a2 == npos)
        return false;

    // A ':' must follow the first '&' (a drive letter in the program path
    // does not count); its position is not used either.
    if (line.find(':', a1 + 1) == npos)
        return false;

    const std::string::size_type a3 = nextAmpersand(line, a2);
    if (a3 == npos)
        return false;
    const std::string::size_type a4 = nextAmpersand(line, a3);
    if (a4 == npos)
        return false;

    // Field 3 carries "<platformTag>_<serverNumber>_<anything>". A missing
    // first underscore, or one in first place, changes neither member;
    // serverNumber needs the second underscore as well.
    std::string field3;
    if (!extract(line, a3 + kField3Skip, a4, field3))
        return false;
    if (!field3.empty()) {
        const std::string::size_type u1 = field3.find('_');
        if (u1 != npos && u1 != 0) {
            params.platformTag = field3.substr(0, u1);
            const std::string::size_type u2 = field3.find('_', u1 + 1);
            if (u2 != npos)
                params.serverNumber = field3.substr(u1 + 1, u2 - u1 - 1);
        }
    }

    // Fields 4 to 8 are not used; only their separators (A5 to A10) are
    // counted, keeping the last two.
    std::string::size_type a9 = npos;
    std::string::size_type a10 = a4;
    for (int k = 5; k <= 10; ++k) {
        a9 = a10;
        a10 = nextAmpersand(line, a10);
        if (a10 == npos)
            return false;
    }

    if (!extract(line, a9 + kEntryFieldSkip, a10, params.entryArg1))
        return false;

    const std::string::size_type a11 = nextAmpersand(line, a10);
    if (a11 == npos)
        return false;
    if (!extract(line, a10 + kEntryFieldSkip, a11, params.entryArg2))
        return false;

    // Field 11 ends at the last '#' of the whole line, so it may itself
    // contain '&'.
    const std::string::size_type hash = line.rfind('#');
    if (hash == npos)
        return false;
    if (!extract(line, a11 + kEntryFieldSkip, hash, params.entryArg3))
        return false;

    return true;
}

std::string takeMarkerTail(const std::string& commandLine) {
    static const char kMarker[] = "keelmark:";
    const std::string::size_type p = commandLine.find(kMarker);
    if (p == npos)
        return commandLine;

    // The tail is at most (length - 5) characters long. Whenever the program
    // path comes first the marker stands at position 5 or later and this
    // takes everything to the end; a marker nearer the start loses the last
    // (5 - p) characters. This is intended and kept as it is.
    const std::string::size_type maxLength = commandLine.size() - 5;
    return commandLine.substr(p, maxLength);
}
