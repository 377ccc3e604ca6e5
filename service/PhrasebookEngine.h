#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "service/TranslationEngine.h"

namespace quillmar::service {

// A built-in, deterministic stand-in for a translator: a small table of everyday chat words and phrases
// for each of the 13 pairs. Phrases are matched whole (longest first, without regard to case); a match
// written with a capital starts its translation with one; everything else passes through unchanged.
// It is not a real translator.
class PhrasebookEngine : public TranslationEngine {
public:
    PhrasebookEngine();

    std::string_view Name() const override { return "phrasebook"; }
    bool Covers(std::string_view pairCode) const override;
    EngineResult Translate(std::string_view pairCode, std::string_view text) override;
    bool Waits() const override { return false; }

    // The translation itself (the engine never fails on a pair it covers).
    std::string TranslateText(std::string_view pairCode, std::string_view text) const;

private:
    struct Book {
        std::unordered_map<std::string, std::string> phrases;  // lower-case source phrase -> target phrase
        std::size_t longestPhrase = 1;                         // in words
    };
    std::map<std::string, Book, std::less<>> m_books;
};

// Lower case for the letters the phrase book's languages use (ASCII, Latin-1, Cyrillic); the typographic
// apostrophe becomes "'".
std::string LowerUtf8(std::string_view text);
// Upper case for the same letters; with firstOnly, only the first code point.
std::string UpperUtf8(std::string_view text, bool firstOnly);

}  // namespace quillmar::service
