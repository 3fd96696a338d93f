#include "panels/browser_wrapper_win.h"

#include "framework/text_win.h"

#include <oleauto.h>

namespace {

// UTF-8 text as an automation string; null when out of memory.
BSTR utf8ToBstr(const std::string& text) {
    try {
        const std::wstring wide = tarvo::utf8ToWide(text);
        return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    } catch (...) {
        return nullptr;
    }
}

} // namespace

CExplorer1::~CExplorer1() {
    // The host window may outlive this object: no events may reach it then.
    if (m_hWnd && ::IsWindow(m_hWnd)) tarvo::axHostSetEventHandler(m_hWnd, nullptr);
}

BOOL CExplorer1::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!tarvo::registerAxHostClass()) return FALSE;
    HWND window = ::CreateWindowExW(0, tarvo::kAxHostClassName, kWebBrowserClassId, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                    nullptr);
    Bind(window);
    return window != nullptr;
}

tarvo::ComPtr<IDispatch> CExplorer1::control() const {
    return tarvo::axHostControl(m_hWnd);
}

tarvo::ComPtr<IWebBrowser2> CExplorer1::webBrowser() const {
    return control().as<IWebBrowser2>(IID_IWebBrowser2);
}

HRESULT CExplorer1::Navigate(const std::string& address) const {
    tarvo::ComPtr<IDispatch> browser = control();
    if (!browser) return E_NOINTERFACE;

    // Arguments go last to first: the four optional ones are marked missing,
    // the address comes last.
    VARIANT arguments[5];
    for (VARIANT& argument : arguments) {
        ::VariantInit(&argument);
        argument.vt = VT_ERROR;
        argument.scode = DISP_E_PARAMNOTFOUND;
    }
    BSTR url = utf8ToBstr(address);
    if (!url) return E_OUTOFMEMORY;
    arguments[4].vt = VT_BSTR;
    arguments[4].bstrVal = url;

    DISPPARAMS parameters{arguments, nullptr, 5, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = browser->Invoke(kNavigateId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                       &result, &exception, &argumentError);
    ::VariantClear(&result);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    ::VariantClear(&arguments[4]);
    return hr;
}

tarvo::ComPtr<IDispatch> CExplorer1::GetDocument() const {
    tarvo::ComPtr<IDispatch> browser = control();
    if (!browser) return {};
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    const HRESULT hr =
        browser->Invoke(kDocumentId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    tarvo::ComPtr<IDispatch> document;
    if (SUCCEEDED(hr) && result.vt == VT_DISPATCH && result.pdispVal) {
        document.reset(result.pdispVal);  // takes over the result's reference
        result.vt = VT_EMPTY;
    }
    ::VariantClear(&result);
    return document;
}

bool CExplorer1::SetEventHandler(tarvo::AxEventHandler handler) const {
    return tarvo::axHostSetEventHandler(m_hWnd, std::move(handler));
}
