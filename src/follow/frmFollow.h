#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/ProgramState.h"
#include "follow/FollowMod.h"
#include "follow/ToolbarPlacement.h"
#include "forms/ToolWindowForm.h"
#include "forms/Views.h"
#include "translate/LanguagePairs.h"
#include "platform/ForeignWindows.h"
#include "platform/Menus.h"
#include "platform/Picture.h"
#include "platform/Timers.h"

namespace quillmar {

class OptionsMenuOpener;
class frmStatus;
class StatusWindowSlot;
class TargetWatch;
class Translator;

// The follow toolbar: three picture buttons laid over the title bar of the chat window in front.
class frmFollow final : public ToolWindowForm {
public:
    static constexpr int kHeight = 225;  // twips: 15 pixels
    static constexpr Colour kBackColour = 0x000000FF;
    // The controls a click can land on, as ControlAt names them.
    enum Control { kPicture1 = 1, kPicture2 = 2, kPicture3 = 3, kLabel1 = 11, kLabel2 = 12 };

    // A button: its picture and its place on the toolbar (twips).
    struct Button {
        Picture picture;
        int left = 0;
        int width = 0;
    };

    // What the toolbar calls beyond its own window.
    struct Links {
        Translator& translator;      // the translate button's
        OptionsMenuOpener& options;  // the menu button's
        TargetWatch& targets;        // which windows it follows, and which came to the front
        StatusWindowSlot& status;    // the status window it keeps under itself
    };

    frmFollow(const Links& links, ProgramState& state, ForeignWindows& windows, TimerFactory& timers,
              PictureLoader& pictures, PopupMenus& menus, FormViews& views);
    frmFollow(const frmFollow&) = delete;
    frmFollow& operator=(const frmFollow&) = delete;
    ~frmFollow() override;

    void Form_Load();
    void Timer1_Timer();
    void Picture1_Click();
    void Label2_Click() { Picture1_Click(); }
    void Picture3_Click();


    // What the toolbar's window shows and where a click lands.
    std::string Caption() const override { return "Quillmar toolbar"; }
    Colour BackColour() const override { return kBackColour; }
    std::vector<ToolPicture> Pictures() const override;
    std::vector<ToolLabel> Labels() const override;
    std::optional<int> ControlAt(int x, int y) const override;
    void Click(int control) override;

    const Button& Picture1() const { return m_picture1; }  // translate
    const Button& Picture2() const { return m_picture2; }  // pair selector
    const Button& Picture3() const { return m_picture3; }  // options menu
    void SetButtonPicture(int button, Picture picture);    // 1, 2 or 3; the layout stays as it is

    // The current language pair, a row of kLanguagePairs; the pair label shows its caption.
    std::size_t Pair() const { return m_pair; }
    void SetPair(std::size_t row);  // a row outside the table changes nothing
    std::string Label1() const { return kLanguagePairs[m_pair].labelCaption; }
    const std::string& Label2() const { return m_label2; }  // "TRANSLATE"
    Colour Label1ForeColor() const { return m_label1Colour; }
    Colour Label2ForeColor() const { return m_label2Colour; }
    void SetLabelForeColors(Colour label1, Colour label2);

private:
    // Under the toolbar, its right edge at the menu button's left edge (twips).
    int StatusLeft(const frmStatus& status) const;
    int StatusTop() const { return Top() + Height(); }

    Links m_links;
    ProgramState& m_state;
    ForeignWindows& m_windows;
    PictureLoader& m_pictures;
    PopupMenus& m_menus;
    // Reading a title is a message to another program, mostly wasted ten times a second on a window that
    // stays in front: an unchanged foreground window has its title read, and judged, every few steps.
    static constexpr int kTitleReadEverySteps = 5;
    WindowHandle m_titleOf = 0;
    std::string m_title;
    bool m_titleFollowed = false;
    int m_stepsSinceTitleRead = 0;

    // Where the toolbar went for which window at which rectangle.
    WindowHandle m_placedFor = 0;
    Rect m_placedRect;
    int m_placedWidth = 0;
    TwipsScale m_placedScale;
    ToolbarSpot m_spot;

    FollowMod m_module;
    std::unique_ptr<Timer> m_timer1;

    Button m_picture1;
    Button m_picture2;
    Button m_picture3;
    std::size_t m_pair = kDefaultPairRow;
    std::string m_label2 = "TRANSLATE";
    Colour m_label1Colour = 0x00000000;
    Colour m_label2Colour = 0x00000000;
};

}  // namespace quillmar
