#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Twips.h"
#include "forms/Views.h"
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

enum class SettingsFace { Settings, Designer };

// The settings dialog, which the designer item turns into the skin designer. `showAbout` brings up the
// about box; `unload` destroys this form (its owner's slot) and is the last thing a handler calls.
class frmSettings final : public DialogForm {
public:
    enum ControlId {
        kCommand1 = 100,
        kCommand2,
        kCommand3,
        kCheck1,
        kFrame1,
        kFrame2,
        kLabel2,
        kTxtSkinName,
        kCommand4,
        kLabel5,
        kPicture6,
        kPicture5,
        kPicture4,
        kPbTranslate,
        kPbSelector,
        kPbMenu,
        kPicture7,
        kLabel3,
        kPicture8,
        kLabel4,
        kLabel6,
        kPbStatus,
        kPicture10,
        kLabel8,
        kPicture11,
        kLabel9,
        kCommand5,
        kLabel1,
    };
    static constexpr int kClientWidth = 5670;
    static constexpr int kClientHeight = 6420;
    static constexpr int kFrame1Top = 210;
    static constexpr int kFrame2Top = 1395;
    static constexpr int kFrame2Height = 4320;
    static constexpr int kDefaultTextColour = -1;  // the label keeps the system's text colour

    frmSettings(FormViews& views, SettingsPorts ports, DesignerChoices& choices, std::string exePath,
                std::string submitAddress, std::function<void()> showAbout, std::function<void()> unload);

    // Makes the dialog's window and centres it, hidden, for the settings face.
    void Form_Load();
    WindowHandle Hwnd() const { return m_view ? m_view->Handle() : 0; }
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
    TwipsRect Bounds{0, 0, kClientWidth, kClientHeight};  // outer window
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

    // Its window.
    std::string Title() const override { return Caption; }
    int OuterWidth() const override { return Bounds.width; }
    int OuterHeight() const override { return Bounds.height; }
    std::vector<DialogControl> Controls() const override;
    void Click(int id) override;
    void CloseBox() override { Close(); }

private:
    // After any change of the form's state.
    void Repaint();
    void Close();
    void PickImage(Picture& preview, std::string& choice);
    void PickColour(long long& labelColour, std::optional<std::string>& choice);
    void SaveSkinFile();
    void Message(const std::string& text, MessageIcon icon, const std::string& title = kAppTitle);

    FormViews& m_views;
    SettingsPorts m_ports;
    DesignerChoices& m_choices;
    std::string m_exePath;
    std::string m_submitAddress;
    std::function<void()> m_showAbout;
    std::function<void()> m_unload;
    std::unique_ptr<DialogView> m_view;
};

// The page where a user hands in a skin made with the designer.
std::string SkinSubmitAddress(const std::string& homeHost);

// The text a colour is written as: a blank in the sign place, then the decimal number.
std::string ColourText(Colour colour);

}  // namespace quillmar
