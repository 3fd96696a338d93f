// The web page panel: the platform's page in an embedded WebBrowser control
// (IDC_BROWSER) below a tiled header strip with a close button (15). The
// page's script reaches the launcher through the panel's script bridge, an
// IDispatch that the browser hands out as the document's external object
// (window.external) once the host UI handler is installed.
#pragma once

#include "framework/handles_win.h"
#include "framework/wnd_win.h"
#include "panels/browser_wrapper_win.h"
#include "panels/skinned_panel_win.h"

#include <mshtmhst.h>
#include <oaidl.h>

#include <cstddef>
#include <memory>
#include <string>

class CSkinButton;

// The script bridge: IDispatch over one dispatch operation that does both
// the name look-up and the invocation. The bridge is never freed through its
// reference count (tarvo::OwnedComObject); its owner decides its life.
class CScriptBridge : public IDispatch, public tarvo::OwnedComObject {
public:
    // Members offered to the page's script (names are case-sensitive).
    static constexpr DISPID kIsTarvonClient = 1;  // "isTarvonClient": no arguments, boolean true
    static constexpr DISPID kGetGsName = 11;      // "getGsName": one argument, the server's name
    static constexpr DISPID kGetNewMsg = 12;      // "getNewMsg": one argument, ignored

    // IUnknown: grants IUnknown and IDispatch. Release never deletes.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: no type information.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    // Only the first name is looked at; an unknown name gives E_NOTIMPL.
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    // The invocation kind, locale and exception record are not examined.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD kind, DISPPARAMS* arguments, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    virtual ~CScriptBridge() = default;

    // The dispatch operation. lookUp: find `name`'s id into `id`. Otherwise
    // invoke member `id` with `arguments`, the result going to `result`
    // (may be null) and the index of a bad argument to `argumentError`
    // (may be null).
    virtual HRESULT Dispatch(bool lookUp, WORD kind, const OLECHAR* name, DISPPARAMS* arguments, VARIANT* result,
                             DISPID& id, UINT* argumentError) = 0;

    LONG bridgeReferences() const { return references(); }
};

// The host UI handler installed into every loaded document: it makes the
// page's text unselectable (dialog mode) and hands out the script bridge as
// the external object. Everything else is left to the browser (S_FALSE).
// Embedded in the panel: its reference count never frees it
// (tarvo::OwnedComObject).
class CHostUIHandler : public IDocHostUIHandler2, public tarvo::OwnedComObject {
public:
    CHostUIHandler() = default;
    virtual ~CHostUIHandler() = default;
    CHostUIHandler(const CHostUIHandler&) = delete;
    CHostUIHandler& operator=(const CHostUIHandler&) = delete;

    void SetExternal(IDispatch* external) { external_ = external; }
    IDispatch* external() const { return external_; }

    // IUnknown: grants IUnknown, IDocHostUIHandler, IDocHostUIHandler2.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDocHostUIHandler, in slot order.
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD commandId) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* dataObject, IDataObject** replacement) override;
    // IDocHostUIHandler2
    STDMETHODIMP GetOverrideKeyPath(LPOLESTR* key, DWORD reserved) override;

private:
    IDispatch* external_ = nullptr;  // the panel's own bridge, not a reference
};

// Installs `handler` into a loaded document: the document must offer
// IHTMLDocument2 and ICustomDoc. True when the handler was installed.
bool installHostUIHandler(IDispatch* document, IDocHostUIHandler* handler);

// The web page panel, with the page script's bridge.
class CIeDlg : public CSkinnedPanel, public CScriptBridge {
public:
    // The most of the server's name (getGsName) that is shown, in columns:
    // one an ASCII character, two any other (its width on the title strip).
    static constexpr std::size_t kServerNameLimitColumns = 256;

    explicit CIeDlg(LauncherCalls calls);
    ~CIeDlg() override;

    // Registers the browser host window class, then creates the panel from
    // its template (hidden) with `parent` as parent.
    BOOL Create(UINT templateId, tarvo::CWnd* parent);
    BOOL OnInitDialog() override;

    // Opens `address` (UTF-8) in the browser when it is empty or a
    // web address (isWebAddress); anything else is not opened. May be called
    // from any thread: off the panel's own thread the address goes to that
    // thread's task queue (tarvo::postUiTask) and is opened there. Works
    // while the panel is hidden.
    void NavigateTo(std::string address);
    // NavigateTo for the panel whose window is `window`, on the panel's
    // thread; nothing when the window is not (or no longer) a web page panel.
    static void NavigateWindowTo(HWND window, const std::string& address);

    // A browser event from the browser control: DocumentComplete (259) installs the
    // host UI handler into the browser's document; other events are ignored.
    void OnBrowserEvent(DISPID id, DISPPARAMS* arguments);

    HRESULT Dispatch(bool lookUp, WORD kind, const OLECHAR* name, DISPPARAMS* arguments, VARIANT* result, DISPID& id,
                     UINT* argumentError) override;

    CHostUIHandler& hostUIHandler() { return hostUIHandler_; }
    const CExplorer1& browser() const { return browser_; }
    CSkinButton* closeButton() const { return closeButton_; }
    HBITMAP header() const { return header_.get(); }
    // The header follows the DPI too.
    void SetDpi(int dpi) override;
    // The address of the last navigation started on the panel's thread
    // (addresses that are not opened leave it alone).
    const std::string& lastAddress() const { return lastAddress_; }
    // The result of the last navigation started on the panel's thread.
    HRESULT lastNavigateResult() const { return lastNavigateResult_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest(LPARAM lParam);
    // The browser fills the panel below its header, whatever size the panel is given.
    void FitBrowser();
    void OnButtonPressed(int index) override;
    bool ShowsHover() const override { return false; }
    void navigateHere(const std::string& address);

    // Members of the bridge.
    HRESULT getGsName(const VARIANT& argument, VARIANT& result, UINT* argumentError);
    HRESULT getNewMsg(VARIANT& result);

    // The panel class's background paint lock.
    static tarvo::CriticalSection paintLock_;

    CHostUIHandler hostUIHandler_;
    CExplorer1 browser_;
    tarvo::Bitmap header_;
    CSkinButton* closeButton_ = nullptr;  // the only entry of the button list
    std::string lastAddress_;
    HRESULT lastNavigateResult_ = S_FALSE;
};
