#include "panels/settings_panel_win.h"

#include "resource.h"
#include "window/button_table.h"
#include "window/caption_layout.h"
#include "window/skin_button_win.h"

#include "framework/skin_label_win.h"
#include "framework/subclass_win.h"
#include "framework/text_win.h"

#include <commctrl.h>

namespace {

const char kBossKeyTakenText[] = "该组合键已被其他程序占用，请换一个";

const COLORREF kFieldGround = RGB(12, 10, 7);
const COLORREF kFieldEdge = RGB(64, 49, 33);

// The static texts of the panel are hollow labels over the bitmap.
BOOL CALLBACK attachLabel(HWND child, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (::lstrcmpiW(className, L"Static") == 0) tarvo::AttachSkinLabel(child);
    return TRUE;
}

} // namespace

tarvo::CriticalSection CMyCfgDlg::paintLock_;

CMyCfgDlg::~CMyCfgDlg() = default;

BOOL CMyCfgDlg::OnInitDialog() {
    CSimpleWnd::OnInitDialog();
    hotKeyField_.Bind(GetDlgItem(IDC_BOSS_HOTKEY));
    enableBox_.Bind(GetDlgItem(IDC_BOSS_ENABLE));
    closeButton_ = addButton(kButtonSettingsClose);
    confirmButton_ = addButton(kButtonSettingsConfirm);
    ::EnumChildWindows(m_hWnd, attachLabel, 0);
    tarvo::installSubclass(hotKeyField_.m_hWnd, &CMyCfgDlg::hotKeyFieldProc, this);
    return TRUE;
}

LRESULT CMyCfgDlg::hotKeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, void* data) {
    const auto* panel = static_cast<const CMyCfgDlg*>(data);
    switch (message) {
    case WM_NCPAINT:
        return 0;  // the panel draws the frame
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        // Let the control do its own painting (it places its caret there),
        // then draw the field over it.
        const LRESULT result = tarvo::callNext(field, message, wParam, lParam);
        panel->DrawHotKeyField();
        return result;
    }
    default:
        break;
    }
    return tarvo::callNext(field, message, wParam, lParam);
}

std::string CMyCfgDlg::HotKeyText(WORD virtualKey, WORD modifiers) {
    if (virtualKey == 0) return "无";
    std::string text;
    if (modifiers & HOTKEYF_CONTROL) text += "Ctrl + ";
    if (modifiers & HOTKEYF_SHIFT) text += "Shift + ";
    if (modifiers & HOTKEYF_ALT) text += "Alt + ";
    LONG scan = static_cast<LONG>(::MapVirtualKeyW(virtualKey, 0)) << 16;
    if (modifiers & HOTKEYF_EXT) scan |= 1L << 24;
    wchar_t name[64] = {};
    if (::GetKeyNameTextW(scan, name, 64) > 0) {
        text += tarvo::wideToUtf8(name);
    } else if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        text += static_cast<char>(virtualKey);
    } else {
        char code[16];
        wsprintfA(code, "#%u", static_cast<unsigned>(virtualKey));
        text += code;
    }
    return text;
}

void CMyCfgDlg::DrawHotKeyField() const {
    const HWND field = hotKeyField_.m_hWnd;
    if (!m_hWnd || !field) return;
    RECT box{};
    ::GetWindowRect(field, &box);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&box), 2);

    tarvo::WindowDC dc(m_hWnd);
    if (!dc.get()) return;
    // The frame just outside the control, then its own edge and ground.
    RECT frame = box;
    ::InflateRect(&frame, 1, 1);
    tarvo::Brush gold(::CreateSolidBrush(kSkinTextColour));
    tarvo::Brush edge(::CreateSolidBrush(kFieldEdge));
    tarvo::Brush ground(::CreateSolidBrush(kFieldGround));
    ::FrameRect(dc.get(), &frame, gold.get());
    ::FrameRect(dc.get(), &box, edge.get());
    RECT inside = box;
    ::InflateRect(&inside, -1, -1);
    ::FillRect(dc.get(), &inside, ground.get());

    WORD virtualKey = 0;
    WORD modifiers = 0;
    hotKeyField_.GetHotKey(virtualKey, modifiers);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0));
    tarvo::SelectGuard selectFont(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), kSkinTextColour);
    RECT text = inside;
    text.left += 2;
    const std::wstring shown = tarvo::utf8ToWide(HotKeyText(virtualKey, modifiers));
    ::DrawTextW(dc.get(), shown.c_str(), static_cast<int>(shown.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CMyCfgDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCPAINT) return 0;  // no frame to paint
    if (message == WM_ERASEBKGND) {
        // The background copy covers the field, so the field comes after it.
        const LRESULT erased = CSimpleWnd::WindowProc(message, wParam, lParam);
        DrawHotKeyField();
        return erased;
    }
    return CSimpleWnd::WindowProc(message, wParam, lParam);
}

void CMyCfgDlg::PaintBackground(HDC dc) {
    // The erase's context is clipped to the part being erased: controls that
    // are not repainted after it keep their texts.
    copyBackground(dc, paintLock_);
}

void CMyCfgDlg::PlaceNearOwner() {
    Rect owner;
    if (!m_hWnd || !ownerWindowRect(owner)) return;
    moveTo(settingsPanelRect(owner, backgroundExtent(), dpi_));
}

void CMyCfgDlg::OnButtonPressed(int index) {
    if (index == kButtonSettingsClose || index == kButtonSettingsConfirm) applyBossKey();
}

void CMyCfgDlg::applyBossKey() {
    ShowWindow(SW_HIDE);
    WORD virtualKey = 0;
    WORD modifiers = 0;
    const bool enabled = enableBox_.GetCheck() != 0;
    // An unchecked box switches the boss key off; the field is not read.
    if (enabled) hotKeyField_.GetHotKey(virtualKey, modifiers);
    const bool applied = !calls_.setBossKey || calls_.setBossKey(enabled, virtualKey, modifiers);
    const HWND note = GetDlgItem(IDC_BOSS_NOTE);
    if (applied) {
        ::ShowWindow(note, SW_HIDE);
        return;
    }
    // Another program holds the combination: the panel stays open and says
    // so, with the key still in the field to change; the previous boss key
    // stays (let go of again while the panel is open, as on opening it).
    SetDlgItemText(IDC_BOSS_NOTE, kBossKeyTakenText);
    ::ShowWindow(note, SW_SHOW);
    if (calls_.openSettings) calls_.openSettings();
}
