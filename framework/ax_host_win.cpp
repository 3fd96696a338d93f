#include "framework/ax_host_win.h"

#include "framework/barrier_win.h"

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

namespace tarvo {

namespace {

// The WebBrowser control's event interface, used when a control does not
// name its default source interface itself.
const IID kWebBrowserEvents2 = {0x34a715a0, 0x6587, 0x11d0, {0x92, 0x4a, 0x00, 0x20, 0xaf, 0xc7, 0xac, 0x4d}};

std::atomic<int> g_liveObjects{0};

class ClientSite;
class EventSink;

// Everything one host window holds; lives from WM_NCCREATE to WM_NCDESTROY.
struct HostState {
    HWND window = nullptr;
    bool creationPending = false;  // the control is made on first need
    HRESULT createResult = E_FAIL;
    ComPtr<IOleObject> object;
    ComPtr<IConnectionPoint> connection;
    DWORD cookie = 0;
    ClientSite* site = nullptr;  // one reference held here
    EventSink* sink = nullptr;   // one reference held here
    AxEventHandler handler;
};

const wchar_t kStateProperty[] = L"TarvoAxHostState";

// Posted to a new host window: make its control now, unless something asked
// for it earlier.
constexpr UINT kCreateControlMessage = WM_USER + 0x100;

HostState* stateOf(HWND window) {
    if (!window) return nullptr;
    return static_cast<HostState*>(::GetPropW(window, kStateProperty));
}

// The control's in-place object, or empty.
ComPtr<IOleInPlaceObject> inPlaceObject(const HostState& state) {
    return state.object.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
}

// ---------------------------------------------------------------------------
// Client site: the control's view of its container. Only what an in-place
// control such as the WebBrowser needs; the rest answers "not implemented".
// ---------------------------------------------------------------------------
class ClientSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit ClientSite(HostState* state) : state_(state) { ++g_liveObjects; }
    ClientSite(const ClientSite&) = delete;
    ClientSite& operator=(const ClientSite&) = delete;

    // The host window is going away: answer nothing about it any more.
    void detach() { state_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
            *object = static_cast<IOleClientSite*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
            *object = static_cast<IOleInPlaceSite*>(this);
        } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
            *object = static_cast<IOleInPlaceFrame*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = state_ ? state_->window : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return state_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (frame) {
            *frame = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
        }
        if (document) *document = nullptr;
        RECT client{};
        if (state_) ::GetClientRect(state_->window, &client);
        if (position) *position = client;
        if (clip) *clip = client;
        if (frameInfo) {
            // The caller sets cb; keep it and fill in the rest.
            frameInfo->fMDIApp = FALSE;
            frameInfo->hwndFrame = state_ ? state_->window : nullptr;
            frameInfo->haccel = nullptr;
            frameInfo->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override {
        if (!state_ || !position) return E_FAIL;
        if (auto inPlace = inPlaceObject(*state_)) inPlace->SetObjectRects(position, position);
        return S_OK;
    }

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~ClientSite() { --g_liveObjects; }

    std::atomic<long> references_{1};
    HostState* state_;
};

// ---------------------------------------------------------------------------
// Event sink: the control's outgoing dispatch interface, forwarded to the
// host's handler.
// ---------------------------------------------------------------------------
class EventSink final : public IDispatch {
public:
    EventSink(HostState* state, const IID& events) : state_(state), events_(events) { ++g_liveObjects; }
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    void detach() { state_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, events_)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* arguments, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (result) ::VariantInit(result);
        if (!state_ || !state_->handler) return S_OK;
        AddRef();  // stay alive even if the handler destroys the host
        const HRESULT outcome = comBarrier([&] {
            // A copy, so that the handler may replace itself while it runs.
            AxEventHandler handler = state_->handler;
            handler(id, arguments);
            return S_OK;
        });
        Release();
        return outcome;
    }

private:
    ~EventSink() { --g_liveObjects; }

    std::atomic<long> references_{1};
    HostState* state_;
    IID events_;
};

// The control's default event interface: the one it names through
// IProvideClassInfo2, else the WebBrowser's.
IID defaultSourceInterface(IOleObject* object) {
    IID events = kWebBrowserEvents2;
    ComPtr<IProvideClassInfo2> classInfo;
    if (SUCCEEDED(object->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(classInfo.put()))) &&
        classInfo) {
        GUID named{};
        if (SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &named))) events = named;
    }
    return events;
}

// The class id named by the window text: "{...}" or a program id.
HRESULT classIdFromText(HWND window, CLSID& classId) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return E_INVALIDARG;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, text.data(), length + 1);
    if (text[0] == L'{') return ::CLSIDFromString(text.data(), &classId);
    return ::CLSIDFromProgID(text.data(), &classId);
}

void connectEvents(HostState& state) {
    const IID events = defaultSourceInterface(state.object.get());
    ComPtr<IConnectionPointContainer> container =
        state.object.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (!container) return;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(events, point.put())) || !point) return;
    state.sink = new (std::nothrow) EventSink(&state, events);
    if (!state.sink) return;
    DWORD cookie = 0;
    if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(state.sink), &cookie))) {
        state.connection = std::move(point);
        state.cookie = cookie;
    }
}

