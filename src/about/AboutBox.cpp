#include "about/AboutBox.h"

#include <algorithm>

namespace quillmar {

AboutBox::AboutBox(FormViews& views, AboutPorts ports, std::function<void()> unload)
    : m_views(views), m_about(ports, *this, std::move(unload)) {}

void AboutBox::Form_Load() {
    m_view = m_views.CreateDialogView(*this);
    m_about.Form_Load();
}

void AboutBox::Show() {
    if (m_view) m_view->Show();
}

std::vector<DialogControl> AboutBox::Controls() const {
    using Kind = DialogControl::Kind;
    auto at = [](Kind kind, int id, const AboutControl& control) {
        DialogControl result;
        result.kind = kind;
        result.id = id;
        result.caption = control.caption;
        result.left = control.left;
        result.top = control.top;
        result.width = control.width;
        result.height = control.height;
        return result;
    };
    // cmdOK first: it holds the first tab position.
    DialogControl ok = at(Kind::Button, kOkId, m_about.cmdOK);
    ok.isDefault = ok.isCancel = true;
    DialogControl title = at(Kind::Label, 102, m_about.lblTitle);
    title.fontTenthsOfPoint = 135;
    // Both lines of Line1 make one etched separator; it spans them.
    const AboutLine& grey = m_about.Line1[1];
    const AboutLine& white = m_about.Line1[0];
    DialogControl line;
    line.kind = Kind::EtchedLine;
    line.id = 107;
    line.left = std::min(grey.x1, white.x1);
    line.top = std::min(grey.y1, white.y1);
    line.width = std::max(grey.x2, white.x2) - line.left;
    line.height = std::max(grey.y1, white.y1) - line.top;
    return {ok,
            at(Kind::Button, kSysInfoId, m_about.cmdSysInfo),
            title,
            at(Kind::Label, 103, m_about.lblVersion),
            at(Kind::Label, 104, m_about.lblDescription),
            at(Kind::Label, 105, m_about.lblDisclaimer),
            at(Kind::Picture, 106, m_about.picIcon),
            line};
}

void AboutBox::Click(int id) {
    if (id == kOkId) {
        m_about.cmdOK_Click();  // unloads this box
    } else if (id == kSysInfoId) {
        m_about.cmdSysInfo_Click();
    }
}

AboutView::Size AboutBox::ScreenPixels() {
    const DialogView::Size size = m_view ? m_view->ScreenPixels() : DialogView::Size{};
    return {size.width, size.height};
}

AboutView::Size AboutBox::FramePixels() {
    const DialogView::Size size = m_view ? m_view->FramePixels() : DialogView::Size{};
    return {size.width, size.height};
}

void AboutBox::PlaceTopmost(int x, int y, int width, int height) {
    if (m_view) m_view->PlaceTopmost(x, y, width, height);
}

void AboutBox::Repaint() {
    if (m_view) m_view->Repaint();
}

}  // namespace quillmar
