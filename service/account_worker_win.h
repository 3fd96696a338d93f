// The account-information worker: asks the information service, on a thread
// of its own, for the player's user name, server and web page, and hands each
// answer to the UI thread as a task of its task queue
// (framework/ui_task_win.h). It never touches a window or a window object: the
// answers' functions, which run on the UI thread, find the launcher window by
// its handle there; a window destroyed in the meantime simply gets nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "service/download_win.h"
#include "service/request_sign.h"

// What becomes of each answer (UTF-8); each runs on the UI thread. An empty
// function drops its answer.
struct AccountInfoAnswers {
    std::function<void(const std::string& name)> playerName;
    std::function<void(const std::string& server)> server;
    std::function<void(const std::string& address)> page;
};

struct AccountInfoTargets {
    RequestValues values;
    DWORD uiThread = 0;  // the thread whose task queue gets the answers
    AccountInfoAnswers answers;
    DownloadLimits limits;  // of each of the three downloads
};

// Starts the worker with a copy of `targets`; the thread handle is closed at
// once and nobody waits for the thread. False if no thread could be started.
bool startAccountInfoWorker(const AccountInfoTargets& targets);

// The thread procedure. `heapTargets` is an AccountInfoTargets allocated with
// new; the thread takes ownership and deletes it. Returns 0.
//
// Makes the requests of type 1, 5 and 2 in that order, and hands on:
//   1: "data"/"user_name" to answers.playerName;
//   5: the last "data"/"allserver" element's "server_name" to answers.server;
//   2: "data"/"gsurl" to answers.page.
// A request whose download fails (or passes the download's limits) or whose
// reply does not parse hands on nothing; a reply that parses but lacks the
// value hands on an empty text. Nothing the service sends ends the thread
// early: a request that fails in any other way (out of memory) also hands on
// nothing, and the next request still runs.
DWORD WINAPI AccountInfoThread(LPVOID heapTargets);
