// The web page panel's script bridge and host UI handler, called through
// their COM interfaces exactly as the browser and a page's script would, and
// the browser host under Wine (the control is created, Navigate answers, but
// no page ever loads, so nothing here depends on rendering).

#include "launcher/launcher_dlg_win.h"
#include "framework/ax_host_win.h"
#include "framework/text_win.h"
#include "framework/ui_task_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "support/page_script_win.h"
#include "support/test_support_win.h"
#include "window/launcher_timers.h"
#include "window/skin_button_win.h"

#include <gtest/gtest.h>

#include "win/quiet_launcher_win.h"
#include <oleauto.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace tarvo_test;

namespace {

// The launcher window with its real panels, without starting any program.
// An owned variant.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
};

VARIANT bstrArg(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

VARIANT intArg(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// A script object with no value: every Invoke fails, as for an object whose
// default member does not exist.
class ValuelessObject : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

class WebBridgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(launcher_ = createSharedLauncher(), nullptr); }
    static void TearDownTestSuite() { destroySharedLauncher(launcher_); }

    void SetUp() override {
        // Addresses from other threads reach the panel through this
        // thread's task queue.
        uiTasks_.reset();  // SetUp may run again within a test
        uiTasks_ = std::make_unique<tarvo::UiTaskQueue>();
        ASSERT_TRUE(uiTasks_->ok());
        ASSERT_NE(launcher_, nullptr);
        ASSERT_NE(launcher_->panels().webPage(), nullptr);
        // Every test starts with no server name shown and no blinking.
        launcher_->SetDlgItemText(IDC_MESSAGE_LABEL, "before");
        ::ShowWindow(launcher_->GetDlgItem(IDC_MESSAGE_LABEL), SW_HIDE);
        launcher_->captionButtons()[kButtonWebPage]->SetVisible(false);
        launcher_->StopMessageBlink();
    }

    void TearDown() override { uiTasks_.reset(); }

    CIeDlg& panel() { return *launcher_->panels().webPage(); }

    // The external object as the browser gets it from the host UI handler.
    tarvo::ComPtr<IDispatch> external() {
        tarvo::ComPtr<IDispatch> object;
        EXPECT_EQ(panel().hostUIHandler().GetExternal(object.put()), S_OK);
        return object;
    }

    static HRESULT lookUp(IDispatch* bridge, const wchar_t* name, DISPID& id) {
        std::wstring copy(name);
        LPOLESTR names[] = {&copy[0]};
        id = 12345;
        return bridge->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    }

    // Calls member `id` with `args` (first argument first), as script does.
    static HRESULT call(IDispatch* bridge, DISPID id, std::vector<VARIANT> args, VARIANT* result,
                        WORD kind = DISPATCH_METHOD, UINT* argumentError = nullptr) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr,
                              static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO exception{};
        UINT error = 0xFFFF;
        HRESULT hr = bridge->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, &exception,
                                    argumentError ? argumentError : &error);
        for (VARIANT& v : reversed) VariantClear(&v);
        return hr;
    }

    // The label's text as UTF-8, read wide.
    std::string messageLabel() const {
        wchar_t text[4096] = {};
        GetDlgItemTextW(launcher_->m_hWnd, IDC_MESSAGE_LABEL, text, 4096);
        return tarvo::wideToUtf8(text);
    }
    bool messageLabelVisible() const {
        return (GetWindowLongA(launcher_->GetDlgItem(IDC_MESSAGE_LABEL), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool webPageButtonVisible() const { return launcher_->captionButtons()[kButtonWebPage]->IsVisible(); }

    static QuietLauncher* launcher_;
    std::unique_ptr<tarvo::UiTaskQueue> uiTasks_;
};

QuietLauncher* WebBridgeTest::launcher_ = nullptr;

// ---- Names ------------------------------------------------------------------

TEST_F(WebBridgeTest, NamesAreLookedUpExactlyAndCaseSensitively) {
    struct Case {
        const wchar_t* name;
        HRESULT result;
        DISPID id;
    };
    const Case cases[] = {
        {L"isTarvonClient", S_OK, 1},     {L"getGsName", S_OK, 11},          {L"getNewMsg", S_OK, 12},
        {L"IsTarvonClient", E_NOTIMPL, 0}, {L"GetGsName", E_NOTIMPL, 0},       {L"getgsname", E_NOTIMPL, 0},
        {L"getNewMsg ", E_NOTIMPL, 0},     {L"isTarvonClien", E_NOTIMPL, 0},   {L"", E_NOTIMPL, 0},
        {L"toString", E_NOTIMPL, 0},
    };
    tarvo::ComPtr<IDispatch> bridge = external();
    ASSERT_TRUE(bridge);
    for (const Case& c : cases) {
        DISPID id = 0;
        EXPECT_EQ(lookUp(bridge.get(), c.name, id), c.result) << std::wstring(c.name).size();
        if (c.result == S_OK) {
            EXPECT_EQ(id, c.id);
        }
    }
}

TEST_F(WebBridgeTest, OnlyTheFirstNameOfALookUpCounts) {
    tarvo::ComPtr<IDispatch> bridge = external();
    std::wstring first = L"getNewMsg", second = L"noSuchArgument";
    LPOLESTR names[] = {&first[0], &second[0]};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(bridge->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], 12);
}

// ---- Calls ------------------------------------------------------------------

TEST_F(WebBridgeTest, IsTarvonClientAnswersTrueAsMethodAndAsProperty) {
    tarvo::ComPtr<IDispatch> bridge = external();
    for (WORD kind : {WORD(DISPATCH_METHOD), WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_METHOD | DISPATCH_PROPERTYGET)}) {
        Var result;
        EXPECT_EQ(call(bridge.get(), 1, {}, &result.v, kind), S_OK);
        EXPECT_EQ(result.v.vt, VT_BOOL);
        EXPECT_EQ(result.v.boolVal, VARIANT_TRUE);
    }
    // Without a result slot the call still succeeds.
    EXPECT_EQ(call(bridge.get(), 1, {}, nullptr), S_OK);
}

