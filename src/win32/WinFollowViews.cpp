#include "win32/WinFollowViews.h"

#include "follow/Twips.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "win32/WinFormWindow.h"
#include "win32/WinText.h"

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

// A label with a transparent background: only its text is drawn.
void DrawLabel(HDC dc, const std::string& caption, Colour colour, int x, int y) {
    const std::wstring text = Utf8ToWide(caption);
    HGDIOBJ oldFont = SelectObject(dc, LabelFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, oldFont);
}

class WinToolbarWindow final : public WinFormWindow {
public:
    WinToolbarWindow(frmFollow& form, WinPictures& pictures)
        : WinFormWindow(L"Quillmar toolbar"), m_form(form), m_pictures(pictures) {}

    void UpdateBounds() override {
        ApplyBounds(m_form.Visible(), TwipsToPixels(m_form.Left()), TwipsToPixels(m_form.Top()),
                    TwipsToPixels(m_form.Width()), TwipsToPixels(m_form.Height()));
        Repaint();
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        FillWith(dc, client, frmFollow::kBackColour);
        for (const frmFollow::Button* button : {&m_form.Picture1(), &m_form.Picture2(), &m_form.Picture3()}) {
            m_pictures.Draw(button->picture.source, dc, TwipsToPixels(button->left), 0);
        }
        DrawLabel(dc, m_form.Label2(), m_form.Label2ForeColor(),
                  TwipsToPixels(m_form.Picture1().left + kTranslateLabelLeft), TwipsToPixels(kButtonLabelTop));
        DrawLabel(dc, m_form.Label1(), m_form.Label1ForeColor(),
                  TwipsToPixels(m_form.Picture2().left + kPairLabelLeft), TwipsToPixels(kButtonLabelTop));
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
        : WinFormWindow(L"Quillmar status"), m_form(form), m_pictures(pictures) {}

    void UpdateBounds() override {
        ApplyBounds(m_form.Visible(), TwipsToPixels(m_form.Left()), TwipsToPixels(m_form.Top()),
                    TwipsToPixels(m_form.Width()), TwipsToPixels(m_form.Height()));
        Repaint();
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        FillWith(dc, client, frmStatus::kBackColour);
        m_pictures.Draw(m_form.BackgroundPicture().source, dc, 0, 0);
        DrawLabel(dc, m_form.Label1(), m_form.Label1ForeColor(), TwipsToPixels(frmStatus::kLabelLeft),
                  TwipsToPixels(frmStatus::kLabelTop));
    }

    void Click(int, int) override {}

private:
    frmStatus& m_form;
    WinPictures& m_pictures;
};

}  // namespace

std::unique_ptr<FormView> WinFollowViews::CreateFollowView(frmFollow& form) {
    return std::make_unique<WinToolbarWindow>(form, m_pictures);
}

std::unique_ptr<FormView> WinFollowViews::CreateStatusView(frmStatus& form) {
    return std::make_unique<WinStatusWindow>(form, m_pictures);
}

}  // namespace quillmar::win32
