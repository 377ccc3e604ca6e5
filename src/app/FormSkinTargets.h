#pragma once

#include <functional>
#include <utility>

#include "skins/SkinStuff.h"

namespace quillmar {

class frmFollow;
class frmStatus;

// Where a skin lands on the real forms: the toolbar's three buttons and two captions, and the status
// window's background and text.
class FormSkinTargets final : public SkinTargets {
public:
    // Each returns its form, creating (and loading) it when it does not exist.
    struct Forms {
        std::function<frmFollow&()> follow;
        std::function<frmStatus&()> status;
    };
    explicit FormSkinTargets(Forms forms) : m_forms(std::move(forms)) {}

    void SetButtonPicture(Button button, const Picture& picture) override;
    void SetPairLabelColour(Colour colour) override;
    void SetTranslateLabelColour(Colour colour) override;
    void LoadStatusWindow() override;
    void SetStatusPicture(const Picture& picture) override;
    void SetStatusLabelColour(Colour colour) override;

private:
    Forms m_forms;
};

}  // namespace quillmar
