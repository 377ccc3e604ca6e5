// Figures for quillmar-service (prints them; asserts nothing).
//   bench_service_client latency PORT PAIR TEXT COUNT   sequential requests: the first one, then median, p90,
//                                                       p99, max in ms of the rest
//   bench_service_client get PORT TARGET COUNT          the same for any GET target (another server's too)
//   bench_service_client stalled PORT PID STALLED PAIR TEXT COUNT
//                                                       STALLED clients that sent half a request line stay
//                                                       connected while COUNT real requests are timed; the
//                                                       service's (PID) memory per stalled connection
//   bench_service_client burst PORT CLIENTS             that many connections at once: how many got a 200
//   bench_service_client spawn MODE TEXT COUNT          "apertium -u MODE" started once per request
//   bench_service_client engine PORT FAKE_PORT SESSION API COUNT
//                                                       sequential requests through the service to an
//                                                       engine on fake_engines (plain-HTTP port FAKE_PORT):
//                                                       each one's time less the fake's own time for it
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string FormEncode(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string Request(const std::string& pair, const std::string& text) {
    return "GET /raging/translate.dyn?lp=" + pair + "&urltext=" + FormEncode(text) +
           " HTTP/1.0\r\nAccept: */*\r\nAccept-Language: en\r\nAccept-Encoding: gzip , deflate\r\n"
           "Cache-Control: no-cache\r\nProxy-Connection: Keep-Alive\r\nUser-Agent:bench\r\nHost: "
           "localhost\r\n\r\n";
}

int Connect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string ReadAll(int fd) {
    std::string out;
    char buffer[8192];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 30000) <= 0) break;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void PrintSpread(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * static_cast<double>(ms.size())))];
    };
    std::printf("%s: n=%zu median %.2f ms, p90 %.2f ms, p99 %.2f ms, max %.2f ms\n", what, ms.size(), at(0.5),
                at(0.9), at(0.99), ms.back());
}

// One GET on a fresh connection: the answer and the milliseconds it took.
std::pair<std::string, double> Timed(int port, const std::string& request) {
    auto start = Clock::now();
    int fd = Connect(port);
    if (fd < 0) return {"", 0.0};
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer = ReadAll(fd);
    ::close(fd);
    return {answer, Ms(Clock::now() - start)};
}

long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int Get(int port, const std::string& target, int count) {
    std::string request = "GET " + target + " HTTP/1.0\r\nHost: localhost\r\nUser-Agent: bench\r\n\r\n";
    std::vector<double> ms;
    int ok = 0;
    for (int i = 0; i < count; ++i) {
        auto [answer, took] = Timed(port, request);
        if (answer.find(" 200 ") != std::string::npos && answer.find(" 200 ") < 16) ++ok;
        ms.push_back(took);
    }
    PrintSpread(("GET " + target.substr(0, 40) + "...").c_str(), ms);
    return ok == count ? 0 : 1;
}

int Stalled(int port, int pid, int stalledCount, const std::string& pair, const std::string& text,
            int count) {
    RaiseDescriptorLimit();
    std::string request = Request(pair, text);
    std::string half = request.substr(0, request.find("&urltext=") + 12);
    long before = ResidentKiB(pid);
    std::vector<int> stalled;
    for (int i = 0; i < stalledCount; ++i) {
        int fd = Connect(port);
        if (fd < 0) break;
        ::send(fd, half.data(), half.size(), MSG_NOSIGNAL);
        stalled.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    long during = ResidentKiB(pid);
    std::vector<double> ms;
    int ok = 0;
    for (int i = 0; i < count; ++i) {
        auto [answer, took] = Timed(port, request);
        if (answer.rfind("HTTP/1.1 200", 0) == 0) ++ok;
        ms.push_back(took);
    }
    std::printf(
        "%zu stalled clients connected (half a request line each), service memory %ld -> %ld KiB: "
        "%.2f KiB per stalled connection\n",
        stalled.size(), before, during,
        stalled.empty() ? 0.0 : static_cast<double>(during - before) / static_cast<double>(stalled.size()));
    std::string label = "real " + pair + " requests meanwhile (" + std::to_string(ok) + " answered with 200)";
    PrintSpread(label.c_str(), ms);
    // Still connected at the end: none was dropped while the figures were taken.
    int open = 0;
    for (int fd : stalled) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) == 0) ++open;
        ::close(fd);
    }
    std::printf("  %d of %zu stalled clients still connected at the end\n", open, stalled.size());
    return ok == count ? 0 : 1;
}

