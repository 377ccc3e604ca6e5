#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "translate/SockModule.h"
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

    // Runs one whole exchange that answers with `answer`.
    void Exchange(const std::string& text, const std::string& answer, WindowHandle target = 7) {
        sock.RequestTranslation(text, "en_fr", target);
        connection.DeliverConnect();
        connection.DeliverData(answer);
        connection.DeliverClose();
    }

    fakes::FakeConnection connection;
    fakes::FakeTimers timers;
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form{connection, timers, dialogs, status, output};
    SockModule sock{form, dialogs, kService};
};

}  // namespace quillmar
