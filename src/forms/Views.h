#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "forms/Twips.h"
#include "platform/Picture.h"
#include "platform/WindowHandle.h"

namespace quillmar {

// Passive views: a form changes its state, then tells its view, which shows that state on the platform.
// What a form tells its view and reads back is in twips; only the platform's view works in pixels.

// How a window goes to the place it is given. It is never activated.
enum class Placing {
    // Where it is in the stacking order. A tool window is shown or hidden as its form says, once the
    // handler that changed the form returns; a dialog keeps its visibility.
    InPlace,
    // At once, shown, at the top of the topmost band.
    OnTop,
};

class FormView {
public:
    virtual ~FormView() = default;
    virtual WindowHandle Handle() const = 0;
    // The window's outer rectangle on the screen.
    virtual void Place(const TwipsRect& bounds, Placing how) = 0;
    // Captions, colours or pictures changed: repaint.
    virtual void Repaint() = 0;
    // Twips to the window's pixels, at the DPI of the monitor it is on.
    virtual TwipsScale Scale() const { return {}; }
};

// A picture of a tool window, placed in client twips; the window cuts it to this rectangle, so a
// picture larger than its place never spills over its neighbours.
struct ToolPicture {
    Picture picture;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A label of a tool window: only its text is drawn, over the pictures, cut to its rectangle (twips).
struct ToolLabel {
    enum class Weight { Normal, Bold };
    std::string caption;
    Colour colour = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    Weight weight = Weight::Normal;
};

// What a tool window (one that never takes the focus) reads from its form and tells it. The form owns
// the geometry: the window draws what it is told and reports clicks by control.
class ToolForm {
public:
    virtual ~ToolForm() = default;
    virtual std::string Caption() const = 0;
    virtual bool Visible() const = 0;
    virtual Colour BackColour() const = 0;
    // Drawn in this order over the back colour, then the labels over them.
    virtual std::vector<ToolPicture> Pictures() const = 0;
    virtual std::vector<ToolLabel> Labels() const = 0;
    // The control under client point x, y (twips), if it takes clicks.
    virtual std::optional<int> ControlAt(int x, int y) const = 0;
    // A click on that control; the form may be destroyed before this returns.
    virtual void Click(int control) = 0;
};

// The kinds of a dialog's child controls, each with only what it has.
namespace dialog {

struct Button {
    std::string caption;
    bool isDefault = false;  // Enter clicks it
    bool isCancel = false;   // Esc clicks it
    bool operator==(const Button&) const = default;
};

struct Label {
    std::string caption;
    std::optional<int> fontTenthsOfPoint{};  // else the dialog's font
    std::optional<Colour> textColour{};      // else the system's text colour
    bool operator==(const Label&) const = default;
};

// The program icon, at its own size.
struct Icon {
    bool operator==(const Icon&) const = default;
};

// A picture cut to the control's rectangle; it reports clicks.
struct Picture {
    // Drawn over the picture, transparent, at left/top of the control (twips).
    struct Caption {
        std::string text;
        int left = 0;
        int top = 0;
        std::optional<Colour> colour{};  // else the system's text colour
        bool operator==(const Caption&) const = default;
    };
    std::string source;
    std::optional<Caption> caption{};
    std::string toolTip{};
    bool operator==(const Picture&) const = default;
};

struct EtchedLine {
    bool operator==(const EtchedLine&) const = default;
};

struct CheckBox {
    std::string caption;
    bool checked = false;
    bool operator==(const CheckBox&) const = default;
};

struct Frame {
    std::string caption;
    bool operator==(const Frame&) const = default;
};

// What the user types is the box's own: `text` is only what it starts with. A masked box shows a dot
// for each character (keys).
struct TextBox {
    std::string text;
    bool masked = false;
    bool operator==(const TextBox&) const = default;
};

// A list to pick one item from. The choice is the user's: `selected` is only what it starts with.
struct DropDown {
    std::vector<std::string> items;
    int selected = 0;
    bool operator==(const DropDown&) const = default;
};

}  // namespace dialog

// A child control of a dialog, placed in client twips. Clicks come back to the form by `id`.
struct DialogControl {
    using Button = dialog::Button;
    using Label = dialog::Label;
    using Icon = dialog::Icon;
    using Picture = dialog::Picture;
    using EtchedLine = dialog::EtchedLine;
    using CheckBox = dialog::CheckBox;
    using Frame = dialog::Frame;
    using TextBox = dialog::TextBox;
    using DropDown = dialog::DropDown;
    using Kind = std::variant<Button, Label, Icon, Picture, EtchedLine, CheckBox, Frame, TextBox, DropDown>;

    int id = 0;  // 100 and up: 1 and 2 are the dialog's own Enter and Esc commands
    TwipsRect bounds;
    Kind kind;
    bool visible = true;
};

// What a dialog window reads from its form and tells it: a window that takes the focus, with a caption,
// child controls and a close box.
class DialogForm {
public:
    virtual ~DialogForm() = default;
    virtual std::string Title() const = 0;
    // In tab order, the top of the stacking order first; read when the window is made and on each
    // repaint (texts, places, visibility, pictures, colours; controls not made yet are made then).
    virtual std::vector<DialogControl> Controls() const = 0;
    // A button was clicked (or Enter or Esc chose it): the form may unload, as with CloseBox.
    virtual void Click(int id) = 0;
    // Outer size, title bar and borders included, in twips.
    virtual int OuterWidth() const = 0;
    virtual int OuterHeight() const = 0;
    // The close box was clicked (or Esc pressed): the form unloads; the view may be gone on return.
    virtual void CloseBox() = 0;
    // The user typed into a text box or picked another item of a drop-down list.
    virtual void Changed(int /*id*/) {}
};

class DialogView {
public:
    virtual ~DialogView() = default;
    virtual WindowHandle Handle() const = 0;
    // Shows the window (modeless) and brings it to the front; an open one just comes to the front.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Caption and control texts changed.
    virtual void Repaint() = 0;
    // The screen, at 0, 0.
    virtual TwipsRect Screen() const = 0;
    // What border and caption add to the client area: its width and height, at 0, 0.
    virtual TwipsRect Frame() const = 0;
    // The window's outer rectangle on the screen.
    virtual void Place(const TwipsRect& bounds, Placing how) = 0;
    // What the user typed into a text box, and whether a check box is ticked.
    virtual std::string ControlText(int id) const = 0;
    virtual bool IsChecked(int id) const = 0;
    // The item picked in a drop-down list, counted from 0; -1 when there is no such list.
    virtual int SelectedItem(int id) const = 0;
    virtual void Focus(int id) = 0;
};

// Creates the platform window of a form when the form is created: tool windows that never take the
// focus (toolbar, status window) and dialogs.
class FormViews {
public:
    virtual ~FormViews() = default;
    virtual std::unique_ptr<FormView> CreateToolView(ToolForm& form) = 0;
    virtual std::unique_ptr<DialogView> CreateDialogView(DialogForm& form) = 0;
};

}  // namespace quillmar
