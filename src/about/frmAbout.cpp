#include "about/frmAbout.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace quillmar {
namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

}  // namespace

frmAbout::frmAbout(FormViews& views, AboutPorts ports, std::function<void()> unload)
    : m_views(views), m_ports(ports), m_unload(std::move(unload)) {}

void frmAbout::Form_Load() {
    if (!m_view) m_view = m_views.CreateDialogView(*this);
    const ProgramVersion version = m_ports.info.Version();
    Caption = std::string(" About ") + kAppTitle;
    lblVersion.caption = "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) +
                         "." + std::to_string(version.revision);
    lblTitle.caption = kAppTitle;
    lblDescription.caption = version.description;
    lblDisclaimer.caption = version.copyright;

    const TwipsRect frame = m_view->Frame();
    Width = kClientWidth + frame.width;
    Height = kClientHeight + frame.height;
    const TwipsRect screen = m_view->Screen();
    Left = screen.width / 2 - Width / 2;
    Top = screen.height / 2 - Height / 2;
    m_view->Repaint();
    m_view->Place({Left, Top, Width, Height}, Placing::OnTop);
}

void frmAbout::Show() {
    if (m_view) m_view->Show();
}

std::vector<DialogControl> frmAbout::Controls() const {
    auto at = [](const AboutControl& control) {
        return TwipsRect{control.left, control.top, control.width, control.height};
    };
    using Control = DialogControl;
    // Both lines of Line1 make one etched separator; it spans them.
    const AboutLine& grey = Line1[1];
    const AboutLine& white = Line1[0];
    const int lineLeft = std::min(grey.x1, white.x1);
    const int lineTop = std::min(grey.y1, white.y1);
    const TwipsRect line{lineLeft, lineTop, std::max(grey.x2, white.x2) - lineLeft,
                         std::max(grey.y1, white.y1) - lineTop};
    // cmdOK first: it holds the first tab position.
    return {
        {kOkId, at(cmdOK), Control::Button{cmdOK.caption, true, true}},
        {kSysInfoId, at(cmdSysInfo), Control::Button{cmdSysInfo.caption}},
        {102, at(lblTitle), Control::Label{lblTitle.caption, 135, std::nullopt}},
        {103, at(lblVersion), Control::Label{lblVersion.caption}},
        {104, at(lblDescription), Control::Label{lblDescription.caption}},
        {105, at(lblDisclaimer), Control::Label{lblDisclaimer.caption}},
        {106, at(picIcon), Control::Icon{}},
        {107, line, Control::EtchedLine{}},
    };
}

void frmAbout::Click(int id) {
    if (id == kOkId) {
        cmdOK_Click();  // unloads this box
    } else if (id == kSysInfoId) {
        cmdSysInfo_Click();
    }
}

void frmAbout::cmdOK_Click() {
    if (m_unload) m_unload();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    std::string path;
    std::string location;
    if (GetKeyValue(RegistryRoot::LocalMachine, kSysInfoKey, "PATH", path)) {
        // Started as it stands: this place names the tool itself.
    } else if (GetKeyValue(RegistryRoot::LocalMachine, kSysInfoLocationKey, "MSINFO", location) &&
               m_ports.files.FileExists(location + "\\MSINFO32.EXE")) {
        path = location + "\\MSINFO32.EXE";
    }
    if (!path.empty() && m_ports.shell.StartProgram(path)) return;
    m_ports.dialogs.ShowMessage(kUnavailable, kAppTitle, MessageIcon::None, MessageButtons::Ok);
}

bool frmAbout::GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal) {
    Registry& registry = m_ports.registry;
    std::optional<RegistryKey> key = registry.OpenKey(KeyRoot, KeyName, kKeyAccess);
    // A user without administrator rights may not open a machine key for writing; reading is all
    // this needs, and without this second try the tool would never be found for such a user.
    if (!key) key = registry.OpenKey(KeyRoot, KeyName, kKeyReadAccess);
    if (!key) {
        KeyVal.clear();
        return false;
    }
    const std::optional<RegistryValue> value = registry.QueryValue(*key, SubKeyRef, kValueBufferBytes);
    if (!value) {
        KeyVal.clear();
        registry.CloseKey(*key);
        return false;
    }
    const std::vector<unsigned char>& bytes = value->bytes;
    switch (value->type) {
        case RegistryType::String: {
            std::string text(bytes.begin(), bytes.end());
            if (!text.empty() && text.back() == '\0') text.pop_back();
            KeyVal = text;
            break;
        }
        case RegistryType::Dword: {
            // Little-endian; bytes the value lacks count as zeros.
            std::uint32_t number = 0;
            for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
                number |= std::uint32_t{bytes[i]} << (8 * i);
            KeyVal = std::to_string(static_cast<std::int32_t>(number));
            break;
        }
        default:
            break;
    }
    registry.CloseKey(*key);
    return true;
}

}  // namespace quillmar
