#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace quillmar::fakes {

// Keys by root and path, string values by name. `failCreate` / `failSet` make the next calls fail with
// the given reason, as a locked-down Run key would.
class FakeRegistry : public Registry {
public:
    std::optional<RegistryKey> OpenKey(RegistryRoot root, const std::string& path, std::uint32_t) override {
        auto it = m_ids.find(Name(root, path));
        if (it == m_ids.end()) return std::nullopt;
        ++openKeys;
        return it->second;
    }
    std::optional<RegistryKey> CreateKey(RegistryRoot root, const std::string& path, SystemResult* why) override {
        if (failCreate) {
            if (why) *why = SystemResult::Failure(5, *failCreate);
            return std::nullopt;
        }
        auto [it, added] = m_ids.emplace(Name(root, path), m_ids.size() + 1);
        m_paths[it->second] = it->first;
        ++openKeys;
        return it->second;
    }
    std::optional<RegistryValue> QueryValue(RegistryKey key, const std::string& name, std::size_t) override {
        auto it = strings.find(m_paths[key] + "|" + name);
        if (it == strings.end()) return std::nullopt;
        RegistryValue value{RegistryType::String, {it->second.begin(), it->second.end()}};
        value.bytes.push_back(0);
        return value;
    }
    SystemResult SetStringValue(RegistryKey key, const std::string& name, const std::string& data) override {
        if (failSet) return SystemResult::Failure(5, *failSet);
        strings[m_paths[key] + "|" + name] = data;
        return SystemResult::Success();
    }
    void CloseKey(RegistryKey) override { --openKeys; }

    static std::string Name(RegistryRoot root, const std::string& path) {
        return (root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + path;
    }
    std::map<std::string, std::string> strings;  // "HKCU\\path|name" -> data
    std::optional<std::string> failCreate, failSet;
    int openKeys = 0;

private:
    std::map<std::string, RegistryKey> m_ids;
    std::map<RegistryKey, std::string> m_paths;
};

}  // namespace quillmar::fakes
