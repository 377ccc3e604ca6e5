#include "translate/SockModule.h"

#include <string_view>
#include <utility>

#include "translate/HostPort.h"

#ifndef QUILLMAR_SERVICE_HOST
#define QUILLMAR_SERVICE_HOST ""
#endif

namespace quillmar {
namespace {

constexpr std::string_view kTargetPlaceholder = "_$-$_$-";
constexpr std::string_view kHostPlaceholder = "@$@@$@";

const std::string& RequestTemplate() {
    static const std::string kTemplate =
        std::string(
            "GET _$-$_$- HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
            "application/vnd.ms-excel, application/msword, application/x-comet, */*\r\n"
            "Accept-Language: en\r\n"
            "Accept-Encoding: gzip , deflate\r\n"
            "Cache-Control: no-cache\r\n"
            "Proxy-Connection: Keep-Alive\r\n"
            "User-Agent:") +
        kUserAgent + "\r\n" + "Host: @$@@$@\r\n";
    return kTemplate;
}

// Every occurrence, in one pass from left to right: inserted text is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with) {
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, from)) {
        result.append(text, from, at - from);
        result += with;
        from = at + find.size();
    }
    result.append(text, from);
    return result;
}

// The proxy's "host[:port]"; anything else is handed to the connection as a host name on port 80, where
// it fails the way any unknown host does.
HostPort ProxyEndpoint(const std::string& text) {
    if (auto endpoint = ParseHostPort(text)) return *std::move(endpoint);
    return HostPort{text, kHttpPort};
}

}  // namespace

const char* ServiceHost() {
    return QUILLMAR_SERVICE_HOST;
}

SockModule::SockModule(frmSocket& form, Dialogs& dialogs) : m_form(form), m_dialogs(dialogs) {}

void SockModule::Refuse(std::unique_ptr<TranslationRequest> request, const std::string& why) {
    request->End(RequestOutcome::Error, status::kErrorsOccurred);
    m_dialogs.ShowMessage(why, kAppTitle, MessageIcon::Critical, MessageButtons::Ok);
}

void SockModule::RequestTranslation(std::unique_ptr<TranslationRequest> request) {
    // A request in flight keeps its own answer buffer.
    if (!m_form.RequestInFlight()) m_form.txtResponse.clear();
    RequestUrl = request->Url();
    if (m_form.optProxy) UseProxy = true;
    RequestText.clear();

    if (request->Service().host.empty()) {
        m_dialogs.ShowMessage("Unable To detect target page!", kAppTitle, MessageIcon::Critical,
                             MessageButtons::OkCancel);
        return;
    }

    RequestText =
        ReplaceAll(RequestTemplate(), kTargetPlaceholder, UseProxy ? RequestUrl : request->PathAndQuery());
    RequestText = ReplaceAll(RequestText, kHostPlaceholder, request->Authority());
    RequestText += "\r\n";
    m_form.Label1 = "Connecting To server ...\r\n";

    HostPort endpoint = UseProxy ? ProxyEndpoint(m_form.txtProxy)
                                 : HostPort{request->Service().host, request->Service().Port()};
    m_form.StartRequest(
        OutgoingRequest{std::move(endpoint.host), endpoint.port, RequestText, std::move(request)});
}

}  // namespace quillmar
