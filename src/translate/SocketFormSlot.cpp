#include "translate/SocketFormSlot.h"

#include <utility>

namespace quillmar {

SocketFormSlot::SocketFormSlot(Connection& connection, TimerFactory& timers, Dialogs& dialogs,
                               std::function<OptionsActions()> actions, std::string homeHost)
    : m_actions(std::move(actions)),
      m_homeHost(std::move(homeHost)),
      m_form([this, &connection, &timers, &dialogs] {
          auto form = std::make_unique<frmSocket>(connection, timers, dialogs);
          m_sock = std::make_unique<SockModule>(*form, dialogs);
          m_options = std::make_unique<OptionsMenu>(m_actions(), m_homeHost);
          return form;
      }) {}

SocketFormSlot::~SocketFormSlot() {
    // The module refers to the form; the form closes a request in flight.
    m_sock.reset();
    m_form.Unload();
    m_options.reset();
}

SockModule& SocketFormSlot::Sock() {
    Form();
    return *m_sock;
}

OptionsMenu& SocketFormSlot::OpenOptionsMenu() {
    Form();
    return *m_options;
}

void SocketFormSlot::Send(std::unique_ptr<TranslationRequest> request) {
    Sock().RequestTranslation(std::move(request));
}

void SocketFormSlot::Refuse(std::unique_ptr<TranslationRequest> request, const std::string& why) {
    Sock().Refuse(std::move(request), why);
}

}  // namespace quillmar
