#include "panels/web_page_panel_win.h"

#include "service/web_address.h"
#include "framework/barrier_win.h"
#include "resource.h"
#include "framework/text_win.h"
#include "framework/ui_task_win.h"
#include "window/button_table.h"
#include "window/caption_layout.h"
#include "window/skin_bitmap_win.h"
#include "window/skin_button_win.h"

#include <oleauto.h>
#include <windowsx.h>

#include <cwchar>
#include <memory>

namespace {

const IID kIID_IDocHostUIHandler = {0xbd3f23c0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};
const IID kIID_IDocHostUIHandler2 = {0x3050f6d0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
const IID kIID_ICustomDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
const IID kIID_IHTMLDocument2 = {0x332c4425, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};

// Browser events the panel looks at.
constexpr DISPID kNavigateComplete2 = 252;
constexpr DISPID kDocumentComplete = 259;

// What getGsName returns to the script.
const wchar_t kGetGsNameResult[] = L"CIeDlg::getGsName";

struct MemberName {
    const wchar_t* name;
    DISPID id;
};
const MemberName kMembers[] = {
    {L"isTarvonClient", CScriptBridge::kIsTarvonClient},
    {L"getGsName", CScriptBridge::kGetGsName},
    {L"getNewMsg", CScriptBridge::kGetNewMsg},
};

// A variant cleared when it goes out of scope.
struct OwnedVariant {
    VARIANT v;
    OwnedVariant() { ::VariantInit(&v); }
    ~OwnedVariant() { ::VariantClear(&v); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
};

} // namespace

// ---------------------------------------------------------------------------
// Script bridge
// ---------------------------------------------------------------------------

STDMETHODIMP CScriptBridge::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CScriptBridge::AddRef() { return addReference(); }

STDMETHODIMP_(ULONG) CScriptBridge::Release() { return releaseReference(); }

STDMETHODIMP CScriptBridge::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CScriptBridge::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CScriptBridge::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    if (count == 0) return E_INVALIDARG;
    // Only the first name is looked up; any further slots get "unknown".
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    DISPID id = DISPID_UNKNOWN;
    const HRESULT result =
        tarvo::comBarrier([&] { return Dispatch(true, 0, names[0], nullptr, nullptr, id, nullptr); });
    ids[0] = SUCCEEDED(result) ? id : DISPID_UNKNOWN;
    return result;
}

STDMETHODIMP CScriptBridge::Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* arguments, VARIANT* result,
                                   EXCEPINFO*, UINT* argumentError) {
    return tarvo::comBarrier([&] { return Dispatch(false, kind, nullptr, arguments, result, id, argumentError); });
}

// ---------------------------------------------------------------------------
// Host UI handler
// ---------------------------------------------------------------------------

STDMETHODIMP CHostUIHandler::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIID_IDocHostUIHandler) ||
        IsEqualIID(iid, kIID_IDocHostUIHandler2)) {
        *object = static_cast<IDocHostUIHandler2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CHostUIHandler::AddRef() { return addReference(); }

STDMETHODIMP_(ULONG) CHostUIHandler::Release() { return releaseReference(); }

STDMETHODIMP CHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

STDMETHODIMP CHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags |= DOCHOSTUIFLAG_DIALOG;  // the page's text cannot be selected
    return S_OK;
}

STDMETHODIMP CHostUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                    IOleInPlaceUIWindow*) {
    return S_FALSE;
}
STDMETHODIMP CHostUIHandler::HideUI() { return S_FALSE; }
STDMETHODIMP CHostUIHandler::UpdateUI() { return S_FALSE; }
STDMETHODIMP CHostUIHandler::EnableModeless(BOOL) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::OnDocWindowActivate(BOOL) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::OnFrameWindowActivate(BOOL) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::GetOptionKeyPath(LPOLESTR*, DWORD) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::GetDropTarget(IDropTarget*, IDropTarget**) { return S_FALSE; }

STDMETHODIMP CHostUIHandler::GetExternal(IDispatch** external) {
    if (!external) return E_POINTER;
    if (!external_) {
        *external = nullptr;
        return S_FALSE;
    }
    external_->AddRef();
    *external = external_;
    return S_OK;
}

STDMETHODIMP CHostUIHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR*) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::FilterDataObject(IDataObject*, IDataObject**) { return S_FALSE; }
STDMETHODIMP CHostUIHandler::GetOverrideKeyPath(LPOLESTR*, DWORD) { return S_FALSE; }

