#include "app/web_entry_command.h"

#include <cstdint>

const char* const kInfoServiceHost = "pick.quarrionol.com";

namespace {
const char kInfoServicePort[] = "8681";
const char kInfoServicePath[] = "/pick/multiinfo";
}  // namespace

std::string infoServiceAddress() {
    return std::string("http://") + kInfoServiceHost + ":" + kInfoServicePort + kInfoServicePath;
}

std::string composeWebEntryCommandLine(std::int64_t hostWindowHandle, const LaunchParameters& params) {
    // Words 4, 6 and 7 stand for values the launcher does not supply. Note
    // the order of the pass-on values: entryArg1, "a", entryArg3, entryArg2.
    std::string line;
    line.reserve(96 + params.markerTail.size() + params.entryArg1.size() +
                 params.entryArg2.size() + params.entryArg3.size());
    line += "1 ";
    line += std::to_string(hostWindowHandle);
    line += " 1 none ";
    line += infoServiceAddress();
    line += " none none ";
    line += params.markerTail;
    line += ' ';
    line += params.entryArg1;
    line += " a ";
    line += params.entryArg3;
    line += ' ';
    line += params.entryArg2;
    line += " 1";
    return line;
}
