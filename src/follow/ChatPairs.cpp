#include "follow/ChatPairs.h"

#include <algorithm>
#include <utility>
#include <vector>


namespace quillmar {

namespace {

constexpr const char* kChatPairsKey = "ChatPairs";
// One stored value holds every chat, most recent first: records apart by RS, a key and its pair by US.
// Neither can come from a title, as both are taken out of the keys.
constexpr char kRecordSeparator = '\x1E';
constexpr char kFieldSeparator = '\x1F';
constexpr std::string_view kFixedWords[] = {"send", "incoming", "message"};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsWordCharacter(char c) {
    return static_cast<unsigned char>(c) >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
}

bool IsFixedWord(std::string_view word) {
    return std::any_of(std::begin(kFixedWords), std::end(kFixedWords), [word](std::string_view fixed) {
        return word.size() == fixed.size() &&
               std::equal(word.begin(), word.end(), fixed.begin(), [](char a, char b) { return LowerAscii(a) == b; });
    });
}

using Records = std::vector<std::pair<std::string, std::string>>;

Records Parse(const std::string& stored) {
    Records records;
    std::size_t from = 0;
    while (from < stored.size()) {
        std::size_t end = stored.find(kRecordSeparator, from);
        if (end == std::string::npos) end = stored.size();
        const std::string_view record(stored.data() + from, end - from);
        const std::size_t field = record.find(kFieldSeparator);
        if (field != std::string_view::npos && field > 0) {
            records.emplace_back(std::string(record.substr(0, field)), std::string(record.substr(field + 1)));
        }
        from = end + 1;
    }
    return records;
}

}  // namespace

std::string ChatKey(std::string_view title) {
    // Words are kept as written; the fixed words and what only joins them (blanks, dashes, colons) go.
    std::string key;
    std::string pending;  // separators since the last kept word
    std::size_t i = 0;
    while (i < title.size()) {
        if (!IsWordCharacter(title[i])) {
            if (title[i] != kRecordSeparator && title[i] != kFieldSeparator) pending += title[i];
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < title.size() && IsWordCharacter(title[end])) ++end;
        const std::string_view word = title.substr(i, end - i);
        if (!IsFixedWord(word)) {
            if (!key.empty()) key += pending;
            key += word;
        }
        pending.clear();
        i = end;
    }
    return key;
}

std::optional<std::string> ChatPairs::PairFor(std::string_view title) {
    const std::string key = ChatKey(title);
    if (key.empty()) return std::nullopt;
    for (auto& [chat, pair] : Parse(m_settings.GetSetting(m_appName, m_section, kChatPairsKey, ""))) {
        if (chat == key) return pair;
    }
    return std::nullopt;
}

void ChatPairs::Remember(std::string_view title, const std::string& pairCaption) {
    const std::string key = ChatKey(title);
    if (key.empty() || pairCaption.find_first_of("\x1E\x1F") != std::string::npos) return;
    Records records = Parse(m_settings.GetSetting(m_appName, m_section, kChatPairsKey, ""));
    if (!records.empty() && records.front().first == key && records.front().second == pairCaption) return;
    std::erase_if(records, [&key](const auto& record) { return record.first == key; });
    records.insert(records.begin(), {key, pairCaption});
    if (records.size() > kMaxChats) records.resize(kMaxChats);
    std::string stored;
    for (const auto& [chat, pair] : records) {
        if (!stored.empty()) stored += kRecordSeparator;
        stored += chat;
        stored += kFieldSeparator;
        stored += pair;
    }
    m_settings.SaveSetting(m_appName, m_section, kChatPairsKey, stored);
}

}  // namespace quillmar
