#pragma once

#include <span>
#include <string_view>

namespace quillmar::service {

// The languages of the built-in phrase book, in the column order of PhrasebookEntry::words.
inline constexpr std::string_view kPhrasebookLanguages[] = {"en", "fr", "de", "it", "pt", "es", "ru"};

// One everyday word or phrase in each language (UTF-8; lower case unless the language capitalises it).
struct PhrasebookEntry {
    std::string_view words[7];
};

std::span<const PhrasebookEntry> PhrasebookEntries();

}  // namespace quillmar::service
