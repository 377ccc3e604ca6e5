#pragma once

#include <windows.h>

#include "platform/Clipboard.h"

namespace quillmar::win32 {

// The clipboard through user32, opened on a hidden window of its own (without an owner window the
// clipboard takes no data). Formats held in global memory and enhanced metafiles are saved and put back;
// the handle formats Windows makes from them (bitmaps from device-independent bitmaps, text in other
// code pages) come back by themselves.
class WinClipboard final : public Clipboard {
public:
    WinClipboard();
    ~WinClipboard() override;
    WinClipboard(const WinClipboard&) = delete;
    WinClipboard& operator=(const WinClipboard&) = delete;

    std::optional<ClipboardContent> Save() override;
    bool Restore(const ClipboardContent& content) override;
    std::uint32_t SequenceNumber() override;
    bool WaitForChange(std::uint32_t since) override;
    std::optional<std::string> GetText() override;
    bool SetOwnText(const std::string& text) override;

private:
    bool Open();

    HWND m_window = nullptr;
};

// Ctrl+A, Ctrl+C, Ctrl+V as real key presses (SendInput), after letting go of the modifiers the
// hotkey is still held with, which would otherwise turn Ctrl+C into Ctrl+Alt+C.
class WinEditKeys final : public EditKeys {
public:
    void SendChord(EditChord chord) override;
};

}  // namespace quillmar::win32
