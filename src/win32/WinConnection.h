#pragma once

#include <memory>

#include "platform/Connection.h"

namespace quillmar::win32 {

// A TCP client on Winsock 2: WSAAsyncSelect notifications arrive at a message-only window, so every
// event is dispatched by the UI thread's message loop. A literal address is taken as it is; a name is
// resolved on a resolver thread (the program's one worker thread) that posts the answer back, so a slow
// name service never freezes the UI. Each address is tried in turn; failures carry the WSA error code
// and the system's own description. Create, use and destroy it on the UI thread.
class WinConnection final : public Connection {
public:
    WinConnection();
    ~WinConnection() override;
    WinConnection(const WinConnection&) = delete;
    WinConnection& operator=(const WinConnection&) = delete;

    void SetListener(ConnectionListener* listener) override;
    bool Connect(const std::string& host, std::uint16_t port) override;
    bool SendData(std::string_view bytes) override;
    std::string GetData() override;
    void Close() override;
    ConnectionState State() const override;

    struct Impl;

private:
    // Shared so that it outlives a listener that destroys the connection inside an event.
    std::shared_ptr<Impl> m_impl;
};

}  // namespace quillmar::win32
