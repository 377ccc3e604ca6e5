// Skin files under libFuzzer: the program's profile-file reader (PosixProfileFiles) and writer, the
// service's reading of a skin's title for its gallery, and the colour values. Checked, on any file: every
// value read is a value or none, cut to what the program reads, in the service's case valid UTF-8 whatever
// the file's code page; a value written reads back and leaves every other value as it was. On files built
// from the input's sections and entries, both readers agree with a plain reading of what was built. Colour
// numbers agree with the C library's reading of the same number.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "posix/PosixProfileFiles.h"
#include "service/SkinGallery.h"
#include "skins/ModINI.h"
#include "skins/SkinColour.h"
#include "translate/AnswerText.h"
#include "translate/Utf8.h"

namespace {

using namespace quillmar;
using fuzz::Check;

const std::string& SkinFilePath() {
    // In memory where there is a tmpfs: the file is written on every run.
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        const std::string folder = ::access("/dev/shm", W_OK) == 0   ? "/dev/shm"
                                   : dir != nullptr && dir[0] == '/' ? dir
                                                                     : "/tmp";
        return folder + "/quillmar-fuzz-skin-" + std::to_string(::getpid()) + ".QSK";
    }();
    static const bool removedAtExit = std::atexit([] { ::unlink(path.c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

void WriteFile(std::string_view bytes) {
    std::ofstream out(SkinFilePath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "cannot write the scratch skin file");
}

std::string ReadFile() {
    std::ifstream in(SkinFilePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr const char* kMissing = "\x01missing";

std::string Read(ProfileFiles& files, const std::string& section, const std::string& key) {
    return files.ReadString(SkinFilePath(), section, key, kMissing, kIniValueBufferChars);
}

// The lookups the program makes of a skin file, and a few it does not.
const std::vector<std::pair<std::string, std::string>>& Probes() {
    static const std::vector<std::pair<std::string, std::string>> probes = {{"Skin", "title"},
                                                                            {"Details", "menufile"},
                                                                            {"Details", "selectfile"},
                                                                            {"Details", "selectCol"},
                                                                            {"Details", "translateFile"},
                                                                            {"Details", "translateCol"},
                                                                            {"Details", "statusFile"},
                                                                            {"Details", "statusCol"},
                                                                            {"", ""},
                                                                            {"", "title"},
                                                                            {"skin", "TITLE"},
                                                                            {"Other", "x"}};
    return probes;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string CutToCodePoints(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, utf8::Advance(text, 0, count)));
}

// A value as a Windows profile reader gives it: without the blanks around it and without matching quotes.
std::string Unquoted(std::string_view value) {
    value = TrimBlanks(value);
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Any file: whatever the readers make of it stays within what a value can be.
void CheckAnyFile(std::string_view bytes, posix::PosixProfileFiles& files) {
    WriteFile(bytes);
    for (const auto& [section, key] : Probes()) {
        const std::string value = Read(files, section, key);
        if (value == kMissing) continue;
        Check(utf8::CountCharacters(value) <= kIniValueBufferChars - 1, "a value longer than the buffer");
        Check(value.find_first_of("\r\n") == std::string::npos, "a value runs over a line end");
        Check(bytes.find(value) != std::string_view::npos, "a value that is not in the file");
    }
    // The service's gallery, which reads the file in the Windows code page unless it is valid UTF-8.
    if (const auto title = service::ProfileValue(bytes, "Skin", "title")) {
        Check(title->find('\n') == std::string::npos, "a title runs over a line end");
        Check(bytes.find(*title) != std::string_view::npos, "a title that is not in the file");
        Check(utf8::IsValid(DecodeAnswerBytes(*title)), "a title that is not UTF-8 once decoded");
    }
}

// A value written reads back as the program reads it, and no other value changes.
void CheckWrite(FuzzedDataProvider& input, posix::PosixProfileFiles& files) {
    const std::string section = input.ConsumeRandomLengthString(12);
    const std::string key = input.ConsumeRandomLengthString(12);
    const bool remove = input.ConsumeIntegralInRange(0, 7) == 0;
    const std::string value = input.ConsumeRandomLengthString(300);
    std::vector<std::string> before;
    for (const auto& [s, k] : Probes()) before.push_back(Read(files, s, k));
    const std::string written = Read(files, section, key);
    const std::string fileBefore = ReadFile();

    const auto result = files.WriteString(SkinFilePath(), section, key,
                                          remove ? std::nullopt : std::optional<std::string>(value));
    // A key starting with "[" would be read back as a section line.
    const std::size_t keyStart = key.find_first_not_of(std::string_view(" \t\v\f\x1a", 5));
    const bool refusable = section.find_first_of("\r\n") != std::string::npos ||
                           key.find_first_of("\r\n=") != std::string::npos ||
                           (keyStart != std::string::npos && key[keyStart] == '[') ||
                           (!remove && value.find_first_of("\r\n") != std::string::npos);
    if (!result.ok) {
        Check(refusable, "a write refused for no reason");
        Check(ReadFile() == fileBefore, "a refused write changed the file");
        return;
    }
    Check(!refusable, "a write of a line break, or of a key with \"=\" or opening a section, was taken");
    const std::string after = Read(files, section, key);
    if (!remove) {
        // The reader trims more than blanks (form feeds and the like), the writer keeps what it is given.
        std::string expected = Unquoted(value);
        const std::string_view otherBlanks = "\v\f\x1a";
        if (value.find_first_of(otherBlanks) == std::string::npos)
            Check(after == CutToCodePoints(expected, kIniValueBufferChars - 1),
                  "a written value reads back otherwise");
    }
    const auto sameEntry = [&](const std::string& s, const std::string& k) {
        const auto trim = [](std::string_view t) {
            while (!t.empty() &&
                   std::string_view(" \t\r\n\v\f\x1a").find(t.front()) != std::string_view::npos)
                t.remove_prefix(1);
            while (!t.empty() && std::string_view(" \t\r\n\v\f\x1a").find(t.back()) != std::string_view::npos)
                t.remove_suffix(1);
            return t;
        };
        return SameNoCase(trim(s), trim(section)) && SameNoCase(trim(k), trim(key));
    };
    for (std::size_t i = 0; i < Probes().size(); ++i) {
        const auto& [s, k] = Probes()[i];
        if (sameEntry(s, k)) continue;
        Check(Read(files, s, k) == before[i], "a write changed another value");
    }
    (void)written;
}

// Files built from the input's sections and entries; the plain reading of what was built is the reference.
void CheckBuiltFile(FuzzedDataProvider& input, posix::PosixProfileFiles& files) {
    static const char* const kSections[] = {"Skin", "skin", " DETAILS ", "Details", "Other", "Skin\t"};
    static const char* const kKeys[] = {"title", "TITLE ", "menufile", " selectCol", "statusFile", "x"};
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> entries;
    std::string text;
    std::string current;
    std::vector<std::string> sectionsSeen;
    bool duplicateSection = false;
    const int lines = input.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < lines; ++i) {
        const char* end = input.ConsumeBool() ? "\r\n" : "\n";
        if (input.ConsumeIntegralInRange(0, 3) == 0) {
            current = kSections[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kSections) - 1)];
            for (const std::string& seen : sectionsSeen)
                duplicateSection = duplicateSection || SameNoCase(TrimBlanks(seen), TrimBlanks(current));
            sectionsSeen.push_back(current);
            text += "[" + current + "]" + end;
            continue;
        }
        const std::string key = kKeys[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
        std::string value = input.ConsumeRandomLengthString(40);
        for (char& c : value) {
            if (c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a') c = '.';
        }
        if (input.ConsumeIntegralInRange(0, 3) == 0) value = "\"" + value + "\"";
        text += key + "=" + value + end;
        if (!sectionsSeen.empty()) entries.push_back({current, key, value});
    }
    WriteFile(text);

    for (const auto& [section, key] : Probes()) {
        if (section.empty()) continue;
        // The program reads the first section of the name, and in it the first entry of the key.
        std::optional<std::string> expected;
        std::optional<std::string> firstSection;
        for (const Entry& entry : entries) {
            if (!SameNoCase(TrimBlanks(entry.section), section)) continue;
            if (!firstSection) firstSection = entry.section;
            if (entry.section != *firstSection || !SameNoCase(TrimBlanks(entry.key), key)) continue;
            expected = Unquoted(entry.value);
            break;
        }
        const std::string value = Read(files, section, key);
        if (!duplicateSection) {
            Check(value == (expected ? CutToCodePoints(*expected, kIniValueBufferChars - 1) : kMissing),
                  "the program's reader differs from the plain reading");
            // The service lists the title the program shows (before its cut to the buffer).
            const auto listed = service::ProfileValue(text, section, key);
            Check(listed == expected, "the service's reader differs from the program's");
        }
    }
}

// The number in a colour value the plain way: the C library reads the decimal number.
std::optional<std::int32_t> ReferenceColourNumber(std::string_view value) {
    std::string text;
    for (const char c : value) {
        if (c != ' ' && c != '\t' && c != '\n') text += c;
    }
    if (text.size() >= 2 && text[0] == '&' &&
        (text[1] == 'H' || text[1] == 'h' || text[1] == 'O' || text[1] == 'o')) {
        const int base = text[1] == 'H' || text[1] == 'h' ? 16 : 8;
        long long number = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const char c = text[i];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : 99;
            if (digit >= base) break;
            number = number * base + digit;
            if (number > 0x7FFFFFFF) return std::nullopt;
        }
        return static_cast<std::int32_t>(number);
    }
    // The longest leading [sign] digits [. digits] [e [sign] digits], as strtod would take it (but never
    // hexadecimal, infinity or NaN, which strtod also knows).
    std::size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    std::size_t digits = 0;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end, ++digits;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end, ++digits;
    }
    if (digits == 0) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
            end = exponent;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        }
    }
    const std::string number = text.substr(0, end);
    errno = 0;
    const double parsed = std::strtod(number.c_str(), nullptr);
    if (std::isinf(parsed)) return std::nullopt;
    const double rounded = std::nearbyint(parsed);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

void CheckColour(std::string_view value) {
    const fuzz::ExactCopy copy(value);
    const auto number = ReadColourNumber(copy.View());
    Check(number == ReferenceColourNumber(value), "a colour number differs from the C library's reading");
    const auto colour = ReadSkinColour(copy.View());
    Check(colour.has_value() == (number && *number >= 0 && *number <= 0xFFFFFF),
          "a colour outside 0..&HFFFFFF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static posix::PosixProfileFiles files;
    if (size == 0) return 0;
    // The first byte says what the rest is, so that the seeds read as what they are.
    FuzzedDataProvider input(data + 1, size - 1);
    switch (data[0] & 3) {
        case 0: {
            const std::string bytes = input.ConsumeRemainingBytesAsString();
            CheckAnyFile(bytes, files);
            // Every value of the file as a colour, as the program would read it.
            for (const auto& [section, key] : Probes()) {
                const std::string value = Read(files, section, key);
                if (value != kMissing) CheckColour(value);
            }
            break;
        }
        case 1: {
            const std::string bytes = input.ConsumeRandomLengthString(2000);
            WriteFile(bytes);
            CheckWrite(input, files);
            break;
        }
        case 2:
            CheckBuiltFile(input, files);
            break;
        default:
            CheckColour(input.ConsumeRemainingBytesAsString());
            break;
    }
    return 0;
}
