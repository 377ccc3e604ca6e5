#include "app/FormSkinTargets.h"

#include "follow/frmFollow.h"
#include "follow/frmStatus.h"

namespace quillmar {

void FormSkinTargets::SetButtonPicture(Button button, const Picture& picture) {
    m_forms.follow().SetButtonPicture(static_cast<int>(button), picture);
}

void FormSkinTargets::SetPairLabelColour(Colour colour) {
    frmFollow& follow = m_forms.follow();
    follow.SetLabelForeColors(colour, follow.Label2ForeColor());
}

void FormSkinTargets::SetTranslateLabelColour(Colour colour) {
    frmFollow& follow = m_forms.follow();
    follow.SetLabelForeColors(follow.Label1ForeColor(), colour);
}

void FormSkinTargets::LoadStatusWindow() {
    m_forms.status();
}

void FormSkinTargets::SetStatusPicture(const Picture& picture) {
    m_forms.status().SetBackgroundPicture(picture);
}

void FormSkinTargets::SetStatusLabelColour(Colour colour) {
    m_forms.status().SetLabel1ForeColor(colour);
}

}  // namespace quillmar
