#include "follow/FocusedText.h"

namespace quillmar {

CapturedText FocusedText::Capture() {
    const WindowHandle foreground = m_ports.windows.ForegroundWindow();
    if (foreground == 0) return {};
    WindowHandle control = m_ports.windows.FocusedWindow(foreground);
    if (control == 0) control = foreground;

    // An edit control answers for itself, even when empty.
    if (ContainsNoCase(m_ports.windows.ClassName(control), "edit")) {
        return {m_module.ReadWindowText(control), control, TextRoute::EditControl};
    }
    // An accessible object counts only with a value: many serve an empty one for any window.
    const std::pair<AccessibleValues*, TextRoute> accessible[] = {{&m_ports.msaa, TextRoute::Msaa},
                                                                  {&m_ports.uiAutomation, TextRoute::UiAutomation}};
    for (const auto& [values, route] : accessible) {
        std::optional<std::string> value = values->GetValue(control);
        if (value && !value->empty()) return {std::move(*value), control, route};
    }
    std::optional<std::string> copied = CopyOut();
    if (!copied) return {};
    return {std::move(*copied), control, TextRoute::Clipboard};
}

bool FocusedText::Write(const CapturedText& captured, const std::string& translation) {
    const WindowHandle control = captured.control;
    switch (captured.route) {
        case TextRoute::EditControl:
            return m_module.ReplaceTypedText(control, translation, captured.text);
        case TextRoute::Msaa:
            return WriteAccessible(m_ports.msaa, control, translation, captured.text);
        case TextRoute::UiAutomation:
            return WriteAccessible(m_ports.uiAutomation, control, translation, captured.text);
        case TextRoute::Clipboard:
            return WriteThroughClipboard(control, translation, captured.text);
    }
    return false;
}

bool FocusedText::WriteAccessible(AccessibleValues& values, WindowHandle control, const std::string& translation,
                                  const std::string& typed) {
    const auto holds = [&](const std::string& text) {
        const std::optional<std::string> value = values.GetValue(control);
        return value && SameTextAcrossLineBreaks(*value, text);
    };
    if (values.SetValue(control, translation) && holds(translation)) return true;
    if (!typed.empty() && !holds(typed)) values.SetValue(control, typed);
    return false;
}

// Select all and copy; the text only if the copy really changed the clipboard, never what was there.
// The user's clipboard is put back whatever happens.
std::optional<std::string> FocusedText::CopyOut() {
    Clipboard& clipboard = m_ports.clipboard;
    const std::optional<ClipboardContent> saved = clipboard.Save();
    if (!saved) return std::nullopt;
    const std::uint32_t before = clipboard.SequenceNumber();
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Copy);
    std::optional<std::string> text;
    if (clipboard.WaitForChange(before)) text = clipboard.GetText();
    clipboard.Restore(*saved);
    return text;
}

// Puts `text` in place of the whole text and reads it back by copying; the copy also tells that the
// paste before it was done, so the clipboard is never put back under a paste still to come.
bool FocusedText::PasteIn(const std::string& text) {
    Clipboard& clipboard = m_ports.clipboard;
    if (!clipboard.SetOwnText(text)) return false;
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Paste);
    const std::uint32_t pasted = clipboard.SequenceNumber();
    m_ports.keys.SendChord(EditChord::SelectAll);
    m_ports.keys.SendChord(EditChord::Copy);
    if (!clipboard.WaitForChange(pasted)) return false;
    const std::optional<std::string> readBack = clipboard.GetText();
    return readBack && SameTextAcrossLineBreaks(*readBack, text);
}

bool FocusedText::WriteThroughClipboard(WindowHandle control, const std::string& translation,
                                        const std::string& typed) {
    // Keys go to whatever has the focus now: only while that is still the control the text came from.
    const WindowHandle foreground = m_ports.windows.ForegroundWindow();
    const WindowHandle focused = m_ports.windows.FocusedWindow(foreground);
    if (control != (focused != 0 ? focused : foreground)) return false;
    const std::optional<ClipboardContent> saved = m_ports.clipboard.Save();
    if (!saved) return false;
    const bool written = PasteIn(translation);
    if (!written && !typed.empty()) PasteIn(typed);
    m_ports.clipboard.Restore(*saved);
    return written;
}

}  // namespace quillmar
