#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ClientFixture.h"
#include "translate/frmSocket.h"

namespace quillmar {
namespace {

using namespace std::chrono_literals;
using Statuses = std::vector<std::string>;
using frmSocketTest = ClientFixture;

TEST_F(frmSocketTest, AnAnswerInSeveralChunksIsSearchedAsOneTextAndWrittenBack) {
    Ask("good+morning", "en_fr", 42);
    connection.DeliverConnect();
    const std::string page = Page("bonjour");
    const std::size_t markerMiddle = page.find("name=q") + 3;
    connection.DeliverData(page.substr(0, markerMiddle));
    connection.DeliverData(page.substr(markerMiddle, 10));
    connection.DeliverData(page.substr(markerMiddle + 10));
    EXPECT_TRUE(form.RequestInFlight());
    connection.DeliverClose();

    EXPECT_EQ(status.statuses, (Statuses{"Connected", "Retrieving Data", "Retrieving Data", "Retrieving Data",
                                         "Processing", "Operation Successfull !"}));
    EXPECT_EQ(status.outcomes, std::vector<RequestOutcome>{RequestOutcome::Success});
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].target, 42U);
    EXPECT_EQ(output.writes[0].text, "bonjour");
    EXPECT_EQ(form.Text2, "bonjour");
    EXPECT_EQ(form.txtResponse, page);  // kept after the request ends
    EXPECT_EQ(connection.closes, 1);
    EXPECT_FALSE(form.RequestInFlight());
}

TEST_F(frmSocketTest, BytesThatComeWithTheCloseBelongToTheAnswer) {
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    const std::string page = Page("bonjour");
    connection.DeliverData(page.substr(0, 20));
    connection.QueueData(page.substr(20));
    connection.DeliverClose();
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].text, "bonjour");
}

TEST_F(frmSocketTest, AnEmptyExtractionIsRejectedAndTheTargetKeepsItsText) {
    Exchange("ab", Page("premier"));
    for (const std::string& answer : {std::string("HTTP/1.0 500 Oops\r\n\r\n<h1>Error</h1>"), Page("")}) {
        status.statuses.clear();
        Exchange("ab", answer);
        EXPECT_EQ(status.statuses,
                  (Statuses{"Connected", "Retrieving Data", "Processing", "Unknown error!"}));
    }
    // The server closes at once.
    status.statuses.clear();
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    connection.DeliverClose();
    EXPECT_EQ(status.statuses, (Statuses{"Connected", "Processing", "Unknown error!"}));
    EXPECT_EQ(status.outcomes.back(), RequestOutcome::Rejected);
    EXPECT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(form.Text2, "premier");
}

TEST_F(frmSocketTest, TheServicesReasonForNoTranslationIsShownAndTheTextStays) {
    // As the service answers when every engine failed.
    const std::string page =
        "<html><h1>502 Bad Gateway</h1><p>No translation engine could translate the text. "
        "deepl: the key was refused; mymemory: no connection.</p></html>";
    const std::string head = "HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/html; charset=utf-8\r\n";
    Exchange("ab", head +
                       "X-Quillmar-Error: deepl: the key was refused; mymemory: no connection\r\n"
                       "Connection: close\r\n\r\n" +
                       page);
    EXPECT_EQ(status.statuses, (Statuses{"Connected", "Retrieving Data", "Processing", "Erros Occured ..."}));
    EXPECT_EQ(status.outcomes.back(), RequestOutcome::Error);
    EXPECT_TRUE(output.writes.empty());
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text,
              "No translation engine could translate the text. deepl: the key was refused; mymemory: no "
              "connection.");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);

    // The same page without the header is an answer that held no translation, as before.
    status.statuses.clear();
    Exchange("ab", head + "\r\n" + page);
    EXPECT_EQ(status.Last(), "Unknown error!");
    EXPECT_EQ(dialogs.shown.size(), 1U);
}

TEST_F(frmSocketTest, AResultWithMarkupIsRejected) {
    Exchange("ab", Page("premier"));
    Exchange("ab", Page("bon<b>jour</b>"));
    EXPECT_EQ(status.Last(), "Unknown error!");
    EXPECT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(form.Text2, "premier");
}

TEST_F(frmSocketTest, ReferencesAreDecodedAfterTheCheck) {
    Exchange("ab", Page("a &lt;b&gt; &amp; &quot;c&quot; &#39;d&#39; &#x20AC;&nbsp;5"));
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].text,
              "a <b> & \"c\" 'd' \xE2\x82\xAC\xC2\xA0"
              "5");
    EXPECT_EQ(form.Text2, output.writes[0].text);
    EXPECT_EQ(status.Last(), "Operation Successfull !");
}

