#include "follow/FollowMod.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quillmar {

namespace {
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}
// A sibling chain that is re-ordered while it is walked can loop; no real window has this many children.
constexpr std::size_t kMaxChildren = 1 << 16;
}  // namespace

bool ContainsNoCase(std::string_view text, std::string_view part) {
    auto it = std::search(text.begin(), text.end(), part.begin(), part.end(),
                          [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return it != text.end() || part.empty();
}

std::string FollowMod::ReadWindowText(WindowHandle window) {
    if (window == 0) return {};
    const std::optional<std::size_t> length = m_windows.SendGetTextLength(window);
    if (!length || *length == 0) return {};
    return m_windows.SendGetText(window, *length + 1).value_or(std::string{});
}

CapturedText FollowMod::CaptureEditText(WindowHandle window) {
    if (ContainsNoCase(m_windows.ClassName(window), "edit")) return {ReadWindowText(window), window};
    // The list is complete before any child is visited, as the walk's order depends on it.
    std::vector<WindowHandle> children;
    for (WindowHandle child = m_windows.RelatedWindow(window, WindowRelation::FirstChild); child != 0;
         child = m_windows.RelatedWindow(child, WindowRelation::NextSibling)) {
        children.push_back(child);
        if (children.size() >= kMaxChildren) break;
    }
    CapturedText lastReached;
    for (WindowHandle child : children) {
        CapturedText captured = CaptureEditText(child);
        if (!captured.text.empty()) return captured;
        if (captured.control != 0) lastReached = std::move(captured);
    }
    return lastReached;
}

bool SameTextAcrossLineBreaks(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto next = [](std::string_view text, std::size_t& at) {
        const char c = text[at++];
        if (c != '\r') return c;
        if (at < text.size() && text[at] == '\n') ++at;
        return '\n';
    };
    while (i < a.size() && j < b.size()) {
        if (next(a, i) != next(b, j)) return false;
    }
    return i == a.size() && j == b.size();
}

bool FollowMod::HoldsText(WindowHandle window, const std::string& text) {
    // An empty read cannot tell an empty control from one that did not answer.
    if (text.empty()) return m_windows.SendGetTextLength(window) == std::optional<std::size_t>{0};
    return SameTextAcrossLineBreaks(ReadWindowText(window), text);
}

bool FollowMod::WriteWindowText(WindowHandle window, const std::string& text) {
    if (window == 0) return false;
    const bool sent = ContainsNoCase(m_windows.ClassName(window), "edit") ? m_windows.SendReplaceAll(window, text)
                                                                          : m_windows.SendSetText(window, text);
    return sent && HoldsText(window, text);
}

bool FollowMod::ReplaceTypedText(WindowHandle window, const std::string& translation, const std::string& typed) {
    if (WriteWindowText(window, translation)) return true;
    if (window != 0 && !typed.empty() && !HoldsText(window, typed)) WriteWindowText(window, typed);
    return false;
}

}  // namespace quillmar
