#include "service/HttpRequestReader.h"

#include <algorithm>

namespace quillmar::service {

namespace {

bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

HttpRequestReader::State HttpRequestReader::Refuse(int status, std::string message) {
    m_state = State::Refused;
    m_refusalStatus = status;
    m_refusalMessage = std::move(message);
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    return m_state;
}

HttpRequestReader::State HttpRequestReader::Feed(std::string_view bytes) {
    if (m_state != State::NeedMore) {
        if (!bytes.empty()) m_extraBytes = true;
        return m_state;
    }
    if (m_bodyLeft > 0) {
        std::size_t take = std::min(m_bodyLeft, bytes.size());
        m_bodyLeft -= take;
        if (take < bytes.size()) m_extraBytes = true;
        if (m_bodyLeft == 0) m_state = State::Complete;
        return m_state;
    }
    if (m_buffer.empty()) {
        while (!bytes.empty() && (bytes.front() == '\r' || bytes.front() == '\n')) bytes.remove_prefix(1);
        if (bytes.empty()) return m_state;
    }
    m_started = true;
    m_buffer.append(bytes);

    // The head ends at the first empty line; only the bytes not looked at before are scanned, so a client
    // that sends a byte at a time costs no more than one that sends it all at once.
    if (m_requestLineEnd == std::string::npos) m_requestLineEnd = m_buffer.find('\n', m_scanned);
    std::size_t requestLineEnd = m_requestLineEnd;
    if (requestLineEnd == std::string::npos) {
        m_scanned = m_buffer.size();
        if (m_buffer.size() > kMaxRequestLineBytes + 1)
            return Refuse(414, "The request line is longer than 32 KiB.");
        return m_state;
    }
    if (WithoutCr(std::string_view(m_buffer).substr(0, requestLineEnd)).size() > kMaxRequestLineBytes)
        return Refuse(414, "The request line is longer than 32 KiB.");

    std::size_t headEnd = std::string::npos;
    for (std::size_t i = std::max(m_scanned, requestLineEnd + 1); i < m_buffer.size(); ++i) {
        if (m_buffer[i] != '\n') continue;
        std::size_t lineStart = m_buffer.rfind('\n', i - 1);  // never before the request line's end
        std::string_view line = std::string_view(m_buffer).substr(lineStart + 1, i - lineStart - 1);
        if (WithoutCr(line).empty()) {
            headEnd = i + 1;
            break;
        }
    }
    m_scanned = m_buffer.size();
    if (headEnd == std::string::npos) {
        if (m_buffer.size() - requestLineEnd > kMaxHeaderBytes + 2)
            return Refuse(400, "The request's header fields are longer than 64 KiB.");
        return m_state;
    }
    if (headEnd - requestLineEnd > kMaxHeaderBytes + 2)
        return Refuse(400, "The request's header fields are longer than 64 KiB.");

    std::string rest = m_buffer.substr(headEnd);
    m_buffer.resize(headEnd);
    std::string head = std::move(m_buffer);
    m_buffer = std::string();
    if (ParseHead(head) == State::Refused) return m_state;
    m_bodyLeft = m_head.contentLength;
    if (m_bodyLeft == 0) {
        m_state = State::Complete;
        if (!rest.empty()) m_extraBytes = true;
        return m_state;
    }
    return Feed(rest);
}

HttpRequestReader::State HttpRequestReader::ParseHead(std::string_view head) {
    std::size_t lineEnd = head.find('\n');
    std::string_view requestLine = WithoutCr(head.substr(0, lineEnd));
    head.remove_prefix(lineEnd + 1);

    // method SP request-target SP HTTP-version, each part without blanks.
    std::size_t first = requestLine.find(' ');
    std::size_t last = requestLine.rfind(' ');
    if (first == std::string_view::npos || first == last)
        return Refuse(400, "The request could not be read.");
    std::string_view method = requestLine.substr(0, first);
    std::string_view target = requestLine.substr(first + 1, last - first - 1);
    std::string_view version = requestLine.substr(last + 1);
    if (!IsToken(method)) return Refuse(400, "The request could not be read.");
    m_head.method = std::string(method);
    bool targetReadable = !target.empty() && std::none_of(target.begin(), target.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7f;
    });
    if (!targetReadable) return Refuse(400, "The request could not be read.");
    m_head.target = std::string(target);
    if (version.size() != 8 || version.substr(0, 7) != "HTTP/1." || version[7] < '0' || version[7] > '9')
        return Refuse(400, "The request could not be read.");
    m_head.version = std::string(version);

    bool haveLength = false;
    while (!head.empty()) {
        lineEnd = head.find('\n');
        std::string_view line = WithoutCr(head.substr(0, lineEnd));
        head.remove_prefix(lineEnd == std::string_view::npos ? head.size() : lineEnd + 1);
        if (line.empty()) break;
        // A folded continuation line (obsolete) could smuggle a field past a proxy: refused.
        std::size_t colon = line.find(':');
        if (line.front() == ' ' || line.front() == '\t' || colon == std::string_view::npos ||
            !IsToken(line.substr(0, colon)))
            return Refuse(400, "The request's header fields could not be read.");
        std::string_view name = line.substr(0, colon);
        std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (EqualsNoCase(name, "Transfer-Encoding"))
            return Refuse(400, "A request body sent in chunks is not read here.");
        if (EqualsNoCase(name, "Content-Length")) {
            if (value.empty() || value.size() > 18 ||
                value.find_first_not_of("0123456789") != std::string_view::npos)
                return Refuse(400, "The request's Content-Length could not be read.");
            std::size_t length = std::stoull(std::string(value));
            if (haveLength && length != m_head.contentLength)
                return Refuse(400, "The request's Content-Length could not be read.");
            haveLength = true;
            m_head.contentLength = length;
        }
    }
    if (m_head.contentLength > kMaxBodyBytes) return Refuse(413, "The request body is longer than 64 KiB.");
    return m_state;
}

}  // namespace quillmar::service
