// The launcher window's four panels (server list, settings, exit, web page):
// created together from their templates, hidden together, and placed beside
// the launcher window when it moves. The set owns them; the list refers to
// them in that order.
#pragma once

#include "framework/wnd_win.h"
#include "panels/launcher_calls_win.h"

#include <memory>
#include <string>
#include <vector>

class CMyDlg;
class CMyCfgDlg;
class CExitDlg;
class CIeDlg;

// The dialog templates the panels are created from.
struct PanelTemplates {
    UINT serverList;
    UINT settings;
    UINT exit;
    UINT webPage;
};
PanelTemplates defaultPanelTemplates();

class PanelSet {
public:
    PanelSet();
    ~PanelSet();

    // Creates the four panels with `owner` as parent, each given `calls`.
    // False, with the failing panel's name in failure(), when a panel's
    // window could not be created; the panels created so far stay.
    bool create(tarvo::CWnd* owner, const LauncherCalls& calls, const PanelTemplates& templates);
    const std::string& failure() const { return failure_; }

    CMyDlg* serverList() const { return serverList_.get(); }
    CMyCfgDlg* settings() const { return settings_.get(); }
    CExitDlg* exit() const { return exit_.get(); }
    CIeDlg* webPage() const { return webPage_.get(); }
    // The panels in order; empty before the set-up and after destroy().
    const std::vector<tarvo::CDialog*>& all() const { return all_; }

    // Hides every visible panel; true when the settings panel was one of them.
    bool hideVisible();
    // The server-list and settings panels follow the owner when visible.
    void placeNearOwner();
    // Every panel is laid out and drawn at the owner's new DPI.
    void setDpi(int dpi);
    // Each panel's window is destroyed and the panel deleted, once.
    void destroy();

private:
    std::unique_ptr<CMyDlg> serverList_;
    std::unique_ptr<CMyCfgDlg> settings_;
    std::unique_ptr<CExitDlg> exit_;
    std::unique_ptr<CIeDlg> webPage_;
    std::vector<tarvo::CDialog*> all_;
    std::string failure_;
};

// Whether a window object has a window that is visible.
inline bool isShown(const tarvo::CWnd* window) {
    return window && window->m_hWnd && window->IsWindowVisible();
}
