#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/AccessibleValues.h"
#include "platform/Clipboard.h"
#include "platform/Hotkeys.h"

namespace quillmar::fakes {

// Accessible values by control; a control may take a written value, ignore it or cut it.
class FakeAccessibleValues : public AccessibleValues {
public:
    std::optional<std::string> GetValue(WindowHandle control) override {
        asked.push_back(control);
        const auto found = values.find(control);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    bool SetValue(WindowHandle control, const std::string& text) override {
        const auto found = values.find(control);
        if (found == values.end()) return false;
        if (!ignoresWrites) found->second = text.substr(0, maxBytes);
        return true;
    }
    std::map<WindowHandle, std::string> values;
    std::vector<WindowHandle> asked;
    bool ignoresWrites = false;
    std::size_t maxBytes = std::string::npos;
};

// A clipboard whose text is format 13; every change moves the sequence number.
class FakeClipboard : public Clipboard {
public:
    static constexpr unsigned kText = 13;

    std::optional<ClipboardContent> Save() override {
        if (locked) return std::nullopt;
        ++saves;
        return content;
    }
    bool Restore(const ClipboardContent& saved) override {
        ++restores;
        Change(saved);
        return true;
    }
    std::uint32_t SequenceNumber() override { return sequence; }
    bool WaitForChange(std::uint32_t since) override { return sequence != since; }
    std::optional<std::string> GetText() override {
        for (const auto& format : content.formats) {
            if (format.id == kText) return std::string(format.bytes.begin(), format.bytes.end());
        }
        return std::nullopt;
    }
    bool SetOwnText(const std::string& text) override {
        ++ownTexts;
        Put(text);
        return true;
    }
    // What a copy in another program does.
    void Put(const std::string& text) {
        Change({{{kText, std::vector<unsigned char>(text.begin(), text.end())}}});
    }
    void Change(ClipboardContent next) {
        content = std::move(next);
        ++sequence;
    }

    ClipboardContent content;
    std::uint32_t sequence = 1;
    bool locked = false;
    int saves = 0;
    int restores = 0;
    int ownTexts = 0;
};

// A text control that only knows Ctrl+A, Ctrl+C and Ctrl+V, as keys reach the focused control.
class FakeEditKeys : public EditKeys {
public:
    explicit FakeEditKeys(FakeClipboard& clipboard) : m_clipboard(clipboard) {}
    void SendChord(EditChord chord) override {
        chords.push_back(chord);
        switch (chord) {
            case EditChord::SelectAll:
                break;
            case EditChord::Copy:
                if (copies) m_clipboard.Put(text);
                break;
            case EditChord::Paste:
                if (pastes) text = m_clipboard.GetText().value_or(std::string{}).substr(0, maxBytes);
                break;
        }
    }
    std::string text;
    bool copies = true;
    bool pastes = true;
    std::size_t maxBytes = std::string::npos;
    std::vector<EditChord> chords;

private:
    FakeClipboard& m_clipboard;
};

class FakeGlobalHotkeys : public GlobalHotkeys {
public:
    bool RegisterHotkey(WindowHandle /*owner*/, int id, const Hotkey& hotkey) override {
        if (taken) return false;
        registered[id] = hotkey;
        return true;
    }
    void UnregisterHotkey(WindowHandle /*owner*/, int id) override { registered.erase(id); }
    std::map<int, Hotkey> registered;
    bool taken = false;
};

}  // namespace quillmar::fakes
