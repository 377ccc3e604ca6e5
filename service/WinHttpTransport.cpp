// The engines' HTTP(S) client on Windows: WinHTTP, so the system's certificate store, TLS stack and proxy
// settings apply and no TLS library ships with the program.
//
// Trust. Every request that carries anything of the caller's (headers, body, the path with its query) is
// sent with WinHTTP's own checks on: the system's roots and the host name. When that handshake fails on
// the certificate, nothing has left yet. Then a probe ("HEAD /", no headers of the caller's) is sent with
// the certificate checks off, only to learn why: the server's certificate is checked here in full (chain,
// dates, usage, host name), against the system's roots and the authorities of the CA file. A certificate
// that passes (through the CA file, or for an IP address the system does not match, as under Wine) makes
// the probe's connection worth keeping: its answer is read to the end so that the connection goes back to
// the session's pool, and the caller's request is sent again, still with WinHTTP's checks on, on that
// connection. A probe that fails is closed unread, which drops its connection. So a connection opened
// with the checks off carries the caller's data only after this code has verified it.
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "service/HttpTransport.h"

// Older MinGW headers lack it; the value is the documented one. Systems without TLS 1.3 refuse the option
// and are asked again for TLS 1.2 alone.
#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif
#ifndef WINHTTP_OPTION_DISABLE_GLOBAL_POOLING
#define WINHTTP_OPTION_DISABLE_GLOBAL_POOLING 195
#endif

namespace quillmar::service {
namespace {

using Clock = std::chrono::steady_clock;

// More than any engine's answer to a text of 8 KiB: a bigger one is not read into memory.
constexpr std::size_t kMaxAnswer = 8 << 20;
// A request sent again after a probe verified its connection: more than once only when another thread took
// that connection first.
constexpr int kVerifiedRetries = 3;
constexpr int kProbeWaitMs = 2000;

struct InternetCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

struct StoreCloser {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

struct CertificateFree {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, CertificateFree>;

struct ChainFree {
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};
using Chain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree>;

std::wstring Widen(std::string_view text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Code(DWORD error) {
    char text[16];
    std::snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(error));
    return text;
}

TransportFailure Failure(TransportFailureKind kind, std::string detail) {
    return {kind, std::move(detail)};
}

bool IsCertificateError(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
        case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
            return true;
        default:
            return false;
    }
}

TransportFailure FromError(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_TIMEOUT:
        case WSAETIMEDOUT:  // Wine's WinHTTP passes the socket's own code on
            return Failure(TransportFailureKind::TimedOut, "no answer in time");
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return Failure(TransportFailureKind::NoConnection, "host name not found");
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case WSAECONNREFUSED:
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH:
            return Failure(TransportFailureKind::NoConnection, "connection refused or host unreachable");
        case ERROR_WINHTTP_CONNECTION_ERROR:
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return Failure(TransportFailureKind::NoConnection, "connection dropped");
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
            return Failure(TransportFailureKind::Tls, "TLS handshake failed");
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
            return Failure(TransportFailureKind::Other, "not an HTTP answer");
        case ERROR_WINHTTP_INVALID_URL:
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
            return Failure(TransportFailureKind::BadAddress, "the address cannot be used");
        default:
            if (IsCertificateError(error))
                return Failure(TransportFailureKind::CertificateNotTrusted,
                               "certificate not trusted (WinHTTP error " + Code(error) + ")");
            return Failure(TransportFailureKind::Other, "WinHTTP error " + Code(error));
    }
}

struct Target {
    std::wstring host;
    INTERNET_PORT port = 0;
    bool secure = false;
    std::wstring pathAndQuery;
};

std::optional<Target> ParseUrl(const std::string& url) {
    std::wstring wide = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
        static_cast<DWORD>(-1);
    parts.dwUserNameLength = parts.dwPasswordLength = static_cast<DWORD>(-1);
    if (wide.empty() || !WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts))
        return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    if (parts.dwHostNameLength == 0 || parts.dwUserNameLength != 0 || parts.nPort == 0) return std::nullopt;
    Target target;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.pathAndQuery.empty() || target.pathAndQuery.front() != L'/')
        target.pathAndQuery.insert(0, 1, L'/');
    return target;
}

