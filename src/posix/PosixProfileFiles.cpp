#include "posix/PosixProfileFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "posix/PosixPaths.h"

namespace quillmar::posix {
namespace {

struct Entry {
    std::string name;
    std::optional<std::string> value;  // none for a line without "="
};

struct Section {
    std::string name;  // "" for the lines before the first section line
    std::vector<Entry> entries;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The first `chars` code points of UTF-8 text.
std::string CutToCodePoints(std::string_view text, std::size_t chars) {
    std::size_t end = 0;
    std::size_t count = 0;
    while (end < text.size()) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            if (count == chars) break;
            ++count;
        }
        ++end;
    }
    return std::string(text.substr(0, end));
}

std::vector<Section> Parse(const std::string& text) {
    std::vector<Section> sections;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            const std::size_t close = name.rfind(']');
            if (close != std::string_view::npos) name = name.substr(0, close);
            sections.push_back({std::string(Trim(name)), {}});
            continue;
        }
        if (sections.empty()) sections.push_back({"", {}});
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            sections.back().entries.push_back({std::string(line), std::nullopt});
        } else {
            sections.back().entries.push_back(
                {std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
        }
    }
    return sections;
}

std::string Serialize(const std::vector<Section>& sections) {
    std::string text;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        if (i > 0 || !section.name.empty()) text += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.value) text += "=" + *entry.value;
            text += "\r\n";
        }
    }
    return text;
}

Section* FindSection(std::vector<Section>& sections, std::string_view name) {
    name = Trim(name);
    for (Section& section : sections) {
        if (SameName(section.name, name)) return &section;
    }
    return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
    name = Trim(name);
    for (Entry& entry : section.entries) {
        if (SameName(entry.name, name)) return &entry;
    }
    return nullptr;
}

// Whole file; none when it cannot be read. `missing` tells a file that is not there from other failures.
std::optional<std::string> ReadWholeFile(const std::string& path, bool* missing) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (missing != nullptr) *missing = errno == ENOENT;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

SystemResult FailureFromErrno(int code) {
    return SystemResult::Failure(code, std::strerror(code));
}

// Through a file beside the target and a rename, so a failed write never leaves half a file behind.
SystemResult ReplaceFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".quillmar-" + std::to_string(getpid()) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return FailureFromErrno(errno != 0 ? errno : EIO);
        out << text;
        out.flush();
        if (!out) {
            const int code = errno != 0 ? errno : EIO;
            unlink(temporary.c_str());
            return FailureFromErrno(code);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int code = errno;
        unlink(temporary.c_str());
        return FailureFromErrno(code);
    }
    return SystemResult::Success();
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A key written as "[name=value" would be read back as a section line.
bool OpensSection(std::string_view key) {
    key = TrimLeft(key);
    return !key.empty() && key.front() == '[';
}

}  // namespace

std::string PosixProfileFiles::ReadString(const std::string& path, const std::string& section,
                                          const std::string& key, const std::string& fallback,
                                          std::size_t bufferChars) {
    if (bufferChars == 0) return "";
    const std::size_t limit = bufferChars - 1;
    // Like the Windows call, a default loses its trailing blanks.
    std::string_view result = fallback;
    while (!result.empty() && IsBlank(result.back())) result.remove_suffix(1);

    const std::string nativePath = NativePath(path);
    std::optional<std::string> text;
    if (IsFullPath(nativePath)) text = ReadWholeFile(nativePath, nullptr);
    if (!text) return CutToCodePoints(result, limit);

    std::vector<Section> sections = Parse(*text);
    Section* found = FindSection(sections, section);
    Entry* entry = found != nullptr ? FindEntry(*found, key) : nullptr;
    if (entry == nullptr || !entry->value) return CutToCodePoints(result, limit);

    std::string_view value = *entry->value;
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return CutToCodePoints(value, limit);
}

SystemResult PosixProfileFiles::WriteString(const std::string& path, const std::string& section,
                                            const std::string& key, const std::optional<std::string>& value) {
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || key.find('=') != std::string::npos ||
        OpensSection(key) || (value && HoldsLineBreak(*value))) {
        return SystemResult::Failure(
            EINVAL, "A profile entry cannot hold a line break, nor a key an \"=\" or a \"[\" at its start.");
    }
    const std::string nativePath = NativePath(path);
    if (!IsFullPath(nativePath)) return SystemResult::Failure(EINVAL, "Not a full path: " + path);

    bool missing = false;
    std::optional<std::string> text = ReadWholeFile(nativePath, &missing);
    if (!text && !missing) return FailureFromErrno(errno != 0 ? errno : EIO);
    std::vector<Section> sections = Parse(text.value_or(""));

    Section* found = FindSection(sections, section);
    if (!value) {
        // Removing what is not there changes nothing, and creates no file.
        if (found == nullptr) return SystemResult::Success();
        for (auto it = found->entries.begin(); it != found->entries.end(); ++it) {
            if (SameName(it->name, Trim(key))) {
                found->entries.erase(it);
                return ReplaceFile(nativePath, Serialize(sections));
            }
        }
        return SystemResult::Success();
    }

    // Leading blanks of names and of the value are not written, trailing ones are (as Wine does).
    const std::string newValue(TrimLeft(*value));
    if (found == nullptr) {
        sections.push_back({std::string(TrimLeft(section)), {}});
        found = &sections.back();
    }
    if (Entry* entry = FindEntry(*found, key)) {
        entry->value = newValue;
    } else {
        found->entries.push_back({std::string(TrimLeft(key)), newValue});
    }
    return ReplaceFile(nativePath, Serialize(sections));
}

}  // namespace quillmar::posix