TEST_F(WebBridgeTest, WrongArgumentCountsAndUnknownIdsFailWithoutReachingTheLauncher) {
    struct Case {
        DISPID id;
        int arguments;
        HRESULT result;
    };
    const Case cases[] = {
        {1, 1, DISP_E_BADPARAMCOUNT}, {1, 2, DISP_E_BADPARAMCOUNT}, {11, 0, E_INVALIDARG}, {11, 2, E_INVALIDARG},
        {12, 0, E_INVALIDARG},        {12, 3, E_INVALIDARG},        {0, 0, E_NOTIMPL},     {2, 1, E_NOTIMPL},
        {13, 1, E_NOTIMPL},           {-1, 0, E_NOTIMPL},
    };
    tarvo::ComPtr<IDispatch> bridge = external();
    for (const Case& c : cases) {
        std::vector<VARIANT> args;
        for (int i = 0; i < c.arguments; ++i) args.push_back(bstrArg(L"一区"));
        Var result;
        EXPECT_EQ(call(bridge.get(), c.id, args, &result.v), c.result) << "id " << c.id << " args " << c.arguments;
        EXPECT_EQ(result.v.vt, VT_EMPTY);
    }
    EXPECT_EQ(messageLabel(), "before");
    EXPECT_FALSE(messageLabelVisible());
    EXPECT_FALSE(webPageButtonVisible());
    EXPECT_FALSE(launcher_->messageTimerStarted());
}