// The PEM certificates of a file, in a store of their own; nullopt when the file cannot be read or holds
// none.
std::optional<Store> LoadAuthorities(const std::string& path) {
    std::ifstream file(std::filesystem::path(Widen(path)), std::ios::binary);
    if (!file) return std::nullopt;
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Store store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
    if (!store) return std::nullopt;
    constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
    constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
    int count = 0;
    for (std::size_t begin = pem.find(kBegin); begin != std::string::npos; begin = pem.find(kBegin, begin)) {
        const std::size_t end = pem.find(kEnd, begin);
        if (end == std::string::npos) break;
        const std::string block = pem.substr(begin, end + kEnd.size() - begin);
        begin = end + kEnd.size();
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &size, nullptr, nullptr))
            continue;
        std::string der(size, '\0');
        if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                  reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr))
            continue;
        if (CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()), size,
                                             CERT_STORE_ADD_USE_EXISTING, nullptr))
            ++count;
    }
    if (count == 0) return std::nullopt;
    return store;
}

struct Verdict {
    bool trusted = false;
    std::string why;  // when not trusted
};

std::string ChainProblem(DWORD status) {
    if (status & CERT_TRUST_IS_REVOKED) return "certificate revoked";
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) return "certificate expired or not yet valid";
    if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID) return "certificate signature not valid";
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return "certificate not meant for a server";
    if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
        return "certificate from an authority not trusted";
    return "certificate chain not valid (status " + Code(status) + ")";
}

std::string PolicyProblem(DWORD error) {
    switch (static_cast<HRESULT>(error)) {
        case CERT_E_CN_NO_MATCH:
            return "certificate is for another host name";
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_UNTRUSTEDCA:
        case CERT_E_CHAINING:
            return "certificate from an authority not trusted";
        case CERT_E_EXPIRED:
            return "certificate expired or not yet valid";
        case CERT_E_WRONG_USAGE:
            return "certificate not meant for a server";
        case CRYPT_E_REVOKED:
            return "certificate revoked";
        default:
            return "certificate not valid (policy error " + Code(error) + ")";
    }
}

// Wine's crypt32 matches a certificate's host names only, never its IP addresses; Windows matches both.
bool CertificateNamesAddress(PCCERT_CONTEXT certificate, std::wstring host) {
    if (host.size() > 2 && host.front() == L'[' && host.back() == L']')
        host = host.substr(1, host.size() - 2);
    BYTE address[16];
    DWORD length = 0;
    if (InetPtonW(AF_INET, host.c_str(), address) == 1)
        length = 4;
    else if (InetPtonW(AF_INET6, host.c_str(), address) == 1)
        length = 16;
    else
        return false;
    const CERT_INFO* info = certificate->pCertInfo;
    PCERT_EXTENSION extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
    if (!extension) return false;
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == length &&
                std::memcmp(entry.IPAddress.pbData, address, length) == 0;
    }
    LocalFree(names);
    return found;
}

class WinHttpTransport final : public HttpTransport {
public:
    explicit WinHttpTransport(const TransportOptions& options) : m_reuse(options.reuseConnections) {
        OpenSession();
        if (!options.caFile.empty()) {
            if (auto store = LoadAuthorities(options.caFile))
                m_authorities = std::move(*store);
            else
                m_setupError = "no certificate could be read from the CA file";
        }
    }

