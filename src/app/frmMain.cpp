#include "app/frmMain.h"

#include <cstdlib>
#include <optional>

#include "forms/Twips.h"
#include "skins/ModINI.h"

namespace quillmar {

std::string FormExePath(const ProgramLocation& location) {
    const bool endsInBackslash = !location.folder.empty() && location.folder.back() == '\\';
    return location.folder + (endsInBackslash ? "" : "\\") + location.baseName + ".exe";
}

frmMain::frmMain(MainForms& forms, ProgramState& state, const MainPorts& ports, ProgramLocation location,
                 WindowHandle hwnd)
    : m_forms(forms), m_state(state), m_ports(ports), m_location(std::move(location)), m_hwnd(hwnd) {}

const std::vector<frmMain::MenuItem>& frmMain::mnuMain() {
    static const std::vector<MenuItem> items{
        {"mnuAbout", "&About", &frmMain::mnuAbout_Click},
        {"", "-", nullptr},
        {"mnuSettings", "&Settings", &frmMain::mnuSettings_Click},
        {"mnuService", "&Translation service...", &frmMain::mnuService_Click},
        {"", "-", nullptr},
        {"mnuExit", "E&xit", &frmMain::mnuExit_Click},
    };
    return items;
}

void frmMain::Form_Load() {
    m_state.TrayIconData = {m_hwnd, kTrayIconId, kCallbackMessage, "QUILLMAR"};
    m_ports.tray.AddIcon(m_state.TrayIconData);  // a missing icon is not an error: the program runs on

    m_state.ExePath = FormExePath(m_location);
    // ExePath always holds a backslash and a file name, so the folder is always found.
    m_state.SkinsPath = GetFolderPath(m_state.ExePath).value_or("") + "skins\\";

    m_forms.BuildSkinMenu();
    m_forms.LoadFollowForm();
    m_forms.LoadSocketForm();

    m_state.CurrentSkinName = m_ports.settings.GetSetting(kSettingsApp, kSettingsSection, "CurrentSkin", "");
    if (!m_state.CurrentSkinName.empty()) m_forms.ApplySkin(m_state.CurrentSkinName);
}

void frmMain::mnuExit_Click() {
    m_forms.ExitProgram();
    std::abort();  // not reached: the call does not return, which the compiler cannot see through it
}

void frmMain::Form_MouseMove(int /*Button*/, int /*Shift*/, double X, double /*Y*/) {
    const int message = RoundHalfEven(X / kTwipsPerPixel);
    if (message != kRightButtonUp) return;
    std::vector<MenuItemView> views;
    for (const MenuItem& item : mnuMain()) views.push_back({item.caption, true});
    const std::optional<std::size_t> chosen = m_ports.menus.TrackPopupMenu(m_hwnd, views);
    if (!chosen || *chosen >= mnuMain().size()) return;
    const MenuItem& item = mnuMain()[*chosen];
    if (item.onClick != nullptr) (this->*item.onClick)();
}

}  // namespace quillmar
