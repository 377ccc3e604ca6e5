#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/ProgramState.h"
#include "forms/ToolWindowForm.h"
#include "forms/Views.h"
#include "platform/Picture.h"
#include "platform/Timers.h"
#include "translate/StatusSink.h"

namespace quillmar {

// What the status window asks of whoever holds it: the skin in use, for each new window, and its own close.
class StatusWindowHost {
public:
    virtual ~StatusWindowHost() = default;
    virtual void ApplySkin(const std::string& skinName) = 0;
    // Destroys the status window; the next reference creates a new one.
    virtual void CloseStatusWindow() = 0;
};

// The status window: one line of progress text under the toolbar; closes itself 700 ms after a request
// ended in success, no message or a rejection. An error stays ten seconds so it can be read, and a click
// on it closes it at once.
class frmStatus final : public ToolWindowForm {
public:
    static constexpr int kWidth = 1845;  // twips: 123 x 25 pixels
    static constexpr int kHeight = 375;
    static constexpr int kLabelLeft = 120;
    static constexpr int kLabelTop = 75;
    static constexpr Colour kBackColour = 0x00C0C0C0;
    static constexpr std::chrono::milliseconds kCloseAfter{700};
    static constexpr std::chrono::milliseconds kErrorShownFor{10000};

    frmStatus(StatusWindowHost& host, ProgramState& state, TimerFactory& timers, PictureLoader& pictures,
              FormViews& views);
    frmStatus(const frmStatus&) = delete;
    frmStatus& operator=(const frmStatus&) = delete;
    ~frmStatus() override;

    void Form_Load();
    // The watch step: an outcome starts the close.
    void Timer1_Timer();
    void Timer2_Timer();

    // What the status window shows: its background picture under the status text; an error is clicked
    // away. Its title is
    // its line, so screen readers and other programs can read the status.
    std::string Caption() const override { return Label1(); }
    Colour BackColour() const override { return kBackColour; }
    std::vector<ToolPicture> Pictures() const override { return {{m_picture, 0, 0, kWidth, kHeight}}; }
    std::vector<ToolLabel> Labels() const override;
    static constexpr int kWholeWindow = 1;
    std::optional<int> ControlAt(int x, int y) const override;
    void Click(int control) override;

    const std::string& Label1() const { return m_label1; }
    // A progress text: the request has not ended.
    void SetLabel1(const std::string& caption);
    // The request's end, shown by its text.
    void SetOutcome(RequestOutcome outcome, const std::string& caption);
    std::optional<RequestOutcome> Outcome() const { return m_outcome; }
    Colour Label1ForeColor() const { return m_label1Colour; }
    void SetLabel1ForeColor(Colour colour);
    const Picture& BackgroundPicture() const { return m_picture; }
    void SetBackgroundPicture(Picture picture);

    bool Timer2Enabled() const { return m_timer2 && m_timer2->Enabled(); }

private:
    void EndErrorWait();

    StatusWindowHost& m_host;
    ProgramState& m_state;
    PictureLoader& m_pictures;
    std::unique_ptr<Timer> m_timer2;
    std::string m_label1 = "Connecting";
    std::optional<RequestOutcome> m_outcome;
    Colour m_label1Colour = 0x00000000;
    Picture m_picture;
};

}  // namespace quillmar