    HttpOutcome Send(const HttpCall& call) override {
        const Clock::time_point deadline = Clock::now() + call.timeout;
        if (!m_setupError.empty()) return Failure(TransportFailureKind::Other, m_setupError);
        const std::optional<Target> target = ParseUrl(call.url);
        if (!target) return Failure(TransportFailureKind::BadAddress, "the address cannot be used");
        std::optional<std::wstring> headers = HeaderBlock(call);
        if (!headers) return Failure(TransportFailureKind::BadAddress, "a header holds a line break");

        Internet connection(WinHttpConnect(m_session.get(), target->host.c_str(), target->port, 0));
        if (!connection) return FromError(GetLastError());
        for (int attempt = 0;; ++attempt) {
            Internet request = OpenRequest(connection.get(), Widen(call.method), target->pathAndQuery,
                                           target->secure, deadline, m_reuse);
            if (!request) return FromError(GetLastError());
            if (Remaining(deadline) <= 0) return FromError(ERROR_WINHTTP_TIMEOUT);
            void* body = call.method == "GET" ? nullptr : const_cast<char*>(call.body.data());
            const DWORD bodySize = body ? static_cast<DWORD>(call.body.size()) : 0;
            if (WinHttpSendRequest(request.get(), headers->c_str(), static_cast<DWORD>(headers->size()), body,
                                   bodySize, bodySize, 0))
                return ReadReply(request.get(), deadline);
            const DWORD error = GetLastError();
            if (!target->secure ||
                (error != ERROR_WINHTTP_SECURE_CHANNEL_ERROR && !IsCertificateError(error)))
                return FromError(error);
            // Nothing of the call has left: the handshake failed. Learn why on a connection of its own.
            const std::optional<Verdict> verdict = Probe(connection.get(), target->host, deadline);
            if (!verdict) return FromError(error);
            if (!verdict->trusted) return Failure(TransportFailureKind::CertificateNotTrusted, verdict->why);
            if (attempt + 1 == kVerifiedRetries)
                return Failure(TransportFailureKind::CertificateNotTrusted,
                               "the connection verified through the CA file was not used again");
        }
    }

private:
    void OpenSession() {
        const wchar_t* agent = L"quillmar-service";
        // Windows 8.1 and later: the system's proxy settings, automatic configuration included.
        m_session.reset(WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0));
        if (!m_session) {
            // Older systems: the user's fixed proxy when there is one, else the machine's default.
            WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
            if (WinHttpGetIEProxyConfigForCurrentUser(&user) && user.lpszProxy)
                m_session.reset(
                    WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                                user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0));
            for (LPWSTR text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass})
                if (text) GlobalFree(text);
            if (!m_session)
                m_session.reset(WinHttpOpen(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                            WINHTTP_NO_PROXY_BYPASS, 0));
        }
        if (!m_session) {
            m_setupError = "WinHTTP could not start (error " + Code(GetLastError()) + ")";
            return;
        }
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        if (!WinHttpSetOption(m_session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                              sizeof(protocols))) {
            protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
            WinHttpSetOption(m_session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols));
        }
        // Windows may share pooled connections between the sessions of a process: a connection this session
        // verified through its CA file must not serve a session that trusts other authorities, nor the other
        // way round. Wine refuses the option; its one pool per process is shared regardless.
        DWORD ownPool = TRUE;
        WinHttpSetOption(m_session.get(), WINHTTP_OPTION_DISABLE_GLOBAL_POOLING, &ownPool, sizeof(ownPool));
        // Threads of the service's pool may each hold a connection to the same engine.
        DWORD connections = 32;
        WinHttpSetOption(m_session.get(), WINHTTP_OPTION_MAX_CONNS_PER_SERVER, &connections,
                         sizeof(connections));
    }

    static int Remaining(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7fffffff));
    }

    static void SetTimeouts(HINTERNET request, Clock::time_point deadline) {
        const int left = std::max(Remaining(deadline), 1);
        WinHttpSetTimeouts(request, left, left, left, left);
        DWORD response = static_cast<DWORD>(left);
        WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response, sizeof(response));
    }

    Internet OpenRequest(HINTERNET connection, const std::wstring& verb, const std::wstring& path,
                         bool secure, Clock::time_point deadline, bool keepAlive) const {
        Internet request(WinHttpOpenRequest(connection, verb.c_str(), path.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            secure ? WINHTTP_FLAG_SECURE : 0));
        if (!request) return request;
        SetTimeouts(request.get(), deadline);
        // A redirect would carry the call's headers (a key among them) elsewhere: it is an answer like any
        // other. Cookies would tie one call to the next.
        DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
        if (!keepAlive) features |= WINHTTP_DISABLE_KEEP_ALIVE;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
        // The engines never get the user's Windows logon.
        DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof(logon));
        return request;
    }

    static std::optional<std::wstring> HeaderBlock(const HttpCall& call) {
        std::string block;
        auto add = [&block](std::string_view name, std::string_view value) {
            if (name.find_first_of("\r\n:") != std::string_view::npos ||
                value.find_first_of("\r\n") != std::string_view::npos)
                return false;
            block.append(name).append(": ").append(value).append("\r\n");
            return true;
        };
        for (const auto& [name, value] : call.headers)
            if (!add(name, value)) return std::nullopt;
        if (call.method != "GET" && !add("Content-Type", call.contentType)) return std::nullopt;
        return Widen(block);
    }

    // A request that carries nothing of the caller's, with the certificate checks off; the certificate it
    // met is then checked here. nullopt: even so no TLS connection came about, or the deadline passed.
    std::optional<Verdict> Probe(HINTERNET connection, const std::wstring& host, Clock::time_point deadline) {
        // Kept alive even with reuse off: the caller's request is to take its connection over.
        Internet probe = OpenRequest(connection, L"HEAD", L"/", true, deadline, true);
        if (!probe) return std::nullopt;
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                      SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
        if (!WinHttpSetOption(probe.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags)))
            return std::nullopt;
        // Wine's WinHTTP waits for the answer inside WinHttpSendRequest; a server that never answers HEAD
        // costs at most this much of the call's time.
        DWORD wait = static_cast<DWORD>(std::clamp(Remaining(deadline), 1, kProbeWaitMs));
        WinHttpSetOption(probe.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof(wait));
        WinHttpSetOption(probe.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof(wait));
        if (!WinHttpSendRequest(probe.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                                0))
            return std::nullopt;
        PCCERT_CONTEXT met = nullptr;
        DWORD size = sizeof(met);
        if (!WinHttpQueryOption(probe.get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &met, &size) || !met)
            return std::nullopt;
        const Certificate certificate(met);
        Verdict verdict = Check(certificate.get(), host);
        if (!verdict.trusted) return verdict;  // closed unread: its connection is dropped
        // Read to the end, so that the connection goes back to the pool for the caller's request.
        if (WinHttpReceiveResponse(probe.get(), nullptr)) {
            char buffer[4096];
            DWORD read = 0;
            std::size_t total = 0;
            while (WinHttpReadData(probe.get(), buffer, sizeof(buffer), &read) && read > 0 &&
                   total < kMaxAnswer)
                total += read;
        }
        return verdict;
    }

    // The whole check: chain to a root (the system's, or one of the CA file's), dates, server use, host name.
    Verdict Check(PCCERT_CONTEXT certificate, const std::wstring& host) const {
        Store pool(CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
        if (!pool) return {false, "certificate could not be checked"};
        CertAddStoreToCollection(pool.get(), certificate->hCertStore, 0, 0);  // what the server sent along
        if (m_authorities) CertAddStoreToCollection(pool.get(), m_authorities.get(), 0, 0);

        LPSTR serverUse = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
        CERT_CHAIN_PARA para{};
        para.cbSize = sizeof(para);
        para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
        para.RequestedUsage.Usage.cUsageIdentifier = 1;
        para.RequestedUsage.Usage.rgpszUsageIdentifier = &serverUse;
        PCCERT_CHAIN_CONTEXT built = nullptr;
        if (!CertGetCertificateChain(nullptr, certificate, nullptr, pool.get(), &para, 0, nullptr, &built))
            return {false, "certificate could not be checked"};
        const Chain chain(built);

        DWORD status = chain->TrustStatus.dwErrorStatus;
        bool throughCaFile = false;
        if ((status & CERT_TRUST_IS_UNTRUSTED_ROOT) && m_authorities && chain->cChain > 0) {
            const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
            PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
            PCCERT_CONTEXT known = CertFindCertificateInStore(m_authorities.get(), X509_ASN_ENCODING, 0,
                                                              CERT_FIND_EXISTING, root, nullptr);
            if (known) {
                CertFreeCertificateContext(known);
                throughCaFile = true;
                status &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
            }
        }
        if (status != CERT_TRUST_NO_ERROR) return {false, ChainProblem(status)};

        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof(ssl);
        ssl.dwAuthType = AUTHTYPE_SERVER;
        // The root was found above among the CA file's; everything else is still checked.
        ssl.fdwChecks = throughCaFile ? SECURITY_FLAG_IGNORE_UNKNOWN_CA : 0;
        ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof(policy);
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS result{};
        result.cbSize = sizeof(result);
        if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &result))
            return {false, "certificate could not be checked"};
        if (result.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH) &&
            CertificateNamesAddress(certificate, host)) {
            ssl.fdwChecks |= SECURITY_FLAG_IGNORE_CERT_CN_INVALID;  // the address was matched just now
            if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &result))
                return {false, "certificate could not be checked"};
        }
        if (result.dwError != 0) return {false, PolicyProblem(result.dwError)};
        return {true, {}};
    }

    static HttpOutcome ReadReply(HINTERNET request, Clock::time_point deadline) {
        if (!WinHttpReceiveResponse(request, nullptr)) return FromError(GetLastError());
        HttpReply reply;
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
            return FromError(GetLastError());
        reply.status = static_cast<int>(status);
        for (;;) {
            const int left = Remaining(deadline);
            if (left <= 0) return FromError(ERROR_WINHTTP_TIMEOUT);
            DWORD receive = static_cast<DWORD>(left);
            WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available)) return FromError(GetLastError());
            if (available == 0) break;
            if (reply.body.size() + available > kMaxAnswer)
                return Failure(TransportFailureKind::Other, "answer too large");
            const std::size_t offset = reply.body.size();
            reply.body.resize(offset + available);
            DWORD read = 0;
            if (!WinHttpReadData(request, reply.body.data() + offset, available, &read))
                return FromError(GetLastError());
            reply.body.resize(offset + read);
        }
        return reply;
    }

    bool m_reuse;
    Internet m_session;
    Store m_authorities;
    std::string m_setupError;
};

}  // namespace

std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportOptions& options) {
    return std::make_unique<WinHttpTransport>(options);
}

}  // namespace quillmar::service
