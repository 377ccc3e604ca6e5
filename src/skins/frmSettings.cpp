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
constexpr int kFrameLeft1 = 150;
constexpr int kFrameLeft2 = 165;
constexpr Colour kBlue = 0xFF0000;

std::optional<Colour> LabelColour(long long colour) {
    if (colour == frmSettings::kDefaultTextColour) return std::nullopt;
    return static_cast<Colour>(colour);
}

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

std::string SkinSubmitAddress(const std::string& homeHost) {
    return "http://" + homeHost + "/cgi-bin/quillmarskins.cgi#submit";
}

frmSettings::frmSettings(FormViews& views, SettingsPorts ports, DesignerChoices& choices, std::string exePath,
                         std::string submitAddress, std::function<void()> showAbout, std::function<void()> unload)
    : m_views(views), m_ports(ports), m_choices(choices), m_exePath(std::move(exePath)),
      m_submitAddress(std::move(submitAddress)), m_showAbout(std::move(showAbout)), m_unload(std::move(unload)) {}

void frmSettings::Form_Load() {
    if (!m_view) m_view = m_views.CreateDialogView(*this);
    const TwipsRect frame = m_view->Frame();
    const TwipsRect screen = m_view->Screen();
    Bounds.width = kClientWidth + frame.width;
    Bounds.height = kClientHeight + frame.height;
    // The design height centres the window, so a window later cut to the designer face keeps this top.
    Bounds.left = Centred(screen.width, Bounds.width);
    Bounds.top = Centred(screen.height, Bounds.height);
    pbMenu = m_ports.pictures.LoadPicture("builtin:menu");
    pbSelector = m_ports.pictures.LoadPicture("builtin:select");
    pbTranslate = m_ports.pictures.LoadPicture("builtin:translate");
    pbStatus = m_ports.pictures.LoadPicture("builtin:status");
    Repaint();
    m_ports.stacking.SetStacking(Hwnd(), Stacking::Topmost);
    if (m_ports.settings.GetSetting(kApp, kSection, "loadwin", "") == "true") Check1Value = 1;
    Repaint();
}

void frmSettings::Repaint() {
    m_view->Place(Bounds, Placing::InPlace);
    m_view->Repaint();
}

void frmSettings::Close() {
    const std::function<void()> unload = m_unload;  // outlives this form
    unload();
}

void frmSettings::ShowSettingsFace() { m_view->Show(); }

void frmSettings::ShowDesignerFace() {
    Frame2Top = kFrame1Top;
    Bounds.height = kFrame2Height + 800;
    Caption = "SKIN DESIGNER";
    Face = SettingsFace::Designer;
    Repaint();
    m_view->Show();
}

void frmSettings::Command1_Click() {
    const bool on = Check1Value == 1;
    const SystemResult written = SaveRegString(m_ports.registry, RegistryRoot::CurrentUser, kRunKeyPath,
                                               kRunValueName, on ? RunValueFor(m_exePath) : std::string());
    if (written) {
        m_ports.settings.SaveSetting(kApp, kSection, "loadwin", on ? "true" : "false");
        Close();
        return;
    }
    // The box must not claim a start at logon that Windows will not make: store, and show, what the Run
    // key really holds, and leave the dialog open so the user sees it.
    Message("The start with Windows entry could not be changed: " + written.reason, MessageIcon::Exclamation);
    const bool held = RunValueIsSet(m_ports.registry);
    m_ports.settings.SaveSetting(kApp, kSection, "loadwin", held ? "true" : "false");
    Check1Value = held ? 1 : 0;
    Repaint();
}

void frmSettings::Command2_Click() { Close(); }

void frmSettings::Command3_Click() { m_showAbout(); }

