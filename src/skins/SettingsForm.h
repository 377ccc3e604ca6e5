#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Views.h"
#include "skins/frmSettings.h"

namespace quillmar {

// frmSettings on a dialog window from the form core: the window shows the form's face, captions,
// pictures and colours, and its controls reach the form's handlers.
class SettingsForm final : public DialogForm, private SettingsView {
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

    // showAbout: brings up the about box; unload: destroys this form (its owner's slot), called last.
    SettingsForm(FormViews& views, SettingsPorts ports, DesignerChoices& choices, std::string exePath,
                 std::string submitAddress, std::function<void()> showAbout, std::function<void()> unload);

    void Form_Load();
    void ShowSettingsFace();
    void ShowDesignerFace();
    frmSettings& Form() { return *m_settings; }
    WindowHandle Hwnd() const { return m_view ? m_view->Hwnd() : 0; }

    std::string Caption() const override;
    int Width() const override;
    int Height() const override;
    std::vector<DialogControl> Controls() const override;
    void Click(int id) override;
    void CloseBox() override { Close(); }

private:
    WindowHandle Handle() override { return Hwnd(); }
    void Repaint() override;
    void Show() override;
    void Hide() override;
    void Close() override;
    void FocusSkinName() override;
    void ShowAbout() override { m_showAbout(); }

    FormViews& m_views;
    SettingsPorts m_ports;
    DesignerChoices& m_choices;
    std::string m_exePath;
    std::string m_submitAddress;
    std::function<void()> m_showAbout;
    std::function<void()> m_unload;
    std::unique_ptr<DialogView> m_view;
    // Made once the window can tell the screen's size and what its frame adds.
    std::optional<frmSettings> m_settings;
};

// The page where a user hands in a skin made with the designer.
std::string SkinSubmitAddress(const std::string& homeHost);

}  // namespace quillmar
