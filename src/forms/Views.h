#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Picture.h"
#include "platform/WindowHandle.h"

namespace quillmar {

// Passive views: a form changes its state, then tells its view, which shows that state on the platform.
// Positions and sizes the form holds are twips; the view converts them.
class FormView {
public:
    virtual ~FormView() = default;
    virtual WindowHandle Hwnd() const = 0;
    // SetWindowPos(HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE), in pixels.
    virtual void PlaceTopmost(int x, int y, int width, int height) = 0;
    // Visibility, position or size changed: move, show or hide the window without activating it.
    virtual void UpdateBounds() = 0;
    // Captions, colours or pictures changed: repaint.
    virtual void Repaint() = 0;
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
    // The window's place and size on the screen, in twips.
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual Colour BackColour() const = 0;
    // Drawn in this order over the back colour, then the labels over them.
    virtual std::vector<ToolPicture> Pictures() const = 0;
    virtual std::vector<ToolLabel> Labels() const = 0;
    // The control under client point x, y (twips), if it takes clicks.
    virtual std::optional<int> ControlAt(int x, int y) const = 0;
    // A click on that control; the form may be destroyed before this returns.
    virtual void Click(int control) = 0;
};

// A child control of a dialog, placed in client twips. Clicks come back to the form by `id`.
struct DialogControl {
    enum class Kind { Button, Label, Picture, EtchedLine, CheckBox, Frame, TextBox };
    Kind kind = Kind::Label;
    int id = 0;  // 100 and up: 1 and 2 are the dialog's own Enter and Esc commands
    // A picture with a caption draws it over the picture, transparent, at captionLeft/captionTop.
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool isDefault = false;  // Enter clicks it
    bool isCancel = false;   // Esc clicks it
    int fontTenthsOfPoint = 0;  // 0: the dialog's font; a picture shows the program icon
    bool visible = true;
    bool checked = false;  // a check box's tick
    // A picture shows this one instead of the program icon, at its own size, and reports clicks.
    std::string pictureSource;
    int captionLeft = 0;
    int captionTop = 0;
    long long textColour = -1;  // red + 256 * green + 65536 * blue; -1: the system's text colour
    std::string toolTip;
};

// What a dialog window reads from its form and tells it: a window that takes the focus, with a caption,
// child controls and a close box.
class DialogForm {
public:
    virtual ~DialogForm() = default;
    virtual std::string Caption() const = 0;
    // In tab order, the top of the stacking order first; read when the window is made and on each
    // repaint (texts, places, visibility, pictures, colours; controls not made yet are made then).
    virtual std::vector<DialogControl> Controls() const { return {}; }
    // A button was clicked (or Enter or Esc chose it): the form may unload, as with CloseBox.
    virtual void Click(int id) { (void)id; }
    // Outer size, title bar and borders included, in twips.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The close box was clicked (or Esc pressed): the form unloads; the view may be gone on return.
    virtual void CloseBox() = 0;
};

class DialogView {
public:
    virtual ~DialogView() = default;
    virtual WindowHandle Hwnd() const = 0;
    // Shows the window (modeless) and brings it to the front; an open one just comes to the front.
    virtual void Show() = 0;
    // Caption and control texts changed.
    virtual void Repaint() = 0;
    struct Size {
        int width = 0;
        int height = 0;
    };
    // The screen, and what border and caption add to the client area, in pixels.
    virtual Size ScreenPixels() const = 0;
    virtual Size FramePixels() const = 0;
    // SetWindowPos(HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE), in pixels.
    virtual void PlaceTopmost(int x, int y, int width, int height) = 0;
    // Moves and sizes the window where it is in the stacking order, without showing or activating it.
    virtual void Place(int x, int y, int width, int height) { (void)x, (void)y, (void)width, (void)height; }
    virtual void Hide() {}
    // What the user typed into a text box, and whether a check box is ticked.
    virtual std::string ControlText(int id) const {
        (void)id;
        return {};
    }
    virtual bool IsChecked(int id) const {
        (void)id;
        return false;
    }
    virtual void Focus(int id) { (void)id; }
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
