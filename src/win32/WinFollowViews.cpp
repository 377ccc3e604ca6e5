#include "win32/WinFollowViews.h"

#include "forms/Twips.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "win32/WinDialogWindow.h"
#include "win32/WinFormWindow.h"
#include "win32/WinText.h"

#include <string>

namespace quillmar::win32 {

namespace {

// Label positions on their pictures, in twips, as the forms lay them out.
constexpr int kPairLabelLeft = 105;
constexpr int kTranslateLabelLeft = 45;
constexpr int kButtonLabelTop = 15;

void FillWith(HDC dc, const RECT& area, Colour colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// A label with a transparent background: only its text is drawn, in the largest of the small fonts that
// lets it fit in `room` pixels (a skin's or a long caption is clipped at the edge of its button).
void DrawLabel(HDC dc, const std::string& caption, Colour colour, int x, int y, int room,
               LabelWeight weight) {
    const std::wstring text = Utf8ToWide(caption);
    const int length = static_cast<int>(text.size());
    HGDIOBJ oldFont = nullptr;
    for (int height : {10, 9, 8}) {
        HGDIOBJ previous = SelectObject(dc, LabelFont(height, weight));
        if (oldFont == nullptr) oldFont = previous;
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), length, &size);
        if (size.cx <= room) break;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const RECT clip{x, y, x + room, y + 20};
    ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(length), nullptr);
    SelectObject(dc, oldFont);
}

class WinToolbarWindow final : public WinFormWindow {
public:
    WinToolbarWindow(frmFollow& form, WinPictures& pictures)
        : WinFormWindow(L"Quillmar toolbar"), m_form(form), m_pictures(pictures) {}

    Bounds FormBounds() const override {
        return {m_form.Visible(), TwipsToPixels(m_form.Left()), TwipsToPixels(m_form.Top()),
                TwipsToPixels(m_form.Width()), TwipsToPixels(m_form.Height())};
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        FillWith(dc, client, frmFollow::kBackColour);
        for (const frmFollow::Button* button : {&m_form.Picture1(), &m_form.Picture2(), &m_form.Picture3()}) {
            m_pictures.Draw(button->picture.source, dc, TwipsToPixels(button->left), 0);
        }
        const frmFollow::Button& translate = m_form.Picture1();
        const frmFollow::Button& pair = m_form.Picture2();
        DrawLabel(dc, m_form.Label2(), m_form.Label2ForeColor(),
                  TwipsToPixels(translate.left + kTranslateLabelLeft), TwipsToPixels(kButtonLabelTop),
                  TwipsToPixels(translate.width - 2 * kTranslateLabelLeft), LabelWeight::Bold);
        DrawLabel(dc, m_form.Label1(), m_form.Label1ForeColor(), TwipsToPixels(pair.left + kPairLabelLeft),
                  TwipsToPixels(kButtonLabelTop), TwipsToPixels(pair.width - 2 * kPairLabelLeft),
                  LabelWeight::Bold);
    }

    void Click(int x, int /*y*/) override {
        const int twips = PixelsToTwips(x);
        // The caption lies on the translate button and does the same; the pair button has no action.
        if (twips < m_form.Picture2().left) {
            m_form.Picture1_Click();
        } else if (twips >= m_form.Picture3().left) {
            m_form.Picture3_Click();
        }
    }

private:
    frmFollow& m_form;
    WinPictures& m_pictures;
};

class WinStatusWindow final : public WinFormWindow {
public:
    WinStatusWindow(frmStatus& form, WinPictures& pictures)
        : WinFormWindow(L"Quillmar status"), m_form(form), m_pictures(pictures) {
        ShowLabelAsTitle();
    }

    Bounds FormBounds() const override {
        return {m_form.Visible(), TwipsToPixels(m_form.Left()), TwipsToPixels(m_form.Top()),
                TwipsToPixels(m_form.Width()), TwipsToPixels(m_form.Height())};
    }

    // The window's own text follows the painted line, so screen readers and other programs can read it.
    void Repaint() override {
        ShowLabelAsTitle();
        WinFormWindow::Repaint();
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        FillWith(dc, client, frmStatus::kBackColour);
        m_pictures.Draw(m_form.BackgroundPicture().source, dc, 0, 0);
        const int left = TwipsToPixels(frmStatus::kLabelLeft);
        DrawLabel(dc, m_form.Label1(), m_form.Label1ForeColor(), left, TwipsToPixels(frmStatus::kLabelTop),
                  client.right - left - 2, LabelWeight::Normal);
    }

    void Click(int, int) override {}

private:
    frmStatus& m_form;
    WinPictures& m_pictures;
    std::string m_title;

    void ShowLabelAsTitle() {
        if (m_form.Label1() == m_title) return;
        m_title = m_form.Label1();
        SetWindowTextW(Handle(), Utf8ToWide(m_title).c_str());
    }
};

}  // namespace

std::unique_ptr<FormView> WinFollowViews::CreateFollowView(frmFollow& form) {
    return std::make_unique<WinToolbarWindow>(form, m_pictures);
}

std::unique_ptr<FormView> WinFollowViews::CreateStatusView(frmStatus& form) {
    return std::make_unique<WinStatusWindow>(form, m_pictures);
}

std::unique_ptr<DialogView> WinFollowViews::CreateDialogView(DialogForm& form) {
    return std::make_unique<WinDialogWindow>(form);
}

}  // namespace quillmar::win32
