// The account-information worker: asks the information service, on a thread
// of its own, for the player's user name, server and web page, and hands the
// answers to the launcher window's controls.
//
// The worker never touches a window object: it works on its own copy of the
// request values and on window handles. A target window that is destroyed
// while the worker runs simply makes the message to it fail.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "service/download_win.h"
#include "service/request_sign.h"

// Posted to the web page panel's window when a page address is waiting for
// it (HandOverPageAddress). It carries nothing: wParam and lParam are 0 and
// never read, so the same message from another program finds nothing to
// take and changes nothing.
constexpr UINT WM_NAVIGATE_TO = WM_APP + 0x10;

// Leaves `address` (ANSI code page) for the window `panel` and posts it
// WM_NAVIGATE_TO. False, with nothing left behind, when the window is gone.
bool HandOverPageAddress(HWND panel, const std::string& address);
// The addresses left for `panel`, oldest first; called by the panel on its
// own thread when WM_NAVIGATE_TO arrives.
std::vector<std::string> TakePageAddresses(HWND panel);
// Forgets what is left for `panel` (the window is being destroyed).
void DropPageAddresses(HWND panel);

struct AccountInfoTargets {
    RequestValues values;
    HWND launcher = nullptr;      // holds the name label, control 1003
    HWND serverList = nullptr;    // the server-list panel's combo box (control 1008)
    HWND webPagePanel = nullptr;  // gets the page address (HandOverPageAddress)
    DownloadLimits limits;        // of each of the three downloads
};

constexpr int kNameLabelId = 1003;

// Replaces the first names.size() entries of the combo box in place (delete
// then insert at each index, unsorted), leaves later entries alone, then
// selects entry 0. Returns the result of the selection message.
int fillServerListControl(HWND combo, const std::vector<std::string>& names);

// Starts the worker with a copy of `targets`; the thread handle is closed at
// once and nobody waits for the thread. False if no thread could be started.
bool startAccountInfoWorker(const AccountInfoTargets& targets);

// The thread procedure. `heapTargets` is an AccountInfoTargets allocated with
// new; the thread takes ownership and deletes it. Returns 0.
//
// Initialises Windows Sockets (1.1) and COM (single-threaded apartment) for
// its own use, then makes the requests of type 1, 5 and 2 in that order:
//   1: "data"/"user_name" becomes the text of control 1003 of `launcher`,
//      which is then shown;
//   5: the last "data"/"allserver" element's "server_name" becomes the first
//      entry of `serverList` and is selected;
//   2: "data"/"gsurl" is handed over to `webPagePanel` when it is empty or a
//      web address (isWebAddress); any other address counts as a failed
//      request.
// A request whose download fails (or passes the download's limits) or whose
// reply does not parse changes nothing; a reply that parses but lacks the
// value hands on an empty text. Nothing the service sends ends the thread
// early: a request that fails in any other way (out of memory) also changes
// nothing, and the next request still runs.
DWORD WINAPI AccountInfoThread(LPVOID heapTargets);
