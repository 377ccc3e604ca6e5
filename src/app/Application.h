#pragma once

#include <memory>
#include <string>

#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "follow/FollowForms.h"
#include "follow/FollowMod.h"
#include "forms/Views.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/ForeignWindows.h"
#include "platform/Menus.h"
#include "platform/Picture.h"
#include "platform/Timers.h"
#include "translate/StatusSink.h"

namespace quillmar {

class frmFollow;
class frmStatus;
class frmSocket;
class SockModule;
class OptionsMenu;

// The platform pieces the forms run on; all outlive the application object.
struct ApplicationPorts {
    ForeignWindows& windows;
    PictureLoader& pictures;
    TimerFactory& timers;
    Connection& connection;
    Dialogs& dialogs;
    PopupMenus& menus;
    FormViews& views;
};

// Holds the forms, each created (and its Form_Load run) by its first reference, and the program-wide
// values. Status texts of the translation client go to frmStatus.Label1, translations to the captured
// edit control.
class Application final : public FollowForms, private StatusSink, private TranslationOutput {
public:
    Application(ProgramState& state, const ApplicationPorts& ports, std::string serviceHost);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    frmFollow& FollowForm();
    bool IsFollowLoaded() const { return m_follow.IsLoaded(); }

    frmStatus& StatusForm() override;
    bool IsStatusLoaded() const override { return m_status.IsLoaded(); }
    void UnloadStatusForm() override;

    frmSocket& SocketForm();
    bool IsSocketLoaded() const { return m_socket.IsLoaded(); }
    SockModule& Sock();
    OptionsMenu& OptionsMenuOfSocket() override;

    void RequestTranslation(const std::string& queryText, const std::string& code,
                            WindowHandle target) override;
    // Skins are not part of the program yet: nothing to apply.
    void ApplySkin(const std::string& skinName) override;

    ProgramState& State() { return m_state; }

private:
    void SetStatus(const std::string& text) override;
    bool WriteTranslation(WindowHandle target, const std::string& text) override;

    ProgramState& m_state;
    ApplicationPorts m_ports;
    std::string m_serviceHost;
    FollowMod m_followMod;
    // Created with frmSocket, before its Form_Load.
    std::unique_ptr<SockModule> m_sock;
    std::unique_ptr<OptionsMenu> m_options;
    FormSlot<frmFollow> m_follow;
    FormSlot<frmStatus> m_status;
    FormSlot<frmSocket> m_socket;
};

}  // namespace quillmar
