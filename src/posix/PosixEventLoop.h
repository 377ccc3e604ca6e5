#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace asio {
class io_context;
}

namespace quillmar::posix {

// The one-thread event loop of the POSIX ports: connection and timer events are dispatched by the
// thread that runs it, one at a time, never from inside a port call.
class PosixEventLoop {
public:
    PosixEventLoop();
    ~PosixEventLoop();
    PosixEventLoop(const PosixEventLoop&) = delete;
    PosixEventLoop& operator=(const PosixEventLoop&) = delete;

    // Dispatches events until done() holds or nothing is left to wait for; returns done().
    bool RunUntil(const std::function<bool()>& done);
    // The same, giving up once the limit has passed.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Dispatches whatever is ready now, without waiting; returns how many events ran.
    std::size_t Poll();

    asio::io_context& Context() { return *m_context; }

private:
    std::unique_ptr<asio::io_context> m_context;
};

}  // namespace quillmar::posix
