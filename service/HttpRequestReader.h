#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmar::service {

// The request line may carry any text the service accepts (8 KiB once decoded) fully percent-encoded, with
// room for the path, the pair and an absolute-form host; everything else about a request stays small.
inline constexpr std::size_t kMaxRequestLineBytes = std::size_t{32} * 1024;
inline constexpr std::size_t kMaxHeaderBytes = std::size_t{64} * 1024;
inline constexpr std::size_t kMaxBodyBytes = std::size_t{64} * 1024;

struct HttpRequestHead {
    std::string method;
    std::string target;
    std::string version;  // "HTTP/1.0" or "HTTP/1.1"
    std::size_t contentLength = 0;
};

// Reads one HTTP/1.x request as its bytes arrive: the request line, the header fields and a body of known
// length, which is read and dropped (no route takes one). Bare LF line ends are accepted, empty lines before
// the request line skipped.
class HttpRequestReader {
public:
    enum class State { NeedMore, Complete, Refused };

    // Appends bytes that arrived; bytes after a complete request are kept, not read.
    State Feed(std::string_view bytes);

    State Current() const { return m_state; }
    bool Started() const { return m_started; }
    // Complete: the request read. Refused: as far as it was read (method and target may be empty).
    const HttpRequestHead& Head() const { return m_head; }
    // Refused: 400, 413 or 414, and the service's own words for why.
    int RefusalStatus() const { return m_refusalStatus; }
    const std::string& RefusalMessage() const { return m_refusalMessage; }
    // Whether bytes the request did not account for were received (a pipelined request, a stray body).
    bool HasExtraBytes() const { return m_extraBytes; }

private:
    State Refuse(int status, std::string message);
    State ParseHead(std::string_view head);

    State m_state = State::NeedMore;
    std::string m_buffer;  // the request line and header fields until they are complete
    std::size_t m_scanned = 0;
    std::size_t m_requestLineEnd = std::string::npos;
    bool m_started = false;
    bool m_extraBytes = false;
    std::size_t m_bodyLeft = 0;
    HttpRequestHead m_head;
    int m_refusalStatus = 0;
    std::string m_refusalMessage;
};

}  // namespace quillmar::service
