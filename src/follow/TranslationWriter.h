#pragma once

#include <optional>
#include <string>

#include "follow/FocusedText.h"
#include "follow/FollowMod.h"
#include "forms/ProgramState.h"
#include "translate/TranslationRequest.h"

namespace quillmar {

class StatusWindowSlot;

// Writes each finished translation back the way its text came, and puts the typed text of the last one
// back on request.
class TranslationWriter final : public TranslationOutput {
public:
    TranslationWriter(FollowMod& module, ProgramState& state, StatusWindowSlot& status)
        : m_module(module), m_state(state), m_status(status) {}

    // The way to controls reached other than by edit messages; without it only those are written.
    void SetFocusedText(FocusedText* focused) { m_focusedText = focused; }

    bool WriteTranslation(const CapturedText& captured, const std::string& translation) override;
    // Puts the text captured for the last translation back into EditHwnd, only while that control still
    // shows the translation; the status window says what happened.
    void RestoreTypedText();

private:
    FollowMod& m_module;
    ProgramState& m_state;
    StatusWindowSlot& m_status;
    FocusedText* m_focusedText = nullptr;
    struct Replacement {
        std::string typed;
        std::string translation;
    };
    // What the last translation written to EditHwnd replaced, until it is restored.
    std::optional<Replacement> m_lastReplacement;
};

}  // namespace quillmar
