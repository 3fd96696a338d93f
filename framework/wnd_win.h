// Our small stand-in for the dialog framework: application, window and dialog
// classes. Each window class routes the messages it handles in one switch of
// its WindowProc override; anything it does not handle goes to Default().
#pragma once

#include <windows.h>

#include <string>

namespace tarvo {

class CWnd;

// The application object: one global instance of a class derived from
// CWinApp, constructed before WinMain runs.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The whole run of the program: its windows run their own message
    // loops, and the program ends when this returns.
    virtual BOOL InitInstance() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// A message box with UTF-8 text and caption, shown as wide text so that it
// reads right on every system; returns the button pressed.
int AfxMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type = MB_OK);
HINSTANCE AfxGetResourceHandle();
// Entry point helper called by WinMain: runs the application object.
int AfxWinMain(HINSTANCE instance);

// A window. Every window this framework makes or subclasses is a wide
// (Unicode) window, and texts cross this interface as UTF-8 or wide text:
// they read right whatever the system's ANSI code page.
//
// Either owns the window it created (it is then attached: messages
// reach WindowProc), or merely refers to a window made elsewhere (a control),
// or, as the windowless caption buttons do, has no window at all.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The attached object of a window made by this framework, or null.
    static CWnd* FromHandlePermanent(HWND window);

    // Creates a window of a registered class and attaches this object to it.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  const RECT& rect, HWND parent, UINT id);
    // Refers to a window made elsewhere without taking over its messages.
    void Bind(HWND window) { m_hWnd = window; }

    virtual BOOL DestroyWindow();

    // Thin wrappers used throughout the launcher.
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    bool IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // Texts: UTF-8 or wide in, UTF-8 out.
    void SetDlgItemText(int id, const std::string& utf8) const;
    void SetDlgItemText(int id, const std::wstring& text) const { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& utf8) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT period) const { return ::SetTimer(m_hWnd, id, period, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }

    HWND m_hWnd = nullptr;

protected:
    // The message handler. Overrides handle their messages in one switch and
    // pass everything else to the base class, which ends in Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The processing the window would get without this object.
    LRESULT Default();
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    // The message being handled, for Default().
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    const CurrentMessage& currentMessage() const { return current_; }

    // The next window this thread creates is attached to `object` from its
    // very first message on (WM_NCCREATE, or WM_GETMINMAXINFO before it).
    static void attachNextCreatedWindow(CWnd* object);
    friend LRESULT tarvoWindowProc(HWND, UINT, WPARAM, LPARAM, void*);
    friend LRESULT CALLBACK tarvoCreationHook(int, WPARAM, LPARAM);

private:
    void attach(HWND window);
    void detach();

    CurrentMessage current_;
};

// A dialog made from a template of this program's resources, either modal
// (DoModal) or modeless (Create). Enter and Esc reach OnOK and OnCancel.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr)
        : templateId_(templateId), parent_(parent) {}

    // Runs the dialog modally; returns the result given to EndDialog, or -1
    // when the dialog could not be created. The modal loop also ends on a
    // quit message (which it posts again for any outer loop); the window is
    // then destroyed through the virtual DestroyWindow.
    INT_PTR DoModal();
    // Creates the dialog as a modeless window (hidden unless the template
    // says visible).
    BOOL Create(UINT templateId, CWnd* parent);

    void EndDialog(INT_PTR result);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    UINT templateId_;
    CWnd* parent_;
    bool modal_ = false;
    bool endModal_ = false;
    INT_PTR modalResult_ = -1;
};

// Thin control classes: they refer to a dialog's control by its handle.
class CStatic : public CWnd {};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    std::string GetLBText(int index) const;
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
};

class CHotKeyCtrl : public CWnd {
public:
    // The key and the control's modifier flags (1 Shift, 2 Control, 4 Alt, 8 extended).
    void GetHotKey(WORD& virtualKey, WORD& modifiers) const;
    void SetHotKey(WORD virtualKey, WORD modifiers) const;
};

} // namespace tarvo
