#pragma once

#include <memory>

#include "platform/Connection.h"
#include "posix/PosixEventLoop.h"

namespace quillmar::posix {

// A TCP client on the event loop. Host names are resolved without blocking and every address they
// give is tried in turn; failures arrive as OnError with errno and the system's wording.
class PosixConnection final : public Connection {
public:
    explicit PosixConnection(PosixEventLoop& loop);
    ~PosixConnection() override;
    PosixConnection(const PosixConnection&) = delete;
    PosixConnection& operator=(const PosixConnection&) = delete;

    void SetListener(ConnectionListener* listener) override;
    bool Connect(const std::string& host, std::uint16_t port) override;
    bool SendData(std::string_view bytes) override;
    std::string GetData() override;
    void Close() override;
    ConnectionState State() const override;

    struct Impl;

private:
    // Shared so that completions still queued after Close() or destruction can see they are stale.
    std::shared_ptr<Impl> m_impl;
};

}  // namespace quillmar::posix