bool installHostUIHandler(IDispatch* document, IDocHostUIHandler* handler) {
    if (!document || !handler) return false;
    tarvo::ComPtr<IUnknown> htmlDocument;
    if (FAILED(document->QueryInterface(kIID_IHTMLDocument2, reinterpret_cast<void**>(htmlDocument.put()))) ||
        !htmlDocument) {
        return false;
    }
    tarvo::ComPtr<ICustomDoc> customDoc;
    if (FAILED(htmlDocument->QueryInterface(kIID_ICustomDoc, reinterpret_cast<void**>(customDoc.put()))) ||
        !customDoc) {
        return false;
    }
    return SUCCEEDED(customDoc->SetUIHandler(handler));
}

// ---------------------------------------------------------------------------
// The panel
// ---------------------------------------------------------------------------

tarvo::CriticalSection CIeDlg::paintLock_;

CIeDlg::CIeDlg(LauncherCalls calls) : CSkinnedPanel(std::move(calls), IDD_WEB_PAGE) {}

CIeDlg::~CIeDlg() {
    // Close the browser while the handler, the bridge and this object still
    // exist: the document holds the handler, the host calls back into us.
    browser_.SetEventHandler(nullptr);
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

BOOL CIeDlg::Create(UINT templateId, tarvo::CWnd* parent) {
    // The template's browser control is a browser host window.
    tarvo::registerAxHostClass();
    return CDialog::Create(templateId, parent);
}

BOOL CIeDlg::OnInitDialog() {
    CSkinnedPanel::OnInitDialog();
    browser_.Bind(GetDlgItem(IDC_BROWSER));
    browser_.SetEventHandler([this](DISPID id, DISPPARAMS* arguments) { OnBrowserEvent(id, arguments); });
    hostUIHandler_.SetExternal(static_cast<IDispatch*>(this));
    header_ = tarvo::loadSkinBitmap(IDB_LOGO, dpi_);
    closeButton_ = addButton(kButtonWebPageClose);
    return TRUE;
}

void CIeDlg::SetDpi(int dpi) {
    const int before = dpi_;
    CSkinnedPanel::SetDpi(dpi);
    if (dpi_ != before) header_ = tarvo::loadSkinBitmap(IDB_LOGO, dpi_);
}

LRESULT CIeDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
        return OnNcHitTest(lParam);
    case WM_SIZE:
        FitBrowser();
        break;
    }
    return CSkinnedPanel::WindowProc(message, wParam, lParam);
}

BOOL CIeDlg::OnEraseBkgnd(HDC dc) {
    tarvo::LockGuard guard(paintLock_);
    const RECT window = GetWindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    if (header_) {
        tarvo::MemoryDC memory(dc);
        tarvo::SelectGuard select(memory.get(), header_.get());
        // Each copy reaches the right edge; the next one overwrites the part
        // right of its own x, so the header repeats every tile width.
        for (int x : headerTileXs(width, tarvo::bitmapSize(header_.get()).cx)) {
            ::BitBlt(dc, x, 0, width, height, memory.get(), 0, 0, SRCCOPY);
        }
    }
    return TRUE;
}

