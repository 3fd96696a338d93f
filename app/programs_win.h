// This program's own place on disk and the starting of other programs.
#pragma once

#include "framework/handles_win.h"

#include <windows.h>

#include <string>

// The full path of this program, however long; empty when it cannot be read.
std::string modulePath();
// The directory holding this program, without a trailing backslash.
std::string moduleDirectory();
// The process's current directory at its full length, however long; empty
// when it cannot be read.
std::string currentDirectory();
// The directory part of a path, without the trailing backslash; empty when
// the path has none.
std::string directoryOf(const std::string& path);

// What a failed start tells the player in a message box (UTF-8 texts).
struct StartFailureMessage {
    HWND owner;
    std::string text;
    std::string title;
};

// Starts `program` with `commandLine` (composed whole, never cut) in
// `directory` (the launcher's current directory when empty). Returns the
// process's handle; on failure, shows the message box and returns none.
tarvo::UniqueHandle startProgram(const std::string& program, const std::string& commandLine,
                                 const std::string& directory, const StartFailureMessage& failure);