TEST_F(WebBridgeTest, GetGsNameShowsTheNameAsTextAndAnswersWithItsOwnName) {
    BSTR referenced = SysAllocString(L"引用区");
    VARIANT byRef;
    VariantInit(&byRef);
    struct Case {
        VARIANT argument;
        std::string label;
    };
    const Case cases[] = {
        {bstrArg(L"电信一区 风云再起"), "电信一区 风云再起"},
        {bstrArg(L""), ""},
        {intArg(12), "12"},
        {[&] {
             VARIANT v;
             VariantInit(&v);
             v.vt = VT_BSTR | VT_BYREF;
             v.pbstrVal = &referenced;
             return v;
         }(),
         "引用区"},
        {byRef, ""},  // an undefined value in script: empty text
    };
    tarvo::ComPtr<IDispatch> bridge = external();
    for (const Case& c : cases) {
        SetUp();
        Var result;
        DISPPARAMS parameters{const_cast<VARIANT*>(&c.argument), nullptr, 1, 0};
        ASSERT_EQ(bridge->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result.v, nullptr, nullptr), S_OK)
            << c.label;
        ASSERT_EQ(result.v.vt, VT_BSTR);
        EXPECT_STREQ(result.v.bstrVal, L"CIeDlg::getGsName");
        EXPECT_EQ(messageLabel(), c.label);
        EXPECT_TRUE(messageLabelVisible()) << c.label;
        EXPECT_TRUE(webPageButtonVisible()) << c.label;
        if (c.argument.vt == VT_BSTR) SysFreeString(c.argument.bstrVal);
    }
    // The caller's by-reference string is left alone.
    EXPECT_STREQ(referenced, L"引用区");
    SysFreeString(referenced);
}

// The name shown takes at most 256 columns (an ASCII character one, any
// other two: as many bytes as the Chinese code page gives it), cut before a
// character that would not fit whole; however long the script's text, the
// launcher only ever reads the start of it. The same on every system.
TEST_F(WebBridgeTest, GetGsNameShowsAtMost256ColumnsInWholeCharacters) {
    const std::wstring qu = L"区";
    const std::string quUtf8 = "区";
    const std::string smile = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair
    auto repeat = [](const std::string& text, std::size_t times) {
        std::string all;
        for (std::size_t i = 0; i < times; ++i) all += text;
        return all;
    };
    auto repeatWide = [](const std::wstring& text, std::size_t times) {
        std::wstring all;
        for (std::size_t i = 0; i < times; ++i) all += text;
        return all;
    };
    struct Case {
        const char* what;
        std::wstring argument;
        std::string label;
    };
    const Case cases[] = {
        {"256 ASCII bytes", std::wstring(256, L'a'), std::string(256, 'a')},
        {"257 ASCII bytes", std::wstring(257, L'a'), std::string(256, 'a')},
        {"128 wide characters", repeatWide(qu, 128), repeat(quUtf8, 128)},
        {"200 wide characters", repeatWide(qu, 200), repeat(quUtf8, 128)},
        {"one narrow, then wide characters", L"a" + repeatWide(qu, 200), "a" + repeat(quUtf8, 127)},
        {"a surrogate pair is not split", L"a" + repeatWide(L"\xD83D\xDE00", 200), "a" + repeat(smile, 127)},
        {"10 MB of text", std::wstring(10u << 20, L'x'), std::string(256, 'x')},
        {"10 MB of wide text", L"a" + repeatWide(qu, 5u << 20), "a" + repeat(quUtf8, 127)},
    };
    tarvo::ComPtr<IDispatch> bridge = external();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = SysAllocStringLen(c.argument.data(), static_cast<UINT>(c.argument.size()));
        ASSERT_NE(argument.bstrVal, nullptr);
        Var result;
        ASSERT_EQ(call(bridge.get(), 11, {argument}, &result.v), S_OK);
        EXPECT_STREQ(result.v.bstrVal, L"CIeDlg::getGsName");
        EXPECT_EQ(messageLabel(), c.label);
        EXPECT_TRUE(messageLabelVisible());
    }
    // Text given by reference is read the same way.
    BSTR longText = SysAllocStringLen(std::wstring(300, L'b').c_str(), 300);
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BSTR | VT_BYREF;
    byRef.pbstrVal = &longText;
    DISPPARAMS parameters{&byRef, nullptr, 1, 0};
    Var result;
    ASSERT_EQ(bridge->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result.v, nullptr, nullptr), S_OK);
    EXPECT_EQ(messageLabel(), std::string(256, 'b'));
    SysFreeString(longText);
}

