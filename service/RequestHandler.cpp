#include "service/RequestHandler.h"

#include "service/AnswerPage.h"
#include "service/HttpUrl.h"
#include "service/SkinGallery.h"
#include "translate/AnswerText.h"
#include "translate/LanguagePairs.h"

namespace quillmar::service {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The origin-form part of an absolute-form target: "http://host/path?q" -> "/path?q".
std::string_view OriginForm(std::string_view target) {
    std::size_t skip = 0;
    if (StartsWithNoCase(target, "http://"))
        skip = 7;
    else if (StartsWithNoCase(target, "https://"))
        skip = 8;
    else
        return target;
    std::size_t slash = target.find_first_of("/?", skip);
    if (slash == std::string_view::npos) return "/";
    if (target[slash] == '?') return {};  // "http://host?x": no path at all
    return target.substr(slash);
}

bool IsKnownPair(std::string_view code) {
    for (const LanguagePair& pair : kLanguagePairs) {
        if (code == pair.code) return true;
    }
    return false;
}

std::string DropControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7f) continue;
        out += c;
    }
    return out;
}

ParsedRequest Refuse(int status, std::string message) {
    ParsedRequest r;
    r.status = status;
    r.message = std::move(message);
    return r;
}

}  // namespace

Route RouteOf(std::string_view target) {
    std::string_view origin = OriginForm(target);
    std::string_view path = origin.substr(0, origin.find_first_of("?#"));
    if (path == kTranslatePath) return Route::Translate;
    if (path == kHealthPath) return Route::Health;
    if (path == kSkinGalleryPath) return Route::SkinGallery;
    return Route::NotFound;
}

std::string_view PathOf(std::string_view target) {
    return target.substr(0, target.find_first_of("?#"));
}

std::optional<std::string> DecodeFormValue(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= encoded.size()) return std::nullopt;
            int hi = HexValue(encoded[i + 1]);
            int lo = HexValue(encoded[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

ParsedRequest ParseTranslateTarget(std::string_view target) {
    std::string_view origin = OriginForm(target);
    std::size_t question = origin.find('?');
    std::string_view path = origin.substr(0, question);
    if (path != kTranslatePath) return Refuse(404, "There is nothing at this address.");
    std::string_view query =
        question == std::string_view::npos ? std::string_view{} : origin.substr(question + 1);
    if (std::size_t hash = query.find('#'); hash != std::string_view::npos) query = query.substr(0, hash);

    std::optional<std::string> lp;
    std::optional<std::string> urltext;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view field = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        std::size_t equals = field.find('=');
        std::optional<std::string> name = DecodeFormValue(field.substr(0, equals));
        std::optional<std::string> value =
            DecodeFormValue(equals == std::string_view::npos ? std::string_view{} : field.substr(equals + 1));
        if (!name || !value) return Refuse(400, "The query holds a malformed percent-encoding.");
        // The first of repeated fields counts.
        if (*name == "lp" && !lp)
            lp = std::move(*value);
        else if (*name == "urltext" && !urltext)
            urltext = std::move(*value);
    }

    if (!lp) return Refuse(400, "The language pair (lp) is missing.");
    if (!IsKnownPair(*lp)) return Refuse(400, "The language pair (lp) is not one this service knows.");
    if (!urltext || urltext->empty())
        return Refuse(400, "The text to translate (urltext) is missing or empty.");
    if (urltext->size() > kMaxTextBytes) return Refuse(414, "The text to translate is longer than 8 KiB.");

    ParsedRequest r;
    r.pairCode = std::move(*lp);
    r.text = DropControlCharacters(DecodeAnswerBytes(*urltext));
    if (r.text.empty()) return Refuse(400, "The text to translate (urltext) is missing or empty.");
    return r;
}

Answer AnswerTranslateRequest(std::string_view target, EngineChain& chain) {
    ParsedRequest request = ParseTranslateTarget(target);
    Answer answer;
    answer.pairCode = request.pairCode;
    if (request.status != 200) {
        answer.status = request.status;
        answer.body = RenderErrorPage(request.status, request.message);
        return answer;
    }
    ChainAnswer result = chain.Translate(request.pairCode, request.text);
    // The reasons are the service's own words: they hold neither the text nor a key.
    const std::string failures = JoinFailures(result.failures);
    if (!result.ok) {
        answer.status = 502;
        answer.engineNote = failures;
        answer.body =
            RenderErrorPage(502, "No translation engine could translate the text. " + failures + ".");
        answer.headers.emplace_back(kErrorHeader, failures);
        return answer;
    }
    answer.engineNote = result.answeredBy + (failures.empty() ? "" : " after " + failures);
    answer.body = RenderTranslationPage(request.pairCode, result.translation);
    return answer;
}

Answer ErrorAnswer(int status, std::string_view message) {
    Answer answer;
    answer.status = status;
    answer.body = RenderErrorPage(status, message);
    return answer;
}

RequestHandler::RequestHandler(EngineChain& chain, std::string skinsDir,
                               const std::atomic<long>& openConnections)
    : m_chain(chain), m_skinsDir(std::move(skinsDir)), m_openConnections(openConnections) {}

Answer RequestHandler::AnswerFor(Route route, std::string_view target) {
    switch (route) {
        case Route::Translate:
            return AnswerTranslateRequest(target, m_chain);
        case Route::Health:
            return HealthPage();
        case Route::SkinGallery: {
            Answer answer;
            answer.body = RenderSkinGalleryPage(m_skinsDir.empty() ? std::vector<SkinListing>{}
                                                                   : ListSkins(m_skinsDir));
            return answer;
        }
        case Route::NotFound:
            break;
    }
    return ErrorAnswer(404, "There is nothing at this address.");
}

bool RequestHandler::WaitsFor(std::string_view target) {
    ParsedRequest request = ParseTranslateTarget(target);
    return request.status == 200 && m_chain.Waits(request.pairCode);
}

Answer RequestHandler::HealthPage() {
    EngineHealth health = m_chain.Health();
    Answer answer;
    answer.status = health.up ? 200 : 503;
    answer.contentType = "text/plain; charset=utf-8";
    answer.body = std::string(health.up ? "up\n" : "down\n") + health.detail +
                  "connections open: " + std::to_string(m_openConnections.load()) + "\n";
    return answer;
}

}  // namespace quillmar::service
