#include "skins/frmSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "skins/AutoStart.h"
#include "skins/ModINI.h"

namespace quillmar {

namespace {

constexpr const char* kApp = "QUILLMAR";
constexpr const char* kSection = "settings";
constexpr const char* kImageFilter = "Image Files|*.gif;*.jpg;*.bmp|";
constexpr const char* kSkinFilter = "Skin Files *.QSK|*.QSK|";
// What ReadString gives back for a key that is not there; no profile value can hold it.
constexpr const char* kAbsent = "\x01";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int Centred(int screen, int window) { return static_cast<int>(std::nearbyint(screen / 2.0 - window / 2.0)); }

// "name.gif" -> "name2.gif", "name3.gif", ...: the later of two same-named pictures keeps its own file.
std::string NumberedName(const std::string& name, int number) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + std::to_string(number);
    return name.substr(0, dot) + std::to_string(number) + name.substr(dot);
}

struct Place {
    const std::string* path;
    const std::optional<std::string>* colour;  // null for the menu button, which has no label
    const char* message;
    const char* fileKey;
    const char* colourKey;
};

struct Written {
    std::string section, key;
    std::optional<std::string> before;
};

}  // namespace

std::string ColourText(Colour colour) {
    std::string text(1, ' ');
    text += std::to_string(colour);
    return text;
}

frmSettings::frmSettings(SettingsPorts ports, SettingsView& view, DesignerChoices& choices, std::string exePath,
                         int screenWidth, int screenHeight, TwipsRect frame, std::string submitAddress)
    : m_ports(ports), m_view(view), m_choices(choices), m_exePath(std::move(exePath)),
      m_screenWidth(screenWidth), m_screenHeight(screenHeight), m_frame(frame),
      m_submitAddress(std::move(submitAddress)) {}

void frmSettings::Form_Load() {
    Bounds.width = kClientWidth + m_frame.width;
    Bounds.height = kClientHeight + m_frame.height;
    // The design height centres the window, so a window later cut to the designer face keeps this top.
    Bounds.left = Centred(m_screenWidth, Bounds.width);
    Bounds.top = Centred(m_screenHeight, Bounds.height);
    pbMenu = m_ports.pictures.LoadPicture("builtin:menu");
    pbSelector = m_ports.pictures.LoadPicture("builtin:select");
    pbTranslate = m_ports.pictures.LoadPicture("builtin:translate");
    pbStatus = m_ports.pictures.LoadPicture("builtin:status");
    m_view.Repaint();
    m_ports.stacking.SetStacking(m_view.Handle(), Stacking::Topmost);
    if (m_ports.settings.GetSetting(kApp, kSection, "loadwin", "") == "true") Check1Value = 1;
    m_view.Repaint();
}

void frmSettings::ShowSettingsFace() { m_view.Show(); }

void frmSettings::ShowDesignerFace() {
    Frame2Top = kFrame1Top;
    Bounds.height = kFrame2Height + 800;
    Caption = "SKIN DESIGNER";
    Face = SettingsFace::Designer;
    m_view.Repaint();
    m_view.Show();
}

void frmSettings::Command1_Click() {
    const bool on = Check1Value == 1;
    const SystemResult written = SaveRegString(m_ports.registry, RegistryRoot::CurrentUser, kRunKeyPath,
                                               kRunValueName, on ? RunValueFor(m_exePath) : std::string());
    if (written) {
        m_ports.settings.SaveSetting(kApp, kSection, "loadwin", on ? "true" : "false");
        m_view.Close();
        return;
    }
    // The box must not claim a start at logon that Windows will not make: store, and show, what the Run
    // key really holds, and leave the dialog open so the user sees it.
    Message("The start with Windows entry could not be changed: " + written.reason, MessageIcon::Exclamation);
    const bool held = RunValueIsSet(m_ports.registry);
    m_ports.settings.SaveSetting(kApp, kSection, "loadwin", held ? "true" : "false");
    Check1Value = held ? 1 : 0;
    m_view.Repaint();
}

void frmSettings::Command2_Click() { m_view.Close(); }

void frmSettings::Command3_Click() { m_view.ShowAbout(); }

void frmSettings::Command4_Click() {
    Frame2Caption = "Skin Designer [ " + txtSkinName + " ]";
    SkinName = txtSkinName;
    m_view.Repaint();
}

void frmSettings::Picture4_Click() { PickImage(pbMenu, m_choices.DesignMenuFile); }
void frmSettings::Picture5_Click() { PickImage(pbSelector, m_choices.DesignSelectFile); }
void frmSettings::Picture6_Click() { PickImage(pbTranslate, m_choices.DesignTranslateFile); }
void frmSettings::Picture11_Click() { PickImage(pbStatus, m_choices.DesignStatusFile); }
void frmSettings::Picture7_Click() { PickColour(lblSelectorColour, m_choices.DesignSelectCol); }
void frmSettings::Picture8_Click() { PickColour(lblTranslateColour, m_choices.DesignTranslateCol); }
void frmSettings::Picture10_Click() { PickColour(lblStatusColour, m_choices.DesignStatusCol); }

void frmSettings::Label1_Click() { m_ports.shell.OpenAddress(m_submitAddress); }

void frmSettings::PickImage(Picture& preview, std::string& choice) {
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = kImageFilter;
    CommonDialog1.Flags = kFileMustExist;
    if (m_ports.commonDialogs.ShowOpen(CommonDialog1, m_view.Handle()) != DialogOutcome::Chosen) return;
    if (CommonDialog1.FileName.empty()) return;
    Picture picture = m_ports.pictures.LoadPicture(CommonDialog1.FileName);
    if (picture.width == 0) return;
    preview = std::move(picture);
    choice = CommonDialog1.FileName;
    m_view.Repaint();
}