// The page's own script, run by the system's JScript engine with the bridge
// as its external object, reaches the launcher as a page would; the text
// stays wide from the script to the label, so it reads right on any system.
TEST_F(WebBridgeTest, PageScriptCallsTheBridgeAsAPageWould) {
    std::string hundredQu;
    for (int i = 0; i < 128; ++i) hundredQu += "区";
    struct Case {
        const char* what;
        std::wstring script;
        std::string value;  // what the script gets back; empty: an error
        std::string label;  // what the launcher then shows
        bool shown;
    };
    const Case cases[] = {
        {"asks whether it runs in the client", L"String(external.isTarvonClient())", "true", "before", false},
        {"a Chinese name", L"external.getGsName('电信一区 风云再起')", "CIeDlg::getGsName", "电信一区 风云再起", true},
        {"beyond the basic plane", L"external.getGsName('\\uD83D\\uDE00 区')", "CIeDlg::getGsName",
         "\xF0\x9F\x98\x80 区", true},
        {"a number", L"external.getGsName(12)", "CIeDlg::getGsName", "12", true},
        {"a huge name", L"external.getGsName(new Array(1000001).join('区'))", "CIeDlg::getGsName", hundredQu, true},
        {"no text form: the page catches the error",
         L"(function () { try { external.getGsName(null); return 'shown'; } catch (e) { return 'refused'; } })()",
         "refused", "before", false},
        {"no argument", L"external.getGsName()", "", "before", false},
        {"an unknown member", L"external.openFile('C:\\x')", "", "before", false},
    };
    tarvo::ComPtr<IDispatch> bridge = external();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const PageScriptOutcome outcome = runPageScript(bridge.get(), c.script);
        if (c.value.empty()) {
            EXPECT_TRUE(FAILED(outcome.result)) << outcome.value;
        } else {
            ASSERT_EQ(outcome.result, S_OK) << outcome.error;
            EXPECT_EQ(outcome.value, c.value);
        }
        EXPECT_EQ(messageLabel(), c.label);
        EXPECT_EQ(messageLabelVisible(), c.shown);
    }

    SetUp();
    ASSERT_EQ(runPageScript(bridge.get(), L"external.getNewMsg('news')").result, S_OK);
    EXPECT_TRUE(launcher_->messageTimerStarted());
}

// A value that has no text form is a type mismatch of argument 0: the script
// gets a catchable error, and the launcher keeps what it showed.
TEST_F(WebBridgeTest, GetGsNameWithoutTextFormIsATypeMismatchAndChangesNothing) {
    ValuelessObject object;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    std::vector<VARIANT> arguments;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_NULL;
    arguments.push_back(v);
    v.vt = VT_DISPATCH;
    v.pdispVal = &object;
    arguments.push_back(v);
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = array;
    arguments.push_back(v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;  // a missing argument
    arguments.push_back(v);

    tarvo::ComPtr<IDispatch> bridge = external();
    for (VARIANT& argument : arguments) {
        Var result;
        UINT argumentError = 99;
        DISPPARAMS parameters{&argument, nullptr, 1, 0};
        EXPECT_EQ(bridge->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result.v, nullptr, &argumentError),
                  DISP_E_TYPEMISMATCH)
            << "vt " << argument.vt;
        EXPECT_EQ(argumentError, 0u);
        EXPECT_EQ(result.v.vt, VT_EMPTY);
    }
    SafeArrayDestroy(array);
    EXPECT_EQ(messageLabel(), "before");
    EXPECT_FALSE(messageLabelVisible());
    EXPECT_FALSE(webPageButtonVisible());
}

