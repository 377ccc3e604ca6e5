#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/Clipboard.h"
#include "win32/BaseWindow.h"

namespace quillmar::win32 {

// The clipboard through user32, opened on a message-only window of its own, which is also the owner of
// the text it offers: Windows asks it to render that text (WM_RENDERFORMAT) when a program pastes.
// Formats held in global memory and enhanced metafiles are saved and put back; the handle formats
// Windows makes from them (bitmaps from device-independent bitmaps, text in other code pages) come back
// by themselves.
class WinClipboard final : public Clipboard, public BaseWindow<WinClipboard> {
public:
    WinClipboard();

    std::optional<ClipboardContent> Save(std::chrono::milliseconds budget) override;
    bool Restore(const ClipboardContent& content) override;
    std::uint32_t SequenceNumber() override;
    std::optional<std::string> GetText() override;
    bool OfferText(const std::string& text) override;
    bool OfferTaken() override { return m_taken; }

private:
    friend class BaseWindow<WinClipboard>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Open();
    bool RenderOffer();

    std::optional<std::wstring> m_offer;  // while the clipboard holds it unrendered
    bool m_taken = false;
};

// Ctrl+A, Ctrl+C, Ctrl+V as real key presses (SendInput), into whatever has the keyboard focus.
class WinEditKeys final : public EditKeys {
public:
    void SendChord(EditChord chord) override;
    bool ChordKeysHeld() override;
    void Refocus(WindowHandle control) override;
};

// Milliseconds since start-up; waits that answer messages sent to this thread but leave posted ones
// queued, so nothing of the program's own runs meanwhile.
class WinWaitClock final : public WaitClock {
public:
    std::chrono::milliseconds Now() override;
    void Wait(std::chrono::milliseconds duration) override;
};

}  // namespace quillmar::win32
