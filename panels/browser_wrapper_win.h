// The web page panel's browser: a thin window object over an ActiveX host
// window (framework/ax_host_win.h) holding the WebBrowser control, with the
// two automation members the panel uses, both called late bound through the
// control's IDispatch.
#pragma once

#include "framework/ax_host_win.h"
#include "framework/wnd_win.h"

#include <exdisp.h>

#include <string>

// The WebBrowser control's class id, as the host window's text names it.
constexpr wchar_t kWebBrowserClassId[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

// The WebBrowser control of the web page panel.
class CExplorer1 : public tarvo::CWnd {
public:
    // Automation members of the WebBrowser control.
    static constexpr DISPID kNavigateId = 104;  // method Navigate(URL, Flags, TargetFrameName, PostData, Headers)
    static constexpr DISPID kDocumentId = 203;  // property Document (read)

    CExplorer1() = default;
    ~CExplorer1() override;

    // Creates a host window holding a new WebBrowser control (the dynamic
    // creation; dialogs get theirs from the template and Bind() to it).
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // The control's dispatch interface (a new reference), or empty when the
    // host holds no control.
    tarvo::ComPtr<IDispatch> control() const;
    tarvo::ComPtr<IWebBrowser2> webBrowser() const;

    // Navigate(address) as a method with the four optional arguments absent.
    // address is UTF-8 text. Returns the call's result
    // (E_NOINTERFACE without a control).
    HRESULT Navigate(const std::string& address) const;

    // The Document property: the loaded document's dispatch interface, or
    // empty when there is none.
    tarvo::ComPtr<IDispatch> GetDocument() const;

    // Sets the function that receives the control's events (an empty
    // function removes it). False when the window is not a host window.
    bool SetEventHandler(tarvo::AxEventHandler handler) const;
};
