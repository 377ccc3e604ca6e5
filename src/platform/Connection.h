#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmar {

enum class ConnectionState { Closed, Connecting, Open };

struct ConnectionError {
    int number = 0;           // the system's error code (WSA*/errno), or 0
    std::string description;  // the system's own wording, UTF-8
};

// Receives a connection's events, always on the UI thread and never from inside a Connection call.
class ConnectionListener {
public:
    virtual ~ConnectionListener() = default;
    virtual void OnConnect() = 0;
    virtual void OnDataArrival(std::size_t bytesWaiting) = 0;
    virtual void OnClose() = 0;  // the peer closed the connection
    virtual void OnError(const ConnectionError& error) = 0;
};

// An asynchronous TCP client: one connection at a time, events on the UI thread.
// A listener may call Close() (or any other member) from inside an event.
class Connection {
public:
    virtual ~Connection() = default;
    virtual void SetListener(ConnectionListener* listener) = 0;
    // Starts connecting; the outcome arrives later as OnConnect or OnError (name resolution failures
    // included). Returns false, and starts nothing, unless the connection is Closed.
    virtual bool Connect(const std::string& host, std::uint16_t port) = 0;
    virtual bool SendData(std::string_view bytes) = 0;
    // Every byte received and not yet taken.
    virtual std::string GetData() = 0;
    // Back to Closed; pending events of the old connection are not delivered afterwards.
    virtual void Close() = 0;
    virtual ConnectionState State() const = 0;
};

}  // namespace quillmar
