#include "follow/frmFollow.h"

#include <chrono>

#include "forms/Twips.h"
#include "follow/StatusWindowSlot.h"
#include "follow/TargetWatch.h"
#include "follow/ToolbarPlacement.h"
#include "follow/TranslateAction.h"
#include "follow/frmStatus.h"
#include "translate/LanguagePairs.h"
#include "translate/OptionsMenu.h"

namespace quillmar {

namespace {

struct BuiltinButton {
    const char* source;
    int width;  // pixels; used when the picture cannot be loaded, so the toolbar keeps its layout
    int height;
};
constexpr BuiltinButton kTranslatePicture{"builtin:translate", 71, 15};
constexpr BuiltinButton kSelectPicture{"builtin:select", 153, 15};
constexpr BuiltinButton kMenuPicture{"builtin:menu", 17, 15};

// Where the two captions sit on their buttons, in twips.
constexpr int kPairLabelLeft = 105;
constexpr int kTranslateLabelLeft = 45;
constexpr int kButtonLabelTop = 15;
constexpr int kButtonLabelHeight = 210;  // to the toolbar's bottom edge

Picture LoadButtonPicture(PictureLoader& loader, const BuiltinButton& builtin) {
    Picture picture = loader.LoadPicture(builtin.source);
    if (picture.width <= 0) picture = Picture{builtin.source, builtin.width, builtin.height};
    return picture;
}

bool IsTargetTitle(std::string_view title) {
    return (ContainsNoCase(title, "Send") && ContainsNoCase(title, "Message")) ||
           (ContainsNoCase(title, "Incoming") && ContainsNoCase(title, "Message"));
}

}  // namespace

frmFollow::frmFollow(const Links& links, ProgramState& state, ForeignWindows& windows, TimerFactory& timers,
                     PictureLoader& pictures, PopupMenus& menus, FormViews& views)
    : ToolWindowForm(0, kHeight),
      m_links(links),
      m_state(state),
      m_windows(windows),
      m_pictures(pictures),
      m_menus(menus),
      m_module(windows) {
    m_picture1.picture = LoadButtonPicture(m_pictures, kTranslatePicture);
    m_picture2.picture = LoadButtonPicture(m_pictures, kSelectPicture);
    m_picture3.picture = LoadButtonPicture(m_pictures, kMenuPicture);
    CreateView(views);
    m_timer1 = timers.CreateTimer(std::chrono::milliseconds(100), true, [this] { Timer1_Timer(); });
}

frmFollow::~frmFollow() = default;

void frmFollow::Form_Load() {
    m_picture1.width = PixelsToTwips(m_picture1.picture.width);
    m_picture2.width = PixelsToTwips(m_picture2.picture.width);
    m_picture3.width = PixelsToTwips(m_picture3.picture.width);
    m_picture1.left = 0;
    m_picture2.left = m_picture1.width;
    m_picture3.left = m_picture1.width + m_picture2.width;
    PlaceHidden({Left(), Top(), m_picture1.width + m_picture2.width + m_picture3.width, kHeight});
    Repaint();
}

void frmFollow::Timer1_Timer() {
    const WindowHandle fg = m_windows.ForegroundWindow();
    if (fg != 0 && fg == Hwnd()) {
        if (!m_windows.IsWindowVisible(m_state.TargetHwnd)) SetVisible(false);
        return;
    }
    if (fg != m_titleOf || ++m_stepsSinceTitleRead >= kTitleReadEverySteps) {
        m_titleOf = fg;
        m_stepsSinceTitleRead = 0;
        m_title = m_windows.WindowTitle(fg);
        m_titleFollowed = fg != 0 && (IsTargetTitle(m_title) || m_links.targets.FollowsByRule(fg, m_title));
    }
    const WindowHandle previous = m_state.TargetHwnd;
    m_state.TargetHwnd = 0;
    if (!m_titleFollowed) {
        SetVisible(false);
        return;
    }
    m_state.TargetHwnd = fg;
    if (fg != previous) m_links.targets.TargetCameToFront(m_title);

    if (!Visible()) SetVisible(true);
    // A window that vanished between the two questions has no rectangle; the toolbar stays put.
    const std::optional<Rect> rect = m_windows.WindowRect(fg);
    if (rect) {
        // The window's rectangle and the toolbar's place are screen pixels, at the toolbar's own DPI.
        const TwipsScale scale = Scale();
        // The frame and the monitor are asked again only when the window moved or changed size: the
        // monitor's work area is costly to ask (a registry read under Wine) ten times a second.
        const bool moved = fg != m_placedFor || rect->left != m_placedRect.left || rect->top != m_placedRect.top ||
                           rect->right != m_placedRect.right || rect->bottom != m_placedRect.bottom ||
                           Width() != m_placedWidth || scale != m_placedScale;
        if (moved) {
            const ToolbarTarget target{*rect, m_windows.Frame(fg), m_windows.WorkArea(fg)};
            m_spot = PlaceToolbar(target, scale.ToPixels(Width()), scale.ToPixels(Height()));
            m_placedFor = fg;
            m_placedRect = *rect;
            m_placedWidth = Width();
            m_placedScale = scale;
        }
        PlaceOnTop(scale.ToTwips(m_spot.x), scale.ToTwips(m_spot.y));
    }

    frmStatus& status = m_links.status.Window();
    if (status.Visible()) {
        status.SetVisible(false);
        const int left = StatusLeft(status);
        if (status.Left() != left) status.SetLeft(left);
        if (status.Top() != StatusTop()) status.SetTop(StatusTop());
        status.SetVisible(true);
    }
}

void frmFollow::Picture1_Click() {
    const int statusLeft = Left() + Width() - m_picture3.width - frmStatus::kWidth;
    StatusWindowAt status(m_links.status, statusLeft, StatusTop());
    // Its text could be read, but the translation would be silently dropped on the way back.
    if (m_windows.RunsAboveUs(m_state.TargetHwnd)) {
        status.ShowRunsAsAdministrator();
        return;
    }
    // The toolbar's text: the first edit control with text in the followed window.
    CapturedText captured = m_module.CaptureEditText(m_state.TargetHwnd);
    m_links.translator.Translate(std::move(captured), status, m_pair);
}

void frmFollow::Picture3_Click() {
    OptionsMenu& menu = m_links.options.OpenOptionsMenu();
    menu.mnuOptions_Click();
    const std::optional<std::size_t> chosen = m_menus.TrackPopupMenu(Hwnd(), menu.Views());
    if (chosen) menu.Choose(*chosen);
}

void frmFollow::SetButtonPicture(int button, Picture picture) {
    Button* target = button == 1   ? &m_picture1
                     : button == 2 ? &m_picture2
                     : button == 3 ? &m_picture3
                                   : nullptr;
    if (target == nullptr) return;
    target->picture = std::move(picture);
    Repaint();
}

void frmFollow::SetPair(std::size_t row) {
    if (row >= kLanguagePairs.size()) return;
    m_pair = row;
    Repaint();
}

void frmFollow::SetLabelForeColors(Colour label1, Colour label2) {
    m_label1Colour = label1;
    m_label2Colour = label2;
    Repaint();
}

std::vector<ToolPicture> frmFollow::Pictures() const {
    std::vector<ToolPicture> pictures;
    for (const Button* button : {&m_picture1, &m_picture2, &m_picture3})
        pictures.push_back({button->picture, button->left, 0, button->width, Height()});
    return pictures;
}

std::vector<ToolLabel> frmFollow::Labels() const {
    return {
        {m_label2, m_label2Colour, m_picture1.left + kTranslateLabelLeft, kButtonLabelTop,
         m_picture1.width - 2 * kTranslateLabelLeft, kButtonLabelHeight, ToolLabel::Weight::Bold},
        {Label1(), m_label1Colour, m_picture2.left + kPairLabelLeft, kButtonLabelTop,
         m_picture2.width - 2 * kPairLabelLeft, kButtonLabelHeight, ToolLabel::Weight::Bold},
    };
}

std::optional<int> frmFollow::ControlAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return std::nullopt;
    const ToolLabel label2 = Labels().front();
    if (x >= label2.left && x < label2.left + label2.width && y >= label2.top && y < label2.top + label2.height)
        return kLabel2;
    if (x < m_picture2.left) return kPicture1;
    if (x < m_picture3.left) return kPicture2;
    return kPicture3;
}

void frmFollow::Click(int control) {
    // The pair button and its caption do nothing: pairs are chosen from the options menu.
    switch (control) {
        case kPicture1:
            Picture1_Click();
            break;
        case kLabel2:
            Label2_Click();
            break;
        case kPicture3:
            Picture3_Click();
            break;
        default:
            break;
    }
}

int frmFollow::StatusLeft(const frmStatus& status) const {
    return Left() + Width() - m_picture3.width - status.Width();
}

}  // namespace quillmar
