#include "launcher/panel_set_win.h"

#include "panels/exit_panel_win.h"
#include "panels/settings_panel_win.h"
#include "panels/web_page_panel_win.h"
#include "resource.h"
#include "panels/server_list_panel_win.h"

PanelTemplates defaultPanelTemplates() {
    return PanelTemplates{IDD_SERVER_LIST, IDD_SETTINGS, IDD_EXIT, IDD_WEB_PAGE};
}

PanelSet::PanelSet() = default;

PanelSet::~PanelSet() = default;

bool PanelSet::create(tarvo::CWnd* owner, const LauncherCalls& calls, const PanelTemplates& templates) {
    failure_.clear();
    auto note = [this](bool created, const char* name) {
        if (!created && failure_.empty()) failure_ = std::string("the ") + name + " panel could not be created";
    };
    serverList_ = std::make_unique<CMyDlg>(calls, IDB_SERVER_LIST_PANEL);
    note(serverList_->Create(templates.serverList, owner), "server list");
    settings_ = std::make_unique<CMyCfgDlg>(calls, IDB_DIALOG_PANEL);
    note(settings_->Create(templates.settings, owner), "settings");
    exit_ = std::make_unique<CExitDlg>(calls, IDB_DIALOG_PANEL);
    note(exit_->Create(templates.exit, owner), "exit");
    webPage_ = std::make_unique<CIeDlg>(calls);
    note(webPage_->Create(templates.webPage, owner), "web page");
    all_ = {serverList_.get(), settings_.get(), exit_.get(), webPage_.get()};
    return failure_.empty();
}

bool PanelSet::hideVisible() {
    const bool settingsWereOpen = isShown(settings_.get());
    for (tarvo::CDialog* panel : all_) {
        if (isShown(panel)) panel->ShowWindow(SW_HIDE);
    }
    return settingsWereOpen;
}

void PanelSet::placeNearOwner() {
    if (isShown(serverList_.get())) serverList_->PlaceNearOwner();
    if (isShown(settings_.get())) settings_->PlaceNearOwner();
}

void PanelSet::setDpi(int dpi) {
    for (CSkinnedPanel* panel : {static_cast<CSkinnedPanel*>(serverList_.get()), static_cast<CSkinnedPanel*>(settings_.get()),
                                 static_cast<CSkinnedPanel*>(exit_.get()), static_cast<CSkinnedPanel*>(webPage_.get())}) {
        if (panel && panel->m_hWnd) panel->SetDpi(dpi);
    }
}

void PanelSet::destroy() {
    for (tarvo::CDialog* panel : all_) {
        if (panel && panel->m_hWnd) panel->DestroyWindow();
    }
    all_.clear();
    serverList_.reset();
    settings_.reset();
    exit_.reset();
    webPage_.reset();
}
