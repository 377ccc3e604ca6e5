// The engines' answer readers under libFuzzer: LibreTranslate, DeepL, OpenAI-compatible and MyMemory. Any
// status and body: a translation (not blank, UTF-8) only for a 2xx status, otherwise a failure in the
// service's own words, never words of the body; the same answer read twice reads the same. Answers built
// from the input's text the way each engine writes them read back as that text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "service/AnswerPage.h"
#include "service/EngineAnswers.h"
#include "translate/AnswerText.h"
#include "translate/Utf8.h"

namespace {

using namespace quillmar;
using namespace quillmar::service;
using fuzz::Check;
using Json = nlohmann::json;

using Reader = EngineResult (*)(int, std::string_view);
constexpr Reader kReaders[] = {ReadLibreTranslateAnswer, ReadDeepLAnswer, ReadOpenAIAnswer,
                               ReadMyMemoryAnswer};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The reasons the service gives, some with a status after them.
bool IsOwnReason(std::string_view reason) {
    static constexpr std::string_view kReasons[] = {"answer not readable",
                                                    "empty translation",
                                                    "quota used up",
                                                    "usage limit reached (MYMEMORY WARNING)",
                                                    "address not found",
                                                    "key refused",
                                                    "model or address not found",
                                                    "request refused",
                                                    "server error",
                                                    "text too long",
                                                    "too many requests"};
    if (reason.size() > 3 && reason.back() == ')') {
        const std::size_t open = reason.rfind(" (");
        if (open != std::string_view::npos) {
            const std::string_view number = reason.substr(open + 2, reason.size() - open - 3);
            const bool digits =
                !number.empty() && number.find_first_not_of("-0123456789") == std::string_view::npos;
            if (digits) reason = reason.substr(0, open);
        }
    }
    for (const std::string_view own : kReasons) {
        if (reason == own) return true;
    }
    return false;
}

void CheckAnyAnswer(Reader read, int status, std::string_view body) {
    const fuzz::ExactCopy copy(body);
    const EngineResult first = read(status, copy.View());
    const EngineResult second = read(status, copy.View());
    Check(first.ok == second.ok && first.text == second.text,
          "the same answer reads otherwise the second time");
    if (first.ok) {
        Check(status >= 200 && status < 300, "a translation from an answer that is not a success");
        Check(!Trim(first.text).empty(), "a blank translation taken");
        Check(utf8::IsValid(first.text), "a translation that is not UTF-8");
    } else {
        Check(IsOwnReason(first.text), "a failure not in the service's own words");
    }
}

// A translation written into each engine's answer the way that engine writes it.
void CheckRoundTrip(std::size_t engine, const std::string& text) {
    if (!utf8::IsValid(text) || Trim(text).empty()) return;
    Json answer;
    std::string expected = text;
    switch (engine) {
        case 0:
            answer = {{"translatedText", text}};
            break;
        case 1:
            answer = {{"translations", Json::array({{{"detected_source_language", "EN"}, {"text", text}}})}};
            break;
        case 2:
            // A model's answer loses blanks, reasoning and wrapping quotes; a plain one comes back whole.
            if (Trim(text) != text || text.find("think>") != std::string::npos) return;
            if (std::string_view("\"'`").find(text.front()) != std::string_view::npos) return;
            if (text.size() >= 2 && static_cast<unsigned char>(text.front()) >= 0xC2)
                return;  // a quote mark?
            answer = {{"id", "x"},
                      {"choices", Json::array({{{"index", 0},
                                                {"message", {{"role", "assistant"}, {"content", text}}},
                                                {"finish_reason", "stop"}}})}};
            break;
        default: {
            std::string upper(Trim(text).substr(0, 16));
            for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
            if (upper == "MYMEMORY WARNING") return;
            // MyMemory escapes some translations as HTML: either way the text comes back.
            answer = {{"responseData", {{"translatedText", text.size() % 2 == 0 ? EscapeHtml(text) : text}}},
                      {"responseStatus", 200},
                      {"quotaFinished", false}};
            if (text.size() % 2 != 0 && text.find('&') != std::string::npos) return;
            break;
        }
    }
    const EngineResult result = kReaders[engine](200, answer.dump());
    Check(result.ok, "a well-formed answer is not read");
    Check(result.text == expected, "a well-formed answer reads back another text");
}

// MyMemory's own status inside a 200 answer: only 200 lets the translation through, however large the
// number it sends.
void CheckMyMemoryInnerStatus(std::int64_t inner, const std::string& text) {
    if (!utf8::IsValid(text) || Trim(text).empty()) return;
    const Json answer = {{"responseData", {{"translatedText", text}}}, {"responseStatus", inner}};
    const EngineResult result = ReadMyMemoryAnswer(200, answer.dump());
    Check(result.ok == (inner == 200), "MyMemory's own status misread");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the engine and what the rest is, so that the seeds read as what they are.
    const std::size_t engine = data[0] & 3;
    FuzzedDataProvider input(data + 1, size - 1);
    if (engine == 3 && (data[0] & 12) == 8) {
        const auto inner = input.ConsumeIntegral<std::int64_t>();
        CheckMyMemoryInnerStatus(inner, input.ConsumeRemainingBytesAsString());
        return 0;
    }
    if ((data[0] & 4) != 0) {
        CheckRoundTrip(engine, input.ConsumeRemainingBytesAsString());
        return 0;
    }
    static constexpr int kStatuses[] = {200, 201, 204, 299, 300, 400, 401, 403, 404, 413, 429, 456, 500, 503};
    const int status = input.ConsumeBool() ? kStatuses[input.ConsumeIntegralInRange<std::size_t>(0, 13)]
                                           : input.ConsumeIntegral<int>();
    const std::string body = input.ConsumeRemainingBytesAsString();
    CheckAnyAnswer(kReaders[engine], status, body);
    return 0;
}
