#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmar::service {

struct SkinListing {
    std::string folder;  // UTF-8
    std::string title;   // UTF-8; empty when the skin file names none
};

// The skins in dir: every folder directly inside it that holds a .QSK file (the extension in any case),
// with the title from that file, ordered by folder name. Empty when dir is missing or unreadable.
std::vector<SkinListing> ListSkins(const std::filesystem::path& dir);

// A value of a profile (INI) file's text: section and key names ignore case, the value is trimmed of
// blanks and loses matching quotes around it, as the program reads it. None when the section or the key
// is missing.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The gallery page: the skins listed, and how to submit one (the element with id "submit").
std::string RenderSkinGalleryPage(const std::vector<SkinListing>& skins);

}  // namespace quillmar::service
