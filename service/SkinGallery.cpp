#include "service/SkinGallery.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "service/AnswerPage.h"
#include "translate/AnswerText.h"

namespace quillmar::service {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxProfileBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxSkinsListed = 1000;
constexpr std::size_t kMaxTitleCodePoints = 254;  // what the program reads of a value

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string CutToCodePoints(std::string text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (seen++ == count) {
            text.resize(i);
            break;
        }
    }
    return text;
}

std::optional<std::string> ReadHead(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxProfileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The first .QSK file in folder by name, or none.
std::optional<fs::path> SkinFileIn(const fs::path& folder) {
    std::error_code error;
    std::optional<fs::path> first;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (LowerAscii(it->path().extension().string()) != ".qsk") continue;
        if (!it->is_regular_file(error)) continue;
        if (!first || it->path().filename() < first->filename()) first = it->path();
    }
    return first;
}

}  // namespace

std::optional<std::string> ProfileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    std::string wantedSection = LowerAscii(section);
    std::string wantedKey = LowerAscii(key);
    bool inSection = false;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        LowerAscii(Trim(line.substr(1, close - 1))) == wantedSection;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        if (LowerAscii(Trim(line.substr(0, equals))) != wantedKey) continue;
        // The program's reader drops matching quotes around a value: the gallery lists the same title.
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

std::vector<SkinListing> ListSkins(const fs::path& dir) {
    std::vector<SkinListing> skins;
    std::vector<fs::path> folders;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        if (skins.size() == kMaxSkinsListed) break;
        std::optional<fs::path> file = SkinFileIn(folder);
        if (!file) continue;
        SkinListing skin;
        // Skin files are written in the Windows code page; names on disk may be either.
        skin.folder = DecodeAnswerBytes(folder.filename().string());
        std::optional<std::string> text = ReadHead(*file);
        std::optional<std::string> title = text ? ProfileValue(*text, "Skin", "title") : std::nullopt;
        if (title) skin.title = CutToCodePoints(DecodeAnswerBytes(*title), kMaxTitleCodePoints);
        skins.push_back(std::move(skin));
    }
    return skins;
}

std::string RenderSkinGalleryPage(const std::vector<SkinListing>& skins) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Quillmar "
        "skins</title></head>\n"
        "<body>\n<h1>Quillmar skins</h1>\n";
    if (skins.empty()) {
        page += "<p>No skins are listed here yet.</p>\n";
    } else {
        page += "<p>Skins known to this service (title, then folder):</p>\n<ul>\n";
        for (const SkinListing& skin : skins) {
            page += "<li>";
            page += skin.title.empty() ? "<i>(no title)</i>" : "<b>" + EscapeHtml(skin.title) + "</b>";
            page += " &mdash; <code>" + EscapeHtml(skin.folder) + "</code></li>\n";
        }
        page += "</ul>\n";
    }
    page +=
        "<h2 id=\"submit\">Submit a skin</h2>\n"
        "<p>Make the skin with Quillmar's skin designer. Its folder holds the .QSK skin file, whose "
        "<code>title</code> in the <code>[Skin]</code> section names it, and the pictures that file "
        "names.</p>\n"
        "<p>Put that folder in a zip file and send it to the people who run this service. They unpack it "
        "into "
        "the service's skins folder, and it is listed on this page from then on. To use a skin, copy its "
        "folder into the <code>skins</code> folder beside Quillmar and choose its title in the skin "
        "menu.</p>\n</body></html>\n";
    return page;
}

}  // namespace quillmar::service
