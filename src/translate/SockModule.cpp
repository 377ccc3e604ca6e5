#include "translate/SockModule.h"

#include <string_view>
#include <utility>

#include "translate/HostPort.h"

#ifndef QUILLMAR_SERVICE_HOST
#define QUILLMAR_SERVICE_HOST "localhost"
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

// "host[:port]"; anything else is handed to the connection as a host name on port 80, where it fails
// the way any unknown host does.
HostPort RemoteEndpoint(const std::string& text) {
    if (auto endpoint = ParseHostPort(text)) return *std::move(endpoint);
    return HostPort{text, kHttpPort};
}

}  // namespace

const char* ServiceHost() {
    return QUILLMAR_SERVICE_HOST;
}

SockModule::SockModule(frmSocket& form, Dialogs& dialogs, std::string serviceHost)
    : m_form(form), m_dialogs(dialogs), m_serviceHost(std::move(serviceHost)) {}

void SockModule::RequestTranslation(std::string text, std::string code, WindowHandle target) {
    // A request in flight keeps its own answer buffer.
    if (!m_form.RequestInFlight()) m_form.txtResponse.clear();
    RequestUrl = "http://" + m_serviceHost + "/raging/translate.dyn?lp=" + code + "&urltext=" + text;
    if (m_form.optProxy) UseProxy = true;
    RequestText.clear();

    const std::string_view rest = std::string_view(RequestUrl).substr(std::string_view("http://").size());
    const std::size_t slash = rest.find('/');
    const std::string host(slash == std::string_view::npos ? rest : rest.substr(0, slash));
    const std::string path(slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash));
    if (host.empty() || path.empty()) {
        m_dialogs.ShowMessage("Unable To detect target page!", kAppTitle, MessageIcon::Critical,
                             MessageButtons::OkCancel);
        return;
    }

    const std::string& remote = UseProxy ? m_form.txtProxy : host;
    RequestText = ReplaceAll(RequestTemplate(), kTargetPlaceholder, UseProxy ? RequestUrl : path);
    RequestText = ReplaceAll(RequestText, kHostPlaceholder, host);
    RequestText += "\r\n";
    m_form.Label1 = "Connecting To server ...\r\n";

    HostPort endpoint = RemoteEndpoint(remote);
    m_form.StartRequest(TranslationRequest{std::move(endpoint.host), endpoint.port, RequestText, target});
}

}  // namespace quillmar
