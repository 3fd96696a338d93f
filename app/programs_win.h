// This program's own place on disk and the starting of other programs.
#pragma once

#include "framework/handles_win.h"

#include <windows.h>

#include <string>

// The full path of this program, however long; empty when it cannot be read.
std::wstring modulePath();
// The directory holding this program, without a trailing backslash.
std::wstring moduleDirectory();
// The process's current directory at its full length, however long; empty
// when it cannot be read.
std::wstring currentDirectory();

// True when something (a file or a folder) is at `path`, at any length.
bool pathExists(const std::wstring& path);

// What a failed start tells the player in a message box (UTF-8 texts).
struct StartFailureMessage {
    HWND owner;
    std::string text;   // the program is missing or is not a whole program
    std::string title;
};

// Why a start failed, as the player is told.
enum class StartFailure {
    None,
    Failed,          // missing, not a whole program, or refused: `text`
    FolderTooLong,   // the system refuses the folder's path for its length
};

// The message that names a folder whose path the system refuses for its
// length (UTF-8).
std::string folderTooLongMessage(const std::wstring& folder);

// Starts `program` with `commandLine` (text in the ANSI code page, composed
// whole, never cut, handed on exactly as it is) in `directory` (the
// launcher's current directory when empty). Returns the process's handle; on
// failure, shows the message box and returns none. `why`, when given, learns
// which message was shown.
tarvo::UniqueHandle startProgram(const std::wstring& program, const std::string& commandLine,
                                 const std::wstring& directory, const StartFailureMessage& failure,
                                 StartFailure* why = nullptr);
