#pragma once

// The real quillmar-service program as a child process, for the tests that run it whole.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quillmar::service::testing {

inline bool Executable(const char* path) {
    return path[0] != '\0' && ::access(path, X_OK) == 0;
}

// A quillmar-service process with its standard error in a file; stopped (SIGTERM, then SIGKILL) at the end.
class ServiceProcess {
public:
    ServiceProcess(const char* program, std::vector<std::string> extraArgs) {
        char logTemplate[] = "/tmp/quillmar-service-test-XXXXXX";
        int logFd = ::mkstemp(logTemplate);
        m_logPath = logTemplate;
        std::vector<std::string> args{program, "--listen", "127.0.0.1:0", "--threads", "4"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (::posix_spawn(&m_pid, program, &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(logFd);
        // The first line names the port it bound; warming Apertium comes before it.
        for (int i = 0; i < 3000 && m_pid > 0 && port == 0; ++i) {
            std::string log = Log();
            std::size_t at = log.find("listening on 127.0.0.1:");
            if (at != std::string::npos && log.find(' ', at + 23) != std::string::npos) {
                port = std::stoi(log.substr(at + 23));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    ~ServiceProcess() {
        Stop();
        ::unlink(m_logPath.c_str());
    }
    // SIGTERM; the exit status, or -1 when it had to be killed.
    int Stop() {
        if (m_pid <= 0) return m_status;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return m_status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = -1;
        return m_status;
    }
    // SIGKILL, as a crash or the OOM killer would end it.
    void Kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    std::string Log() const {
        std::ifstream in(m_logPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int port = 0;

private:
    pid_t m_pid = -1;
    int m_status = -1;
    std::string m_logPath;
};

}  // namespace quillmar::service::testing
