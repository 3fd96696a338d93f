// Launch parameters taken from the launcher's process command line.
#pragma once

#include <string>

// Values the game platform hands over behind the "keelmark:" marker.
// platformTag and serverNumber are used by the launcher itself; the
// entry arguments and markerTail are only passed on to the web-entry client.
struct LaunchParameters {
    std::string platformTag;
    std::string serverNumber;
    std::string entryArg1;
    std::string entryArg2;
    std::string entryArg3;
    std::string markerTail;
};

// Fills platformTag, serverNumber, entryArg1, entryArg2 and entryArg3, in
// that order, from the whole process command line (program path included).
// Returns true when all five were found. On a false result the members
// filled before the parse stopped keep their new values and the others are
// left unchanged. An empty command line counts as no command line (false).
bool parseLaunchParameters(const std::string& commandLine, LaunchParameters& params);

// The command line from the first "keelmark:" on (see the .cpp for the
// length rule), or the whole line when the marker is absent.
std::string takeMarkerTail(const std::string& commandLine);