TEST_F(frmSocketTest, TheAnswerIsDecodedOnceAtTheEnd) {
    // A UTF-8 character split over two chunks survives.
    const std::string page = Page("caf\xC3\xA9");
    const std::size_t split = page.find('\xC3') + 1;
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    connection.DeliverData(page.substr(0, split));
    connection.DeliverData(page.substr(split));
    connection.DeliverClose();
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].text, "caf\xC3\xA9");

    // A Windows-1252 answer comes out as UTF-8.
    Exchange("ab", Page("caf\xE9 \x93"
                        "cr\xE8me\x94 \x80"));
    ASSERT_EQ(output.writes.size(), 2U);
    EXPECT_EQ(output.writes[1].text,
              "caf\xC3\xA9 \xE2\x80\x9C"
              "cr\xC3\xA8me\xE2\x80\x9D \xE2\x82\xAC");
}

TEST_F(frmSocketTest, AFailedWriteBackIsNotReportedAsSuccess) {
    output.accept = false;
    Exchange("ab", Page("bonjour"));
    EXPECT_EQ(status.statuses, (Statuses{"Connected", "Retrieving Data", "Processing", "Erros Occured ..."}));
    EXPECT_EQ(status.outcomes, std::vector<RequestOutcome>{RequestOutcome::Error});
    EXPECT_FALSE(form.RequestInFlight());
}

TEST_F(frmSocketTest, AnErrorClosesTheConnectionAndShowsItsDescription) {
    Ask("ab", "en_fr");
    connection.DeliverError(10061, "Connection refused");
    EXPECT_EQ(connection.closes, 1);
    EXPECT_EQ(status.statuses, (Statuses{"Erros Occured ..."}));
    EXPECT_EQ(status.outcomes, std::vector<RequestOutcome>{RequestOutcome::Error});
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, "Connection refused");
    EXPECT_EQ(dialogs.shown[0].title, "QUILLMAR");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(output.writes.empty());

    // Without a description of its own the failure still says what happened.
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    connection.DeliverError(0, "");
    ASSERT_EQ(dialogs.shown.size(), 2U);
    EXPECT_EQ(dialogs.shown[1].text, failure::kConnectionFailed);

    // The connection is free again.
    Exchange("ab", Page("bonjour"));
    EXPECT_EQ(status.Last(), "Operation Successfull !");
}

TEST_F(frmSocketTest, AFailedSendEndsTheRequestAsAnError) {
    connection.failSends = true;
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    EXPECT_EQ(status.statuses, (Statuses{"Erros Occured ..."}));
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, failure::kSendFailed);
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    EXPECT_FALSE(form.RequestInFlight());
}

TEST_F(frmSocketTest, ARequestThatDoesNotEndInTimeIsHandledAsAnError) {
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    connection.DeliverData("HTTP/1.0 200 OK\r\n");
    timers.Advance(kRequestTimeout - 1ms);
    EXPECT_TRUE(form.RequestInFlight());
    timers.Advance(1ms);
    EXPECT_FALSE(form.RequestInFlight());
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    EXPECT_EQ(status.statuses, (Statuses{"Connected", "Retrieving Data", "Erros Occured ..."}));
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, failure::kTimedOut);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);

    // Nothing more happens later, and late events of the old connection are harmless.
    timers.Advance(kRequestTimeout * 3);
    connection.DeliverClose();
    EXPECT_EQ(status.statuses.size(), 3U);
    EXPECT_EQ(dialogs.shown.size(), 1U);
    EXPECT_TRUE(output.writes.empty());

    // The connection is free for the next request, which gets a full period of its own.
    Ask("ab", "en_fr");
    timers.Advance(kRequestTimeout - 1ms);
    EXPECT_TRUE(form.RequestInFlight());
    timers.Advance(1ms);
    EXPECT_FALSE(form.RequestInFlight());
}

TEST_F(frmSocketTest, TheTimeLimitIsSettableAndStopsWithTheRequest) {
    form.SetRequestTimeout(5s);
    Exchange("ab", Page("bonjour"));
    timers.Advance(1h);
    EXPECT_EQ(status.Last(), "Operation Successfull !");
    EXPECT_TRUE(dialogs.shown.empty());

    Ask("ab", "en_fr");
    timers.Advance(5s);
    EXPECT_EQ(status.Last(), "Erros Occured ...");

    form.SetRequestTimeout(0ms);  // no limit
    Ask("ab", "en_fr");
    timers.Advance(24h);
    EXPECT_TRUE(form.RequestInFlight());
}

