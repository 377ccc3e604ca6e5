// Figures for quillmar-service (prints them; asserts nothing).
//   bench_service_client latency PORT PAIR TEXT COUNT   sequential requests: median, p90, max in ms
//   bench_service_client burst PORT CLIENTS             that many connections at once: how many got a 200
//   bench_service_client spawn MODE TEXT COUNT          "apertium -u MODE" started once per request
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
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
    std::printf("%s: n=%zu median %.1f ms, p90 %.1f ms, max %.1f ms\n", what, ms.size(), at(0.5), at(0.9),
                ms.back());
}

int Latency(int port, const std::string& pair, const std::string& text, int count) {
    std::string request = Request(pair, text);
    std::vector<double> ms;
    std::string last;
    for (int i = 0; i < count + 1; ++i) {
        auto start = Clock::now();
        int fd = Connect(port);
        if (fd < 0) return 1;
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        last = ReadAll(fd);
        ::close(fd);
        if (i > 0) ms.push_back(Ms(Clock::now() - start));  // the first one starts the pipelines
    }
    std::string label = "warm " + pair + " over HTTP";
    PrintSpread(label.c_str(), ms);
    std::size_t body = last.find("name=q>\n");
    std::size_t end = last.find("\n\n</textarea>");
    if (body != std::string::npos && end != std::string::npos) {
        std::printf("  \"%s\" -> \"%s\"\n", text.c_str(), last.substr(body + 8, end - body - 8).c_str());
    }
    return last.rfind("HTTP/1.1 200", 0) == 0 ? 0 : 1;
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
    if (args.size() == 3 && args[0] == "burst") return Burst(std::stoi(args[1]), std::stoi(args[2]));
    if (args.size() == 4 && args[0] == "spawn") return Spawn(args[1], args[2], std::stoi(args[3]));
    std::fprintf(stderr,
                 "usage: bench_service_client latency PORT PAIR TEXT COUNT | burst PORT CLIENTS | spawn MODE "
                 "TEXT COUNT\n");
    return 64;
}