void frmSettings::Command4_Click() {
    Frame2Caption = "Skin Designer [ " + txtSkinName + " ]";
    SkinName = txtSkinName;
    Repaint();
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
    if (m_ports.commonDialogs.ShowOpen(CommonDialog1, Hwnd()) != DialogOutcome::Chosen) return;
    if (CommonDialog1.FileName.empty()) return;
    Picture picture = m_ports.pictures.LoadPicture(CommonDialog1.FileName);
    if (picture.width == 0) return;
    preview = std::move(picture);
    choice = CommonDialog1.FileName;
    Repaint();
}

void frmSettings::PickColour(long long& labelColour, std::optional<std::string>& choice) {
    CommonDialog1.Color = labelColour < 0 ? 0 : static_cast<Colour>(labelColour);
    CommonDialog1.CancelError = true;
    if (m_ports.commonDialogs.ShowColor(CommonDialog1, Hwnd()) != DialogOutcome::Chosen) return;
    labelColour = CommonDialog1.Color;
    choice = ColourText(CommonDialog1.Color);
    Repaint();
}

void frmSettings::Command5_Click() {
    m_ports.pointer.SetPointer(Hwnd(), PointerShape::Hourglass);
    SaveSkinFile();
    m_ports.pointer.SetPointer(Hwnd(), PointerShape::Default);
}

void frmSettings::Message(const std::string& text, MessageIcon icon, const std::string& title) {
    m_ports.dialogs.ShowMessage(text, title, icon, MessageButtons::Ok);
}

void frmSettings::SaveSkinFile() {
    if (SkinName.empty()) {
        Message("You Must Supply A Skin Name", MessageIcon::None);
        m_view->Focus(kTxtSkinName);
        return;
    }
    CommonDialog1.CancelError = true;
    CommonDialog1.Filter = kSkinFilter;
    CommonDialog1.Flags = kCreatePrompt | kOverwritePrompt;
    if (m_ports.commonDialogs.ShowSave(CommonDialog1, Hwnd()) != DialogOutcome::Chosen) return;
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
    m_ports.stacking.SetStacking(Hwnd(), Stacking::NotTopmost);
    Message("Saved Skin [" + SkinName + "] and graphic files to :" + folder, MessageIcon::Information, "DONE !");
    m_ports.stacking.SetStacking(Hwnd(), Stacking::Topmost);
}

