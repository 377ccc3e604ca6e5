#pragma once

#include "follow/FocusedText.h"
#include "follow/TranslateAction.h"
#include "follow/frmFollow.h"
#include "forms/FormSlot.h"
#include "platform/ForeignWindows.h"

namespace quillmar {

class StatusWindowSlot;

// The hotkey's translation: the focused control of the foreground window, in place, with the toolbar's
// pair, the status window under that control.
class FocusedTranslation {
public:
    // toolbar: whose pair is used.
    FocusedTranslation(Translator& translator, ForeignWindows& windows, StatusWindowSlot& status,
                       FormSlot<frmFollow>& toolbar)
        : m_translator(translator), m_windows(windows), m_status(status), m_toolbar(toolbar) {}

    // The way to the focused control of any program; without it the hotkey does nothing.
    void SetFocusedText(FocusedText* focused) { m_focusedText = focused; }
    void TranslateFocused();

private:
    Translator& m_translator;
    ForeignWindows& m_windows;
    StatusWindowSlot& m_status;
    FormSlot<frmFollow>& m_toolbar;
    FocusedText* m_focusedText = nullptr;
};

}  // namespace quillmar
