#pragma once

#include <memory>

#include "forms/Twips.h"
#include "forms/Views.h"

namespace quillmar {

// A form drawn in a tool window (the toolbar, the status window): it keeps where its window is on the
// screen and whether it is seen, in twips, and tells its view of each change.
class ToolWindowForm : public ToolForm {
public:
    WindowHandle Hwnd() const { return m_view ? m_view->Handle() : 0; }
    bool Visible() const override { return m_visible; }
    void SetVisible(bool visible) {
        if (m_visible == visible) return;
        m_visible = visible;
        Place(Placing::InPlace);
    }
    // Its window's: screen pixels (a window it follows, a monitor) convert at this scale.
    TwipsScale Scale() const { return m_view ? m_view->Scale() : TwipsScale{}; }
    int Left() const { return m_bounds.left; }
    int Top() const { return m_bounds.top; }
    int Width() const { return m_bounds.width; }
    int Height() const { return m_bounds.height; }
    void SetLeft(int twips) {
        m_bounds.left = twips;
        Place(Placing::InPlace);
    }
    void SetTop(int twips) {
        m_bounds.top = twips;
        Place(Placing::InPlace);
    }
    // Shown at once at the top of the topmost band, its top-left corner at left, top.
    void PlaceOnTop(int left, int top) {
        m_bounds.left = left;
        m_bounds.top = top;
        m_visible = true;
        Place(Placing::OnTop);
    }

protected:
    ToolWindowForm(int width, int height) : m_bounds{0, 0, width, height} {}
    ~ToolWindowForm() override = default;
    ToolWindowForm(const ToolWindowForm&) = delete;
    ToolWindowForm& operator=(const ToolWindowForm&) = delete;

    // Once the derived form can answer its view: the window reads it as soon as it is made.
    void CreateView(FormViews& views) { m_view = views.CreateToolView(*this); }
    // Hidden, at these bounds.
    void PlaceHidden(const TwipsRect& bounds) {
        m_bounds = bounds;
        m_visible = false;
        Place(Placing::InPlace);
    }
    void Repaint() {
        if (m_view) m_view->Repaint();
    }

private:
    void Place(Placing how) {
        if (m_view) m_view->Place(m_bounds, how);
    }

    std::unique_ptr<FormView> m_view;
    TwipsRect m_bounds;
    bool m_visible = false;
};

}  // namespace quillmar
