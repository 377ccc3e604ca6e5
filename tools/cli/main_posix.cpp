// quillmar-cli on Linux: the POSIX connection and timers on one event loop.
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "posix/PosixConnection.h"
#include "posix/PosixEventLoop.h"
#include "posix/PosixTimers.h"
#include "tools/cli/CliApp.h"

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

class PosixCliPlatform final : public quillmar::cli::CliPlatform {
public:
    quillmar::Connection& GetConnection() override { return m_connection; }
    quillmar::TimerFactory& GetTimers() override { return m_timers; }

    std::string ReadInput() override {
        std::string bytes;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }
    bool WriteOut(std::string_view text) override { return WriteAll(STDOUT_FILENO, text); }
    void WriteErr(std::string_view text) override { WriteAll(STDERR_FILENO, text); }
    void RunUntil(const std::function<bool()>& done) override { m_loop.RunUntil(done); }

private:
    quillmar::posix::PosixEventLoop m_loop;
    quillmar::posix::PosixConnection m_connection{m_loop};
    quillmar::posix::PosixTimers m_timers{m_loop};
};

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);  // a closed standard output is a failed write, not a killed process
    std::vector<std::string> args(argv, argv + argc);
    PosixCliPlatform platform;
    return quillmar::cli::RunCli(args, platform);
}
