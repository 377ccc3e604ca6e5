#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

namespace quillmar::contracts {

// A fresh folder under the system's temporary folder for one test, removed with everything in it.
// Paths are handed out as the program forms them: the folder ends in the platform's separator.
class ContractFolder {
public:
    ContractFolder() {
        static int counter = 0;
        const auto base = std::filesystem::temp_directory_path();
        do {
            m_path = base / ("quillmar-contract-" + std::to_string(++counter) + "-" +
                             std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFF));
        } while (std::filesystem::exists(m_path));
        std::filesystem::create_directories(m_path);
    }
    ~ContractFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ContractFolder(const ContractFolder&) = delete;
    ContractFolder& operator=(const ContractFolder&) = delete;

    std::string Path() const {
        const std::u8string path = (m_path / "").u8string();
        return std::string(path.begin(), path.end());
    }
    std::string Path(const std::string& name) const { return Path() + name; }

    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream out(m_path / Utf8(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::optional<std::string> Get(const std::string& name) const {
        std::ifstream in(m_path / Utf8(name), std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool MakeFolder(const std::string& name) const {
        return std::filesystem::create_directories(m_path / Utf8(name));
    }

private:
    // Names are UTF-8, as the program's are, whatever the system's narrow encoding.
    static std::filesystem::path Utf8(const std::string& name) {
        return std::filesystem::path(std::u8string(name.begin(), name.end()));
    }
    std::filesystem::path m_path;
};

}  // namespace quillmar::contracts
