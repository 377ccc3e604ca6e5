#include "service/EngineAnswers.h"

#include <array>
#include <charconv>
#include <nlohmann/json.hpp>
#include <utility>

namespace quillmar::service {

namespace {

using Json = nlohmann::json;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool Is2xx(int status) {
    return status >= 200 && status < 300;
}

// The body as JSON, or a discarded value when it is not.
Json Parse(std::string_view body) {
    return Json::parse(body.begin(), body.end(), nullptr, false);
}

// The string at object[name], or nullptr.
const std::string* StringField(const Json& object, const char* name) {
    if (!object.is_object()) return nullptr;
    auto field = object.find(name);
    if (field == object.end() || !field->is_string()) return nullptr;
    return field->get_ptr<const std::string*>();
}

EngineResult Finish(std::string_view translation) {
    if (Trim(translation).empty()) return EngineFailed("empty translation");
    return Translated(std::string(translation));
}

EngineResult Unreadable() {
    return EngineFailed("answer not readable");
}

// A model's reasoning, when it comes anyway: every <think>...</think> block, an unclosed one to the end,
// and everything before a closing tag whose opening tag the server's template had already sent.
std::string DropThinking(std::string_view content) {
    constexpr std::string_view kOpen = "<think>";
    constexpr std::string_view kClose = "</think>";
    std::string out;
    std::size_t at = 0;
    if (std::size_t firstClose = content.find(kClose);
        firstClose != std::string_view::npos &&
        content.substr(0, firstClose).find(kOpen) == std::string_view::npos)
        at = firstClose + kClose.size();
    while (at < content.size()) {
        std::size_t open = content.find(kOpen, at);
        out.append(content.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at));
        if (open == std::string_view::npos) break;
        std::size_t close = content.find(kClose, open + kOpen.size());
        if (close == std::string_view::npos) break;
        at = close + kClose.size();
    }
    return out;
}

// One pair of quotes wrapped around the whole answer.
std::string_view DropWrappingQuotes(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kQuotes{{
        {"\"", "\""},
        {"'", "'"},
        {"`", "`"},
        {"\xE2\x80\x9C", "\xE2\x80\x9D"},  // “ ”
        {"\xE2\x80\x98", "\xE2\x80\x99"},  // ‘ ’
        {"\xC2\xAB", "\xC2\xBB"},          // « »
        {"\xE2\x80\x9E", "\xE2\x80\x9C"},  // „ “
        {"\xE3\x80\x8C", "\xE3\x80\x8D"},  // 「 」
    }};
    for (const auto& [open, close] : kQuotes) {
        if (text.size() > open.size() + close.size() && text.substr(0, open.size()) == open &&
            text.substr(text.size() - close.size()) == close) {
            return Trim(text.substr(open.size(), text.size() - open.size() - close.size()));
        }
    }
    return text;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// MyMemory hands out some translations HTML-escaped ("it&#39;s"): the character references the program
// would otherwise show as they are.
std::string DecodeCharacterReferences(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed{
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t semicolon = text[i] == '&' ? text.find(';', i + 1) : std::string_view::npos;
        if (semicolon == std::string_view::npos || semicolon - i > 10) {
            out += text[i];
            continue;
        }
        std::string_view name = text.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string_view digits = name.substr(hex ? 2 : 1);
            unsigned long code = 0;
            auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (!digits.empty() && error == std::errc{} && end == digits.data() + digits.size() && code > 0 &&
                code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                AppendUtf8(out, code);
                decoded = true;
            }
        } else {
            for (const auto& [entity, c] : kNamed) {
                if (name == entity) {
                    out += c;
                    decoded = true;
                }
            }
        }
        if (decoded)
            i = semicolon;
        else
            out += text[i];
    }
    return out;
}

std::string WithStatus(std::string_view words, int status) {
    return std::string(words) + " (" + std::to_string(status) + ")";
}

}  // namespace

std::string StatusReason(int status) {
    if (status == 429) return WithStatus("too many requests", status);
    if (status >= 500) return WithStatus("server error", status);
    if (status == 404) return WithStatus("address not found", status);
    return WithStatus("request refused", status);
}

EngineResult ReadLibreTranslateAnswer(int status, std::string_view body) {
    if (status == 403) return EngineFailed(WithStatus("key refused", status));
    if (!Is2xx(status)) return EngineFailed(StatusReason(status));
    const Json answer = Parse(body);
    const std::string* text = StringField(answer, "translatedText");
    if (!text) return Unreadable();
    return Finish(*text);
}

