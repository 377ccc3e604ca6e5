#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Connection.h"

namespace quillmar::fakes {

// Records what the logic asks of the connection; the test delivers the events.
class FakeConnection final : public Connection {
public:
    struct ConnectCall {
        std::string host;
        std::uint16_t port;
        bool accepted;
    };

    void SetListener(ConnectionListener* listener) override { m_listener = listener; }
    bool Connect(const std::string& host, std::uint16_t port) override {
        const bool accepted = m_state == ConnectionState::Closed;
        connects.push_back({host, port, accepted});
        if (accepted) m_state = ConnectionState::Connecting;
        return accepted;
    }
    bool SendData(std::string_view bytes) override {
        if (m_state != ConnectionState::Open || failSends) return false;
        sent += bytes;
        return true;
    }
    std::string GetData() override { return std::exchange(m_waiting, {}); }
    void Close() override {
        m_state = ConnectionState::Closed;
        ++closes;
    }
    ConnectionState State() const override { return m_state; }

    // Events, as the platform would deliver them.
    void DeliverConnect() {
        m_state = ConnectionState::Open;
        m_listener->OnConnect();
    }
    void DeliverData(std::string_view bytes) {
        m_waiting += bytes;
        m_listener->OnDataArrival(m_waiting.size());
    }
    // Bytes that arrive without an event of their own (e.g. together with the close).
    void QueueData(std::string_view bytes) { m_waiting += bytes; }
    void DeliverClose() { m_listener->OnClose(); }
    void DeliverError(int number, std::string description) {
        m_listener->OnError(ConnectionError{number, std::move(description)});
    }

    std::vector<ConnectCall> connects;
    std::string sent;
    int closes = 0;
    bool failSends = false;

private:
    ConnectionListener* m_listener = nullptr;
    ConnectionState m_state = ConnectionState::Closed;
    std::string m_waiting;
};

}  // namespace quillmar::fakes
