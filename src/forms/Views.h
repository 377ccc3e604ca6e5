#pragma once

#include <memory>

#include "platform/WindowHandle.h"

namespace quillmar {

class frmFollow;
class frmStatus;

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

// Creates the platform window of a form when the form is created.
class FormViews {
public:
    virtual ~FormViews() = default;
    virtual std::unique_ptr<FormView> CreateFollowView(frmFollow& form) = 0;
    virtual std::unique_ptr<FormView> CreateStatusView(frmStatus& form) = 0;
};

}  // namespace quillmar
