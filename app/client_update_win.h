// What the start-up sequence does first: stopping a stale auto-patcher
// and installing a pending update of the web-entry client.
#pragma once

#include <windows.h>

#include <string>

// The longest the launcher waits for a stopped auto-patcher to be gone.
constexpr DWORD kAutoPatcherExitWaitMs = 5000;

// Ends the first process of the snapshot whose executable name is
// `processName` (ignoring case) and waits up to kAutoPatcherExitWaitMs for it
// to be gone, so that the files it was writing are closed. The debug privilege
// is enabled only for the open and the termination, then put back as it was.
// When the process cannot be opened or ended, the player is told, with the
// error code of the step that failed.
void stopAutoPatcher(const wchar_t* processName);

// What became of a pending client update.
enum class UpdateOutcome {
    None,            // no pending update, or one installed before
    Installed,       // the client was replaced and the pending file removed
    InstalledKept,   // the client was replaced; the pending file could not be removed
    NotAProgram,     // not a whole program (cut short, or garbled): left alone
    NotInstalled,    // could not be put in place (the client in use, no room...)
};

// Installs "TarvoWebEntry2.dat" in `directory` over "TarvoWebEntry.exe" when
// it is a whole program: its bytes are written to a temporary file beside the
// client, which then replaces the client in one step. The pending file is
// removed only after the replacement succeeded; on any failure the old client
// stays whole and the pending file stays for the next start.
//
// A pending file that is not a whole program, or one installed but not
// removed, is remembered (its size and last-write time, per directory, under
// kUpdateMemoryKey): while it stays as it is, later starts keep that decision
// without reading it again. A changed file is checked afresh.
UpdateOutcome installPendingUpdate(const std::wstring& directory);

// Where the decisions on pending files are kept (under HKEY_CURRENT_USER).
extern const wchar_t* const kUpdateMemoryKey;
