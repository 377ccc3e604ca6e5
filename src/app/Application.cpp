#include "app/Application.h"

#include <cstdlib>

namespace quillmar {

Application::Application(ProgramState& state, const ApplicationPorts& ports)
    : m_state(state),
      m_ports(ports),
      m_skinTargets({[this]() -> frmFollow& { return FollowForm(); }, [this]() -> frmStatus& { return StatusForm(); }}),
      m_skins(ports.files, ports.profiles, ports.pictures, ports.settings, m_skinTargets),
      m_followMod(ports.windows),
      m_status(state, ports.timers, ports.pictures, ports.views,
               [this](const std::string& skinName) { ApplySkin(skinName); }),
      m_writer(m_followMod, state, m_status),
      m_socket(ports.connection, ports.timers, ports.dialogs, [this] { return OptionsMenuActions(); },
               HomeHost()),
      m_translate(ports.companion, {m_status, m_writer}, m_socket),
      m_follow([this] {
          const frmFollow::Links links{m_translate, m_socket, m_followChoices, m_status};
          return std::make_unique<frmFollow>(links, m_state, m_ports.windows, m_ports.timers, m_ports.pictures,
                                             m_ports.menus, m_ports.views);
      }),
      m_followChoices(ports.settings, kSettingsApp, kSettingsSection, ports.windows, state, m_follow),
      m_hotkey(m_translate, ports.windows, m_status, m_follow),
      m_main([this] {
          return std::make_unique<frmMain>(*this, m_state, MainPorts{m_ports.tray, m_ports.settings, m_ports.menus},
                                           m_location, m_mainWindow);
      }),
      m_settingsForm([this] {
          SettingsPorts ports{m_ports.settings, m_ports.registry, m_ports.profiles, m_ports.files,
                              m_ports.dialogs,  m_ports.commonDialogs, m_ports.pictures, m_ports.shell,
                              m_ports.pointer,  m_ports.stacking};
          return std::make_unique<frmSettings>(
              m_ports.views, ports, m_designerChoices, m_state.ExePath, SkinSubmitAddress(HomeHost()),
              [this] { ShowAbout(); }, [this] { m_settingsForm.Unload(); });
      }),
      m_aboutForm([this] {
          return std::make_unique<frmAbout>(
              m_ports.views,
              AboutPorts{m_ports.registry, m_ports.files, m_ports.shell, m_ports.dialogs, m_ports.info},
              [this] { m_aboutForm.Unload(); });
      }),
      m_serviceForm([this] {
          return std::make_unique<frmService>(
              m_ports.views,
              ServicePorts{m_ports.settings, m_ports.secrets, m_ports.companion, m_ports.dialogs},
              kSettingsApp, kSettingsSection, [this] { m_serviceForm.Unload(); });
      }) {}

Application::~Application() {
    m_serviceForm.Unload();
    m_aboutForm.Unload();
    m_settingsForm.Unload();
    m_main.Unload();
}

frmFollow& Application::FollowForm() {
    return m_follow();
}

frmSocket& Application::SocketForm() {
    return m_socket.Form();
}

OptionsActions Application::OptionsMenuActions() {
    OptionsActions actions;
    actions.setPair = [this](std::size_t row) { m_followChoices.ChoosePair(row); };
    actions.showSettings = [this] { ShowSettings(); };
    actions.showService = [this] { ShowService(); };
    actions.showDesigner = [this] { ShowDesigner(); };
    actions.rebuildSkinList = [this] { BuildSkinMenu(); };
    actions.skinRows = [this] { return m_skins.SkinMenuViews(); };
    actions.chooseSkin = [this](std::size_t row) { ChooseSkin(row); };
    actions.openAddress = [this](const std::string& address) { m_ports.shell.OpenAddress(address); };
    actions.restoreTypedText = [this] { m_writer.RestoreTypedText(); };
    actions.exitProgram = [this] { ExitProgram(); };
    return actions;
}

void Application::SetFocusedText(FocusedText* focused) {
    m_writer.SetFocusedText(focused);
    m_hotkey.SetFocusedText(focused);
}

void Application::ApplySkin(const std::string& skinName) {
    m_skins.ApplySkin(skinName);
}

void Application::ChooseSkin(std::size_t row) {
    if (const std::optional<int> index = m_skins.SlotAtRow(row)) m_skins.ChooseSkin(*index, m_state.CurrentSkinName);
}

void Application::Start(ProgramLocation location, WindowHandle mainWindow) {
    m_location = std::move(location);
    m_mainWindow = mainWindow;
    MainForm();
    m_ports.companion.StartWithProgram();
}

frmMain& Application::MainForm() {
    return m_main();
}

frmSettings& Application::SettingsDialog() {
    return m_settingsForm();
}

// The skin menu lives on frmSocket, which its first touch creates.
void Application::BuildSkinMenu() {
    SocketForm();
    m_skins.BuildSkinMenu(m_state.SkinsPath);
}

frmAbout& Application::AboutForm() {
    return m_aboutForm();
}

void Application::ShowAbout() {
    AboutForm().Show();
}

void Application::ShowSettings() {
    SettingsDialog().ShowSettingsFace();
}

frmService& Application::ServiceDialog() {
    return m_serviceForm();
}

void Application::ShowService() {
    ServiceDialog().Show();
}

void Application::ShowDesigner() {
    SettingsDialog().ShowDesignerFace();
}

void Application::ExitProgram() {
    m_ports.tray.DeleteIcon(m_state.TrayIconData);
    m_ports.companion.EndWithProgram();
    m_ports.exit.EndProcess();
    std::abort();  // not reached: the call does not return, which the compiler cannot see through it
}

}  // namespace quillmar
