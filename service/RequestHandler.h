#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "service/EngineRouter.h"

namespace quillmar::service {

inline constexpr std::size_t kMaxTextBytes = std::size_t{8} * 1024;

// Decodes one form-encoded value: "+" is a blank, "%XX" the byte XX, anything else itself.
// None when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> DecodeFormValue(std::string_view encoded);

// A translation request read from the request target, or the refusal to send instead.
struct ParsedRequest {
    int status = 200;     // 200 when pairCode and text are set
    std::string message;  // why it was refused (the service's own words, never the client's text)
    std::string pairCode;
    std::string text;  // UTF-8, not empty
};

// Reads "/raging/translate.dyn?lp=CODE&urltext=TEXT", also in absolute form ("http://host/raging/...").
// Refuses with 404 (another path), 400 (missing or unknown lp, missing or empty urltext, malformed
// percent-encoding) or 414 (text over kMaxTextBytes once decoded). Text that is not valid UTF-8 is read as
// Windows-1252; control characters other than tab, CR and LF are dropped.
ParsedRequest ParseTranslateTarget(std::string_view target);

inline constexpr std::string_view kTranslatePath = "/raging/translate.dyn";
inline constexpr std::string_view kHealthPath = "/healthz";
inline constexpr std::string_view kSkinGalleryPath = "/cgi-bin/quillmarskins.cgi";

enum class Route { Translate, Health, SkinGallery, NotFound };

// Which page a request target (origin or absolute form) asks for; the query does not count.
Route RouteOf(std::string_view target);

// The target's path for the log: without the query (which holds the user's text).
std::string_view PathOf(std::string_view target);

// What the service sends back for one GET.
struct Answer {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
    std::string pairCode;    // for the log; empty when the request named none that is valid
    std::string engineNote;  // engine name, and the failure reason on 502
};

Answer AnswerTranslateRequest(std::string_view target, EngineRouter& router);

// An error page with the service's own words.
Answer ErrorAnswer(int status, std::string_view message);

// The answers to a GET of each of the service's pages. AnswerFor may be called from several threads at
// once.
class RequestHandler {
public:
    // The skin gallery lists skinsDir (none when it is empty); the health page shows openConnections.
    RequestHandler(EngineRouter& router, std::string skinsDir, const std::atomic<long>& openConnections);

    Answer AnswerFor(Route route, std::string_view target);
    // Whether the engine of a translation request may wait (unreadable requests are answered at once).
    bool WaitsFor(std::string_view target);

private:
    Answer HealthPage();

    EngineRouter& m_router;
    std::string m_skinsDir;
    const std::atomic<long>& m_openConnections;
};

}  // namespace quillmar::service
