#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeTimers.h"
#include "platform/AccessibleValues.h"
#include "platform/Clipboard.h"
#include "platform/Hotkeys.h"

namespace quillmar::fakes {

// Focused elements by window; an element may take a written value, refuse it, ignore it or cut it.
class FakeAccessibleValues : public AccessibleValues {
public:
    std::optional<AccessibleElement> FocusedElement(WindowHandle window) override {
        asked.push_back(window);
        const auto found = elements.find(window);
        if (found == elements.end()) return std::nullopt;
        return found->second;
    }
    bool SetFocusedValue(WindowHandle window, const std::string& text) override {
        const auto found = elements.find(window);
        if (found == elements.end() || refusesWrites) return false;
        if (!ignoresWrites) found->second.value = text.substr(0, maxBytes);
        return true;
    }
    // An editable text field holding `value`.
    void Field(WindowHandle window, const std::string& value) {
        elements[window] = {AccessibleRole::Text, false, false, value};
    }
    std::map<WindowHandle, AccessibleElement> elements;
    std::vector<WindowHandle> asked;
    bool refusesWrites = false;
    bool ignoresWrites = false;
    std::size_t maxBytes = std::string::npos;
};

// The time of a FakeTimers; a wait moves it on and fires what falls due meanwhile.
class FakeWaitClock : public WaitClock {
public:
    explicit FakeWaitClock(FakeTimers& timers) : m_timers(timers) {}
    std::chrono::milliseconds Now() override { return m_timers.Now(); }
    void Wait(std::chrono::milliseconds duration) override { m_timers.Advance(duration); }

private:
    FakeTimers& m_timers;
};

// A clipboard whose text is format 13; every change moves the sequence number. Formats in `slow` take
// longer to render than any budget. Each step is written to the journal with its time.
class FakeClipboard : public Clipboard {
public:
    static constexpr unsigned kText = 13;

    explicit FakeClipboard(FakeTimers& timers) : m_timers(timers) {}

    std::optional<ClipboardContent> Save(std::chrono::milliseconds /*budget*/) override {
        if (locked) return std::nullopt;
        Note("save");
        ClipboardContent kept;
        for (const auto& format : content.formats) {
            if (slow.count(format.id) != 0) {
                kept.notKept.push_back("format " + std::to_string(format.id));
            } else {
                kept.formats.push_back(format);
            }
        }
        return kept;
    }
    bool Restore(const ClipboardContent& saved) override {
        Note("restore");
        Change(saved.formats);
        return true;
    }
    std::uint32_t SequenceNumber() override { return sequence; }
    std::optional<std::string> GetText() override {
        Render();
        for (const auto& format : content.formats) {
            if (format.id == kText) return std::string(format.bytes.begin(), format.bytes.end());
        }
        return std::nullopt;
    }
    bool OfferText(const std::string& text) override {
        Note("offer");
        Change({});
        m_offer = text;
        m_taken = false;
        return true;
    }
    bool OfferTaken() override { return m_taken; }

    // What a copy in another program does.
    void Put(const std::string& text) {
        Change({{kText, std::vector<unsigned char>(text.begin(), text.end())}});
    }
    void Change(std::vector<ClipboardContent::Format> formats) {
        content.formats = std::move(formats);
        m_offer.reset();
        ++sequence;
    }
    bool JournalHas(const std::string& entry) const {
        for (const std::string& line : journal) {
            if (line.find(entry) != std::string::npos) return true;
        }
        return false;
    }
    void Note(const std::string& step) {
        journal.push_back(std::to_string(m_timers.Now().count()) + " " + step);
    }

    ClipboardContent content;
    std::set<unsigned> slow;
    std::vector<std::string> journal;  // "TIME_MS STEP"
    std::uint32_t sequence = 1;
    bool locked = false;

private:
    // Whoever asks for the offered text has it rendered.
    void Render() {
        if (!m_offer || m_taken) return;
        const std::string text = *m_offer;
        content.formats = {{kText, std::vector<unsigned char>(text.begin(), text.end())}};
        m_taken = true;
        Note("taken");
    }

    FakeTimers& m_timers;
    std::optional<std::string> m_offer;
    bool m_taken = false;
};

// A text control that only knows Ctrl+A, Ctrl+C and Ctrl+V, as keys reach the focused control; it may
// take its paste or copy late and the user may still hold keys (heldFor, from the start).
class FakeEditKeys : public EditKeys {
public:
    FakeEditKeys(FakeClipboard& clipboard, FakeTimers& timers) : m_clipboard(clipboard), m_timers(timers) {}
    void SendChord(EditChord chord) override {
        chords.push_back(chord);
        m_clipboard.Note(chord == EditChord::SelectAll ? "Ctrl+A" : chord == EditChord::Copy ? "Ctrl+C" : "Ctrl+V");
        switch (chord) {
            case EditChord::SelectAll:
                break;
            case EditChord::Copy:
                if (copies) Later(copyDelay, [this] { m_clipboard.Put(text); });
                break;
            case EditChord::Paste:
                if (pastes) Later(pasteDelay, [this] { DoPaste(); });
                break;
        }
    }
    bool ChordKeysHeld() override { return m_timers.Now() < heldFor; }
    void Refocus(WindowHandle control) override { refocused.push_back(control); }

    std::string text;
    bool copies = true;
    bool pastes = true;
    std::chrono::milliseconds pasteDelay{0};
    std::chrono::milliseconds copyDelay{0};
    std::chrono::milliseconds heldFor{0};
    std::size_t maxBytes = std::string::npos;
    std::vector<EditChord> chords;
    std::vector<WindowHandle> refocused;

private:
    void DoPaste() { text = m_clipboard.GetText().value_or(std::string{}).substr(0, maxBytes); }
    // What a busy program does with a key: it gets to it later.
    void Later(std::chrono::milliseconds delay, std::function<void()> action) {
        if (delay.count() == 0) {
            action();
            return;
        }
        const std::size_t at = m_later.size();
        m_later.push_back(m_timers.CreateTimer(delay, true, [this, at, action = std::move(action)] {
            m_later[at]->SetEnabled(false);
            action();
        }));
    }

    FakeClipboard& m_clipboard;
    FakeTimers& m_timers;
    std::vector<std::unique_ptr<Timer>> m_later;
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