// Creates the control named by the window text and activates it in place.
HRESULT createControl(HostState& state) {
    CLSID classId{};
    HRESULT result = classIdFromText(state.window, classId);
    if (FAILED(result)) return result;

    result = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(state.object.put()));
    if (FAILED(result) || !state.object) {
        state.object.reset();
        return FAILED(result) ? result : E_NOINTERFACE;
    }

    state.site = new (std::nothrow) ClientSite(&state);
    if (!state.site) {
        state.object.reset();
        return E_OUTOFMEMORY;
    }
    state.object->SetClientSite(static_cast<IOleClientSite*>(state.site));

    // A new control starts from its default state (no persisted data).
    if (auto persist = state.object.as<IPersistStreamInit>(IID_IPersistStreamInit)) persist->InitNew();
    state.object->SetHostNames(L"TarvoLaunch", nullptr);

    connectEvents(state);

    RECT client{};
    ::GetClientRect(state.window, &client);
    result = state.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(state.site), 0,
                                  state.window, &client);
    return result;
}

// Disconnects and closes the control; the host window is being destroyed.
void destroyControl(HostState& state) {
    state.handler = nullptr;
    if (state.sink) state.sink->detach();
    if (state.connection) {
        state.connection->Unadvise(state.cookie);
        state.connection.reset();
        state.cookie = 0;
    }
    if (state.object) {
        if (auto inPlace = inPlaceObject(state)) inPlace->InPlaceDeactivate();
        state.object->Close(OLECLOSE_NOSAVE);
        state.object->SetClientSite(nullptr);
        state.object.reset();
    }
    if (state.site) {
        state.site->detach();
        state.site->Release();
        state.site = nullptr;
    }
    if (state.sink) {
        state.sink->Release();
        state.sink = nullptr;
    }
}

// Makes the control if it is still to be made. Creating it loads the
// control's libraries and activates it, which a window being set up need not
// wait for; so it happens once the host's thread is back in its message loop,
// or as soon as anyone asks for the control, whichever comes first.
void ensureControl(HostState& state) {
    if (!state.creationPending) return;
    state.creationPending = false;
    state.createResult = createControl(state);
}

LRESULT handleHostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* state = new (std::nothrow) HostState;
        if (!state) return FALSE;
        state->window = window;
        ::SetPropW(window, kStateProperty, state);
        break;
    }
    case WM_CREATE: {
        if (HostState* state = stateOf(window)) {
            // The control's own window covers the host; do not paint over it.
            ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) | WS_CLIPCHILDREN);
            state->creationPending = true;
            // Without the posted message the control is made on first need.
            ::PostMessageW(window, kCreateControlMessage, 0, 0);
        }
        // The host exists even without its control: the dialog holding it
        // must still be created.
        return 0;
    }
    case kCreateControlMessage:
        if (HostState* state = stateOf(window)) ensureControl(*state);
        return 0;
    case WM_SIZE:
        if (HostState* state = stateOf(window)) {
            if (auto inPlace = inPlaceObject(*state)) {
                RECT client{};
                ::GetClientRect(window, &client);
                inPlace->SetObjectRects(&client, &client);
            }
        }
        break;
    case WM_DESTROY:
        if (HostState* state = stateOf(window)) {
            state->creationPending = false;  // never made: nothing to undo
            destroyControl(*state);
        }
        break;
    case WM_NCDESTROY:
        if (HostState* state = stateOf(window)) {
            ::RemovePropW(window, kStateProperty);
            destroyControl(*state);  // nothing left to do unless WM_DESTROY was skipped
            delete state;
        }
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The host window's procedure: no exception leaves it (the message is then
// answered with 0).
LRESULT CALLBACK axHostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callbackBarrier(LRESULT{0}, [&] { return handleHostMessage(window, message, wParam, lParam); });
}

} // namespace

bool registerAxHostClass() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, kAxHostClassName, &existing)) return true;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &axHostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kAxHostClassName;
    if (::RegisterClassExW(&windowClass)) return true;
    // Another thread may have won the race.
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

AxHostInfo axHostInfo(HWND host) {
    AxHostInfo info;
    if (HostState* state = stateOf(host)) {
        ensureControl(*state);
        info.createResult = state->createResult;
        info.eventsConnected = static_cast<bool>(state->connection);
    }
    return info;
}

ComPtr<IDispatch> axHostControl(HWND host) {
    HostState* state = stateOf(host);
    if (!state) return {};
    ensureControl(*state);
    return state->object.as<IDispatch>(IID_IDispatch);
}

ComPtr<IUnknown> axHostUnknown(HWND host) {
    HostState* state = stateOf(host);
    if (!state) return {};
    ensureControl(*state);
    return state->object.as<IUnknown>(IID_IUnknown);
}

bool axHostSetEventHandler(HWND host, AxEventHandler handler) {
    HostState* state = stateOf(host);
    if (!state) return false;
    state->handler = std::move(handler);
    return true;
}

int liveAxHostObjects() {
    return g_liveObjects.load();
}

} // namespace tarvo
