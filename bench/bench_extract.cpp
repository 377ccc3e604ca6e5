// ExtractTranslation and the answer decoding on pages of growing size: throughput and linearity.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "translate/AnswerText.h"

namespace {

using quillmar::DecodeAnswerBytes;
using quillmar::DecodeCharacterReferences;
using quillmar::ExtractTranslation;

enum class Shape { TextAreaAtEnd, FormEndAtEnd, NoMarkers, CyrillicTextArea };

// A page of ordinary markup of `size` bytes whose translation (if any) sits at its very end, so that
// every search runs over the whole page.
std::string MakePage(std::size_t size, Shape shape) {
    const std::string line =
        shape == Shape::CyrillicTextArea
            ? "<p class=\"t\">\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
              "\xD0\xBC\xD0\xB8\xD1\x80! <a href=\"/x?id=1\">link</a></p>\n"
            : "<p class=\"t\">Lorem ipsum dolor sit amet, caf\xC3\xA9 <a href=\"/x?id=1\">"
              "link</a></p>\n";
    std::string tail;
    switch (shape) {
        case Shape::TextAreaAtEnd:
        case Shape::CyrillicTextArea:
            tail = "<textarea rows=6 name=q\">bonjour tout le monde\r\n</textarea></form></body></html>";
            break;
        case Shape::FormEndAtEnd:
            tail = "<div class=h2>zz<br>\r\nbonjour tout le monde\r\n</form><p></body></html>";
            break;
        case Shape::NoMarkers:
            tail = "</body></html>";
            break;
    }
    std::string page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body><form>";
    while (page.size() + line.size() + tail.size() <= size) page += line;
    page.append(size - page.size() - tail.size(), ' ');
    page += tail;
    return page;
}

void Extract(benchmark::State& state, Shape shape) {
    const std::string page = MakePage(static_cast<std::size_t>(state.range(0)), shape);
    const bool expectText = shape != Shape::NoMarkers;
    for (auto _ : state) {
        auto result = ExtractTranslation(page);
        benchmark::DoNotOptimize(result);
        if (!result || result->empty() == expectText) state.SkipWithError("unexpected extraction");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_ExtractTextArea(benchmark::State& state) {
    Extract(state, Shape::TextAreaAtEnd);
}
void BM_ExtractFormEnd(benchmark::State& state) {
    Extract(state, Shape::FormEndAtEnd);
}
void BM_ExtractNoMarkers(benchmark::State& state) {
    Extract(state, Shape::NoMarkers);
}
void BM_ExtractCyrillic(benchmark::State& state) {
    Extract(state, Shape::CyrillicTextArea);
}

// The whole answer path at the close: decode the bytes, extract, decode references.
void BM_AnswerToTranslation(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)), Shape::TextAreaAtEnd);
    if (state.range(1) != 0) page[page.size() / 2] = '\xE9';  // one Windows-1252 byte
    for (auto _ : state) {
        const auto cut = ExtractTranslation(DecodeAnswerBytes(page));
        auto text = DecodeCharacterReferences(cut.value_or(std::string()));
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

constexpr std::int64_t kKiB = 1024;

}  // namespace

BENCHMARK(BM_ExtractTextArea)->RangeMultiplier(4)->Range(64 * kKiB, 4096 * kKiB);
BENCHMARK(BM_ExtractFormEnd)->RangeMultiplier(4)->Range(64 * kKiB, 4096 * kKiB);
BENCHMARK(BM_ExtractNoMarkers)->RangeMultiplier(4)->Range(64 * kKiB, 4096 * kKiB);
BENCHMARK(BM_ExtractCyrillic)->RangeMultiplier(4)->Range(64 * kKiB, 4096 * kKiB);
BENCHMARK(BM_AnswerToTranslation)->Args({1024 * kKiB, 0})->Args({1024 * kKiB, 1});

BENCHMARK_MAIN();
