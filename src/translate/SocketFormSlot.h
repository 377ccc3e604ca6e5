#pragma once

#include <functional>
#include <memory>
#include <string>

#include "forms/FormSlot.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Timers.h"
#include "translate/OptionsMenu.h"
#include "translate/SockModule.h"
#include "translate/TranslationRequest.h"
#include "translate/frmSocket.h"

namespace quillmar {

// frmSocket, created (and its Form_Load run) by its first reference, together with what lives on it: the
// request builder and the options menu. Requests sent here create it too.
class SocketFormSlot final : public OptionsMenuOpener, public RequestSender {
public:
    // actions: what the options menu's items do, asked for when the menu is created.
    SocketFormSlot(Connection& connection, TimerFactory& timers, Dialogs& dialogs,
                   std::function<OptionsActions()> actions, std::string homeHost);
    ~SocketFormSlot() override;
    SocketFormSlot(const SocketFormSlot&) = delete;
    SocketFormSlot& operator=(const SocketFormSlot&) = delete;

    frmSocket& Form() { return m_form(); }
    bool IsLoaded() const { return m_form.IsLoaded(); }
    SockModule& Sock();

    OptionsMenu& OpenOptionsMenu() override;
    void Send(std::unique_ptr<TranslationRequest> request) override;
    void Refuse(std::unique_ptr<TranslationRequest> request, const std::string& why) override;

private:
    std::function<OptionsActions()> m_actions;
    std::string m_homeHost;
    // Created with frmSocket, before its Form_Load.
    std::unique_ptr<SockModule> m_sock;
    std::unique_ptr<OptionsMenu> m_options;
    FormSlot<frmSocket> m_form;
};

}  // namespace quillmar
