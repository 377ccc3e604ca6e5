#include <gtest/gtest.h>

#include "service/HttpRequestReader.h"

namespace quillmar::service {
namespace {

using State = HttpRequestReader::State;

// Feeds the bytes in pieces of the given size, as a slow network would deliver them.
HttpRequestReader ReadInPieces(std::string_view bytes, std::size_t piece) {
    HttpRequestReader reader;
    while (!bytes.empty() && reader.Current() == State::NeedMore) {
        reader.Feed(bytes.substr(0, piece));
        bytes.remove_prefix(std::min(piece, bytes.size()));
    }
    return reader;
}

TEST(HttpRequestReader, ReadsARequestWhateverPiecesItArrivesIn) {
    const std::string request =
        "\r\nGET /raging/translate.dyn?lp=en_fr&urltext=hi HTTP/1.0\r\nHost: x\r\nAccept: */*\r\n\r\n";
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, request.size()}) {
        HttpRequestReader reader = ReadInPieces(request, piece);
        ASSERT_EQ(reader.Current(), State::Complete) << piece;
        EXPECT_EQ(reader.Head().method, "GET");
        EXPECT_EQ(reader.Head().target, "/raging/translate.dyn?lp=en_fr&urltext=hi");
        EXPECT_EQ(reader.Head().version, "HTTP/1.0");
        EXPECT_FALSE(reader.HasExtraBytes());
    }
    HttpRequestReader bareLf = ReadInPieces("GET / HTTP/1.1\nHost: x\n\n", 3);
    EXPECT_EQ(bareLf.Current(), State::Complete);
}

TEST(HttpRequestReader, WaitsForTheEmptyLineAndKnowsWhetherAnythingCameYet) {
    HttpRequestReader reader;
    EXPECT_EQ(reader.Feed("\r\n"), State::NeedMore);
    EXPECT_FALSE(reader.Started());
    EXPECT_EQ(reader.Feed("GET /raging/translate.dyn?lp=en_fr&urltext=hel"), State::NeedMore);
    EXPECT_TRUE(reader.Started());
    EXPECT_EQ(reader.Feed("lo HTTP/1.1\r\nHost: x\r\n"), State::NeedMore);
    EXPECT_EQ(reader.Feed("\r"), State::NeedMore);
    EXPECT_EQ(reader.Feed("\n"), State::Complete);
}

TEST(HttpRequestReader, ReadsAndDropsABodyOfKnownLengthAndNotesBytesBeyondIt) {
    HttpRequestReader reader;
    EXPECT_EQ(reader.Feed("POST /x HTTP/1.1\r\nContent-Length: 5\r\n\r\nab"), State::NeedMore);
    EXPECT_EQ(reader.Feed("cde"), State::Complete);
    EXPECT_FALSE(reader.HasExtraBytes());
    reader.Feed("GET / HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(reader.HasExtraBytes());

    HttpRequestReader pipelined = ReadInPieces("GET / HTTP/1.1\r\n\r\nGET /again HTTP/1.1\r\n\r\n", 100);
    EXPECT_EQ(pipelined.Current(), State::Complete);
    EXPECT_EQ(pipelined.Head().target, "/");
    EXPECT_TRUE(pipelined.HasExtraBytes());
}

TEST(HttpRequestReader, RefusesWhatItCannotReadWithItsStatus) {
    struct Case {
        std::string request;
        int status;
    };
    const Case cases[] = {
        {"this is not HTTP at all\r\n\r\n", 400},
        {"GET\r\n\r\n", 400},
        {"GET /path\r\n\r\n", 400},  // HTTP/0.9 is not spoken
        {"GET /a b HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/2.0\r\n\r\n", 400},
        {"G(T / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nNo colon here\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nHost: x\r\n folded: value\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nContent-Length: 12x\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nContent-Length: " + std::to_string(kMaxBodyBytes + 1) + "\r\n\r\n", 413},
        {"GET / HTTP/1.1\r\nX: " + std::string(kMaxHeaderBytes, 'h') + "\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        HttpRequestReader reader = ReadInPieces(c.request, 1000);
        EXPECT_EQ(reader.Current(), State::Refused) << c.request.substr(0, 60);
        EXPECT_EQ(reader.RefusalStatus(), c.status) << c.request.substr(0, 60);
        EXPECT_FALSE(reader.RefusalMessage().empty());
    }
}

TEST(HttpRequestReader, TakesARequestLineUpToItsLimitAndRefusesALongerOneBeforeItEnds) {
    std::string atLimit = "GET /" + std::string(kMaxRequestLineBytes - 14, 'a') + " HTTP/1.1";
    ASSERT_EQ(atLimit.size(), kMaxRequestLineBytes);
    EXPECT_EQ(ReadInPieces(atLimit + "\r\n\r\n", 4096).Current(), State::Complete);

    HttpRequestReader over = ReadInPieces(atLimit + "x\r\n\r\n", 4096);
    EXPECT_EQ(over.Current(), State::Refused);
    EXPECT_EQ(over.RefusalStatus(), 414);
    // A line that never ends is refused once it is too long, not held until the client stops.
    HttpRequestReader endless;
    std::string chunk(4096, 'b');
    State state = endless.Feed("GET /");
    while (state == State::NeedMore) state = endless.Feed(chunk);
    EXPECT_EQ(endless.RefusalStatus(), 414);
}

}  // namespace
}  // namespace quillmar::service
