#include "app/Application.h"

#include <cstdlib>

#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "forms/Twips.h"
#include "translate/LanguagePairs.h"
#include "translate/OptionsMenu.h"
#include "translate/SockModule.h"
#include "translate/frmSocket.h"

namespace quillmar {

namespace {
constexpr const char* kNothingToRestore = "Nothing to restore";
constexpr const char* kTextHasChanged = "Text has changed !";
constexpr const char* kTypedTextRestored = "Typed text restored";
}  // namespace

Application::Application(ProgramState& state, const ApplicationPorts& ports, std::string serviceHost)
    : m_state(state),
      m_ports(ports),
      m_serviceHost(std::move(serviceHost)),
      m_followMod(ports.windows, state),
      m_skinTargets({[this]() -> frmFollow& { return FollowForm(); }, [this]() -> frmStatus& { return StatusForm(); }}),
      m_skins(ports.files, ports.profiles, ports.pictures, ports.settings, m_skinTargets),
      m_chatPairs(ports.settings, kSettingsApp, kSettingsSection),
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
          actions.setPair = [this](std::size_t row) { ChoosePair(row); };
          actions.showSettings = [this] { ShowSettings(); };
          actions.showDesigner = [this] { ShowDesigner(); };
          actions.rebuildSkinList = [this] { BuildSkinMenu(); };
          actions.skinRows = [this] { return m_skins.SkinMenuViews(); };
          actions.chooseSkin = [this](std::size_t row) { ChooseSkin(row); };
          actions.openAddress = [this](const std::string& address) { m_ports.shell.OpenAddress(address); };
          actions.restoreTypedText = [this] { RestoreTypedText(); };
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
          return std::make_unique<frmSettings>(
              m_ports.views, ports, m_designerChoices, m_state.ExePath, SkinSubmitAddress(HomeHost()),
              [this] { ShowAbout(); }, [this] { m_settingsForm.Unload(); });
      }),
      m_aboutForm([this] {
          return std::make_unique<frmAbout>(
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
                                     const CapturedText& captured) {
    if (captured.control != 0) m_typed[captured.control] = captured.text;
    Sock().RequestTranslation(queryText, code, captured.control);
}

bool Application::FollowsByRule(WindowHandle window, const std::string& title) {
    if (!m_followRules) {
        m_followRules = ParseFollowRules(m_ports.settings.GetSetting(kSettingsApp, kSettingsSection, kFollowRulesSetting, ""));
    }
    return !m_followRules->empty() && MatchesFollowRule(*m_followRules, m_ports.windows, window, title);
}

void Application::TargetCameToFront(const std::string& title) {
    const std::optional<std::string> pair = m_chatPairs.PairFor(title);
    // A stored caption that names no pair (an older or edited store) changes nothing.
    if (!pair) return;
    if (const std::optional<std::size_t> row = LookupPairRow(*pair)) FollowForm().SetPair(*row);
}

void Application::ChoosePair(std::size_t row) {
    FollowForm().SetPair(row);
    if (m_state.TargetHwnd != 0) {
        m_chatPairs.Remember(m_followMod.ReadWindowText(m_state.TargetHwnd), kLanguagePairs.at(row).labelCaption);
    }
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
    const auto typed = m_typed.find(target);
    const std::string typedText = typed == m_typed.end() ? std::string{} : typed->second;
    if (typed != m_typed.end()) m_typed.erase(typed);
    const std::optional<TextRoute> route = m_focusedText ? m_focusedText->RouteOf(target) : std::nullopt;
    const bool written = route ? m_focusedText->Write(target, text, typedText)
                               : m_followMod.ReplaceTypedText(target, text, typedText);
    if (!written) return false;
    // Restoring reads and writes by the edit messages; a control reached another way is not restored.
    if (!typedText.empty() && (!route || *route == TextRoute::EditControl)) {
        m_lastReplacement = Replacement{target, typedText, text};
    } else {
        m_lastReplacement.reset();
    }
    return true;
}

namespace {

// The focused control's capture, remembering where it was so the status window can show beside it.
class RememberedCapture final : public TextCapture {
public:
    explicit RememberedCapture(TextCapture& capture) : m_capture(capture) {}
    CapturedText Capture() override {
        CapturedText captured = m_capture.Capture();
        control = captured.control;
        return captured;
    }
    WindowHandle control = 0;

private:
    TextCapture& m_capture;
};

// The status window under the control the text came from (or the foreground window).
class StatusUnderControl final : public TranslateStatus {
public:
    StatusUnderControl(FollowForms& forms, ForeignWindows& windows, const RememberedCapture& capture)
        : m_forms(forms), m_windows(windows), m_capture(capture) {}
    void ShowNothingToTranslate() override { Place().ShowNothingToTranslate(); }
    void ShowRequestStarting() override { Place().ShowRequestStarting(); }

private:
    StatusWindowAt Place() {
        WindowHandle near = m_capture.control != 0 ? m_capture.control : m_windows.ForegroundWindow();
        const Rect rect = m_windows.WindowRect(near).value_or(Rect{});
        return StatusWindowAt(m_forms, PixelsToTwips(rect.left), PixelsToTwips(rect.bottom));
    }
    FollowForms& m_forms;
    ForeignWindows& m_windows;
    const RememberedCapture& m_capture;
};

}  // namespace

void Application::TranslateFocused() {
    if (m_focusedText == nullptr) return;
    RememberedCapture capture(*m_focusedText);
    StatusUnderControl status(*this, m_ports.windows, capture);
    PairRequest request(*this, kLanguagePairs[FollowForm().Pair()].code);
    RunTranslateAction(capture, status, request);
}

void Application::RestoreTypedText() {
    frmStatus& status = StatusForm();
    status.SetVisible(true);
    if (!m_lastReplacement) {
        status.SetOutcome(RequestOutcome::Rejected, kNothingToRestore);
        return;
    }
    // Anything the user wrote since would be lost.
    if (!m_followMod.HoldsText(m_lastReplacement->control, m_lastReplacement->translation)) {
        status.SetOutcome(RequestOutcome::Rejected, kTextHasChanged);
        return;
    }
    if (!m_followMod.WriteWindowText(m_lastReplacement->control, m_lastReplacement->typed)) {
        status.SetOutcome(RequestOutcome::Error, status::kErrorsOccurred);
        return;
    }
    m_lastReplacement.reset();
    status.SetOutcome(RequestOutcome::Success, kTypedTextRestored);
}

}  // namespace quillmar