int Latency(int port, const std::string& pair, const std::string& text, int count) {
    std::string request = Request(pair, text);
    std::vector<double> ms;
    std::string last;
    double first = 0;
    for (int i = 0; i < count + 1; ++i) {
        auto [answer, took] = Timed(port, request);
        last = answer;
        if (i == 0)
            first = took;
        else
            ms.push_back(took);
    }
    std::printf("first %s request over HTTP: %.2f ms\n", pair.c_str(), first);
    std::string label = "then " + pair + " over HTTP";
    PrintSpread(label.c_str(), ms);
    std::size_t body = last.find("name=q>\n");
    std::size_t end = last.find("\n\n</textarea>");
    if (body != std::string::npos && end != std::string::npos) {
        std::printf("  \"%s\" -> \"%s\"\n", text.c_str(), last.substr(body + 8, end - body - 8).c_str());
    }
    return last.rfind("HTTP/1.1 200", 0) == 0 ? 0 : 1;
}

// The fake's own time for the last request of api in session (fake_engines' "handled_us"), in ms.
double FakeTime(int fakePort, const std::string& session, const std::string& api) {
    auto [answer, took] =
        Timed(fakePort, "GET /" + session + "/_last?api=" + api + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    (void)took;
    std::size_t at = answer.find("\"handled_us\":");
    return at == std::string::npos ? -1.0 : std::atof(answer.c_str() + at + 13) / 1000.0;
}

int Engine(int port, int fakePort, const std::string& session, const std::string& api, int count) {
    std::vector<double> total;
    std::vector<double> added;
    int ok = 0;
    for (int i = 0; i < count; ++i) {
        auto [answer, took] = Timed(port, Request("en_fr", "bench request " + std::to_string(i)));
        if (answer.rfind("HTTP/1.1 200", 0) == 0) ++ok;
        double fake = FakeTime(fakePort, session, api);
        total.push_back(took);
        if (fake >= 0) added.push_back(took - fake);
    }
    std::printf("%d of %d answered with 200\n", ok, count);
    PrintSpread("  through the service", total);
    if (!added.empty()) PrintSpread("  added by the service over the fake's own time", added);
    return ok == count ? 0 : 1;
}

int Burst(int port, int clients) {
    std::string request = Request("en_fr", "good morning");
    auto start = Clock::now();
    std::vector<int> fds;
    for (int i = 0; i < clients; ++i) fds.push_back(Connect(port));
    for (int fd : fds) {
        if (fd >= 0) ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    }
    int ok = 0;
    for (int fd : fds) {
        if (fd < 0) continue;
        if (ReadAll(fd).rfind("HTTP/1.1 200", 0) == 0) ++ok;
        ::close(fd);
    }
    std::printf("%d simultaneous clients: %d answered with 200 in %.1f ms\n", clients, ok,
                Ms(Clock::now() - start));
    return ok == clients ? 0 : 1;
}

int Spawn(const std::string& mode, const std::string& text, int count) {
    std::string command = "printf '%s' '" + text + "' | apertium -u " + mode + " >/dev/null";
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        if (std::system(command.c_str()) != 0) return 1;
        ms.push_back(Ms(Clock::now() - start));
    }
    std::string label = "one apertium process per request (" + mode + ")";
    PrintSpread(label.c_str(), ms);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 5 && args[0] == "latency")
        return Latency(std::stoi(args[1]), args[2], args[3], std::stoi(args[4]));
    if (args.size() == 4 && args[0] == "get") return Get(std::stoi(args[1]), args[2], std::stoi(args[3]));
    if (args.size() == 7 && args[0] == "stalled")
        return Stalled(std::stoi(args[1]), std::stoi(args[2]), std::stoi(args[3]), args[4], args[5],
                       std::stoi(args[6]));
    if (args.size() == 3 && args[0] == "burst") return Burst(std::stoi(args[1]), std::stoi(args[2]));
    if (args.size() == 4 && args[0] == "spawn") return Spawn(args[1], args[2], std::stoi(args[3]));
    if (args.size() == 6 && args[0] == "engine")
        return Engine(std::stoi(args[1]), std::stoi(args[2]), args[3], args[4], std::stoi(args[5]));
    std::fprintf(
        stderr,
        "usage: bench_service_client latency PORT PAIR TEXT COUNT | get PORT TARGET COUNT | stalled PORT "
        "PID STALLED PAIR TEXT COUNT | burst PORT CLIENTS | spawn MODE TEXT COUNT | engine PORT FAKE_PORT "
        "SESSION API COUNT\n");
    return 64;
}
