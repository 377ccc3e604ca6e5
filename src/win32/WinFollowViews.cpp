#include "win32/WinFollowViews.h"

#include "forms/Twips.h"
#include "win32/WinDialogWindow.h"
#include "win32/WinFormWindow.h"
#include "win32/WinText.h"

#include <string>

namespace quillmar::win32 {

namespace {

void FillWith(HDC dc, const RECT& area, Colour colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// A label with a transparent background: only its text is drawn, in the largest of the small fonts that
// lets it fit in its width (a skin's or a long caption is clipped at the label's edge).
void DrawLabel(HDC dc, const ToolLabel& label, const TwipsScale& scale) {
    const std::wstring text = Utf8ToWide(label.caption);
    const int length = static_cast<int>(text.size());
    const LabelWeight weight = label.weight == ToolLabel::Weight::Bold ? LabelWeight::Bold : LabelWeight::Normal;
    const RECT clip{scale.ToPixels(label.left), scale.ToPixels(label.top), scale.ToPixels(label.left + label.width),
                    scale.ToPixels(label.top + label.height)};
    HGDIOBJ oldFont = nullptr;
    for (int height : {10, 9, 8}) {
        HGDIOBJ previous = SelectObject(dc, LabelFont(scale.FromDesign(height), weight));
        if (oldFont == nullptr) oldFont = previous;
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), length, &size);
        if (size.cx <= clip.right - clip.left) break;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, label.colour);
    ExtTextOutW(dc, clip.left, clip.top, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(length), nullptr);
    SelectObject(dc, oldFont);
}

// The window of a form that never takes the focus: the toolbar or the status window.
class WinToolWindow final : public WinFormWindow {
public:
    WinToolWindow(ToolForm& form, WinPictures& pictures)
        : WinFormWindow(Utf8ToWide(form.Caption()).c_str()), m_form(form), m_pictures(pictures),
          m_caption(form.Caption()) {}

    void Repaint() override {
        if (m_form.Caption() != m_caption) {
            m_caption = m_form.Caption();
            SetWindowTextW(Hwnd(), Utf8ToWide(m_caption).c_str());
        }
        WinFormWindow::Repaint();
    }

protected:
    bool FormVisible() const override { return m_form.Visible(); }

    void Paint(HDC dc, const RECT& client) override {
        FillWith(dc, client, m_form.BackColour());
        for (const ToolPicture& place : m_form.Pictures()) {
            // Cut to its own rectangle: a larger picture shows its top-left part and the layout stays.
            const PixelRect at = Scale().ToPixels(TwipsRect{place.left, place.top, place.width, place.height});
            m_pictures.Draw(place.picture.source, dc, at.left, at.top, at.width, at.height, Scale().Dpi());
        }
        for (const ToolLabel& label : m_form.Labels()) DrawLabel(dc, label, Scale());
    }

    void Click(int x, int y) override {
        if (const std::optional<int> control = m_form.ControlAt(Scale().ToTwips(x), Scale().ToTwips(y)))
            m_form.Click(*control);  // may destroy this window
    }

private:
    ToolForm& m_form;
    WinPictures& m_pictures;
    std::string m_caption;
};

}  // namespace

std::unique_ptr<FormView> WinFollowViews::CreateToolView(ToolForm& form) {
    return std::make_unique<WinToolWindow>(form, m_pictures);
}

std::unique_ptr<DialogView> WinFollowViews::CreateDialogView(DialogForm& form) {
    return std::make_unique<WinDialogWindow>(form, &m_pictures);
}

}  // namespace quillmar::win32
