// The query text under libFuzzer, from the program's side to the service's: the captured text is encoded
// as the program encodes it, sent in the request the program builds (straight or through a proxy), read by
// the service's request reader and decoded by the service. Checked: the service decodes exactly the text
// the program captured (read as UTF-8 or, failing that, Windows-1252, without control characters); any
// text the service takes fits the request line it accepts; and the form decoding agrees with a plain one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "service/HttpRequestReader.h"
#include "service/RequestHandler.h"
#include "translate/AnswerText.h"
#include "translate/LanguagePairs.h"
#include "translate/QueryText.h"
#include "translate/SockModule.h"
#include "translate/Utf8.h"
#include "translate/frmSocket.h"

namespace {

using namespace quillmar;
using fuzz::Check;

// Form decoding the plain way: one byte at a time, "%" takes the next two as hexadecimal digits.
std::optional<std::string> ReferenceFormDecode(std::string_view encoded) {
    const std::string_view hex = "0123456789abcdef";
    const auto digit = [&](char c) -> int {
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        const std::size_t at = hex.find(lower);
        return at == std::string_view::npos ? -1 : static_cast<int>(at);
    };
    std::string out;
    std::size_t i = 0;
    while (i < encoded.size()) {
        if (encoded[i] == '%') {
            if (encoded.size() - i < 3 || digit(encoded[i + 1]) < 0 || digit(encoded[i + 2]) < 0)
                return std::nullopt;
            out.push_back(static_cast<char>(digit(encoded[i + 1]) * 16 + digit(encoded[i + 2])));
            i += 3;
        } else {
            out.push_back(encoded[i] == '+' ? ' ' : encoded[i]);
            ++i;
        }
    }
    return out;
}

// What the service should make of the captured bytes.
std::string ExpectedText(std::string_view captured) {
    std::string out;
    for (const char c : DecodeAnswerBytes(captured)) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 0x20 && u != 0x7f) || c == '\t' || c == '\r' || c == '\n') out += c;
    }
    return out;
}

// The bytes the program sends for the query, as the connection receives them.
std::string SentRequest(const std::string& query, std::size_t pairRow, bool proxy) {
    fakes::FakeConnection connection;
    fakes::FakeTimers timers;
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form(connection, timers, dialogs);
    form.optProxy = proxy;
    form.txtProxy = "127.0.0.1:3128";
    SockModule sock(form, dialogs);
    sock.RequestTranslation(fakes::RequestFor(query, 1, "localhost:8080", {status, output}, pairRow));
    connection.DeliverConnect();
    return connection.sent;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t pairRow = input.ConsumeIntegralInRange<std::size_t>(0, 12);
    const std::string pairCode = kLanguagePairs[pairRow].code;
    const auto flags = input.ConsumeIntegral<std::uint8_t>();
    const bool proxy = (flags & 1) != 0;
    // Now and then a length to repeat the text up to, so that short inputs reach the limit on the text.
    const std::size_t stretch = (flags & 2) != 0 ? input.ConsumeIntegralInRange<std::size_t>(0, 9000) : 0;
    std::string captured = input.ConsumeRemainingBytesAsString();

    // The form decoding on its own, on any bytes.
    const fuzz::ExactCopy raw(captured);
    Check(service::DecodeFormValue(raw.View()) == ReferenceFormDecode(captured),
          "form decoding differs from the plain one");

    if (!captured.empty() && captured.size() < stretch) {
        std::string longer;
        while (longer.size() + captured.size() <= stretch) longer += captured;
        captured = longer;
    }

    const std::optional<std::string> query = PrepareQueryText(captured);
    if (!query) {
        std::size_t lineBreaks = 0;
        for (const char c : captured) lineBreaks += c == '\r' || c == '\n' ? 1 : 0;
        Check(utf8::CountCharacters(captured) + 2 * lineBreaks <= 1, "a text refused as too short");
        return 0;
    }
    Check(query->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~+%") ==
              std::string::npos,
          "the query holds a byte that is not encoded");
    Check(service::DecodeFormValue(*query) == captured, "the query does not decode to the captured text");

    // The whole way: the request the program sends, read by the service.
    const std::string sent = SentRequest(*query, pairRow, proxy);
    service::HttpRequestReader reader;
    const auto state = reader.Feed(fuzz::ExactCopy(sent).View());
    if (captured.size() > service::kMaxTextBytes) {
        // Refused either way, as too long; which limit says so first does not matter to the program.
        const int status = state == service::HttpRequestReader::State::Refused
                               ? reader.RefusalStatus()
                               : service::ParseTranslateTarget(reader.Head().target).status;
        Check(status == 414, "a text over the limit is not refused as too long");
        return 0;
    }
    Check(state == service::HttpRequestReader::State::Complete,
          "the service does not read the program's request");
    Check(!reader.HasExtraBytes(), "the program's request leaves bytes over");
    const service::ParsedRequest request = service::ParseTranslateTarget(reader.Head().target);
    const std::string expected = ExpectedText(captured);
    if (expected.empty()) {
        Check(request.status == 400, "a text of control characters only is not refused");
        return 0;
    }
    Check(request.status == 200, "the service refuses the program's request");
    Check(request.pairCode == pairCode, "the service reads another pair");
    Check(request.text == expected, "the service reads another text than the program sent");
    if (utf8::IsValid(captured) && expected.size() == captured.size())
        Check(request.text == captured, "UTF-8 text changed on the way");
    return 0;
}
