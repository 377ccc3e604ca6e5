// The service's request reading under libFuzzer: any bytes, in any chunks, read as they would arrive, and
// the answer the service gives to what was read. Checked: the same bytes in one piece are read the same
// way; a request read whole or refused stays so, and its head does not change after it was answered; every
// answer has one of the statuses the service documents; the client cuts exactly the engine's text out of a
// translation page and finds no translation in any other page.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "service/AnswerPage.h"
#include "service/EngineChain.h"
#include "service/HttpRequestReader.h"
#include "service/PhrasebookEngine.h"
#include "service/RequestHandler.h"
#include "translate/AnswerText.h"

namespace {

using namespace quillmar;
using namespace quillmar::service;
using fuzz::Check;

// The engine a chain asks first, told by the input what to do: cover no pair (the phrase book answers),
// echo the text, echo it with the client's markers around it, or fail.
class ScriptedEngine final : public TranslationEngine {
public:
    enum class Mode { CoversNothing, Echo, EchoWithMarkers, Fails };
    Mode mode = Mode::CoversNothing;
    bool up = true;

    std::string_view Name() const override { return "scripted"; }
    bool Covers(std::string_view) const override { return mode != Mode::CoversNothing; }
    EngineResult Translate(std::string_view, std::string_view text) override {
        switch (mode) {
            case Mode::Echo:
                return Translated(std::string(text));
            case Mode::EchoWithMarkers:
                return Translated("name=q>\r\n" + std::string(text) + "\r\n\r\n</textarea><p class=h>x<br>");
            case Mode::Fails:
                return EngineFailed("scripted failure");
            case Mode::CoversNothing:
                break;
        }
        return EngineFailed("not covered");
    }
    EngineHealth Health() override { return {up, up ? "scripted: up\n" : "scripted: down\n"}; }
};

struct Service {
    ScriptedEngine* scripted;
    std::unique_ptr<EngineChain> chain;
    std::atomic<long> connections{1};
    std::unique_ptr<RequestHandler> handler;
};

Service& TheService() {
    static Service service;
    if (!service.handler) {
        auto scripted = std::make_unique<ScriptedEngine>();
        service.scripted = scripted.get();
        // No cache: each answer must be the engine's own for this very request.
        service.chain =
            std::make_unique<EngineChain>(std::move(scripted), std::make_unique<PhrasebookEngine>(), 0);
        // The sample skins: the gallery page lists real titles.
        service.handler =
            std::make_unique<RequestHandler>(*service.chain, QUILLMAR_FUZZ_SKINS_DIR, service.connections);
    }
    return service;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(a) == lower(b);
           }) != text.end();
}

// What the service's connection answers for a request read whole: other methods and unknown paths are
// turned away before the handler is asked.
Answer AnswerRequest(const HttpRequestHead& head, RequestHandler& handler) {
    if (head.method != "GET" && head.method != "HEAD") return ErrorAnswer(404, "Only GET is answered here.");
    const Route route = RouteOf(head.target);
    if (route == Route::NotFound) return ErrorAnswer(404, "There is nothing at this address.");
    return handler.AnswerFor(route, head.target);
}

void CheckAnswer(const HttpRequestHead& head, const Answer& answer, EngineChain& chain) {
    static constexpr int kDocumented[] = {200, 400, 404, 413, 414, 502, 503};
    Check(std::find(std::begin(kDocumented), std::end(kDocumented), answer.status) != std::end(kDocumented),
          "a status the service does not document");
    const bool translation = answer.status == 200 && RouteOf(head.target) == Route::Translate;
    if (!translation) {
        // (A translation page may hold them within the translation, which the client reads past.)
        Check(!ContainsNoCase(answer.body, "name=q") && !ContainsNoCase(answer.body, "lass=h"),
              "a page that is no translation holds one of the client's markers");
        return;
    }
    // The client's reading of the page gives back exactly what the engine translated.
    const ParsedRequest request = ParseTranslateTarget(head.target);
    Check(request.status == 200, "a translation page for a refused request");
    const ChainAnswer result = chain.Translate(request.pairCode, request.text);
    Check(result.ok, "a translation page for a failed engine");
    const auto cut = ExtractTranslation(DecodeAnswerBytes(answer.body));
    Check(cut.has_value(), "the client rejects a translation page");
    Check(DecodeCharacterReferences(*cut) == result.translation, "the client reads another text than the engine's");
}

