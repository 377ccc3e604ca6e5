#include "skins/SettingsForm.h"

#include <utility>

#include "forms/Twips.h"

namespace quillmar {

namespace {

constexpr int kFrameLeft1 = 150;
constexpr int kFrameLeft2 = 165;
constexpr long long kBlue = 0xFF0000;  // red + 256 * green + 65536 * blue

}  // namespace

std::string SkinSubmitAddress(const std::string& homeHost) {
    return "http://" + homeHost + "/cgi-bin/quillmarskins.cgi#submit";
}

SettingsForm::SettingsForm(FormViews& views, SettingsPorts ports, DesignerChoices& choices, std::string exePath,
                           std::string submitAddress, std::function<void()> showAbout, std::function<void()> unload)
    : m_views(views), m_ports(ports), m_choices(choices), m_exePath(std::move(exePath)),
      m_submitAddress(std::move(submitAddress)), m_showAbout(std::move(showAbout)), m_unload(std::move(unload)) {}

void SettingsForm::Form_Load() {
    m_view = m_views.CreateDialogView(*this);
    const DialogView::Size screen = m_view->ScreenPixels();
    const DialogView::Size frame = m_view->FramePixels();
    m_settings.emplace(m_ports, static_cast<SettingsView&>(*this), m_choices, m_exePath, PixelsToTwips(screen.width),
                       PixelsToTwips(screen.height),
                       TwipsRect{0, 0, PixelsToTwips(frame.width), PixelsToTwips(frame.height)}, m_submitAddress);
    m_settings->Form_Load();
}

void SettingsForm::ShowSettingsFace() { m_settings->ShowSettingsFace(); }

void SettingsForm::ShowDesignerFace() { m_settings->ShowDesignerFace(); }

std::string SettingsForm::Caption() const { return m_settings ? m_settings->Caption : "QUILLMAR SETTINGS"; }

int SettingsForm::Width() const { return m_settings ? m_settings->Bounds.width : frmSettings::kClientWidth; }

int SettingsForm::Height() const { return m_settings ? m_settings->Bounds.height : frmSettings::kClientHeight; }

std::vector<DialogControl> SettingsForm::Controls() const {
    if (!m_settings) return {};
    const frmSettings& form = *m_settings;
    using Kind = DialogControl::Kind;
    auto at = [](Kind kind, int id, std::string caption, int left, int top, int width, int height) {
        DialogControl control;
        control.kind = kind;
        control.id = id;
        control.caption = std::move(caption);
        control.left = left;
        control.top = top;
        control.width = width;
        control.height = height;
        return control;
    };
    // Frame2's controls are placed in it; it moves up as a whole in the designer face.
    const int x2 = kFrameLeft2;
    const int y2 = form.Frame2Top;
    auto inFrame2 = [&](Kind kind, int id, std::string caption, int left, int top, int width, int height) {
        return at(kind, id, std::move(caption), x2 + left, y2 + top, width, height);
    };
    auto picker = [&](int id, const char* tip, int left, int top, int width, int height, const char* picture) {
        DialogControl control = inFrame2(Kind::Picture, id, "", left, top, width, height);
        control.pictureSource = picture;
        control.toolTip = tip;
        return control;
    };
    auto preview = [&](int id, const char* tip, int left, int top, int width, int height, const Picture& picture,
                       std::string label, int labelLeft, int labelTop, long long colour) {
        DialogControl control = inFrame2(Kind::Picture, id, std::move(label), left, top, width, height);
        control.pictureSource = picture.source;
        control.toolTip = tip;
        control.captionLeft = labelLeft;
        control.captionTop = labelTop;
        control.textColour = colour;
        return control;
    };

    // The option group and the buttons are out of sight, and out of reach, in the designer face: the
    // window is cut short above the buttons, and Frame2 lies over Frame1.
    const bool settingsFace = form.Face == SettingsFace::Settings;
    std::vector<DialogControl> controls{
        at(Kind::Button, kCommand1, "OK", 135, 5940, 1275, 330),  // the first tab position
        at(Kind::Button, kCommand2, "CANCEL", 2745, 5955, 1275, 330),
        at(Kind::Button, kCommand3, "ABOUT", 4260, 5955, 1275, 330),
        at(Kind::CheckBox, kCheck1, "Run quillmar automatically when windows starts", kFrameLeft1 + 330,
           frmSettings::kFrame1Top + 420, 4620, 330),
    };
    for (DialogControl& control : controls) control.visible = settingsFace;
    controls[3].checked = form.Check1Value == 1;

    DialogControl name = inFrame2(Kind::TextBox, kTxtSkinName, form.txtSkinName, 1665, 420, 2265, 315);
    DialogControl submit = inFrame2(Kind::Label, kLabel1, "Submit Your Skin", 240, 3870, 1215, 195);
    submit.textColour = kBlue;
    const std::vector<DialogControl> designer{
        name,
        inFrame2(Kind::Button, kCommand4, "Set", 4155, 390, 1065, 330),
        inFrame2(Kind::Button, kCommand5, "Save Skin File", 210, 3330, 2385, 330),
        inFrame2(Kind::Label, kLabel2, "Skin Name :", 225, 465, 870, 195),
        inFrame2(Kind::Label, kLabel5, "Main screen skin configuration :", 225, 1140, 2250, 195),
        picker(kPicture6, "Choose Translate button Image", 1365, 1620, 285, 255, "builtin:folder"),
        picker(kPicture5, "Choose Selector button Image", 4125, 1620, 285, 255, "builtin:folder"),
        picker(kPicture4, "Choose menu button Image", 4935, 1620, 285, 255, "builtin:folder"),
        preview(kPbTranslate, "Translate Button", 210, 1650, 1065, 225, form.pbTranslate, "TRANSLATE", 45, 15,
                form.lblTranslateColour),
        preview(kPbSelector, "Language Selector button", 1755, 1650, 2295, 225, form.pbSelector,
                "LANGUAGE SELECTOR", 90, 15, form.lblSelectorColour),
        preview(kPbMenu, "menu button", 4575, 1650, 255, 225, form.pbMenu, "", 0, 0, -1),
        picker(kPicture7, "Choose Language Selector Color", 3825, 2025, 255, 240, "builtin:palette"),
        inFrame2(Kind::Label, kLabel3, "Choose Selector Color", 1830, 2055, 1575, 195),
        picker(kPicture8, "Choose Translate Color", 1380, 2040, 255, 240, "builtin:palette"),
        inFrame2(Kind::Label, kLabel4, "Translate Color", 210, 2085, 1065, 195),
        inFrame2(Kind::Label, kLabel6, "Status screen skin configuration :", 225, 2805, 2355, 195),
        preview(kPbStatus, "", 3390, 2760, 1845, 375, form.pbStatus, "Status screen", 180, 90,
                form.lblStatusColour),
        picker(kPicture10, "Choose Status Color", 4980, 3390, 255, 240, "builtin:palette"),
        inFrame2(Kind::Label, kLabel8, "Choose Status Color", 3360, 3420, 1440, 195),
        picker(kPicture11, "Choose status  Image", 4980, 3735, 285, 255, "builtin:folder"),
        inFrame2(Kind::Label, kLabel9, "Choose Status Image", 3375, 3750, 1515, 195),
        submit,
    };
    controls.insert(controls.end(), designer.begin(), designer.end());

    // Frames last, at the bottom of the stacking order, so their controls are seen; Frame2 above Frame1.
    controls.push_back(inFrame2(Kind::Frame, kFrame2, form.Frame2Caption, 0, 0, 5385, frmSettings::kFrame2Height));
    DialogControl frame1 =
        at(Kind::Frame, kFrame1, "Main Settings", kFrameLeft1, frmSettings::kFrame1Top, 5385, 1050);
    frame1.visible = settingsFace;
    controls.push_back(frame1);
    return controls;
}

void SettingsForm::Click(int id) {
    frmSettings& form = *m_settings;
    // The box and the name are the user's until a handler reads them.
    form.txtSkinName = m_view->ControlText(kTxtSkinName);
    switch (id) {
        case kCheck1: form.Check1Value = m_view->IsChecked(kCheck1) ? 1 : 0; break;
        case kCommand1: form.Command1_Click(); break;  // may unload this form
        case kCommand2: form.Command2_Click(); break;
        case kCommand3: form.Command3_Click(); break;
        case kCommand4: form.Command4_Click(); break;
        case kCommand5: form.Command5_Click(); break;
        case kPicture4: form.Picture4_Click(); break;
        case kPicture5: form.Picture5_Click(); break;
        case kPicture6: form.Picture6_Click(); break;
        case kPicture11: form.Picture11_Click(); break;
        case kPicture7: form.Picture7_Click(); break;
        case kPicture8: form.Picture8_Click(); break;
        case kPicture10: form.Picture10_Click(); break;
        case kLabel1: form.Label1_Click(); break;
        default: break;
    }
}

void SettingsForm::Repaint() {
    if (!m_view || !m_settings) return;
    const TwipsRect& bounds = m_settings->Bounds;
    m_view->Place(TwipsToPixels(bounds.left), TwipsToPixels(bounds.top), TwipsToPixels(bounds.width),
                  TwipsToPixels(bounds.height));
    m_view->Repaint();
}

void SettingsForm::Show() {
    if (m_view) m_view->Show();
}

void SettingsForm::Hide() {
    if (m_view) m_view->Hide();
}

void SettingsForm::Close() {
    const std::function<void()> unload = m_unload;  // outlives this form
    unload();
}

void SettingsForm::FocusSkinName() {
    if (m_view) m_view->Focus(kTxtSkinName);
}

}  // namespace quillmar
