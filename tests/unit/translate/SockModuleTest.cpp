#include <gtest/gtest.h>

#include "ClientFixture.h"
#include "translate/HostPort.h"
#include "translate/QueryText.h"
#include "translate/SockModule.h"

namespace quillmar {
namespace {

const std::string kTemplateMiddle =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
    "application/vnd.ms-excel, application/msword, application/x-comet, */*\r\n"
    "Accept-Language: en\r\n"
    "Accept-Encoding: gzip , deflate\r\n"
    "Cache-Control: no-cache\r\n"
    "Proxy-Connection: Keep-Alive\r\n"
    "User-Agent:Quillmar/1.0\r\n";

std::string Request(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.0\r\n" + kTemplateMiddle + "Host: " + host + "\r\n\r\n";
}

using SockModuleTest = ClientFixture;

TEST_F(SockModuleTest, DirectRequestGoesToTheServiceOnPort80WithThePathOnTheRequestLine) {
    Ask("good+morning", "en_fr");
    EXPECT_EQ(sock.RequestUrl, "http://babel.example/raging/translate.dyn?lp=en_fr&urltext=good+morning");
    EXPECT_EQ(sock.RequestText,
              Request("/raging/translate.dyn?lp=en_fr&urltext=good+morning", "babel.example"));
    EXPECT_FALSE(sock.UseProxy);
    ASSERT_EQ(connection.connects.size(), 1U);
    EXPECT_EQ(connection.connects[0].host, "babel.example");
    EXPECT_EQ(connection.connects[0].port, 80);
    EXPECT_EQ(form.Label1, "Connecting To server ...\r\n");

    connection.DeliverConnect();
    EXPECT_EQ(connection.sent, sock.RequestText);  // sent as one piece, exactly these bytes
}

TEST_F(SockModuleTest, ProxyRequestGoesToTheProxyWithTheAbsoluteUrlAndTheServiceAsHost) {
    form.optProxy = true;
    form.optNoProxy = false;
    Ask("good+morning", "de_en");
    EXPECT_TRUE(sock.UseProxy);
    EXPECT_EQ(
        sock.RequestText,
        Request("http://babel.example/raging/translate.dyn?lp=de_en&urltext=good+morning", "babel.example"));
    ASSERT_EQ(connection.connects.size(), 1U);
    EXPECT_EQ(connection.connects[0].host, kPlaceholderProxyHost);
    EXPECT_EQ(connection.connects[0].port, 80);
}

TEST_F(SockModuleTest, AnExplicitPortIsKeptOnTheHostLineAndUsedForTheConnection) {
    sock.RequestTranslation(RequestFor("ab", "en_fr", 0, "127.0.0.1:8080"));
    EXPECT_EQ(sock.RequestText, Request("/raging/translate.dyn?lp=en_fr&urltext=ab", "127.0.0.1:8080"));
    ASSERT_EQ(connection.connects.size(), 1U);
    EXPECT_EQ(connection.connects[0].host, "127.0.0.1");
    EXPECT_EQ(connection.connects[0].port, 8080);
    connection.DeliverError(10061, "refused");

    form.optProxy = true;
    form.txtProxy = "proxy.lan:3128";
    sock.RequestTranslation(RequestFor("ab", "en_fr", 0, "127.0.0.1:8080"));
    EXPECT_EQ(sock.RequestText,
              Request("http://127.0.0.1:8080/raging/translate.dyn?lp=en_fr&urltext=ab", "127.0.0.1:8080"));
    ASSERT_EQ(connection.connects.size(), 2U);
    EXPECT_EQ(connection.connects[1].host, "proxy.lan");
    EXPECT_EQ(connection.connects[1].port, 3128);
}

TEST_F(SockModuleTest, AnUnusableHostIsLeftToTheConnectionToReport) {
    form.optProxy = true;
    form.txtProxy = "proxy:abc";
    Ask("ab", "en_fr");
    ASSERT_EQ(connection.connects.size(), 1U);
    EXPECT_EQ(connection.connects[0].host, "proxy:abc");
    EXPECT_EQ(connection.connects[0].port, 80);
}

TEST_F(SockModuleTest, ProxyModeOnceChosenStaysForTheRun) {
    form.optProxy = true;
    Ask("ab", "en_fr");
    connection.DeliverError(1, "down");
    form.optProxy = false;
    form.optNoProxy = true;
    Ask("ab", "en_fr");
    EXPECT_TRUE(sock.UseProxy);
    ASSERT_EQ(connection.connects.size(), 2U);
    EXPECT_EQ(connection.connects[1].host, kPlaceholderProxyHost);
}

TEST_F(SockModuleTest, TheTextIsInsertedVerbatim) {
    Ask("a&b=c%d#e?f", "en_fr");
    EXPECT_EQ(sock.RequestText, Request("/raging/translate.dyn?lp=en_fr&urltext=a&b=c%d#e?f", kService));
}

TEST_F(SockModuleTest, PlaceholdersAreReplacedInOnePassLeftToRight) {
    // The host placeholder is replaced wherever it stands, the text included; the target placeholder
    // put in with the path is not searched again.
    Ask("x@$@@$@_$-$_$-", "en_fr");
    EXPECT_EQ(sock.RequestText,
              Request("/raging/translate.dyn?lp=en_fr&urltext=xbabel.example_$-$_$-", kService));

    // A host holding the host placeholder would make a replace-until-gone loop run forever.
    connection.DeliverError(1, "down");
    sock.RequestTranslation(RequestFor("ab", "en_fr", 0, "h@$@@$@x"));
    EXPECT_EQ(sock.RequestText, Request("/raging/translate.dyn?lp=en_fr&urltext=ab", "h@$@@$@x"));
}

TEST_F(SockModuleTest, PreparedTextNoLongerMatchesThePlaceholders) {
    const auto query = PrepareQueryText("@$@@$@ & _$-$_$-");
    ASSERT_TRUE(query.has_value());
    Ask(*query, "en_fr");
    EXPECT_EQ(
        sock.RequestText,
        Request("/raging/translate.dyn?lp=en_fr&urltext=%40%24%40%40%24%40+%26+_%24-%24_%24-", kService));
}

TEST_F(SockModuleTest, AServiceHostWithASlashSplitsAtTheFirstSlash) {
    sock.RequestTranslation(RequestFor("ab", "en_fr", 0, "svc/base"));
    EXPECT_EQ(sock.RequestText, Request("/base/raging/translate.dyn?lp=en_fr&urltext=ab", "svc"));
    ASSERT_EQ(connection.connects.size(), 1U);
    EXPECT_EQ(connection.connects[0].host, "svc");
}

TEST_F(SockModuleTest, AnEmptyHostShowsTheMessageAndConnectsNothing) {
    for (const char* service : {"", "/path"}) {
        form.txtResponse = "old answer";
        form.Label1 = "Processing";
        sock.RequestTranslation(RequestFor("ab", "en_fr", 0, service));
        ASSERT_EQ(dialogs.shown.size(), 1U) << service;
        EXPECT_EQ(dialogs.shown[0].text, "Unable To detect target page!");
        EXPECT_EQ(dialogs.shown[0].title, "QUILLMAR");
        EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
        EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::OkCancel);
        EXPECT_TRUE(connection.connects.empty());
        EXPECT_EQ(sock.RequestText, "");
        EXPECT_EQ(form.txtResponse, "");  // emptied before the split
        EXPECT_EQ(form.Label1, "Processing");
        EXPECT_FALSE(form.RequestInFlight());
        dialogs.shown.clear();
    }
}

}  // namespace
}  // namespace quillmar
