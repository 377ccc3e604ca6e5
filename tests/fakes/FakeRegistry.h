#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace quillmar::fakes {

// Keys by root and path, values as stored. Opening asks `mayOpen` (every access is granted unless a
// test says otherwise); a query larger than its buffer fails as the port promises. Keys handed out
// are counted, so a test sees every one closed again.
class FakeRegistry : public Registry {
public:
    void SetString(RegistryRoot root, const std::string& path, const std::string& name, const std::string& text) {
        RegistryValue value{RegistryType::String, {text.begin(), text.end()}};
        value.bytes.push_back(0);
        Set(root, path, name, value);
    }
    void SetDword(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t number) {
        RegistryValue value{RegistryType::Dword, {}};
        for (int i = 0; i < 4; ++i) value.bytes.push_back(static_cast<unsigned char>(number >> (8 * i)));
        Set(root, path, name, value);
    }
    void Set(RegistryRoot root, const std::string& path, const std::string& name, const RegistryValue& value) {
        m_keys[{root, path}][name] = value;
    }

    std::optional<RegistryKey> OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access) override {
        opens.push_back({root, path, access});
        if (!m_keys.count({root, path}) || (mayOpen && !mayOpen(root, access))) return std::nullopt;
        m_open[++m_lastKey] = {root, path};
        return m_lastKey;
    }
    std::optional<RegistryKey> CreateKey(RegistryRoot root, const std::string& path, SystemResult* why) override {
        if (failCreate) {
            if (why != nullptr) *why = SystemResult::Failure(5, *failCreate);
            return std::nullopt;
        }
        m_keys[{root, path}];
        if (why != nullptr) *why = SystemResult::Success();
        m_open[++m_lastKey] = {root, path};
        return m_lastKey;
    }
    std::optional<RegistryValue> QueryValue(RegistryKey key, const std::string& name,
                                            std::size_t bufferSize) override {
        queries.push_back({name, bufferSize});
        auto open = m_open.find(key);
        if (open == m_open.end()) return std::nullopt;
        const auto& values = m_keys[open->second];
        auto it = values.find(name);
        if (it == values.end() || it->second.bytes.size() > bufferSize) return std::nullopt;
        return it->second;
    }
    SystemResult SetStringValue(RegistryKey key, const std::string& name, const std::string& data) override {
        if (failSet) return SystemResult::Failure(5, *failSet);
        auto open = m_open.find(key);
        if (open == m_open.end()) return SystemResult::Failure(6, "not open");
        RegistryValue value{RegistryType::String, {data.begin(), data.end()}};
        value.bytes.push_back(0);
        m_keys[open->second][name] = value;
        return SystemResult::Success();
    }
    void CloseKey(RegistryKey key) override { m_open.erase(key); }

    std::size_t OpenKeys() const { return m_open.size(); }
    // A string value as stored, without its terminating null; none when it is missing.
    std::optional<std::string> String(RegistryRoot root, const std::string& path, const std::string& name) const {
        auto key = m_keys.find({root, path});
        if (key == m_keys.end()) return std::nullopt;
        auto value = key->second.find(name);
        if (value == key->second.end()) return std::nullopt;
        std::string text(value->second.bytes.begin(), value->second.bytes.end());
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    std::size_t ValueCount() const {
        std::size_t count = 0;
        for (const auto& [place, values] : m_keys) count += values.size();
        return count;
    }
    // The next CreateKey / SetStringValue fails with this reason, as a locked-down key would.
    std::optional<std::string> failCreate, failSet;

    struct Open {
        RegistryRoot root;
        std::string path;
        std::uint32_t access;
    };
    struct Query {
        std::string name;
        std::size_t bufferSize;
    };
    std::vector<Open> opens;
    std::vector<Query> queries;
    std::function<bool(RegistryRoot, std::uint32_t)> mayOpen;

private:
    using Place = std::pair<RegistryRoot, std::string>;
    std::map<Place, std::map<std::string, RegistryValue>> m_keys;
    std::map<RegistryKey, Place> m_open;
    RegistryKey m_lastKey = 0;
};

}  // namespace quillmar::fakes
