#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmar {

// Everything the clipboard held, format by format, to be put back as it was.
struct ClipboardContent {
    struct Format {
        unsigned id = 0;
        std::vector<unsigned char> bytes;
    };
    std::vector<Format> formats;
};

// The session's clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // None when the clipboard could not be opened (another program holds it).
    virtual std::optional<ClipboardContent> Save() = 0;
    virtual bool Restore(const ClipboardContent& content) = 0;
    // Moves on with every change of the clipboard's content, whoever made it.
    virtual std::uint32_t SequenceNumber() = 0;
    // Waits a bounded time (about half a second) for the sequence number to move past `since`.
    virtual bool WaitForChange(std::uint32_t since) = 0;
    // The text on the clipboard (UTF-8); none when it holds no text.
    virtual std::optional<std::string> GetText() = 0;
    // Puts `text` on the clipboard, marked so that clipboard history and clipboard monitors skip it.
    virtual bool SetOwnText(const std::string& text) = 0;
};

enum class EditChord { SelectAll, Copy, Paste };  // Ctrl+A, Ctrl+C, Ctrl+V

// Keys typed into whatever control has the keyboard focus in the foreground window.
class EditKeys {
public:
    virtual ~EditKeys() = default;
    virtual void SendChord(EditChord chord) = 0;
};

}  // namespace quillmar
