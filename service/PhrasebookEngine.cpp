#include "service/PhrasebookEngine.h"

#include <vector>

#include "service/PhrasebookTables.h"
#include "translate/LanguagePairs.h"
#include "translate/Utf8.h"

namespace quillmar::service {

namespace {

constexpr char32_t kInvalid = 0xFFFD;

// The code point at text[pos] and its length in bytes; a malformed byte counts as one invalid code point.
std::pair<char32_t, std::size_t> DecodeAt(std::string_view text, std::size_t pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b0 = byte(pos);
    if (b0 < 0x80) return {b0, 1};
    std::size_t length = b0 >= 0xF0 && b0 < 0xF5 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC2 && b0 < 0xE0 ? 2 : 0;
    if (length == 0 || pos + length > text.size()) return {kInvalid, 1};
    char32_t cp = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return {kInvalid, 1};
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    return {cp, length};
}

char32_t Lower(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
    if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
    if (cp == 0x2019) return '\'';
    return cp;
}

char32_t Upper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
    if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;
    if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;
    return cp;
}

bool IsUpper(char32_t cp) {
    return Lower(cp) != cp && cp != 0x2019;
}
bool IsLetter(char32_t cp) {
    return Lower(cp) != cp || Upper(cp) != cp;
}

// Letters, digits and everything outside ASCII except the punctuation and blanks chat text uses there.
bool IsWordChar(char32_t cp) {
    if (cp < 0x80) return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9');
    switch (cp) {
        case 0xA0:
        case 0xA1:
        case 0xAB:
        case 0xBB:
        case 0xBF:
        case 0x2013:
        case 0x2014:
        case 0x2018:
        case 0x2019:
        case 0x201C:
        case 0x201D:
        case 0x2026:
        case 0x3000:
        case kInvalid:
            return false;
        default:
            return true;
    }
}

// Apostrophes and hyphens join letters into one word ("aujourd'hui", "allez-vous").
bool IsJoiner(char32_t cp) {
    return cp == '\'' || cp == 0x2019 || cp == '-';
}

struct Token {
    bool word = false;
    std::string_view text;
};

std::vector<Token> Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = pos;
        auto [cp, len] = DecodeAt(text, pos);
        bool word = IsWordChar(cp);
        pos += len;
        while (pos < text.size()) {
            auto [next, nextLen] = DecodeAt(text, pos);
            if (word && IsJoiner(next) && pos + nextLen < text.size() &&
                IsWordChar(DecodeAt(text, pos + nextLen).first)) {
                pos += nextLen;
                continue;
            }
            if (IsWordChar(next) != word) break;
            pos += nextLen;
        }
        tokens.push_back({word, text.substr(start, pos - start)});
    }
    return tokens;
}

// Only blanks and tabs may stand between the words of a phrase.
bool IsPlainGap(std::string_view gap) {
    return !gap.empty() && gap.find_first_not_of(" \t") == std::string_view::npos;
}

std::size_t CountWords(std::string_view phrase) {
    std::size_t words = 1;
    for (char c : phrase) words += c == ' ' ? 1 : 0;
    return words;
}

// The target phrase written the way the source was: a capital first letter, or all in capitals.
std::string MatchCase(std::string_view source, const std::string& target) {
    std::size_t letters = 0;
    std::size_t upper = 0;
    std::size_t firstWordLetters = 0;
    bool firstUpper = false;
    bool inFirstWord = true;
    for (std::size_t pos = 0; pos < source.size();) {
        auto [cp, len] = DecodeAt(source, pos);
        pos += len;
        if (cp == ' ' || cp == '\t') inFirstWord = false;
        if (!IsLetter(cp)) continue;
        if (letters == 0) firstUpper = IsUpper(cp);
        ++letters;
        if (inFirstWord) ++firstWordLetters;
        if (IsUpper(cp)) ++upper;
    }
    if (letters > 1 && upper == letters) return UpperUtf8(target, false);
    // English writes "I" in capitals anywhere; a one-letter capital says nothing about the sentence.
    if (firstUpper && firstWordLetters > 1) return UpperUtf8(target, true);
    return target;
}

}  // namespace