void frmSettings::PickColour(long long& labelColour, std::optional<std::string>& choice) {
    CommonDialog1.Color = labelColour < 0 ? 0 : static_cast<Colour>(labelColour);
    CommonDialog1.CancelError = true;
    if (m_ports.commonDialogs.ShowColor(CommonDialog1, m_view.Handle()) != DialogOutcome::Chosen) return;
    labelColour = CommonDialog1.Color;
    choice = ColourText(CommonDialog1.Color);
    m_view.Repaint();
}

void frmSettings::Command5_Click() {
    m_ports.pointer.SetPointer(m_view.Handle(), PointerShape::Hourglass);
    SaveSkinFile();
    m_ports.pointer.SetPointer(m_view.Handle(), PointerShape::Default);
}

void frmSettings::Message(const std::string& text, MessageIcon icon, const std::string& title) {
    m_ports.dialogs.ShowMessage(text, title, icon, MessageButtons::Ok);
}

void frmSettings::SaveSkinFile() {
    if (SkinName.empty()) {
        Message("You Must Supply A Skin Name", MessageIcon::None);
        m_view.FocusSkinName();
        return;
    }
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = kSkinFilter;
    CommonDialog1.Flags = kCreatePrompt | kOverwritePrompt;
    if (m_ports.commonDialogs.ShowSave(CommonDialog1, m_view.Handle()) != DialogOutcome::Chosen) return;
    const std::string skinPath = CommonDialog1.FileName;
    if (skinPath.empty()) return;
    const std::optional<std::string> folderPath = GetFolderPath(skinPath);
    if (!folderPath) return;
    const std::string& folder = *folderPath;

    const std::array<Place, 4> places{{
        {&m_choices.DesignMenuFile, nullptr, "you must supply a menu button graphic", "menufile", nullptr},
        {&m_choices.DesignSelectFile, &m_choices.DesignSelectCol, "you must supply a selector button graphic",
         "selectfile", "SelectCol"},
        {&m_choices.DesignTranslateFile, &m_choices.DesignTranslateCol,
         "you must supply a translate button graphic", "translateFile", "translateCol"},
        {&m_choices.DesignStatusFile, &m_choices.DesignStatusCol, "you must supply a status button graphic",
         "statusFile", "StatusCol"},
    }};

    // Every check before anything is copied or written, so a missing picture never leaves half a skin.
    std::array<std::string, 4> names;
    std::map<std::string, std::string> sourceOfName;  // lower-case picture name -> lower-case source
    for (std::size_t i = 0; i < places.size(); ++i) {
        const std::optional<std::string> name = GetFileName(*places[i].path);
        if (places[i].path->empty() || !name) {
            Message(places[i].message, MessageIcon::None);
            return;
        }
        std::string chosen = *name;
        for (int number = 2;; ++number) {
            auto it = sourceOfName.find(Lower(chosen));
            if (it == sourceOfName.end() || it->second == Lower(*places[i].path)) break;
            chosen = NumberedName(*name, number);
        }
        sourceOfName.emplace(Lower(chosen), Lower(*places[i].path));
        names[i] = chosen;
    }

    // Copies first: a copy that fails then leaves the skin file untouched, and only the copies this save
    // made have to go again.
    std::vector<std::string> created;
    const auto undoCopies = [&] {
        for (const std::string& path : created) m_ports.files.Remove(path);
    };
    for (std::size_t i = 0; i < places.size(); ++i) {
        const std::string destination = folder + names[i];
        if (Lower(destination) == Lower(*places[i].path)) continue;  // already where it belongs
        if (std::find(created.begin(), created.end(), destination) != created.end()) continue;
        const bool existed = m_ports.files.FileExists(destination);
        const SystemResult copied = m_ports.files.Copy(*places[i].path, destination);
        if (!copied) {
            undoCopies();
            Message("Could not copy " + *places[i].path + " to " + destination + ": " + copied.reason,
                    MessageIcon::Critical);
            return;
        }
        if (!existed) created.push_back(destination);
    }

    const bool skinExisted = m_ports.files.FileExists(skinPath);
    std::vector<Written> written;
    const auto write = [&](const std::string& section, const std::string& key,
                           const std::optional<std::string>& value) {
        std::string before = m_ports.profiles.ReadString(skinPath, section, key, kAbsent, kIniValueBufferChars);
        written.push_back({section, key, before == kAbsent ? std::nullopt : std::optional<std::string>(before)});
        return m_ports.profiles.WriteString(skinPath, section, key, value);
    };
    SystemResult result;
    for (std::size_t i = 0; i < places.size() && result; ++i) {
        result = write("Details", places[i].fileKey, names[i]);
        if (result && places[i].colour) result = write("Details", places[i].colourKey, *places[i].colour);
    }
    if (result) result = write("Skin", "title", SkinName);
    if (!result) {
        if (skinExisted) {
            for (auto it = written.rbegin(); it != written.rend(); ++it)
                m_ports.profiles.WriteString(skinPath, it->section, it->key, it->before);
        } else {
            m_ports.files.Remove(skinPath);
        }
        undoCopies();
        Message("Could not write " + skinPath + ": " + result.reason, MessageIcon::Critical);
        return;
    }

    // A topmost dialog would hide the message box behind it.
    m_ports.stacking.SetStacking(m_view.Handle(), Stacking::NotTopmost);
    Message("Saved Skin [" + SkinName + "] and graphic files to :" + folder, MessageIcon::Information, "DONE !");
    m_ports.stacking.SetStacking(m_view.Handle(), Stacking::Topmost);
}

}  // namespace quillmar
