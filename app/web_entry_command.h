// The command line that starts the web-entry client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/launch_parameters.h"

// Host name of the platform's information service.
extern const char* const kInfoServiceHost;

// The information-service address handed to the client:
// "http://<kInfoServiceHost>:8681/pick/multiinfo".
std::string infoServiceAddress();

// The longest command line the platform accepts when creating a process.
// The composed line is never cut; a line longer than the platform accepts
// makes the client's start fail, which the start-up sequence reports like
// any other failed start.
constexpr std::size_t kMaxProcessCommandLine = 32767;

// The client's 13 words joined by single spaces:
//   1 <handle> 1 none <address> none none <markerTail> <entryArg1> a
//   <entryArg3> <entryArg2> 1
// The handle is written as a signed decimal number of its full value (a
// 32-bit program's handles fit 32 bits, a 64-bit one's need not). The pass-on values
// are inserted as they are, unquoted; an empty one still gets its separating
// space.
std::string composeWebEntryCommandLine(std::int64_t hostWindowHandle, const LaunchParameters& params);