TEST_F(WebBridgeTest, GetNewMsgStartsTheBlinkOnceUntilThePanelIsOpened) {
    tarvo::ComPtr<IDispatch> bridge = external();
    Var first, second;
    EXPECT_EQ(call(bridge.get(), 12, {intArg(1)}, &first.v), S_OK);
    EXPECT_EQ(first.v.vt, VT_EMPTY);
    EXPECT_TRUE(launcher_->messageTimerStarted());
    EXPECT_EQ(call(bridge.get(), 12, {bstrArg(L"x")}, &second.v), S_OK);
    EXPECT_TRUE(launcher_->messageTimerStarted());

    // Opening the web page panel stops the blinking; the next message starts it again.
    launcher_->RunCaptionAction(kButtonWebPage);
    EXPECT_TRUE(panel().IsWindowVisible());
    EXPECT_FALSE(launcher_->messageTimerStarted());
    EXPECT_FALSE(launcher_->KillTimer(kBlinkTimerId));
    EXPECT_EQ(call(bridge.get(), 12, {intArg(0)}, nullptr), S_OK);
    EXPECT_TRUE(launcher_->messageTimerStarted());
    EXPECT_TRUE(launcher_->KillTimer(kBlinkTimerId));  // the timer runs
    panel().ShowWindow(SW_HIDE);
}

// ---- Host UI handler --------------------------------------------------------

TEST_F(WebBridgeTest, HostUIHandlerHandsOutTheBridgeAsExternalObject) {
    CHostUIHandler& handler = panel().hostUIHandler();
    EXPECT_EQ(handler.GetExternal(nullptr), E_POINTER);
    IDispatch* object = nullptr;
    EXPECT_EQ(handler.GetExternal(&object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&panel()));

    CHostUIHandler fresh;  // as before the panel's initialisation
    object = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(fresh.GetExternal(&object), S_FALSE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(WebBridgeTest, HostUIHandlerAddsDialogModeAndPassesTheRestThrough) {
    CHostUIHandler& handler = panel().hostUIHandler();
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    info.dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWCODE;
    EXPECT_EQ(handler.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG));
    EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWCODE));
    EXPECT_EQ(info.cbSize, sizeof(info));

    // Pass-throughs let the browser apply its own default and leave their
    // out arguments alone.
    LPWSTR url = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(handler.ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(handler.TranslateUrl(0, nullptr, &url), S_FALSE);
    EXPECT_EQ(url, reinterpret_cast<LPWSTR>(1));
}

TEST_F(WebBridgeTest, HostUIHandlerGrantsOnlyItsOwnInterfaces) {
    const IID handlerIid = {0xbd3f23c0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};
    const IID handler2Iid = {0x3050f6d0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
    CHostUIHandler handler;
    struct Case {
        const IID* iid;
        bool granted;
    };
    const Case cases[] = {{&IID_IUnknown, true}, {&handlerIid, true}, {&handler2Iid, true}, {&IID_IDispatch, false},
                          {&IID_IOleClientSite, false}};
    for (const Case& c : cases) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(handler.QueryInterface(*c.iid, &object), c.granted ? S_OK : E_NOINTERFACE);
        EXPECT_EQ(object, c.granted ? static_cast<void*>(static_cast<IDocHostUIHandler2*>(&handler)) : nullptr);
    }
    EXPECT_EQ(handler.references(), 4);
    for (int i = 0; i < 5; ++i) handler.Release();
    EXPECT_EQ(handler.references(), -1);  // counted, never freed
}

// ---- Installing the handler into a document ---------------------------------

// A loaded document as the browser's Document property returns it.
class FakeDocument : public IDispatch, public ICustomDoc {
public:
    FakeDocument(bool html, bool custom) : html_(html), custom_(custom) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        const IID htmlDocument2 = {0x332c4425, 0x26cb, 0x11d0, {0xb4, 0x83, 0x00, 0xc0, 0x4f, 0xd9, 0x01, 0x19}};
        const IID customDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            (html_ && IsEqualIID(iid, htmlDocument2))) {
            *object = static_cast<IDispatch*>(this);
        } else if (custom_ && IsEqualIID(iid, customDoc)) {
            *object = static_cast<ICustomDoc*>(this);
        } else {
            return E_NOINTERFACE;
        }
        ++references;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetUIHandler(IDocHostUIHandler* handler) override {
        installed = handler;
        return S_OK;
    }

    IDocHostUIHandler* installed = nullptr;
    ULONG references = 1;

private:
    bool html_, custom_;
};

