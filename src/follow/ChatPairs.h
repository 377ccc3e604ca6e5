#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace quillmar {

// The chat a message window belongs to: its title without the fixed words of the message windows, so
// "Alice - Send Message" and "Alice - Incoming Message" are one chat. Empty when nothing is left.
std::string ChatKey(std::string_view title);

// The language pair last used in each chat, kept in the settings store for the most recently used chats.
class ChatPairs {
public:
    static constexpr std::size_t kMaxChats = 200;

    ChatPairs(SettingsStore& settings, std::string appName, std::string section)
        : m_settings(settings), m_appName(std::move(appName)), m_section(std::move(section)) {}

    // The pair caption remembered for the chat of this window title.
    std::optional<std::string> PairFor(std::string_view title);
    // Remembers the pair for the chat of this title, as the most recently used chat.
    void Remember(std::string_view title, const std::string& pairCaption);

private:
    SettingsStore& m_settings;
    std::string m_appName;
    std::string m_section;
};

}  // namespace quillmar
