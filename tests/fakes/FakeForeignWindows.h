#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ForeignWindows.h"

namespace quillmar::fakes {

// A window tree of other programs: classes, texts, rectangles, visibility, hung windows.
// Texts are UTF-8; lengths are reported in UTF-16 units as the real messages do.
class FakeForeignWindows : public ForeignWindows {
public:
    struct Window {
        std::string className;
        std::string text;
        Rect rect;
        bool visible = true;
        bool hung = false;  // never answers a message
        WindowHandle parent = 0;
        std::vector<WindowHandle> children;  // Z order
        std::string program;       // the program file's name
        bool ignoresText = false;  // answers the text messages but keeps its text
        std::size_t maxBytes = std::string::npos;  // a text limit: longer texts are cut
        std::vector<std::string> undo;             // texts replaced by EM_REPLACESEL, latest last
        std::optional<WindowFrame> frame;          // none: no compositor (Wine)
        std::optional<Rect> workArea;              // of the window's monitor
        bool elevated = false;                     // runs above this program
    };
    enum class Message { GetTextLength, GetText, SetText, ReplaceAll };
    struct Sent {
        WindowHandle window;
        Message message;
        std::size_t bufferUnits = 0;
    };
    struct Placement {
        WindowHandle window;
        int x, y, width, height;
    };

    WindowHandle Add(WindowHandle handle, std::string className, std::string text = {},
                     WindowHandle parent = 0) {
        Window& w = windows[handle];
        w.className = std::move(className);
        w.text = std::move(text);
        w.parent = parent;
        if (parent != 0) windows[parent].children.push_back(handle);
        return handle;
    }
    void Destroy(WindowHandle handle) {
        auto it = windows.find(handle);
        if (it == windows.end()) return;
        for (WindowHandle child : std::vector<WindowHandle>(it->second.children)) Destroy(child);
        if (it->second.parent != 0) std::erase(windows[it->second.parent].children, handle);
        windows.erase(handle);
    }
    Window* Find(WindowHandle handle) {
        auto it = windows.find(handle);
        return it == windows.end() ? nullptr : &it->second;
    }

    WindowHandle ForegroundWindow() override { return foreground; }
    WindowHandle FocusedWindow(WindowHandle topLevel) override { return topLevel == foreground ? focus : 0; }
    std::optional<Rect> WindowRect(WindowHandle window) override {
        if (Window* w = Find(window)) return w->rect;
        return std::nullopt;
    }
    bool IsWindowVisible(WindowHandle window) override {
        Window* w = Find(window);
        return w != nullptr && w->visible;
    }
    std::string ClassName(WindowHandle window) override {
        Window* w = Find(window);
        return w == nullptr ? std::string{} : w->className.substr(0, 255);
    }
    std::string ProgramFileName(WindowHandle window) override {
        ++programQueries;
        Window* w = Find(window);
        return w == nullptr ? std::string{} : w->program;
    }
    WindowHandle RelatedWindow(WindowHandle window, WindowRelation relation) override {
        ++relationQueries;
        Window* w = Find(window);
        if (w == nullptr) return 0;
        if (relation == WindowRelation::FirstChild) return w->children.empty() ? 0 : w->children.front();
        if (w->parent == 0) return 0;
        const auto& siblings = windows[w->parent].children;
        auto it = std::find(siblings.begin(), siblings.end(), window);
        return it == siblings.end() || it + 1 == siblings.end() ? 0 : *(it + 1);
    }

    std::optional<WindowFrame> Frame(WindowHandle window) override {
        Window* w = Find(window);
        return w == nullptr ? std::nullopt : w->frame;
    }
    std::optional<Rect> WorkArea(WindowHandle window) override {
        Window* w = Find(window);
        return w == nullptr ? std::nullopt : w->workArea;
    }
    // The system's copy of the title: no message, so a hung window's title reads too.
    std::string WindowTitle(WindowHandle window) override {
        ++titleReads;
        Window* w = Find(window);
        return w == nullptr ? std::string{} : w->text;
    }
    bool RunsAboveUs(WindowHandle window) override {
        ++elevationQueries;
        Window* w = Find(window);
        return w != nullptr && w->elevated;
    }

    std::optional<std::size_t> SendGetTextLength(WindowHandle window) override {
        sent.push_back({window, Message::GetTextLength});
        Window* w = Find(window);
        if (w == nullptr) return 0;
        if (w->hung) return std::nullopt;
        return Utf16Units(w->text);
    }
    std::optional<std::string> SendGetText(WindowHandle window, std::size_t bufferUnits) override {
        sent.push_back({window, Message::GetText, bufferUnits});
        Window* w = Find(window);
        if (w == nullptr) return std::string{};
        if (w->hung) return std::nullopt;
        // As the message does: at most bufferUnits - 1 units, never half a surrogate pair.
        std::size_t units = 0;
        std::size_t end = 0;
        while (end < w->text.size()) {
            std::size_t next = end + 1;
            while (next < w->text.size() && (static_cast<unsigned char>(w->text[next]) & 0xC0) == 0x80) ++next;
            units += static_cast<unsigned char>(w->text[end]) >= 0xF0 ? 2 : 1;
            if (units + 1 > bufferUnits) break;
            end = next;
        }
        return w->text.substr(0, end);
    }
    bool SendSetText(WindowHandle window, const std::string& text) override {
        sent.push_back({window, Message::SetText});
        Window* w = Find(window);
        if (w == nullptr || w->hung) return false;
        if (!w->ignoresText) w->text = text.substr(0, w->maxBytes);
        return true;
    }
    bool SendReplaceAll(WindowHandle window, const std::string& text) override {
        sent.push_back({window, Message::ReplaceAll});
        Window* w = Find(window);
        if (w == nullptr || w->hung) return false;
        // Only edit controls know the edit messages.
        std::string lower = w->className;
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        if (w->ignoresText || lower.find("edit") == std::string::npos) return true;
        w->undo.push_back(w->text);
        w->text = text.substr(0, w->maxBytes);
        return true;
    }
    void PlaceTopmost(WindowHandle window, int x, int y, int width, int height) override {
        placements.push_back({window, x, y, width, height});
    }

    static std::size_t Utf16Units(const std::string& text) {
        std::size_t units = 0;
        for (unsigned char c : text) {
            if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
        }
        return units;
    }

    std::map<WindowHandle, Window> windows;
    WindowHandle foreground = 0;
    WindowHandle focus = 0;  // in the foreground window
    std::vector<Sent> sent;
    std::vector<Placement> placements;
    std::size_t relationQueries = 0;
    std::size_t programQueries = 0;
    std::size_t titleReads = 0;
    std::size_t elevationQueries = 0;
};

}  // namespace quillmar::fakes
