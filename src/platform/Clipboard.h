#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowHandle.h"

namespace quillmar {

// What was kept of the clipboard, format by format, to be put back as it was; and the names of the
// formats that could not be kept.
struct ClipboardContent {
    struct Format {
        unsigned id = 0;
        std::vector<unsigned char> bytes;
    };
    std::vector<Format> formats;
    std::vector<std::string> notKept;
};

// The session's clipboard. Every write the program makes is marked so that clipboard history, the cloud
// clipboard and clipboard monitors leave it alone.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // What can be taken within `budget`, text formats first; the rest is named in notKept rather than
    // waited for (a large or hung owner would render for seconds). None when the clipboard could not be
    // opened (another program holds it).
    virtual std::optional<ClipboardContent> Save(std::chrono::milliseconds budget) = 0;
    virtual bool Restore(const ClipboardContent& content) = 0;
    // Moves on with every change of the clipboard's content, whoever made it.
    virtual std::uint32_t SequenceNumber() = 0;
    // The text on the clipboard (UTF-8); none when it holds no text.
    virtual std::optional<std::string> GetText() = 0;
    // Offers `text` without rendering it: it is handed over only when a program asks for it.
    virtual bool OfferText(const std::string& text) = 0;
    // True once a program has taken the text last offered.
    virtual bool OfferTaken() = 0;
};

enum class EditChord { SelectAll, Copy, Paste };  // Ctrl+A, Ctrl+C, Ctrl+V

// Keys typed into whatever control has the keyboard focus in the foreground window.
class EditKeys {
public:
    virtual ~EditKeys() = default;
    virtual void SendChord(EditChord chord) = 0;
    // True while a modifier or a key a hotkey can be on is held: a chord sent then would mix with it.
    virtual bool ChordKeysHeld() = 0;
    // Brings the top-level window of `control` to the front again, after a question of ours took it.
    virtual void Refocus(WindowHandle control) = 0;
};

// The time, and short waits on the UI thread that still answer what other programs send it meanwhile
// (a request to render the offered text, a notice that the clipboard changed hands).
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual std::chrono::milliseconds Now() = 0;
    virtual void Wait(std::chrono::milliseconds duration) = 0;
};

}  // namespace quillmar
