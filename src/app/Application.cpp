#include "app/Application.h"

#include <cstdlib>

#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "translate/OptionsMenu.h"
#include "translate/SockModule.h"
#include "translate/frmSocket.h"

namespace quillmar {

Application::Application(ProgramState& state, const ApplicationPorts& ports, std::string serviceHost)
    : m_state(state),
      m_ports(ports),
      m_serviceHost(std::move(serviceHost)),
      m_followMod(ports.windows, state),
      m_follow([this] {
          return std::make_unique<frmFollow>(*this, m_state, m_ports.windows, m_ports.timers,
                                             m_ports.pictures, m_ports.menus, m_ports.views);
      }),
      m_status([this] {
          return std::make_unique<frmStatus>(*this, m_state, m_ports.timers, m_ports.pictures, m_ports.views);
      }),
      m_socket([this] {
          StatusSink& status = *this;
          TranslationOutput& output = *this;
          auto socket =
              std::make_unique<frmSocket>(m_ports.connection, m_ports.timers, m_ports.dialogs, status, output);
          m_sock = std::make_unique<SockModule>(*socket, m_ports.dialogs, m_serviceHost);
          OptionsActions actions;
          actions.setPairLabel = [this](const std::string& caption) { FollowForm().SetLabel1(caption); };
          actions.showSettings = [this] { ShowSettings(); };
          actions.showDesigner = [this] { ShowDesigner(); };
          actions.chooseSkin = [this](const std::string& name) { ChooseSkin(name); };
          actions.openAddress = [this](const std::string& address) { m_ports.shell.OpenAddress(address); };
          actions.exitProgram = [this] { ExitProgram(); };
          m_options = std::make_unique<OptionsMenu>(std::move(actions), HomeHost());
          return socket;
      }),
      m_main([this] {
          return std::make_unique<frmMain>(*this, m_state, MainPorts{m_ports.tray, m_ports.settings, m_ports.menus},
                                           m_location, m_mainWindow);
      }),
      m_settingsForm([this] {
          SettingsPorts ports{m_ports.settings, m_ports.registry, m_ports.profiles, m_ports.files,
                              m_ports.dialogs,  m_ports.commonDialogs, m_ports.pictures, m_ports.shell,
                              m_ports.pointer,  m_ports.stacking};
          return std::make_unique<SettingsForm>(
              m_ports.views, ports, m_designerChoices, m_state.ExePath, SkinSubmitAddress(HomeHost()),
              [this] { ShowAbout(); }, [this] { m_settingsForm.Unload(); });
      }),
      m_aboutForm([this] {
          return std::make_unique<AboutBox>(
              m_ports.views,
              AboutPorts{m_ports.registry, m_ports.files, m_ports.shell, m_ports.dialogs, m_ports.info},
              [this] { m_aboutForm.Unload(); });
      }) {}

Application::~Application() {
    // The translation form reports into the status window and writes through this object: first out.
    m_aboutForm.Unload();
    m_settingsForm.Unload();
    m_main.Unload();
    m_sock.reset();
    m_socket.Unload();
    m_options.reset();
    m_status.Unload();
    m_follow.Unload();
}

frmFollow& Application::FollowForm() {
    return m_follow();
}

frmStatus& Application::StatusForm() {
    return m_status();
}

void Application::UnloadStatusForm() {
    m_status.Unload();
}

frmSocket& Application::SocketForm() {
    return m_socket();
}

SockModule& Application::Sock() {
    SocketForm();
    return *m_sock;
}

OptionsMenu& Application::OptionsMenuOfSocket() {
    SocketForm();
    return *m_options;
}

void Application::RequestTranslation(const std::string& queryText, const std::string& code,
                                     WindowHandle target) {
    Sock().RequestTranslation(queryText, code, target);
}

void Application::ApplySkin(const std::string& /*skinName*/) {}

void Application::ChooseSkin(const std::string& skinName) {
    m_state.CurrentSkinName = skinName;
    // Stored before it is applied, whatever applying makes of it.
    m_ports.settings.SaveSetting(kSettingsApp, kSettingsSection, "CurrentSkin", skinName);
    ApplySkin(skinName);
}

void Application::Start(ProgramLocation location, WindowHandle mainWindow) {
    m_location = std::move(location);
    m_mainWindow = mainWindow;
    MainForm();
}

frmMain& Application::MainForm() {
    return m_main();
}

SettingsForm& Application::SettingsDialog() {
    return m_settingsForm();
}

// The skin list comes with the skins; the menu keeps its "Default Skin" entry.
void Application::BuildSkinMenu() {
    SocketForm();
}

AboutBox& Application::AboutForm() {
    return m_aboutForm();
}

void Application::ShowAbout() {
    AboutForm().Show();
}

void Application::ShowSettings() {
    SettingsDialog().ShowSettingsFace();
}

void Application::ShowDesigner() {
    SettingsDialog().ShowDesignerFace();
}

void Application::ExitProgram() {
    m_ports.tray.DeleteIcon(m_state.TrayIconData);
    m_ports.exit.EndProcess();
    std::abort();  // not reached: the call does not return, which the compiler cannot see through it
}

void Application::SetStatus(const std::string& text) {
    StatusForm().SetLabel1(text);
}

void Application::SetOutcome(RequestOutcome outcome, const std::string& text) {
    StatusForm().SetOutcome(outcome, text);
}

bool Application::WriteTranslation(WindowHandle target, const std::string& text) {
    return m_followMod.WriteWindowText(target, text);
}

}  // namespace quillmar
