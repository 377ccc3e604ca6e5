#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Picture.h"
#include "platform/ProfileFiles.h"
#include "platform/SettingsStore.h"

namespace quillmar::fakes {

// Do-nothing bases: nothing exists, every read gives the fallback, every write fails.
class NullFileSystem : public FileSystem {
public:
    std::vector<DirectoryEntry> ListDirectory(const std::string&) override { return {}; }
    bool FileExists(const std::string&) override { return false; }
    SystemResult Copy(const std::string&, const std::string&) override {
        return SystemResult::Failure(2, "none");
    }
    SystemResult Remove(const std::string&) override { return SystemResult::Failure(2, "none"); }
};

class NullProfileFiles : public ProfileFiles {
public:
    std::string ReadString(const std::string&, const std::string&, const std::string&,
                           const std::string& fallback, std::size_t) override {
        return fallback;
    }
    SystemResult WriteString(const std::string&, const std::string&, const std::string&,
                             const std::optional<std::string>&) override {
        return SystemResult::Failure(2, "none");
    }
};

class NullSettingsStore : public SettingsStore {
public:
    std::string GetSetting(const std::string&, const std::string&, const std::string&,
                           const std::string& fallback) override {
        return fallback;
    }
    SystemResult SaveSetting(const std::string&, const std::string&, const std::string&,
                             const std::string&) override {
        return SystemResult::Failure(5, "none");
    }
};

// Folders and files by full path with backslashes ("C:\Q\skins\Red\red.QSK"); listing order is the
// order in which entries were added. Folders are made as needed.
class FakeFileSystem : public NullFileSystem {
public:
    void AddFolder(const std::string& path, bool hidden = false) { Add(Trimmed(path), true, hidden); }
    void AddFile(const std::string& path, bool hidden = false) { Add(path, false, hidden); }
    // Removes an entry and, for a folder, everything in it.
    void RemoveTree(const std::string& path) {
        const std::string key = Trimmed(path);
        auto [parent, name] = Split(key);
        auto& entries = m_folders[parent];
        entries.erase(
            std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; }),
            entries.end());
        for (auto it = m_folders.begin(); it != m_folders.end();) {
            it =
                it->first == key || it->first.rfind(key + "\\", 0) == 0 ? m_folders.erase(it) : std::next(it);
        }
    }

    std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override {
        ++listings;
        auto it = m_folders.find(Trimmed(folder));
        return it == m_folders.end() ? std::vector<DirectoryEntry>{} : it->second;
    }
    bool FileExists(const std::string& path) override {
        const std::string key = Trimmed(path);
        auto [parent, name] = Split(key);
        auto it = m_folders.find(parent);
        return it != m_folders.end() && std::any_of(it->second.begin(), it->second.end(),
                                                    [&](const auto& e) { return e.name == name; });
    }

    int listings = 0;

private:
    static std::string Trimmed(std::string path) {
        while (!path.empty() && path.back() == '\\') path.pop_back();
        return path;
    }
    static std::pair<std::string, std::string> Split(const std::string& path) {
        const std::size_t slash = path.rfind('\\');
        if (slash == std::string::npos) return {"", path};
        return {path.substr(0, slash), path.substr(slash + 1)};
    }
    void Add(const std::string& path, bool directory, bool hidden) {
        auto [parent, name] = Split(path);
        if (parent.find('\\') != std::string::npos && !FileExists(parent)) Add(parent, true, false);
        auto& entries = m_folders[parent];
        if (std::none_of(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; })) {
            entries.push_back({name, directory, hidden, false});
        }
        if (directory) m_folders[path];
    }
    std::map<std::string, std::vector<DirectoryEntry>> m_folders;
};

// Profile files in memory: names ignore ASCII case, values are cut to bufferChars - 1 bytes.
class FakeProfileFiles : public NullProfileFiles {
public:
    void Set(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) {
        m_files[path][Lower(section)][Lower(key)] = value;
    }
    void RemoveFile(const std::string& path) { m_files.erase(path); }

    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) override {
        reads.push_back({path, section, key, fallback, bufferChars});
        std::string value = fallback;
        if (auto file = m_files.find(path); file != m_files.end()) {
            if (auto found = file->second.find(Lower(section)); found != file->second.end()) {
                if (auto entry = found->second.find(Lower(key)); entry != found->second.end())
                    value = entry->second;
            }
        }
        if (bufferChars == 0) return "";
        return value.substr(0, bufferChars - 1);
    }
    SystemResult WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::optional<std::string>& value) override {
        if (value) {
            Set(path, section, key, *value);
        } else if (auto file = m_files.find(path); file != m_files.end()) {
            file->second[Lower(section)].erase(Lower(key));
        }
        return SystemResult::Success();
    }

    struct Read {
        std::string path, section, key, fallback;
        std::size_t bufferChars;
    };
    std::vector<Read> reads;

private:
    static std::string Lower(std::string text) {
        for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    }
    std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> m_files;
};

// Values by application, section and key; onSave runs after each save (to see the order of events).
class FakeSettingsStore : public NullSettingsStore {
public:
    std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        auto it = values.find(appName + "|" + section + "|" + key);
        return it == values.end() ? fallback : it->second;
    }
    SystemResult SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                             const std::string& value) override {
        values[appName + "|" + section + "|" + key] = value;
        if (onSave) onSave();
        return SystemResult::Success();
    }
    std::map<std::string, std::string> values;  // "QUILLMAR|settings|CurrentSkin" -> value
    std::function<void()> onSave;
};

// Pictures that load when a file was given a size here; "builtin:NAME" sources at the built-in sizes.
class FakePictureFiles : public PictureLoader {
public:
    Picture LoadPicture(const std::string& source) override {
        loaded.push_back(source);
        auto it = sizes.find(source);
        if (it == sizes.end()) return Picture{source, 0, 0};
        return Picture{source, it->second.first, it->second.second};
    }
    std::map<std::string, std::pair<int, int>> sizes{{"builtin:translate", {71, 15}},
                                                     {"builtin:select", {153, 15}},
                                                     {"builtin:menu", {17, 15}},
                                                     {"builtin:status", {123, 25}}};
    std::vector<std::string> loaded;
};

}  // namespace quillmar::fakes