// Bytes 0xFE n c stand for n * 128 copies of c, so that short inputs reach the size limits (and a little
// past them: no more than 100,000 bytes come out).
std::string Expand(std::string_view raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (static_cast<unsigned char>(raw[i]) == 0xFE && i + 2 < raw.size()) {
            const std::size_t count = static_cast<std::size_t>(static_cast<unsigned char>(raw[i + 1])) * 128;
            out.append(std::min(count, std::size_t{100000} - std::min(out.size(), std::size_t{100000})),
                       raw[i + 2]);
            i += 2;
        } else {
            out += raw[i];
        }
    }
    return out;
}

bool SameHead(const HttpRequestHead& a, const HttpRequestHead& b) {
    return a.method == b.method && a.target == b.target && a.version == b.version &&
           a.contentLength == b.contentLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The settings come from the end of the input, the request's bytes from the front.
    const auto control = input.ConsumeIntegral<std::uint32_t>();
    Service& service = TheService();
    service.scripted->mode = static_cast<ScriptedEngine::Mode>(control & 3);
    service.scripted->up = (control & 4) == 0;
    const std::string raw = input.ConsumeRemainingBytesAsString();
    const std::string bytes = (control & 8) != 0 ? Expand(raw) : raw;

    // The same bytes in one piece, the way most requests arrive.
    HttpRequestReader whole;
    whole.Feed(fuzz::ExactCopy(bytes).View());

    // In chunks of 1 to 4^k bytes (k from the input), each in a buffer of its own size; a long input in
    // no more than some 512 chunks, so that every run stays quick.
    HttpRequestReader reader;
    const unsigned chunkBits = (control >> 4) & 7;
    const std::size_t maxChunk =
        chunkBits == 0 ? std::max<std::size_t>(bytes.size(), 1) : 1u << (2 * chunkBits);
    std::uint32_t random = control;
    int answers = 0;
    HttpRequestHead answered;
    HttpRequestReader::State answeredState = HttpRequestReader::State::NeedMore;
    for (std::size_t at = 0; at < bytes.size();) {
        random = random * 1664525u + 1013904223u;
        const std::size_t length = std::min<std::size_t>(
            bytes.size() - at, std::max<std::size_t>(bytes.size() / 512, 1 + (random >> 8) % maxChunk));
        const HttpRequestReader::State state =
            reader.Feed(fuzz::ExactCopy(std::string_view(bytes).substr(at, length)).View());
        at += length;
        if (answers > 0) {
            Check(state == answeredState, "the reader changed its mind after the request was answered");
            continue;
        }
        if (state == HttpRequestReader::State::NeedMore) continue;
        ++answers;
        answeredState = state;
        answered = reader.Head();
        if (state == HttpRequestReader::State::Refused) {
            const int status = reader.RefusalStatus();
            Check(status == 400 || status == 413 || status == 414, "a refusal with another status");
            Check(!reader.RefusalMessage().empty(), "a refusal without words");
            CheckAnswer(answered, ErrorAnswer(status, reader.RefusalMessage()), *service.chain);
        } else {
            const HttpRequestHead& head = reader.Head();
            Check(head.version == "HTTP/1.0" || head.version.substr(0, 7) == "HTTP/1.", "a version not read");
            Check(head.contentLength <= kMaxBodyBytes, "a body over the limit accepted");
            Check(!head.method.empty() && !head.target.empty(), "a request without method or target");
            const std::string line = head.method + " " + head.target + " " + head.version;
            Check(bytes.find(line) != std::string::npos, "a request line that was not sent");
            CheckAnswer(head, AnswerRequest(head, *service.handler), *service.chain);
        }
    }
    Check(answers <= 1, "more than one answer");
    Check(reader.Current() == whole.Current(), "chunks are read otherwise than the same bytes in one piece");
    Check(reader.Started() == whole.Started(), "chunks start a request otherwise");
    if (answers == 1) {
        Check(SameHead(reader.Head(), answered), "the request changed after it was answered");
        Check(SameHead(reader.Head(), whole.Head()), "chunks give another request");
    }
    if (reader.Current() == HttpRequestReader::State::Refused)
        Check(reader.RefusalStatus() == whole.RefusalStatus(), "chunks are refused otherwise");
    if (reader.Current() == HttpRequestReader::State::Complete)
        Check(reader.HasExtraBytes() == whole.HasExtraBytes(), "chunks leave other bytes over");
    return 0;
}
