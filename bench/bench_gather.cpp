// Gathering an answer of 10,000 chunks through frmSocket's data-arrival handler on a fake connection,
// then the close with its extraction.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "translate/SockModule.h"
#include "translate/frmSocket.h"

namespace {

using namespace quillmar;

constexpr std::size_t kChunks = 10'000;

std::vector<std::string> MakeChunks(std::size_t chunkSize) {
    std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body><form>";
    const std::string tail = "<textarea name=q\">bonjour\r\n</textarea></form></body></html>";
    const std::string line = "<p class=\"t\">Lorem ipsum dolor sit amet, caf\xC3\xA9</p>\n";
    const std::size_t total = kChunks * chunkSize;
    while (answer.size() + line.size() + tail.size() <= total) answer += line;
    answer.append(total - answer.size() - tail.size(), ' ');
    answer += tail;
    std::vector<std::string> chunks;
    for (std::size_t at = 0; at < answer.size(); at += chunkSize)
        chunks.push_back(answer.substr(at, chunkSize));
    return chunks;
}

void BM_Gather10000Chunks(benchmark::State& state) {
    const auto chunkSize = static_cast<std::size_t>(state.range(0));
    const std::vector<std::string> chunks = MakeChunks(chunkSize);
    fakes::FakeConnection connection;
    fakes::FakeTimers timers;
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form(connection, timers, dialogs);
    SockModule sock(form, dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        status.statuses.clear();
        status.statuses.reserve(kChunks + 4);
        output.writes.clear();
        sock.RequestTranslation(fakes::RequestFor("good+morning", 1, "babel.example", {status, output}));
        connection.DeliverConnect();
        state.ResumeTiming();
        for (const std::string& chunk : chunks) connection.DeliverData(chunk);
        connection.DeliverClose();
        if (output.writes.size() != 1 || output.writes[0].text != "bonjour") {
            state.SkipWithError("the answer was not translated");
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * chunks.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chunks.size() * chunkSize));
}

}  // namespace

BENCHMARK(BM_Gather10000Chunks)->Arg(16)->Arg(100)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