void CIeDlg::FitBrowser() {
    const HWND browser = GetDlgItem(IDC_BROWSER);
    if (!browser) return;
    RECT place{};
    ::GetWindowRect(browser, &place);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
    const RECT client = GetClientRect();
    // The template's browser is larger than the panel: its right and bottom
    // edges, scroll bars and all, would be cut off.
    ::SetWindowPos(browser, nullptr, 0, place.top, client.right, client.bottom > place.top ? client.bottom - place.top : 0,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CIeDlg::OnNcHitTest(LPARAM lParam) {
    const RECT window = GetWindowRect();
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (webPanelCaption(Rect{window.left, window.top, window.right, window.bottom}, point, dpi_)) return HTCAPTION;
    return Default();
}

void CIeDlg::OnButtonPressed(int index) {
    if (index == kButtonWebPageClose) ShowWindow(SW_HIDE);
}

void CIeDlg::NavigateTo(std::string address) {
    const DWORD panelThread = m_hWnd ? ::GetWindowThreadProcessId(m_hWnd, nullptr) : 0;
    if (panelThread && panelThread != ::GetCurrentThreadId()) {
        // The browser belongs to the panel's thread: the address goes there
        // with the window's handle, never with this object.
        tarvo::postUiTask(panelThread, [window = m_hWnd, address = std::move(address)] {
            NavigateWindowTo(window, address);
        });
        return;
    }
    navigateHere(address);
}

void CIeDlg::NavigateWindowTo(HWND window, const std::string& address) {
    if (!window || !::IsWindow(window)) return;
    if (auto* panel = dynamic_cast<CIeDlg*>(tarvo::CWnd::FromHandlePermanent(window))) panel->navigateHere(address);
}

void CIeDlg::navigateHere(const std::string& address) {
    // Only web pages: never a local file, a share or script.
    if (!address.empty() && !isWebAddress(address)) return;
    lastAddress_ = address;
    lastNavigateResult_ = browser_.Navigate(address);
}

void CIeDlg::OnBrowserEvent(DISPID id, DISPPARAMS*) {
    switch (id) {
    case kDocumentComplete: {
        // Whichever frame completed, the handler goes to the top document.
        tarvo::ComPtr<IDispatch> document = browser_.GetDocument();
        installHostUIHandler(document.get(), &hostUIHandler_);
        break;
    }
    case kNavigateComplete2:
    default:
        break;
    }
}

HRESULT CIeDlg::Dispatch(bool lookUp, WORD, const OLECHAR* name, DISPPARAMS* arguments, VARIANT* result, DISPID& id,
                         UINT* argumentError) {
    if (lookUp) {
        if (!name) return E_NOTIMPL;
        for (const MemberName& member : kMembers) {
            if (std::wcscmp(name, member.name) == 0) {
                id = member.id;
                return S_OK;
            }
        }
        return E_NOTIMPL;
    }

    const UINT count = arguments ? arguments->cArgs : 0;
    switch (id) {
    case kIsTarvonClient:
        if (count != 0) return DISP_E_BADPARAMCOUNT;
        if (result) {
            ::VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
        }
        return S_OK;
    case kGetGsName:
    case kGetNewMsg: {
        if (count != 1 || !arguments->rgvarg) return E_INVALIDARG;
        OwnedVariant memberResult;
        const HRESULT outcome = id == kGetGsName ? getGsName(arguments->rgvarg[0], memberResult.v, argumentError)
                                                 : getNewMsg(memberResult.v);
        if (SUCCEEDED(outcome) && result) {
            ::VariantInit(result);
            *result = memberResult.v;  // hands over the result's contents
            ::VariantInit(&memberResult.v);
        }
        return outcome;
    }
    default:
        return E_NOTIMPL;
    }
}

// The server's name as text (the standard variant-to-string conversion, at
// most kServerNameLimitColumns of it, still wide) goes to the
// launcher's message label. A value with no text form (null, an array, an
// object without a value) is a type mismatch of argument 0 for the script,
// and the launcher is left alone.
HRESULT CIeDlg::getGsName(const VARIANT& argument, VARIANT& result, UINT* argumentError) {
    // A string is read where it is: a very long one is never copied whole.
    BSTR given = nullptr;
    if (argument.vt == VT_BSTR) given = argument.bstrVal;
    if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal) given = *argument.pbstrVal;

    OwnedVariant text;
    if (argument.vt != VT_BSTR && argument.vt != (VT_BSTR | VT_BYREF)) {
        HRESULT hr = ::VariantCopyInd(&text.v, const_cast<VARIANT*>(&argument));
        if (SUCCEEDED(hr)) hr = ::VariantChangeType(&text.v, &text.v, 0, VT_BSTR);
        if (FAILED(hr) || text.v.vt != VT_BSTR) {
            if (hr == E_OUTOFMEMORY) return hr;
            if (argumentError) *argumentError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        given = text.v.bstrVal;
    }
    const std::wstring name = tarvo::widePrefixInColumns(given, ::SysStringLen(given), kServerNameLimitColumns);
    BSTR reply = ::SysAllocString(kGetGsNameResult);
    if (!reply) return E_OUTOFMEMORY;
    result.vt = VT_BSTR;  // the caller clears the result whatever happens next
    result.bstrVal = reply;

    if (calls_.showServerName) calls_.showServerName(name);
    return S_OK;
}

HRESULT CIeDlg::getNewMsg(VARIANT&) {
    if (calls_.startMessageBlink) calls_.startMessageBlink();
    return S_OK;
}
