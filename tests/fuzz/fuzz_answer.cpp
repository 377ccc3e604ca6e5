// Answer handling under libFuzzer: extraction (checked against a plain code-point implementation),
// answer decoding, reference decoding, and frmSocket driven through arbitrary event sequences.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "translate/AnswerText.h"
#include "translate/QueryText.h"
#include "translate/SockModule.h"
#include "translate/Utf8.h"
#include "translate/frmSocket.h"

namespace {

using namespace quillmar;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

std::u32string ToCodePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += cp;
        i += length;
    }
    return out;
}

std::string ToUtf8(const std::u32string& text) {
    std::string out;
    for (const char32_t cp : text) utf8::AppendCodePoint(out, cp);
    return out;
}

char32_t Fold(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// 1-based position of m in s at or after `from`, ignoring ASCII case; 0 when there is none.
std::size_t Find(const std::u32string& s, std::u32string_view m, std::size_t from) {
    for (std::size_t p = from; p + m.size() - 1 <= s.size(); ++p) {
        bool match = true;
        for (std::size_t k = 0; k < m.size() && match; ++k) match = Fold(s[p - 1 + k]) == m[k];
        if (match) return p;
    }
    return 0;
}

std::u32string Piece(const std::u32string& s, std::size_t start, std::size_t n) {
    if (start > s.size() || n == 0) return {};
    return s.substr(start - 1, n);
}

// The extraction written the plain way, one code point per element.
std::optional<std::string> ReferenceExtract(std::string_view page8) {
    const std::u32string page = ToCodePoints(page8);
    std::u32string cut;
    if (const std::size_t a = Find(page, U"name=q", 1); a != 0) {
        std::size_t e = Find(page, U"</textarea>", a);
        cut = Piece(page, a + 8, e);
        e = Find(cut, U"</textarea>", 1);
        if (e >= 3) cut = cut.substr(0, e - 3);
    }
    if (cut.empty()) {
        if (const std::size_t b = Find(page, U"lass=h", 1); b != 0) {
            std::size_t f = Find(page, U"</form><p>", b);
            cut = Piece(page, b + 8, f);
            f = Find(cut, U"</form><p>", 1);
            if (f >= 3) cut = cut.substr(0, f - 3);
            const std::size_t r = Find(cut, U"<br>", 1);
            cut = r + 6 > cut.size() ? std::u32string() : cut.substr(r + 5);
        }
    }
    if (cut.find(U'>') != std::u32string::npos) return std::nullopt;
    return ToUtf8(cut);
}

void CheckAnswerFunctions(std::string_view bytes) {
    // Raw bytes: no crash, a rejection or a piece of the input without ">".
    if (const auto raw = ExtractTranslation(bytes)) {
        Check(raw->find('>') == std::string::npos, "raw result holds >");
        Check(bytes.find(*raw) != std::string_view::npos, "raw result is not a piece of the page");
    }
    const std::string text = DecodeAnswerBytes(bytes);
    Check(utf8::IsValid(text), "decoded answer is not UTF-8");
    if (utf8::IsValid(bytes)) Check(text == bytes, "valid UTF-8 was changed");

    const auto fast = ExtractTranslation(text);
    const auto reference = ReferenceExtract(text);
    Check(fast == reference, "extraction differs from the code-point reference");

    const std::string decoded = DecodeCharacterReferences(text);
    Check(utf8::IsValid(decoded), "reference decoding broke UTF-8");
    Check(decoded.size() <= text.size() + 2, "reference decoding grew the text");
    if (text.find('&') == std::string::npos) Check(decoded == text, "text without & was changed");
}

// frmSocket and SockModule on fakes, driven by the rest of the input.
void DriveClient(FuzzedDataProvider& input) {
    fakes::FakeConnection connection;
    fakes::FakeTimers timers;
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form(connection, timers, dialogs);
    SockModule sock(form, dialogs);
    const std::string service = input.ConsumeBool() ? "babel.example" : "127.0.0.1:8080";
    form.optProxy = input.ConsumeBool();
    form.SetRequestTimeout(std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 1000)));
    output.accept = input.ConsumeBool();

    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        const std::size_t writesBefore = output.writes.size();
        const std::size_t statusesBefore = status.statuses.size();
        bool closedInFlight = false;
        switch (input.ConsumeIntegralInRange(0, 7)) {
            case 0: {
                const auto query = PrepareQueryText(input.ConsumeRandomLengthString(16));
                if (query) {
                    sock.RequestTranslation(fakes::RequestFor(*query, input.ConsumeIntegral<std::uint8_t>(),
                                                              service, {status, output}));
                }
                break;
            }
            case 1:
                connection.DeliverConnect();
                break;
            case 2:
                connection.DeliverData(input.ConsumeRandomLengthString(4096));
                break;
            case 3:
                connection.QueueData(input.ConsumeRandomLengthString(256));
                break;
            case 4:
                closedInFlight = form.RequestInFlight();
                connection.DeliverClose();
                break;
            case 5:
                connection.DeliverError(input.ConsumeIntegral<int>(), input.ConsumeRandomLengthString(32));
                break;
            case 6:
                timers.Advance(std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 2000)));
                break;
            default: {
                // A whole page in one piece, as the service would answer.
                const std::string translation = input.ConsumeRandomLengthString(64);
                connection.DeliverData("HTTP/1.0 200 OK\r\n\r\n<textarea name=q\">" + translation +
                                       "\r\n</textarea>");
                break;
            }
        }
        Check(form.txtResponse.size() <= kMaxAnswerBytes, "answer buffer over the limit");
        if (output.writes.size() != writesBefore) {
            Check(closedInFlight && output.writes.size() == writesBefore + 1, "write outside a close");
            const auto expected = ExtractTranslation(DecodeAnswerBytes(form.txtResponse));
            Check(expected && !expected->empty(), "wrote a rejected or empty extraction");
            Check(output.writes.back().text == DecodeCharacterReferences(*expected), "wrote something else");
            Check(status.Last() == (output.accept ? status::kSuccess : status::kErrorsOccurred),
                  "wrong outcome");
        }
        if (!form.RequestInFlight()) {
            for (std::size_t i = statusesBefore; i < status.statuses.size(); ++i) {
                Check(status.statuses[i] != status::kSuccess || output.writes.size() == writesBefore + 1,
                      "success without a write");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckAnswerFunctions(bytes);
    FuzzedDataProvider input(data, size);
    DriveClient(input);
    return 0;
}
