// The account-information worker: asks the information service, on a thread
// of its own, for the player's user name, server and web page, and hands the
// answers to the UI thread.
//
// The worker never touches a window object and never sends to a window: it
// works on its own copy of the request values and posts each answer as a
// task to the UI thread's task queue (framework/ui_task_win.h). The task
// finds its window by handle there; a window destroyed in the meantime
// simply gets nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "service/download_win.h"
#include "service/request_sign.h"

// Opens a page address (UTF-8) in the web page panel `panel`; runs on the UI thread.
using OpenPageFunction = void (*)(HWND panel, const std::string& address);

struct AccountInfoTargets {
    RequestValues values;
    DWORD uiThread = 0;           // the thread whose task queue gets the answers
    HWND launcher = nullptr;      // holds the name label (IDC_PLAYER_NAME)
    HWND serverList = nullptr;    // the server-list panel's combo box (IDC_SERVER_LIST)
    HWND webPagePanel = nullptr;  // gets the page address through openPage
    OpenPageFunction openPage = nullptr;
    DownloadLimits limits;        // of each of the three downloads
};


// Replaces the first names.size() entries of the combo box in place (delete
// then insert at each index, unsorted), leaves later entries alone, then
// selects entry 0. Returns the result of the selection message.
int fillServerListControl(HWND combo, const std::vector<std::string>& names);  // UTF-8 names

// Starts the worker with a copy of `targets`; the thread handle is closed at
// once and nobody waits for the thread. False if no thread could be started.
bool startAccountInfoWorker(const AccountInfoTargets& targets);

// The thread procedure. `heapTargets` is an AccountInfoTargets allocated with
// new; the thread takes ownership and deletes it. Returns 0.
//
// Initialises Windows Sockets (1.1) and COM (single-threaded apartment) for
// its own use, then makes the requests of type 1, 5 and 2 in that order, and
// posts each answer to the UI thread:
//   1: "data"/"user_name" becomes the text of the name label of `launcher`,
//      which is then shown;
//   5: the last "data"/"allserver" element's "server_name" becomes the first
//      entry of `serverList` and is selected;
//   2: "data"/"gsurl" goes to `openPage` for `webPagePanel` when it is empty
//      or a web address (isWebAddress); any other address counts as a failed
//      request.
// A request whose download fails (or passes the download's limits) or whose
// reply does not parse changes nothing; a reply that parses but lacks the
// value hands on an empty text. Nothing the service sends ends the thread
// early: a request that fails in any other way (out of memory) also changes
// nothing, and the next request still runs.
DWORD WINAPI AccountInfoThread(LPVOID heapTargets);
