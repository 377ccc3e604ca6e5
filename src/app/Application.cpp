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
      m_followMod(ports.windows, state) {}

Application::~Application() {
    // The translation form reports into the status window and writes through this object: first out.
    m_sock.reset();
    m_socket.reset();
    m_options.reset();
    m_status.reset();
    m_follow.reset();
}

frmFollow& Application::FollowForm() {
    if (!m_follow) {
        m_follow = std::make_unique<frmFollow>(*this, m_state, m_ports.windows, m_ports.timers,
                                               m_ports.pictures, m_ports.menus, m_ports.views);
        m_follow->Form_Load();
    }
    return *m_follow;
}

frmStatus& Application::StatusForm() {
    if (!m_status) {
        m_status =
            std::make_unique<frmStatus>(*this, m_state, m_ports.timers, m_ports.pictures, m_ports.views);
        m_status->Form_Load();
    }
    return *m_status;
}

void Application::UnloadStatusForm() {
    m_status.reset();
}

frmSocket& Application::SocketForm() {
    if (!m_socket) {
        StatusSink& status = *this;
        TranslationOutput& output = *this;
        m_socket =
            std::make_unique<frmSocket>(m_ports.connection, m_ports.timers, m_ports.dialogs, status, output);
        m_sock = std::make_unique<SockModule>(*m_socket, m_ports.dialogs, m_serviceHost);
        m_options = std::make_unique<OptionsMenu>(
            [this](const std::string& caption) { FollowForm().SetLabel1(caption); });
        m_socket->Form_Load();
    }
    return *m_socket;
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
