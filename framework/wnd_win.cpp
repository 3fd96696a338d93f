#include "framework/wnd_win.h"

#include "framework/barrier_win.h"
#include "framework/subclass_win.h"
#include "framework/text_win.h"

#include <commctrl.h>

#include <vector>

namespace tarvo {

namespace {

CWinApp* g_app = nullptr;

// The window property that links a window to its C++ object.
const wchar_t kObjectProperty[] = L"TarvoCWnd";

// Per thread: the object waiting for its window, and the creation hook.
thread_local CWnd* t_pendingObject = nullptr;
thread_local HHOOK t_creationHook = nullptr;

} // namespace

// ---------------------------------------------------------------------------
// CWinApp
// ---------------------------------------------------------------------------

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() {
    return g_app;
}

int AfxMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return ::MessageBoxW(owner, utf8ToWide(text).c_str(), utf8ToWide(caption).c_str(), type);
}

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->InitInstance();
    return 0;
}

// ---------------------------------------------------------------------------
// CWnd: attaching objects to windows and routing their messages
// ---------------------------------------------------------------------------

// The one handler in front of every window this framework makes. It is also
// the barrier that keeps exceptions inside: a handler that throws has its
// message answered with 0 (a paint message also counts as painted, so that
// it does not come back at once), and the window carries on.
LRESULT tarvoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void*) {
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object) return callNext(window, message, wParam, lParam);

    const CWnd::CurrentMessage saved = object->current_;
    object->current_ = {message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
        if (message == WM_PAINT) ::ValidateRect(window, nullptr);
    }
    object->current_ = saved;

    if (message == WM_NCDESTROY) {
        object->detach();
        tarvo::callbackBarrier(0, [&] {
            object->PostNcDestroy();
            return 0;
        });
    }
    return result;
}

LRESULT CALLBACK tarvoCreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pendingObject) {
        CWnd* object = t_pendingObject;
        t_pendingObject = nullptr;
        object->attach(reinterpret_cast<HWND>(wParam));
        if (t_creationHook) {
            ::UnhookWindowsHookEx(t_creationHook);
            t_creationHook = nullptr;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::attachNextCreatedWindow(CWnd* object) {
    t_pendingObject = object;
    if (!t_creationHook) {
        t_creationHook = ::SetWindowsHookExW(WH_CBT, tarvoCreationHook, nullptr, ::GetCurrentThreadId());
    }
}

namespace {
// Ends a pending attachment that no window took (creation failed early).
void cancelPendingAttachment() {
    t_pendingObject = nullptr;
    if (t_creationHook) {
        ::UnhookWindowsHookEx(t_creationHook);
        t_creationHook = nullptr;
    }
}
} // namespace

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        // The window outlives its object: cut the link so no message reaches
        // a destroyed object.
        detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    if (!window) return nullptr;
    return static_cast<CWnd*>(::GetPropW(window, kObjectProperty));
}

void CWnd::attach(HWND window) {
    m_hWnd = window;
    ::SetPropW(window, kObjectProperty, this);
    // Subclassed through the wide functions, the window is a wide window from here on.
    installSubclass(window, &tarvoWindowProc, nullptr);
}

void CWnd::detach() {
    if (!m_hWnd) return;
    removeSubclass(m_hWnd, &tarvoWindowProc);
    ::RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

LRESULT CWnd::Default() {
    return callNext(m_hWnd, current_.message, current_.wParam, current_.lParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, UINT id) {
    attachNextCreatedWindow(this);
    HWND window = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    AfxGetResourceHandle(), nullptr);
    cancelPendingAttachment();
    return window != nullptr;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

RECT CWnd::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    return wideToUtf8(std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

void CWnd::SetWindowText(const std::string& utf8) const {
    ::SetWindowTextW(m_hWnd, utf8ToWide(utf8).c_str());
}

void CWnd::SetDlgItemText(int id, const std::string& utf8) const {
    ::SetDlgItemTextW(m_hWnd, id, utf8ToWide(utf8).c_str());
}

// ---------------------------------------------------------------------------
// CDialog
// ---------------------------------------------------------------------------

INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) {
    // Every message goes through the attached object's WindowProc first;
    // this procedure is reached only from Default(), where it asks the system
    // for its standard dialog behaviour.
    return FALSE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    templateId_ = templateId;
    parent_ = parent;
    attachNextCreatedWindow(this);
    HWND window = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId),
                                       parent ? parent->m_hWnd : nullptr, &CDialog::DialogProc, 0);
    cancelPendingAttachment();
    return window != nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND owner = parent_ ? parent_->m_hWnd : nullptr;
    modal_ = true;
    endModal_ = false;
    modalResult_ = -1;
    if (!Create(templateId_, parent_)) {
        modal_ = false;
        return -1;
    }
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (m_hWnd && !(::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) && !endModal_) {
        ::ShowWindow(m_hWnd, SW_SHOW);
    }

    MSG msg;
    while (!endModal_ && m_hWnd) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // A quit message ends this loop; outer loops must see it too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!::IsDialogMessageW(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    if (m_hWnd) DestroyWindow();
    modal_ = false;
    return modalResult_;
}

void CDialog::EndDialog(INT_PTR result) {
    if (modal_) {
        modalResult_ = result;
        endModal_ = true;
        if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 || HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return 0;
            }
        }
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

std::string CComboBox::GetLBText(int index) const {
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) return std::string();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return wideToUtf8(buffer.data());
}

void CHotKeyCtrl::GetHotKey(WORD& virtualKey, WORD& modifiers) const {
    LRESULT value = SendMessage(HKM_GETHOTKEY);
    virtualKey = LOBYTE(LOWORD(value));
    modifiers = HIBYTE(LOWORD(value));
}

void CHotKeyCtrl::SetHotKey(WORD virtualKey, WORD modifiers) const {
    SendMessage(HKM_SETHOTKEY, MAKEWORD(virtualKey, modifiers));
}

} // namespace tarvo