EngineResult ReadDeepLAnswer(int status, std::string_view body) {
    if (status == 403) return EngineFailed(WithStatus("key refused", status));
    if (status == 456) return EngineFailed(WithStatus("quota used up", status));
    if (status == 413) return EngineFailed(WithStatus("text too long", status));
    if (!Is2xx(status)) return EngineFailed(StatusReason(status));
    const Json answer = Parse(body);
    if (!answer.is_object()) return Unreadable();
    auto translations = answer.find("translations");
    if (translations == answer.end() || !translations->is_array() || translations->empty())
        return Unreadable();
    const std::string* text = StringField(translations->front(), "text");
    if (!text) return Unreadable();
    return Finish(*text);
}

EngineResult ReadOpenAIAnswer(int status, std::string_view body) {
    if (status == 401 || status == 403) return EngineFailed(WithStatus("key refused", status));
    if (!Is2xx(status)) {
        // A hosted endpoint says 429 both for a burst and for an account that has run out.
        const Json error = Parse(body);
        if (status == 429 && error.is_object() && error.contains("error")) {
            const std::string* code = StringField(error["error"], "code");
            if (code && *code == "insufficient_quota")
                return EngineFailed(WithStatus("quota used up", status));
        }
        if (status == 404) return EngineFailed(WithStatus("model or address not found", status));
        return EngineFailed(StatusReason(status));
    }
    const Json answer = Parse(body);
    if (!answer.is_object()) return Unreadable();
    auto choices = answer.find("choices");
    if (choices == answer.end() || !choices->is_array() || choices->empty()) return Unreadable();
    const Json& choice = choices->front();
    if (!choice.is_object() || !choice.contains("message")) return Unreadable();
    const Json& message = choice["message"];
    // A null content is a model that refused or only reasoned: no translation.
    if (message.is_object() && message.contains("content") && message["content"].is_null())
        return EngineFailed("empty translation");
    const std::string* content = StringField(message, "content");
    if (!content) return Unreadable();
    const std::string spoken = DropThinking(*content);
    return Finish(DropWrappingQuotes(Trim(spoken)));
}

EngineResult ReadMyMemoryAnswer(int status, std::string_view body) {
    if (!Is2xx(status)) return EngineFailed(StatusReason(status));
    const Json answer = Parse(body);
    if (!answer.is_object()) return Unreadable();
    if (auto quota = answer.find("quotaFinished");
        quota != answer.end() && quota->is_boolean() && quota->get<bool>())
        return EngineFailed("quota used up");
    // The status inside the answer, a number or a string of digits.
    int inner = 200;
    if (auto field = answer.find("responseStatus"); field != answer.end()) {
        if (field->is_number_integer()) {
            // Read whole: a number past an int's range must not wrap round to 200.
            const bool inRange = field->is_number_unsigned() ? field->get<std::uint64_t>() <= 999
                                                              : field->get<std::int64_t>() >= 0 &&
                                                                    field->get<std::int64_t>() <= 999;
            if (!inRange) return Unreadable();
            inner = field->get<int>();
        } else if (field->is_string()) {
            const std::string& digits = field->get_ref<const std::string&>();
            auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), inner);
            if (error != std::errc{} || end != digits.data() + digits.size()) return Unreadable();
        } else if (!field->is_null()) {
            return Unreadable();
        }
    }
    if (inner == 429) return EngineFailed(WithStatus("too many requests", inner));
    if (inner != 200) return EngineFailed(WithStatus("request refused", inner));
    auto data = answer.find("responseData");
    if (data == answer.end()) return Unreadable();
    const std::string* text = StringField(*data, "translatedText");
    if (!text) return Unreadable();
    constexpr std::string_view kWarning = "MYMEMORY WARNING";
    std::string_view trimmed = Trim(*text);
    if (trimmed.size() >= kWarning.size()) {
        bool warning = true;
        for (std::size_t i = 0; i < kWarning.size(); ++i) {
            char c = trimmed[i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            warning = warning && c == kWarning[i];
        }
        if (warning) return EngineFailed("usage limit reached (MYMEMORY WARNING)");
    }
    return Finish(DecodeCharacterReferences(*text));
}

}  // namespace quillmar::service
