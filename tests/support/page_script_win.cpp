#include "support/page_script_win.h"

#include "support/text_win.h"

#include <activscp.h>
#include <oleauto.h>

namespace tarvo_test {

namespace {

// The system's JScript engine.
const CLSID kJScript = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};
// IActiveScriptParse has another id in 64-bit programs; the header names the
// one of this build (the import library holds neither).
const IID kActiveScriptParse = __uuidof(IActiveScriptParse);

// The page as the engine sees it: it knows one named item and keeps the
// last error. Lives on the caller's stack, longer than the engine.
class PageSite : public IActiveScriptSite {
public:
    explicit PageSite(IDispatch* external) : external_(external) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite)) {
            *object = static_cast<IActiveScriptSite*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** typeInfo) override {
        if (item) *item = nullptr;
        if (typeInfo) *typeInfo = nullptr;
        if (!name || lstrcmpW(name, L"external") != 0) return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_ITYPEINFO) && !item) return TYPE_E_ELEMENTNOTFOUND;
        if (mask & SCRIPTINFO_IUNKNOWN) {
            external_->AddRef();
            *item = external_;
        }
        return S_OK;
    }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* scriptError) override {
        EXCEPINFO info{};
        if (scriptError && SUCCEEDED(scriptError->GetExceptionInfo(&info))) {
            if (info.bstrDescription) error = utf8FromWide(std::wstring(info.bstrDescription));
            if (error.empty()) error = "script error";
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
        }
        return S_OK;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

    std::string error;

private:
    IDispatch* external_;
};

}  // namespace

PageScriptOutcome runPageScript(IDispatch* external, const std::wstring& expression) {
    PageScriptOutcome outcome;
    PageSite site(external);
    IActiveScript* engine = nullptr;
    outcome.result = CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                      reinterpret_cast<void**>(&engine));
    if (FAILED(outcome.result)) return outcome;
    IActiveScriptParse* parser = nullptr;
    outcome.result = engine->QueryInterface(kActiveScriptParse, reinterpret_cast<void**>(&parser));
    if (SUCCEEDED(outcome.result)) outcome.result = engine->SetScriptSite(&site);
    if (SUCCEEDED(outcome.result)) outcome.result = parser->InitNew();
    if (SUCCEEDED(outcome.result)) outcome.result = engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    if (SUCCEEDED(outcome.result)) outcome.result = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    if (SUCCEEDED(outcome.result)) {
        VARIANT value;
        VariantInit(&value);
        EXCEPINFO exception{};
        outcome.result = parser->ParseScriptText(expression.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                                 SCRIPTTEXT_ISEXPRESSION, &value, &exception);
        if (SUCCEEDED(outcome.result) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) &&
            value.vt == VT_BSTR && value.bstrVal) {
            outcome.value = utf8FromWide(std::wstring(value.bstrVal, SysStringLen(value.bstrVal)));
        }
        VariantClear(&value);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    outcome.error = site.error;
    engine->Close();
    if (parser) parser->Release();
    engine->Release();
    return outcome;
}

}  // namespace tarvo_test
