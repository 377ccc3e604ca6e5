#include "service/AnswerCache.h"

namespace quillmar::service {

AnswerCache::AnswerCache(std::size_t maxEntries, std::size_t maxBytes)
    : m_maxEntries(maxEntries), m_maxBytes(maxBytes) {}

std::string AnswerCache::KeyOf(std::string_view pairCode, std::string_view text) {
    std::string key(pairCode);
    key += '\n';  // never in a pair code
    key += text;
    return key;
}

std::optional<std::string> AnswerCache::Find(std::string_view pairCode, std::string_view text) {
    if (m_maxEntries == 0) return std::nullopt;
    const std::string key = KeyOf(pairCode, text);
    std::lock_guard lock(m_mutex);
    auto found = m_index.find(key);
    if (found == m_index.end()) return std::nullopt;
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return found->second->translation;
}

void AnswerCache::Store(std::string_view pairCode, std::string_view text, std::string translation) {
    if (m_maxEntries == 0) return;
    std::string key = KeyOf(pairCode, text);
    const std::size_t bytes = key.size() + translation.size();
    if (bytes > m_maxBytes) return;
    std::lock_guard lock(m_mutex);
    if (auto found = m_index.find(key); found != m_index.end()) {
        std::list<Entry>::iterator old = found->second;
        m_bytes -= old->key.size() + old->translation.size();
        m_index.erase(found);
        m_entries.erase(old);
    }
    m_entries.push_front({std::move(key), std::move(translation)});
    m_index.emplace(m_entries.front().key, m_entries.begin());
    m_bytes += bytes;
    while (m_entries.size() > m_maxEntries || m_bytes > m_maxBytes) {
        Entry& oldest = m_entries.back();
        m_bytes -= oldest.key.size() + oldest.translation.size();
        m_index.erase(oldest.key);
        m_entries.pop_back();
    }
}

}  // namespace quillmar::service
