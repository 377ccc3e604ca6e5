#include "app/Application.h"

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
          m_options = std::make_unique<OptionsMenu>(
              [this](const std::string& caption) { FollowForm().SetLabel1(caption); });
          return socket;
      }) {}

Application::~Application() {
    // The translation form reports into the status window and writes through this object: first out.
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

void Application::SetStatus(const std::string& text) {
    StatusForm().SetLabel1(text);
}

bool Application::WriteTranslation(WindowHandle target, const std::string& text) {
    return m_followMod.WriteWindowText(target, text);
}

}  // namespace quillmar
