#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/WindowHandle.h"
#include "translate/frmSocket.h"

namespace quillmar {

// The agent string of the request's User-Agent line.
inline constexpr const char* kUserAgent = "Quillmar/1.0";

// The service's host[:port], fixed when the program is built.
const char* ServiceHost();

// Builds translation requests and starts them on frmSocket.
class SockModule {
public:
    SockModule(frmSocket& form, Dialogs& dialogs, std::string serviceHost = ServiceHost());

    // text: already prepared for the query string; code: a pair code; target: where the answer goes.
    void RequestTranslation(std::string text, std::string code, WindowHandle target = 0);

    // Of the latest call.
    std::string RequestUrl;
    std::string RequestText;
    bool UseProxy = false;

private:
    frmSocket& m_form;
    Dialogs& m_dialogs;
    std::string m_serviceHost;
};

}  // namespace quillmar
