#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Timers.h"
#include "translate/TranslationRequest.h"

namespace quillmar {

// A request that has not ended gives up after this long, as if the connection had failed.
inline constexpr std::chrono::milliseconds kRequestTimeout{30'000};
// Larger answers end the request as an error instead of growing the buffer without bound.
inline constexpr std::size_t kMaxAnswerBytes = std::size_t{1} << 20;
// What txtProxy holds at creation.
inline constexpr const char* kPlaceholderProxyHost = "proxy";

// The descriptions shown when the client itself ends a request as an error.
namespace failure {
inline constexpr const char* kTimedOut = "The translation service did not answer in time.";
inline constexpr const char* kAnswerTooLarge = "The translation service's answer is larger than 1 MiB.";
inline constexpr const char* kSendFailed = "The request could not be sent to the translation service.";
inline constexpr const char* kConnectionFailed = "The connection to the translation service failed.";
}  // namespace failure

// What the message box says when the service names why it has no translation: the words of its error page.
std::string ServiceFailureMessage(const std::string& reason);
// The translation in an answer, ready to be written back; none when the answer yields nothing usable.
std::optional<std::string> TranslationFromAnswer(std::string_view answer);

// One request on the wire: where it connects, the bytes it sends, and the translation they ask for,
// which reports the exchange and takes its answer.
struct OutgoingRequest {
    std::string remoteHost;
    std::uint16_t remotePort = 80;
    std::string requestText;  // the complete HTTP request
    std::unique_ptr<TranslationRequest> translation;
};

// The never-shown translation form: holds the connection WS_HTTP and the client's state, and runs one
// translation at a time through the connection's events.
class frmSocket final : private ConnectionListener {
public:
    frmSocket(Connection& connection, TimerFactory& timers, Dialogs& dialogs);
    ~frmSocket() override;
    frmSocket(const frmSocket&) = delete;
    frmSocket& operator=(const frmSocket&) = delete;

    void Form_Load();

    // Starts the request unless one is in flight; a request that cannot start (or asks for no translation)
    // leaves the one in flight untouched and is dropped silently.
    bool StartRequest(OutgoingRequest request);
    bool RequestInFlight() const;
    // The request in flight, or null.
    const OutgoingRequest* CurrentRequest() const { return m_inFlight ? &*m_inFlight : nullptr; }
    // Applies from the next request on; zero or less means no time limit.
    void SetRequestTimeout(std::chrono::milliseconds timeout);

    // Event handlers of WS_HTTP.
    void WS_HTTP_Connect();
    void WS_HTTP_DataArrival(std::size_t bytesTotal);
    void WS_HTTP_Close();
    void WS_HTTP_Error(const ConnectionError& error);

    Connection& WS_HTTP() { return m_connection; }

    // Form state.
    std::string txtResponse;  // answer bytes gathered for the request in flight (or the last one)
    std::string Text2;        // the last translation that passed the check
    bool optProxy = false;    // "Use Proxy"
    bool optNoProxy = true;   // "No Proxy"
    std::string txtProxy = kPlaceholderProxyHost;  // proxy host[:port]
    std::string txtPort = "80";
    std::string Label1 = "Processing";  // the form's own status line

private:
    void OnConnect() override { WS_HTTP_Connect(); }
    void OnDataArrival(std::size_t bytesWaiting) override { WS_HTTP_DataArrival(bytesWaiting); }
    void OnClose() override { WS_HTTP_Close(); }
    void OnError(const ConnectionError& error) override { WS_HTTP_Error(error); }

    // Ends the request in flight: timer stopped, connection closed; the request is handed back.
    OutgoingRequest EndRequest();
    // Ends the request in flight as an error with that description (a copy: an event's own text need not
    // outlive the Close() that ends the request).
    void Fail(std::string description);

    Connection& m_connection;
    TimerFactory& m_timers;
    Dialogs& m_dialogs;
    std::optional<OutgoingRequest> m_inFlight;
    std::unique_ptr<Timer> m_deadline;
    std::chrono::milliseconds m_timeout = kRequestTimeout;
};

}  // namespace quillmar
