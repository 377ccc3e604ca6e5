#include "follow/frmStatus.h"

#include <chrono>

namespace quillmar {

frmStatus::frmStatus(StatusWindowHost& host, ProgramState& state, TimerFactory& timers,
                     PictureLoader& pictures, FormViews& views)
    : ToolWindowForm(kWidth, kHeight), m_host(host), m_state(state), m_pictures(pictures) {
    m_picture = m_pictures.LoadPicture("builtin:status");
    CreateView(views);
    m_timer2 = timers.CreateTimer(kCloseAfter, false, [this] { Timer2_Timer(); });
}

frmStatus::~frmStatus() = default;

std::vector<ToolLabel> frmStatus::Labels() const {
    // Two pixels short of the right edge, so the text never touches the window's border.
    constexpr int kRightMargin = 30;
    return {{m_label1, m_label1Colour, kLabelLeft, kLabelTop, kWidth - kLabelLeft - kRightMargin,
             kHeight - kLabelTop, ToolLabel::Weight::Normal}};
}

void frmStatus::Form_Load() {
    if (!m_state.CurrentSkinName.empty()) m_host.ApplySkin(m_state.CurrentSkinName);
}

void frmStatus::Timer1_Timer() {
    // Enabling a running timer leaves its count alone, so a second outcome never postpones the close. An
    // error's longer wait is set before its first start.
    if (!m_outcome) return;
    if (*m_outcome == RequestOutcome::Error && !m_timer2->Enabled()) m_timer2->SetInterval(kErrorShownFor);
    m_timer2->SetEnabled(true);
}

std::optional<int> frmStatus::ControlAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return std::nullopt;
    return kWholeWindow;
}

void frmStatus::Click(int /*control*/) {
    // Progress is not clicked away: the request would go on with no window to report to.
    if (m_outcome == RequestOutcome::Error) m_host.CloseStatusWindow();  // destroys this form
}

void frmStatus::Timer2_Timer() {
    // Destroys this form: nothing may touch a member after this call.
    m_host.CloseStatusWindow();
}

void frmStatus::SetLabel1(const std::string& caption) {
    EndErrorWait();
    m_label1 = caption;
    m_outcome.reset();
    Repaint();
}

void frmStatus::SetOutcome(RequestOutcome outcome, const std::string& caption) {
    if (outcome != RequestOutcome::Error) EndErrorWait();
    m_label1 = caption;
    m_outcome = outcome;
    // The watch is run when the outcome arrives, the only time it can find one, rather than polled ten
    // times a second: the form is made hidden as soon as a chat window comes to the front, and that idle
    // tick was much of an idle program's processor time. The close comes 700 ms after the outcome.
    Timer1_Timer();
    Repaint();
}

void frmStatus::EndErrorWait() {
    // The window shows a new request now, which the old error's close must not cut short.
    if (m_outcome != RequestOutcome::Error) return;
    m_timer2->SetEnabled(false);
    m_timer2->SetInterval(kCloseAfter);
}

void frmStatus::SetLabel1ForeColor(Colour colour) {
    m_label1Colour = colour;
    Repaint();
}

void frmStatus::SetBackgroundPicture(Picture picture) {
    m_picture = std::move(picture);
    Repaint();
}

}  // namespace quillmar
