#pragma once

#include <memory>
#include <string>

#include "platform/Dialogs.h"
#include "translate/TranslationRequest.h"
#include "translate/frmSocket.h"

namespace quillmar {

// The agent string of the request's User-Agent line.
inline constexpr const char* kUserAgent = "Quillmar/1.0";

// The service's host[:port] set when the program was built, for where no ServiceAddress is stored; empty
// for the companion.
const char* ServiceHost();

// Builds the HTTP text of translation requests and starts them on frmSocket.
class SockModule final : public RequestSender {
public:
    SockModule(frmSocket& form, Dialogs& dialogs);

    // Sends to the request's service, or through the proxy when frmSocket says so; a request whose service
    // has no host is not sent.
    void RequestTranslation(std::unique_ptr<TranslationRequest> request);
    void Send(std::unique_ptr<TranslationRequest> request) override {
        RequestTranslation(std::move(request));
    }
    void Refuse(std::unique_ptr<TranslationRequest> request, const std::string& why) override;

    // Of the latest call.
    std::string RequestUrl;
    std::string RequestText;
    // Set by the first request made while "Use Proxy" is chosen and never reset: the proxy, once chosen,
    // stays for the run.
    bool UseProxy = false;

private:
    frmSocket& m_form;
    Dialogs& m_dialogs;
};

}  // namespace quillmar
