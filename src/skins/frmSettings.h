#pragma once

#include <optional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Picture.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/WindowHandle.h"

namespace quillmar {

// The designer's seven choices. They outlive the dialog: set only by the pickers, kept when it closes.
// An unpicked colour holds no value at all, which the save hands on as "remove the key".
struct DesignerChoices {
    std::string DesignMenuFile;
    std::string DesignSelectFile;
    std::string DesignTranslateFile;
    std::string DesignStatusFile;
    std::optional<std::string> DesignSelectCol;
    std::optional<std::string> DesignTranslateCol;
    std::optional<std::string> DesignStatusCol;
};

// What the dialog needs from the program around it.
struct SettingsPorts {
    SettingsStore& settings;
    Registry& registry;
    ProfileFiles& profiles;
    FileSystem& files;
    Dialogs& dialogs;
    CommonDialogs& commonDialogs;
    PictureLoader& pictures;
    Shell& shell;
    MousePointer& pointer;
    WindowStacking& stacking;
};

// The window drawing the dialog. Repaint after any change of the form's state; Close discards the form.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    virtual WindowHandle Handle() = 0;
    virtual void Repaint() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Close() = 0;
    virtual void FocusSkinName() = 0;
    virtual void ShowAbout() = 0;
};

// Geometry in twips.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

enum class SettingsFace { Settings, Designer };

class frmSettings {
public:
    static constexpr int kClientWidth = 5670;
    static constexpr int kClientHeight = 6420;
    static constexpr int kFrame1Top = 210;
    static constexpr int kFrame2Top = 1395;
    static constexpr int kFrame2Height = 4320;
    static constexpr int kDefaultTextColour = -1;  // the label keeps the system's text colour

    // `frame` is what the border and title bar add to the client area, in twips.
    frmSettings(SettingsPorts ports, SettingsView& view, DesignerChoices& choices, std::string exePath,
                int screenWidth, int screenHeight, TwipsRect frame, std::string submitAddress);

    void Form_Load();
    // The openers: the settings item shows the dialog as it is; the designer item turns it into the
    // designer face in place. There is no way back short of closing it.
    void ShowSettingsFace();
    void ShowDesignerFace();

    void Command1_Click();  // OK
    void Command2_Click();  // CANCEL
    void Command3_Click();  // ABOUT
    void Command4_Click();  // Set
    void Command5_Click();  // Save Skin File
    void Picture4_Click();
    void Picture5_Click();
    void Picture6_Click();
    void Picture11_Click();
    void Picture7_Click();
    void Picture8_Click();
    void Picture10_Click();
    void Label1_Click();

    // Window state the view draws.
    std::string Caption = "QUILLMAR SETTINGS";
    SettingsFace Face = SettingsFace::Settings;
    TwipsRect Bounds;  // outer window
    int Frame2Top = kFrame2Top;
    int Check1Value = 0;
    std::string txtSkinName;
    std::string Frame2Caption = "Skin Designer ";
    std::string SkinName;
    Picture pbMenu, pbSelector, pbTranslate, pbStatus;
    long long lblSelectorColour = kDefaultTextColour;
    long long lblTranslateColour = kDefaultTextColour;
    long long lblStatusColour = kDefaultTextColour;
    CommonDialogState CommonDialog1;

private:
    void PickImage(Picture& preview, std::string& choice);
    void PickColour(long long& labelColour, std::optional<std::string>& choice);
    void SaveSkinFile();
    void Message(const std::string& text, MessageIcon icon, const std::string& title = kAppTitle);

    SettingsPorts m_ports;
    SettingsView& m_view;
    DesignerChoices& m_choices;
    std::string m_exePath;
    int m_screenWidth;
    int m_screenHeight;
    TwipsRect m_frame;
    std::string m_submitAddress;
};

// The text a colour is written as: a blank in the sign place, then the decimal number.
std::string ColourText(Colour colour);

}  // namespace quillmar
