// A small ActiveX control host: a child window class, "TarvoAxHost", whose
// window text names the control to host (a class id in braces, or a program
// id). A window of this class (from a dialog template or CreateWindowEx)
// creates the control, gives it a client site, activates it in place over the
// whole host window and connects an event sink to the control's default
// source interface (the browser's events for the WebBrowser control).
// It does so as soon as its thread is back in its message loop, so that the
// window holding it shows without waiting for the control, or earlier when
// the control or its state is asked for (axHostInfo, axHostControl,
// axHostUnknown). Destroying the window disconnects and closes the control.
//
// COM must be initialised on the creating thread (OleInitialize). Without
// it, or when the control cannot be created, the host window still exists
// and simply stays empty: a dialog holding it is created all the same.
//
// Everything here runs on the thread that owns the host window.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/handles_win.h"

#include <functional>
#include <utility>

namespace tarvo {

// The host's window class name.
constexpr wchar_t kAxHostClassName[] = L"TarvoAxHost";

// Registers the host window class for this module. Safe to call any number
// of times, from any thread; true when the class is registered afterwards.
// Must have happened before a dialog holding a host window is created.
bool registerAxHostClass();

// Receives the control's events: the dispatch id and the arguments exactly
// as the control passed them to the sink's Invoke (valid during the call).
using AxEventHandler = std::function<void(DISPID dispatchId, DISPPARAMS* arguments)>;

// What a host window holds. All null/failed when `host` is not a host
// window or its control could not be created.
struct AxHostInfo {
    HRESULT createResult = E_FAIL;  // the result of creating the control
    bool eventsConnected = false;   // the event sink is advised
};
AxHostInfo axHostInfo(HWND host);

// The hosted control's IDispatch (a new reference), or empty.
ComPtr<IDispatch> axHostControl(HWND host);
// The hosted control's IUnknown (a new reference), or empty.
ComPtr<IUnknown> axHostUnknown(HWND host);

// Sets (or, with an empty function, removes) the function that receives the
// control's events. False when `host` is not a host window.
bool axHostSetEventHandler(HWND host, AxEventHandler handler);

// Number of host-side COM objects (client sites and event sinks) still
// alive in this process. Each hosted control holds one of each; both are
// gone once the host window is destroyed and the control has let them go.
int liveAxHostObjects();

} // namespace tarvo
