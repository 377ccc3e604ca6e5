#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quillmar::service {

// The most recent translations, in memory only, so that a chat's repeated phrases cost no engine request.
// Holds at most maxEntries answers and maxBytes of text and translation together; the least recently used
// go first. Safe from several threads.
class AnswerCache {
public:
    AnswerCache(std::size_t maxEntries, std::size_t maxBytes = std::size_t{32} << 20);

    std::optional<std::string> Find(std::string_view pairCode, std::string_view text);
    void Store(std::string_view pairCode, std::string_view text, std::string translation);

private:
    struct Entry {
        std::string key;
        std::string translation;
    };
    static std::string KeyOf(std::string_view pairCode, std::string_view text);

    const std::size_t m_maxEntries;
    const std::size_t m_maxBytes;
    std::mutex m_mutex;
    std::list<Entry> m_entries;  // most recent first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> m_index;  // views into the entries' keys
    std::size_t m_bytes = 0;
};

}  // namespace quillmar::service