TEST_F(frmSocketTest, ASecondRequestLeavesTheOneInFlightUntouched) {
    Ask("first", "en_fr", 1);
    const std::string firstRequest = sock.RequestText;
    connection.DeliverConnect();
    connection.DeliverData(Page("premier").substr(0, 30));
    const std::string gathered = form.txtResponse;

    Ask("second", "de_en", 2);
    EXPECT_EQ(form.txtResponse, gathered);
    ASSERT_NE(form.CurrentRequest(), nullptr);
    EXPECT_EQ(form.CurrentRequest()->requestText, firstRequest);
    EXPECT_EQ(form.CurrentRequest()->translation->Captured().control, 1U);
    EXPECT_EQ(connection.connects.size(), 1U);  // only the first one connected

    connection.DeliverData(Page("premier").substr(30));
    connection.DeliverClose();
    EXPECT_EQ(connection.sent, firstRequest);
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].target, 1U);
    EXPECT_EQ(output.writes[0].text, "premier");
}

TEST_F(frmSocketTest, ARequestStartedBeforeTheFirstConnectsSendsItsOwnText) {
    Ask("first", "en_fr", 1);
    const std::string firstRequest = sock.RequestText;
    Ask("second", "en_fr", 2);
    connection.DeliverConnect();
    EXPECT_EQ(connection.sent, firstRequest);
}

TEST_F(frmSocketTest, AnAnswerOverTheLimitEndsTheRequestAsAnError) {
    const std::string chunk(64 * 1024, 'x');
    Ask("ab", "en_fr");
    connection.DeliverConnect();
    for (std::size_t i = 0; i < kMaxAnswerBytes / chunk.size(); ++i) connection.DeliverData(chunk);
    EXPECT_TRUE(form.RequestInFlight());  // exactly the limit is still taken
    EXPECT_EQ(form.txtResponse.size(), kMaxAnswerBytes);
    connection.DeliverData("y");
    EXPECT_FALSE(form.RequestInFlight());
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    EXPECT_EQ(form.txtResponse.size(), kMaxAnswerBytes);
    EXPECT_EQ(status.Last(), "Erros Occured ...");
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, failure::kAnswerTooLarge);
    EXPECT_TRUE(output.writes.empty());
}

TEST_F(frmSocketTest, AnAnswerOfExactlyTheLimitIsTranslated) {
    std::string page = Page("bonjour");
    page.insert(page.find("<html>"), kMaxAnswerBytes - page.size(), ' ');
    Exchange("ab", page);
    EXPECT_EQ(status.Last(), "Operation Successfull !");
    ASSERT_EQ(output.writes.size(), 1U);
    EXPECT_EQ(output.writes[0].text, "bonjour");
}

TEST_F(frmSocketTest, EventsWithoutARequestAreHarmless) {
    connection.DeliverConnect();
    connection.DeliverData("stray");
    connection.DeliverClose();
    connection.DeliverError(1, "stray");
    timers.Advance(kRequestTimeout * 2);
    EXPECT_TRUE(status.statuses.empty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(output.writes.empty());
    EXPECT_TRUE(connection.sent.empty());
    EXPECT_EQ(form.txtResponse, "");
    EXPECT_EQ(form.Text2, "");
}

TEST_F(frmSocketTest, DestroyingTheFormClosesTheRequestInFlight) {
    fakes::FakeConnection other;
    {
        frmSocket temporary(other, timers, dialogs);
        temporary.StartRequest({"h", 80, "GET / HTTP/1.0\r\n\r\n", RequestFor("ab")});
        EXPECT_EQ(other.State(), ConnectionState::Connecting);
    }
    EXPECT_EQ(other.State(), ConnectionState::Closed);
    EXPECT_EQ(timers.LiveTimers(), 0U);
}

TEST_F(frmSocketTest, TheFormStartsWithItsCreationValues) {
    form.Form_Load();
    EXPECT_EQ(form.Label1, "Processing");
    EXPECT_FALSE(form.optProxy);
    EXPECT_TRUE(form.optNoProxy);
    EXPECT_EQ(form.txtProxy, kPlaceholderProxyHost);
    EXPECT_EQ(form.txtPort, "80");
    EXPECT_FALSE(form.RequestInFlight());
}

}  // namespace
}  // namespace quillmar
