#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "about/frmAbout.h"
#include "forms/Views.h"

namespace quillmar {

// frmAbout on a dialog window from the form core: the window shows the form's captions and places, and
// its buttons reach the form's handlers.
class AboutBox final : public DialogForm, private AboutView {
public:
    static constexpr int kOkId = 100;
    static constexpr int kSysInfoId = 101;

    // unload: destroys this box (its owner's slot); handlers call it last.
    AboutBox(FormViews& views, AboutPorts ports, std::function<void()> unload);

    void Form_Load();
    // Modeless, without owner; an open box only comes to the front.
    void Show();
    frmAbout& Form() { return m_about; }
    WindowHandle Hwnd() const { return m_view ? m_view->Hwnd() : 0; }

    std::string Caption() const override { return m_about.Caption; }
    int Width() const override { return m_about.Width; }
    int Height() const override { return m_about.Height; }
    std::vector<DialogControl> Controls() const override;
    void Click(int id) override;
    void CloseBox() override { m_about.cmdOK_Click(); }

private:
    Size ScreenPixels() override;
    Size FramePixels() override;
    void PlaceTopmost(int x, int y, int width, int height) override;
    void Repaint() override;

    FormViews& m_views;
    frmAbout m_about;
    std::unique_ptr<DialogView> m_view;
};

}  // namespace quillmar
