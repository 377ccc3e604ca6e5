#include "posix/PosixEventLoop.h"

#include <asio/io_context.hpp>

namespace quillmar::posix {

PosixEventLoop::PosixEventLoop() : m_context(std::make_unique<asio::io_context>(1)) {}

PosixEventLoop::~PosixEventLoop() = default;

bool PosixEventLoop::RunUntil(const std::function<bool()>& done) {
    m_context->restart();
    while (!done()) {
        if (m_context->run_one() == 0) break;  // no connection or timer is waiting any more
    }
    return done();
}

bool PosixEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    m_context->restart();
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) break;
        if (m_context->run_one_for(end - now) == 0 && m_context->stopped()) break;
    }
    return done();
}

std::size_t PosixEventLoop::Poll() {
    m_context->restart();
    return m_context->poll();
}

}  // namespace quillmar::posix
