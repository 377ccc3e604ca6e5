#include "service/ApertiumPipeline.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillmar::service {

namespace {

void IgnoreSigpipeOnce() {
    // A pipeline that died must show up as a write error, not end the service.
    static std::once_flag once;
    std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

ApertiumPipeline::ApertiumPipeline(std::vector<std::string> argv, std::chrono::milliseconds deadline)
    : m_argv(std::move(argv)), m_deadline(deadline) {
    IgnoreSigpipeOnce();
}

ApertiumPipeline::~ApertiumPipeline() {
    std::lock_guard lock(m_mutex);
    StopLocked();
}

pid_t ApertiumPipeline::Pid() const {
    std::lock_guard lock(m_mutex);
    return m_pid;
}

int ApertiumPipeline::Starts() const {
    std::lock_guard lock(m_mutex);
    return m_starts;
}

bool ApertiumPipeline::Alive() {
    std::lock_guard lock(m_mutex);
    return AliveLocked();
}

Status ApertiumPipeline::StartLocked() {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) return Failure{std::string("pipe: ") + std::strerror(errno)};
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        Failure failure{std::string("pipe: ") + std::strerror(errno)};
        ::close(toChild[0]);
        ::close(toChild[1]);
        return failure;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> args;
    for (std::string& a : m_argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (rc != 0) {
        ::close(toChild[1]);
        ::close(fromChild[0]);
        return Failure{"cannot start " + m_argv[0] + ": " + std::strerror(rc)};
    }
    ::fcntl(toChild[1], F_SETFL, ::fcntl(toChild[1], F_GETFL) | O_NONBLOCK);
    ::fcntl(fromChild[0], F_SETFL, ::fcntl(fromChild[0], F_GETFL) | O_NONBLOCK);
    m_pid = pid;
    m_toChild = toChild[1];
    m_fromChild = fromChild[0];
    ++m_starts;
    return {};
}

void ApertiumPipeline::StopLocked() {
    CloseFd(m_toChild);
    CloseFd(m_fromChild);
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
}

bool ApertiumPipeline::AliveLocked() {
    if (m_pid <= 0) return false;
    pid_t done = ::waitpid(m_pid, nullptr, WNOHANG);
    if (done == 0) return true;
    // It ended (or is not ours any more): whatever is left of its group goes too.
    ::kill(-m_pid, SIGKILL);
    m_pid = -1;
    CloseFd(m_toChild);
    CloseFd(m_fromChild);
    return false;
}

Result<std::string> ApertiumPipeline::Process(std::string_view input) {
    std::lock_guard lock(m_mutex);
    if (!AliveLocked()) {
        if (Status started = StartLocked(); !started) return Failure{started.Reason()};
    }

    std::string request(input);
    request += '\0';
    std::size_t written = 0;
    std::string output;
    auto deadline = std::chrono::steady_clock::now() + m_deadline;
    char buffer[16384];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            StopLocked();
            return Failure{"no answer within " + std::to_string(m_deadline.count()) + " ms"};
        }
        pollfd fds[2] = {{m_fromChild, POLLIN, 0}, {m_toChild, POLLOUT, 0}};
        nfds_t count = written < request.size() ? 2 : 1;
        int ready = ::poll(fds, count, static_cast<int>(left.count()));
        if (ready < 0) {
            if (errno == EINTR) continue;
            Failure failure{std::string("poll: ") + std::strerror(errno)};
            StopLocked();
            return failure;
        }
        if (count == 2 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = ::write(m_toChild, request.data() + written, request.size() - written);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                StopLocked();
                return Failure{"the pipeline stopped reading"};
            }
            if (n > 0) written += static_cast<std::size_t>(n);
        }
        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
            ssize_t n = ::read(m_fromChild, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                StopLocked();
                return Failure{"the pipeline ended"};
            }
            if (n > 0) {
                output.append(buffer, static_cast<std::size_t>(n));
                std::size_t nul = output.find('\0');
                if (nul != std::string::npos) {
                    // Anything after the NUL would belong to no request: start afresh next time.
                    if (nul + 1 != output.size() || written < request.size()) StopLocked();
                    output.resize(nul);
                    return output;
                }
            }
        }
    }
}

}  // namespace quillmar::service