TEST_F(WebBridgeTest, HandlerGoesOnlyIntoDocumentsOfferingBothInterfaces) {
    struct Case {
        bool html, custom, installed;
    };
    const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    for (const Case& c : cases) {
        FakeDocument document(c.html, c.custom);
        EXPECT_EQ(installHostUIHandler(&document, &panel().hostUIHandler()), c.installed);
        EXPECT_EQ(document.installed, c.installed ? &panel().hostUIHandler() : nullptr);
        EXPECT_EQ(document.references, 1u) << "every reference taken is given back";
    }
    EXPECT_FALSE(installHostUIHandler(nullptr, &panel().hostUIHandler()));
}

TEST_F(WebBridgeTest, BrowserEventsWithoutADocumentChangeNothing) {
    // Under Wine no document ever loads: DocumentComplete finds none.
    EXPECT_FALSE(panel().browser().GetDocument());
    const LONG before = panel().hostUIHandler().references();
    panel().OnBrowserEvent(259, nullptr);
    panel().OnBrowserEvent(252, nullptr);
    panel().OnBrowserEvent(250, nullptr);
    EXPECT_EQ(panel().hostUIHandler().references(), before);
}

// ---- The browser host -------------------------------------------------------

TEST_F(WebBridgeTest, PanelHostsAWebBrowserWithItsEventsConnected) {
    const HWND host = panel().GetDlgItem(IDC_BROWSER);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(windowClass(host), "TarvoAxHost");
    const tarvo::AxHostInfo info = tarvo::axHostInfo(host);
    EXPECT_TRUE(SUCCEEDED(info.createResult)) << std::hex << info.createResult;
    EXPECT_TRUE(info.eventsConnected);
    EXPECT_TRUE(panel().browser().control());
    EXPECT_TRUE(panel().browser().webBrowser());
}

TEST_F(WebBridgeTest, NavigateToFromTheWorkerThreadArrivesUnchangedWhileHidden) {
    ASSERT_FALSE(panel().IsWindowVisible());
    const std::string address = "http://127.0.0.1:9/页面?a=1&名=区#x";
    std::thread worker([&] { panel().NavigateTo(address); });
    worker.join();
    EXPECT_TRUE(waitUntil([&] { return panel().lastAddress() == address; }, 5000));
    EXPECT_EQ(panel().lastNavigateResult(), S_OK);

    // On the panel's own thread the call goes straight to the browser.
    panel().NavigateTo("https://127.0.0.1:9/own-thread");
    EXPECT_EQ(panel().lastAddress(), "https://127.0.0.1:9/own-thread");
    EXPECT_EQ(panel().lastNavigateResult(), S_OK);
    panel().NavigateTo("");
    EXPECT_EQ(panel().lastAddress(), "");
}

// Only web pages are opened, from whichever thread the address comes.
TEST_F(WebBridgeTest, NavigateToOpensNothingButWebAddresses) {
    const char* refused[] = {
        "file:///C:/windows/win.ini", "\\\\host\\share\\page.html", "javascript:alert(1)",
        "res://shell32.dll/#2/#132",  "mk:@MSITStore:C:\\x.chm::/a.htm", "about:blank",
        "C:\\page.html",             "//host/page.html",
    };
    for (const char* address : refused) {
        SCOPED_TRACE(address);
        panel().NavigateTo("http://127.0.0.1:9/before");
        ASSERT_EQ(panel().lastAddress(), "http://127.0.0.1:9/before");
        panel().NavigateTo(address);
        std::thread worker([&] { panel().NavigateTo(address); });
        worker.join();
        pumpMessages();
        EXPECT_EQ(panel().lastAddress(), "http://127.0.0.1:9/before");
    }
}

// The hand-over message carries nothing: another program posting it, with
// anything at all in its parameters, changes nothing and breaks nothing.
TEST_F(WebBridgeTest, ForeignHandOverMessagesChangeNothing) {
    panel().NavigateTo("http://127.0.0.1:9/before");
    const HWND window = panel().m_hWnd;
    const LPARAM junk[] = {0, 1, 0x12345678, -1, reinterpret_cast<LPARAM>(window), 0x7FFFFFFF};
    for (LPARAM lParam : junk) {
        for (HWND target : {window, uiTasks_->window()}) {
            PostMessageA(target, tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(lParam), lParam);
            SendMessageA(target, tarvo::WM_RUN_UI_TASKS, static_cast<WPARAM>(lParam), lParam);
        }
    }
    pumpMessages();
    EXPECT_EQ(panel().lastAddress(), "http://127.0.0.1:9/before");
    EXPECT_TRUE(IsWindow(window));
}