std::vector<DialogControl> frmSettings::Controls() const {
    using Control = DialogControl;
    // Frame2's controls are placed in it; it moves up as a whole in the designer face.
    auto inFrame2 = [&](int id, Control::Kind kind, int left, int top, int width, int height) {
        return Control{id, {kFrameLeft2 + left, Frame2Top + top, width, height}, std::move(kind)};
    };
    auto label = [&](int id, const char* caption, int left, int top, int width, int height) {
        return inFrame2(id, Control::Label{caption}, left, top, width, height);
    };
    auto picker = [&](int id, const char* tip, int left, int top, int width, int height, const char* picture) {
        return inFrame2(id, Control::Picture{picture, std::nullopt, tip}, left, top, width, height);
    };
    auto preview = [&](int id, const char* tip, int left, int top, int width, int height, const Picture& picture,
                       std::optional<Control::Picture::Caption> caption) {
        return inFrame2(id, Control::Picture{picture.source, std::move(caption), tip}, left, top, width, height);
    };
    using Caption = Control::Picture::Caption;

    // The option group and the buttons are out of sight, and out of reach, in the designer face: the
    // window is cut short above the buttons, and Frame2 lies over Frame1.
    const bool settingsFace = Face == SettingsFace::Settings;
    std::vector<DialogControl> controls{
        {kCommand1, {135, 5940, 1275, 330}, Control::Button{"OK"}, settingsFace},  // the first tab position
        {kCommand2, {2745, 5955, 1275, 330}, Control::Button{"CANCEL"}, settingsFace},
        {kCommand3, {4260, 5955, 1275, 330}, Control::Button{"ABOUT"}, settingsFace},
        {kCheck1,
         {kFrameLeft1 + 330, kFrame1Top + 420, 4620, 330},
         Control::CheckBox{"Run quillmar automatically when windows starts", Check1Value == 1},
         settingsFace},
        inFrame2(kTxtSkinName, Control::TextBox{txtSkinName}, 1665, 420, 2265, 315),
        inFrame2(kCommand4, Control::Button{"Set"}, 4155, 390, 1065, 330),
        inFrame2(kCommand5, Control::Button{"Save Skin File"}, 210, 3330, 2385, 330),
        label(kLabel2, "Skin Name :", 225, 465, 870, 195),
        label(kLabel5, "Main screen skin configuration :", 225, 1140, 2250, 195),
        picker(kPicture6, "Choose Translate button Image", 1365, 1620, 285, 255, "builtin:folder"),
        picker(kPicture5, "Choose Selector button Image", 4125, 1620, 285, 255, "builtin:folder"),
        picker(kPicture4, "Choose menu button Image", 4935, 1620, 285, 255, "builtin:folder"),
        preview(kPbTranslate, "Translate Button", 210, 1650, 1065, 225, pbTranslate,
                Caption{"TRANSLATE", 45, 15, LabelColour(lblTranslateColour)}),
        preview(kPbSelector, "Language Selector button", 1755, 1650, 2295, 225, pbSelector,
                Caption{"LANGUAGE SELECTOR", 90, 15, LabelColour(lblSelectorColour)}),
        preview(kPbMenu, "menu button", 4575, 1650, 255, 225, pbMenu, std::nullopt),
        picker(kPicture7, "Choose Language Selector Color", 3825, 2025, 255, 240, "builtin:palette"),
        label(kLabel3, "Choose Selector Color", 1830, 2055, 1575, 195),
        picker(kPicture8, "Choose Translate Color", 1380, 2040, 255, 240, "builtin:palette"),
        label(kLabel4, "Translate Color", 210, 2085, 1065, 195),
        label(kLabel6, "Status screen skin configuration :", 225, 2805, 2355, 195),
        preview(kPbStatus, "", 3390, 2760, 1845, 375, pbStatus,
                Caption{"Status screen", 180, 90, LabelColour(lblStatusColour)}),
        picker(kPicture10, "Choose Status Color", 4980, 3390, 255, 240, "builtin:palette"),
        label(kLabel8, "Choose Status Color", 3360, 3420, 1440, 195),
        picker(kPicture11, "Choose status  Image", 4980, 3735, 285, 255, "builtin:folder"),
        label(kLabel9, "Choose Status Image", 3375, 3750, 1515, 195),
        inFrame2(kLabel1, Control::Label{"Submit Your Skin", std::nullopt, kBlue}, 240, 3870, 1215, 195),
        // Frames last, at the bottom of the stacking order, so their controls are seen; Frame2 above Frame1.
        inFrame2(kFrame2, Control::Frame{Frame2Caption}, 0, 0, 5385, kFrame2Height),
        {kFrame1, {kFrameLeft1, kFrame1Top, 5385, 1050}, Control::Frame{"Main Settings"}, settingsFace},
    };
    return controls;
}

void frmSettings::Click(int id) {
    // The box and the name are the user's until a handler reads them.
    txtSkinName = m_view->ControlText(kTxtSkinName);
    switch (id) {
        case kCheck1: Check1Value = m_view->IsChecked(kCheck1) ? 1 : 0; break;
        case kCommand1: Command1_Click(); break;  // may unload this form
        case kCommand2: Command2_Click(); break;
        case kCommand3: Command3_Click(); break;
        case kCommand4: Command4_Click(); break;
        case kCommand5: Command5_Click(); break;
        case kPicture4: Picture4_Click(); break;
        case kPicture5: Picture5_Click(); break;
        case kPicture6: Picture6_Click(); break;
        case kPicture11: Picture11_Click(); break;
        case kPicture7: Picture7_Click(); break;
        case kPicture8: Picture8_Click(); break;
        case kPicture10: Picture10_Click(); break;
        case kLabel1: Label1_Click(); break;
        default: break;
    }
}

}  // namespace quillmar
