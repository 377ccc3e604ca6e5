#include "translate/frmSocket.h"

#include <utility>

#include "translate/AnswerText.h"

namespace quillmar {

std::optional<std::string> TranslationFromAnswer(std::string_view answer) {
    const std::optional<std::string> cut = ExtractTranslation(DecodeAnswerBytes(answer));
    // An error page or an empty answer must not wipe the user's text.
    if (!cut || cut->empty()) return std::nullopt;
    // Only after the ">" check: a decoded "&gt;" is text, not markup.
    return DecodeCharacterReferences(*cut);
}

std::string ServiceFailureMessage(const std::string& reason) {
    const bool ended = !reason.empty() && reason.back() == '.';
    return "No translation engine could translate the text. " + reason + (ended ? "" : ".");
}

frmSocket::frmSocket(Connection& connection, TimerFactory& timers, Dialogs& dialogs)
    : m_connection(connection), m_timers(timers), m_dialogs(dialogs) {
    m_connection.SetListener(this);
}

frmSocket::~frmSocket() {
    if (m_inFlight) m_connection.Close();
    m_connection.SetListener(nullptr);
}

void frmSocket::Form_Load() {
    // The form's state already holds its values at creation; the connection is bound in the constructor.
}

bool frmSocket::StartRequest(OutgoingRequest request) {
    if (m_inFlight || !request.translation) return false;
    txtResponse.clear();
    if (!m_connection.Connect(request.remoteHost, request.remotePort)) return false;
    m_inFlight = std::move(request);
    if (m_timeout > std::chrono::milliseconds::zero()) {
        if (!m_deadline) {
            m_deadline = m_timers.CreateTimer(m_timeout, false, [this] { Fail(failure::kTimedOut); });
        }
        m_deadline->SetEnabled(false);
        m_deadline->SetInterval(m_timeout);
        m_deadline->SetEnabled(true);
    }
    return true;
}

bool frmSocket::RequestInFlight() const {
    return m_inFlight.has_value();
}

void frmSocket::SetRequestTimeout(std::chrono::milliseconds timeout) {
    m_timeout = timeout;
}

void frmSocket::WS_HTTP_Connect() {
    if (!m_inFlight) return;
    if (!m_connection.SendData(m_inFlight->requestText)) {
        Fail(failure::kSendFailed);
        return;
    }
    m_inFlight->translation->Report(status::kConnected);
}

void frmSocket::WS_HTTP_DataArrival(std::size_t /*bytesTotal*/) {
    if (!m_inFlight) return;
    m_inFlight->translation->Report(status::kRetrievingData);
    const std::string chunk = m_connection.GetData();
    if (chunk.size() > kMaxAnswerBytes - txtResponse.size()) {
        Fail(failure::kAnswerTooLarge);
        return;
    }
    txtResponse += chunk;
}

void frmSocket::WS_HTTP_Close() {
    if (!m_inFlight) return;
    // Bytes that came with the close and were never announced still belong to the answer.
    const std::string rest = m_connection.GetData();
    if (rest.size() > kMaxAnswerBytes - txtResponse.size()) {
        Fail(failure::kAnswerTooLarge);
        return;
    }
    txtResponse += rest;
    const OutgoingRequest request = EndRequest();
    // Worked out before anything outside is called, so that nothing re-entered can change the answer.
    const std::optional<std::string> translation = TranslationFromAnswer(txtResponse);
    request.translation->Report(status::kProcessing);
    if (!translation) {
        // The service names why every engine failed; the user reads that rather than a bare error.
        if (const std::optional<std::string> reason = ServiceErrorReason(txtResponse)) {
            request.translation->End(RequestOutcome::Error, status::kErrorsOccurred);
            m_dialogs.ShowMessage(ServiceFailureMessage(*reason), kAppTitle, MessageIcon::Critical,
                                  MessageButtons::Ok);
            return;
        }
        request.translation->End(RequestOutcome::Rejected, status::kUnknownError);
        return;
    }
    Text2 = *translation;
    request.translation->WriteBack(*translation);
}

void frmSocket::WS_HTTP_Error(const ConnectionError& error) {
    if (!m_inFlight) return;
    Fail(error.description.empty() ? std::string(failure::kConnectionFailed) : error.description);
}

OutgoingRequest frmSocket::EndRequest() {
    OutgoingRequest ended = std::move(*m_inFlight);
    m_inFlight.reset();
    if (m_deadline) m_deadline->SetEnabled(false);
    m_connection.Close();
    return ended;
}

void frmSocket::Fail(std::string description) {
    if (!m_inFlight) return;
    const OutgoingRequest ended = EndRequest();
    ended.translation->End(RequestOutcome::Error, status::kErrorsOccurred);
    // Modal: the request is over before the box can let other events in.
    m_dialogs.ShowMessage(description, kAppTitle, MessageIcon::Critical, MessageButtons::Ok);
}

}  // namespace quillmar
