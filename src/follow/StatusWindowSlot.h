#pragma once

#include <functional>
#include <string>

#include "follow/frmStatus.h"
#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "forms/Views.h"
#include "platform/Picture.h"
#include "platform/Timers.h"
#include "translate/StatusSink.h"

namespace quillmar {

// The status window, created (hidden, its Form_Load run) by its first reference and destroyed by its own
// close; each request's steps and outcome go to its Label1.
class StatusWindowSlot final : public StatusSink, private StatusWindowHost {
public:
    // applySkin: puts the skin of that name on the forms, a new status window among them.
    StatusWindowSlot(ProgramState& state, TimerFactory& timers, PictureLoader& pictures, FormViews& views,
                     std::function<void(const std::string&)> applySkin);

    frmStatus& Window() { return m_slot(); }
    bool IsLoaded() const { return m_slot.IsLoaded(); }
    void Unload() { m_slot.Unload(); }

    void SetStatus(const std::string& text) override { Window().SetLabel1(text); }
    void SetOutcome(RequestOutcome outcome, const std::string& text) override {
        Window().SetOutcome(outcome, text);
    }

private:
    void ApplySkin(const std::string& skinName) override { m_applySkin(skinName); }
    void CloseStatusWindow() override { m_slot.Unload(); }

    std::function<void(const std::string&)> m_applySkin;
    FormSlot<frmStatus> m_slot;
};

}  // namespace quillmar
