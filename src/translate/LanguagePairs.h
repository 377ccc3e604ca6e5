#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillmar {

struct LanguagePair {
    const char* menuItem;      // the menu control on frmSocket that chooses the pair
    const char* menuCaption;   // the text of that menu item
    const char* labelCaption;  // what the toolbar's pair label shows
    const char* key;           // the label caption in lower case
    const char* code;          // the service's "lp" value
};

inline constexpr std::array<LanguagePair, 13> kLanguagePairs{{
    {"mnuEnglishToFrench", "English to French", "ENGLISH TO FRENCH", "english to french", "en_fr"},
    {"mnuEnglishtoGerman", "English to German", "ENGLISH TO GERMAN", "english to german", "en_de"},
    {"mnuEnglishtoItalian", "English to Italian", "ENGLISH TO ITALIAN", "english to italian", "en_it"},
    {"mnuEnglishtoPortuguese", "English to Portuguese", "ENGLISH TO PORTUGUESE", "english to portuguese",
     "en_pt"},
    {"mnuEnglishtoSpanish", "English to Spanish", "ENGLISH TO SPANISH", "english to spanish", "en_es"},
    {"mnuFrenchtoEnglish", "French to English", "FRENCH TO ENGLISH", "french to english", "fr_en"},
    {"mnuGermantoEnglish", "German to English", "GERMAN TO ENGLISH", "german to english", "de_en"},
    {"mnuItaliantoEnglish", "Italian to English", "ITALIAN TO ENGLISH", "italian to english", "it_en"},
    {"mnuPortuguesetoEnglish", "Portuguese to English", "PORTUGUESE TO ENGLISH", "portuguese to english",
     "pt_en"},
    {"mnuRussiantoEnglish", "Russian to English", "RUSSIAN TO ENGLISH", "russian to english", "ru_en"},
    {"mnuSpanishtoEnglish", "Spanish to English", "SPANISH TO ENGLISH", "spanish to english", "es_en"},
    {"mnuFrenchtoGerman", "French to German", "FRENCH TO GERMAN", "french to german", "fr_de"},
    {"mnuGermantoFrench", "German to French", "GERMAN TO FRENCH", "german to french", "de_fr"},
}};

// The pair at creation: every start begins with English to French.
inline constexpr std::size_t kDefaultPairRow = 0;

// The row of the first pair whose key equals the lower-cased caption, or none.
std::optional<std::size_t> LookupPairRow(std::string_view caption);

}  // namespace quillmar