TEST(AxHost, HostWindowOwnsItsControlUntilDestroyed) {
    const tarvo::ScopedOle ole;
    ASSERT_TRUE(tarvo::registerAxHostClass());
    ASSERT_TRUE(tarvo::registerAxHostClass());  // a second registration is harmless
    const int before = tarvo::liveAxHostObjects();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    {
        CExplorer1 browser;
        ASSERT_TRUE(browser.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, parent, IDC_BROWSER));
        ASSERT_TRUE(browser.control());
        EXPECT_EQ(tarvo::liveAxHostObjects(), before + 2);  // client site and event sink
        int events = 0;
        EXPECT_TRUE(browser.SetEventHandler([&](DISPID, DISPPARAMS*) { ++events; }));
        EXPECT_EQ(browser.Navigate("about:blank"), S_OK);
        pumpMessages();
        DestroyWindow(browser.m_hWnd);
        EXPECT_FALSE(browser.control());
        EXPECT_EQ(browser.Navigate("about:blank"), E_NOINTERFACE);
    }
    EXPECT_EQ(tarvo::liveAxHostObjects(), before) << "the control let go of the site and the sink";
    DestroyWindow(parent);
}

// The control is made once the creating thread is back in its message loop
// (so a window holding it shows first), or on first need; a host destroyed
// before that never makes one.
TEST(AxHost, ControlIsMadeWhenTheThreadPumpsNotWhileTheWindowIsSetUp) {
    const tarvo::ScopedOle ole;
    ASSERT_TRUE(tarvo::registerAxHostClass());
    const int before = tarvo::liveAxHostObjects();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    const char kBrowser[] = "{8856F961-340A-11D0-A96B-00C04FD705A2}";

    HWND host = CreateWindowExA(0, "TarvoAxHost", kBrowser, WS_CHILD, 0, 0, 400, 300, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(tarvo::liveAxHostObjects(), before) << "made during creation";
    pumpMessages();
    EXPECT_EQ(tarvo::liveAxHostObjects(), before + 2) << "not made once the thread pumped";
    EXPECT_TRUE(SUCCEEDED(tarvo::axHostInfo(host).createResult));
    DestroyWindow(host);
    EXPECT_EQ(tarvo::liveAxHostObjects(), before);

    HWND shortLived = CreateWindowExA(0, "TarvoAxHost", kBrowser, WS_CHILD, 0, 0, 40, 30, parent, nullptr, nullptr,
                                      nullptr);
    ASSERT_NE(shortLived, nullptr);
    DestroyWindow(shortLived);
    pumpMessages();
    EXPECT_EQ(tarvo::liveAxHostObjects(), before) << "a destroyed host made its control after all";

    DestroyWindow(parent);
}

TEST(AxHost, HostWithoutAControlStillExists) {
    const tarvo::ScopedOle ole;
    ASSERT_TRUE(tarvo::registerAxHostClass());
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    for (const char* text : {"{00000000-0000-0000-0000-0000000000AB}", "No.Such.ProgId", "", "{not a class id"}) {
        HWND host = CreateWindowExA(0, "TarvoAxHost", text, WS_CHILD, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
        ASSERT_NE(host, nullptr) << text;
        EXPECT_TRUE(FAILED(tarvo::axHostInfo(host).createResult)) << text;
        EXPECT_FALSE(tarvo::axHostControl(host)) << text;
        CExplorer1 browser;
        browser.Bind(host);
        EXPECT_EQ(browser.Navigate("about:blank"), E_NOINTERFACE);
        EXPECT_FALSE(browser.GetDocument());
        DestroyWindow(host);
    }
    DestroyWindow(parent);
}

}  // namespace