std::string LowerUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        auto [cp, len] = DecodeAt(text, pos);
        if (cp == kInvalid)
            out.append(text.substr(pos, len));
        else
            utf8::AppendCodePoint(out, Lower(cp));
        pos += len;
    }
    return out;
}

std::string UpperUtf8(std::string_view text, bool firstOnly) {
    std::string out;
    out.reserve(text.size());
    bool done = false;
    for (std::size_t pos = 0; pos < text.size();) {
        auto [cp, len] = DecodeAt(text, pos);
        if (cp == kInvalid || done)
            out.append(text.substr(pos, len));
        else
            utf8::AppendCodePoint(out, Upper(cp));
        if (firstOnly && IsLetter(cp)) done = true;
        pos += len;
    }
    return out;
}

PhrasebookEngine::PhrasebookEngine() {
    auto column = [](std::string_view language) {
        for (std::size_t i = 0; i < std::size(kPhrasebookLanguages); ++i) {
            if (kPhrasebookLanguages[i] == language) return i;
        }
        return std::size(kPhrasebookLanguages);
    };
    for (const LanguagePair& pair : kLanguagePairs) {
        std::string_view code = pair.code;
        std::size_t from = column(code.substr(0, 2));
        std::size_t to = column(code.substr(3, 2));
        if (from >= std::size(kPhrasebookLanguages) || to >= std::size(kPhrasebookLanguages)) continue;
        Book& book = m_books[std::string(code)];
        for (const PhrasebookEntry& entry : PhrasebookEntries()) {
            std::string key = LowerUtf8(entry.words[from]);
            std::size_t words = CountWords(key);
            if (book.phrases.emplace(std::move(key), std::string(entry.words[to])).second &&
                words > book.longestPhrase) {
                book.longestPhrase = words;
            }
        }
    }
}

bool PhrasebookEngine::Covers(std::string_view pairCode) const {
    return m_books.find(pairCode) != m_books.end();
}

EngineResult PhrasebookEngine::Translate(std::string_view pairCode, std::string_view text) {
    if (!Covers(pairCode)) return EngineFailed("the phrase book has no pair " + std::string(pairCode));
    return Translated(TranslateText(pairCode, text));
}

std::string PhrasebookEngine::TranslateText(std::string_view pairCode, std::string_view text) const {
    auto found = m_books.find(pairCode);
    if (found == m_books.end()) return std::string(text);
    const Book& book = found->second;

    std::vector<Token> tokens = Tokenize(text);
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < tokens.size();) {
        if (!tokens[i].word) {
            out.append(tokens[i].text);
            ++i;
            continue;
        }
        // Longest phrase first: words i, i+2, ... with plain gaps between them.
        std::vector<std::size_t> ends{i};
        std::string key = LowerUtf8(tokens[i].text);
        std::vector<std::string> keys{key};
        for (std::size_t j = i;
             ends.size() < book.longestPhrase && j + 2 < tokens.size() && IsPlainGap(tokens[j + 1].text);
             j += 2) {
            key += ' ';
            key += LowerUtf8(tokens[j + 2].text);
            keys.push_back(key);
            ends.push_back(j + 2);
        }
        bool matched = false;
        for (std::size_t k = keys.size(); k-- > 0;) {
            auto phrase = book.phrases.find(keys[k]);
            if (phrase == book.phrases.end()) continue;
            std::string_view source =
                text.substr(static_cast<std::size_t>(tokens[i].text.data() - text.data()),
                            static_cast<std::size_t>(tokens[ends[k]].text.data() +
                                                     tokens[ends[k]].text.size() - tokens[i].text.data()));
            out += MatchCase(source, phrase->second);
            i = ends[k] + 1;
            matched = true;
            break;
        }
        if (!matched) {
            out.append(tokens[i].text);
            ++i;
        }
    }
    return out;
}

}  // namespace quillmar::service
