#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "translate/LanguagePairs.h"
#include "translate/SockModule.h"
#include "translate/TranslationRequest.h"
#include "translate/frmSocket.h"

namespace quillmar {

// The translation client on fakes, talking to the service "babel.example".
class ClientFixture : public ::testing::Test {
protected:
    static constexpr const char* kService = "babel.example";

    // A page from which the translation comes out as `translation`.
    static std::string Page(const std::string& translation) {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><form><textarea name=q\">" +
               translation + "\r\n</textarea></form></html>";
    }

    // A request for the prepared `text` with the pair of that code, its answer going to `target`.
    std::unique_ptr<TranslationRequest> RequestFor(const std::string& text, const std::string& code = "en_fr",
                                                   WindowHandle target = 0,
                                                   const std::string& service = kService) {
        std::size_t row = 0;
        while (row + 1 < kLanguagePairs.size() && kLanguagePairs[row].code != code) ++row;
        EXPECT_EQ(kLanguagePairs[row].code, code);
        return fakes::RequestFor(text, target, service, {status, output}, row);
    }
    void Ask(const std::string& text, const std::string& code = "en_fr", WindowHandle target = 0) {
        sock.RequestTranslation(RequestFor(text, code, target));
    }

    // Runs one whole exchange that answers with `answer`.
    void Exchange(const std::string& text, const std::string& answer, WindowHandle target = 7) {
        Ask(text, "en_fr", target);
        connection.DeliverConnect();
        connection.DeliverData(answer);
        connection.DeliverClose();
    }

    fakes::FakeConnection connection;
    fakes::FakeTimers timers;
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form{connection, timers, dialogs};
    SockModule sock{form, dialogs};
};

}  // namespace quillmar
