// The real launcher window for in-process tests, without the start-up
// sequence's programs and without opening the system's browser.
#pragma once

#include "launcher/launcher_dlg_win.h"
#include "resource.h"

#include <objbase.h>

#include <string>

class QuietLauncher : public CLauncherDlg {
protected:
    void runStartupSequence() override {}
    void OpenAddress(const std::string&) override {}
};

// One hidden launcher shared by a test suite (a hidden window is destroyed
// quickly under Wine). COM is initialised for the web page panel's browser.
inline QuietLauncher* createSharedLauncher() {
    OleInitialize(nullptr);
    auto* launcher = new QuietLauncher;
    if (!launcher->Create(IDD_LAUNCHER_DIALOG, nullptr)) {
        delete launcher;
        return nullptr;
    }
    launcher->ShowWindow(SW_HIDE);
    return launcher;
}

inline void destroySharedLauncher(QuietLauncher*& launcher) {
    if (launcher && launcher->m_hWnd) launcher->DestroyWindow();
    delete launcher;
    launcher = nullptr;
    OleUninitialize();
}
