#include "follow/FocusedText.h"

#include <functional>

namespace quillmar {

namespace {

using namespace clipboard_limits;

// Polls `done` until it holds or `limit` has passed; the clock's waits let other programs through.
bool WaitUntil(WaitClock& clock, milliseconds limit, const std::function<bool()>& done) {
    const milliseconds start = clock.Now();
    while (!done()) {
        if (clock.Now() - start >= limit) return false;
        clock.Wait(kPoll);
    }
    return true;
}

struct BusyWhile {
    explicit BusyWhile(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyWhile() { m_flag = false; }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;
    bool& m_flag;
};

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        if (!joined.empty()) joined += ", ";
        joined += name;
    }
    return joined;
}

}  // namespace

CapturedText FocusedText::Capture() {
    m_problem = ClipboardProblem::None;
    const WindowHandle foreground = m_ports.windows.ForegroundWindow();
    if (foreground == 0) return {};
    WindowHandle control = m_ports.windows.FocusedWindow(foreground);
    if (control == 0) control = foreground;

    // An edit control answers for itself, even when empty.
    if (ContainsNoCase(m_ports.windows.ClassName(control), "edit")) {
        return {m_module.ReadWindowText(control), control, TextRoute::EditControl};
    }
    // An editable text field answers for itself too; anything else the interface serves is passed over.
    const std::pair<AccessibleValues*, TextRoute> accessible[] = {
        {&m_ports.uiAutomation, TextRoute::UiAutomation}, {&m_ports.msaa, TextRoute::Msaa}};
    for (const auto& [values, route] : accessible) {
        std::optional<AccessibleElement> element = values->FocusedElement(control);
        if (element && IsEditableText(*element)) return {std::move(element->value), control, route};
    }
    std::optional<std::string> copied = CopyOut(control);
    if (!copied) return {};
    return {std::move(*copied), control, TextRoute::Clipboard};
}

bool FocusedText::Write(const CapturedText& captured, const std::string& translation) {
    m_problem = ClipboardProblem::None;
    const WindowHandle control = captured.control;
    switch (captured.route) {
        case TextRoute::EditControl:
            return m_module.ReplaceTypedText(control, translation, captured.text);
        case TextRoute::Msaa:
            return WriteAccessible(m_ports.msaa, captured, translation);
        case TextRoute::UiAutomation:
            return WriteAccessible(m_ports.uiAutomation, captured, translation);
        case TextRoute::Clipboard:
            return WriteThroughClipboard(control, translation, captured.text);
    }
    return false;
}

bool FocusedText::WriteAccessible(AccessibleValues& values, const CapturedText& captured,
                                  const std::string& translation) {
    const WindowHandle control = captured.control;
    const auto holds = [&](const std::string& text) {
        const std::optional<AccessibleElement> element = values.FocusedElement(control);
        return element && SameTextAcrossLineBreaks(element->value, text);
    };
    // A field that is read as text but takes no value this way (a rich editor's text pattern) is still
    // written by pasting.
    if (!values.SetFocusedValue(control, translation)) {
        return WriteThroughClipboard(control, translation, captured.text);
    }
    if (holds(translation)) return true;
    if (!captured.text.empty() && !holds(captured.text)) values.SetFocusedValue(control, captured.text);
    return false;
}

bool FocusedText::KeysReleased() {
    // A chord sent while the hotkey is still held would mix with it, and the held key's auto-repeat
    // would reach the control as Ctrl+key.
    if (WaitUntil(m_ports.clock, kKeysReleased, [this] { return !m_ports.keys.ChordKeysHeld(); })) return true;
    m_problem = ClipboardProblem::KeysHeld;
    return false;
}

bool FocusedText::FocusIsOn(WindowHandle control) {
    const WindowHandle foreground = m_ports.windows.ForegroundWindow();
    const WindowHandle focused = m_ports.windows.FocusedWindow(foreground);
    return control == (focused != 0 ? focused : foreground);
}

// Keys released and the user's clipboard kept; what could not be kept is lost only when the user says
// so, asked before anything is touched.
std::optional<ClipboardContent> FocusedText::BeginClipboardUse(WindowHandle control) {
    if (!KeysReleased()) return std::nullopt;
    std::optional<ClipboardContent> saved = m_ports.clipboard.Save(kSaveBudget);
    if (!saved || saved->notKept.empty()) return saved;
    const std::string question = "The clipboard holds what Quillmar cannot keep while it copies and pastes: " +
                                 JoinNames(saved->notKept) + ".\n\nUse the clipboard anyway and lose it?";
    if (m_ports.dialogs.ShowMessage(question, kAppTitle, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageResult::Yes) {
        m_problem = ClipboardProblem::Declined;
        return std::nullopt;
    }
    // The question took the foreground: the keys must reach the control again, or nobody.
    m_ports.keys.Refocus(control);
    if (!FocusIsOn(control)) return std::nullopt;
    return saved;
}

// Select all and copy; the text only if the copy really changed the clipboard, never what was there.
// The user's clipboard is put back whatever happens.
std::optional<std::string> FocusedText::CopyOut(WindowHandle control) {
    if (m_clipboardBusy) return std::nullopt;
    const BusyWhile busy(m_clipboardBusy);
    Clipboard& clipboard = m_ports.clipboard;
    const std::optional<ClipboardContent> saved = BeginClipboardUse(control);
    if (!saved) return std::nullopt;
    const std::uint32_t before = clipboard.SequenceNumber();
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Copy);
    std::optional<std::string> text;
    if (WaitUntil(m_ports.clock, kCopied, [&] { return clipboard.SequenceNumber() != before; })) {
        text = clipboard.GetText();
    }
    clipboard.Restore(*saved);
    return text;
}

// Puts `text` in place of the whole text and reads it back by copying. The text is only offered, so the
// clipboard tells when the control has taken it; until then the user's clipboard is not put back, or a
// paste still to come would paste that instead.
FocusedText::Paste FocusedText::PasteIn(const std::string& text) {
    Clipboard& clipboard = m_ports.clipboard;
    if (!clipboard.OfferText(text)) return Paste::NotTaken;
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Paste);
    if (!WaitUntil(m_ports.clock, kPasteTaken, [&] { return clipboard.OfferTaken(); })) return Paste::NotTaken;
    const std::uint32_t pasted = clipboard.SequenceNumber();
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Copy);
    if (!WaitUntil(m_ports.clock, kCopied, [&] { return clipboard.SequenceNumber() != pasted; })) {
        return Paste::Differs;
    }
    const std::optional<std::string> readBack = clipboard.GetText();
    return readBack && SameTextAcrossLineBreaks(*readBack, text) ? Paste::Written : Paste::Differs;
}

bool FocusedText::WriteThroughClipboard(WindowHandle control, const std::string& translation,
                                        const std::string& typed) {
    // Keys go to whatever has the focus now: only while that is still the control the text came from.
    if (m_clipboardBusy || !FocusIsOn(control)) return false;
    const BusyWhile busy(m_clipboardBusy);
    const std::optional<ClipboardContent> saved = BeginClipboardUse(control);
    if (!saved) return false;
    const Paste written = PasteIn(translation);
    // A control that took the paste but holds something else: the typed text goes back. One that took
    // nothing still holds it.
    if (written == Paste::Differs && !typed.empty()) PasteIn(typed);
    m_ports.clipboard.Restore(*saved);
    return written == Paste::Written;
}

}  // namespace quillmar
