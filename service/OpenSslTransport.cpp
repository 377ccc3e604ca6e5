// The engines' HTTPS client on Linux: cpp-httplib over OpenSSL, as Debian builds it. Trusted: the system's
// roots (OpenSSL's default paths, so SSL_CERT_FILE and SSL_CERT_DIR count) and the certificates of the
// --ca-file; the chain and the host name are always checked.
#include <httplib.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <map>
#include <mutex>

#include "service/HttpTransport.h"
#include "service/HttpUrl.h"

namespace quillmar::service {

namespace {

using Clock = std::chrono::steady_clock;

// More than any translation of a text of 8 KiB: a bigger answer is not read into memory.
constexpr std::uint64_t kMaxAnswer = 1 << 20;
// Connections kept open per host for the next calls; more run at once only while they are busy.
constexpr std::size_t kMaxIdlePerHost = 8;

TransportFailure Failed(TransportFailureKind kind, std::string detail) {
    return TransportFailure{kind, std::move(detail)};
}

bool IsIpLiteral(const std::string& host) {
    unsigned char address[16];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

class OpenSslTransport : public HttpTransport {
public:
    explicit OpenSslTransport(const TransportOptions& options) : m_reuse(options.reuseConnections) {
        if (!options.caFile.empty()) LoadRoots(options.caFile);
    }
    ~OpenSslTransport() override {
        m_pools.clear();
        for (X509* root : m_roots) X509_free(root);
    }

    HttpOutcome Send(const HttpCall& call) override {
        std::optional<HttpUrl> url = ParseHttpUrl(call.url);
        if (!url) return Failed(TransportFailureKind::BadAddress, "not an http:// or https:// address");
        if (call.method != "GET" && call.method != "POST")
            return Failed(TransportFailureKind::BadAddress, "method " + call.method + " not sent");
        if (!m_caError.empty()) return Failed(TransportFailureKind::Other, m_caError);
        const std::string origin =
            std::string(url->https ? "https://" : "http://") + url->host + ":" + std::to_string(url->port);
        const Clock::time_point deadline = Clock::now() + call.timeout;

        // A kept-alive connection the server closed meanwhile fails at once; the call then goes once more on
        // a fresh one.
        for (int attempt = 0;; ++attempt) {
            bool reused = false;
            std::unique_ptr<httplib::ClientImpl> client = Take(origin, *url, reused);
            if (!client) return Failed(TransportFailureKind::Tls, "no TLS context");
            Clock::time_point started = Clock::now();
            HttpOutcome outcome = SendOn(*client, call, *url, deadline);
            bool retry = reused && attempt == 0 && std::holds_alternative<TransportFailure>(outcome) &&
                         std::get<TransportFailure>(outcome).kind == TransportFailureKind::NoConnection &&
                         Clock::now() - started < (deadline - started) / 2;
            if (std::holds_alternative<HttpReply>(outcome)) Give(origin, std::move(client));
            if (!retry) return outcome;
        }
    }

private:
    void LoadRoots(const std::string& path) {
        BIO* file = BIO_new_file(path.c_str(), "r");
        if (!file) {
            m_caError = "cannot read the --ca-file";
            return;
        }
        while (X509* certificate = PEM_read_bio_X509(file, nullptr, nullptr, nullptr))
            m_roots.push_back(certificate);
        BIO_free(file);
        ERR_clear_error();
        if (m_roots.empty()) m_caError = "the --ca-file holds no PEM certificate";
    }

    std::unique_ptr<httplib::ClientImpl> Take(const std::string& origin, const HttpUrl& url, bool& reused) {
        if (m_reuse) {
            std::lock_guard lock(m_mutex);
            std::vector<std::unique_ptr<httplib::ClientImpl>>& idle = m_pools[origin];
            if (!idle.empty()) {
                std::unique_ptr<httplib::ClientImpl> client = std::move(idle.back());
                idle.pop_back();
                reused = true;
                return client;
            }
        }
        std::unique_ptr<httplib::ClientImpl> client;
        if (url.https) {
            auto secure = std::make_unique<httplib::SSLClient>(url.host, url.port);
            SSL_CTX* context = secure->ssl_context();
            if (!context) return nullptr;
            SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
            X509_STORE* store = SSL_CTX_get_cert_store(context);
            for (X509* root : m_roots) X509_STORE_add_cert(store, root);
            // OpenSSL checks the name as part of the chain, on top of cpp-httplib's own check.
            X509_VERIFY_PARAM* param = SSL_CTX_get0_param(context);
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            if (IsIpLiteral(url.host))
                X509_VERIFY_PARAM_set1_ip_asc(param, url.host.c_str());
            else
                X509_VERIFY_PARAM_set1_host(param, url.host.c_str(), url.host.size());
            secure->enable_server_certificate_verification(true);
            client = std::move(secure);
        } else {
            client = std::make_unique<httplib::ClientImpl>(url.host, url.port);
        }
        client->set_keep_alive(m_reuse);
        // The request's head and body go out in two writes: with Nagle's algorithm the body waits for the
        // server's delayed acknowledgement of the head, some 40 ms on every request.
        client->set_tcp_nodelay(true);
        client->set_follow_location(false);
        client->set_default_headers({{"User-Agent", "quillmar-service"}});
        return client;
    }

    void Give(const std::string& origin, std::unique_ptr<httplib::ClientImpl> client) {
        if (!m_reuse || !client->is_socket_open()) return;
        std::lock_guard lock(m_mutex);
        std::vector<std::unique_ptr<httplib::ClientImpl>>& idle = m_pools[origin];
        if (idle.size() < kMaxIdlePerHost) idle.push_back(std::move(client));
    }

    HttpOutcome SendOn(httplib::ClientImpl& client, const HttpCall& call, const HttpUrl& url,
                       Clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return Failed(TransportFailureKind::TimedOut, "no time left");
        client.set_connection_timeout(left);
        client.set_read_timeout(left);
        client.set_write_timeout(left);

        httplib::Request request;
        request.method = call.method;
        request.path = url.target;
        for (const auto& [name, value] : call.headers) request.headers.emplace(name, value);
        if (call.method == "POST") {
            request.body = call.body;
            request.headers.emplace("Content-Type", call.contentType);
        }
        bool tooLarge = false;
        // Called as the body arrives: the deadline covers a server that sends its answer slowly too.
        request.progress = [&](std::uint64_t current, std::uint64_t) {
            if (current > kMaxAnswer) tooLarge = true;
            return !tooLarge && Clock::now() < deadline;
        };

        httplib::Response response;
        httplib::Error error = httplib::Error::Success;
        const Clock::time_point started = Clock::now();
        if (client.send(request, response, error) && error == httplib::Error::Success) {
            if (response.body.size() > kMaxAnswer) return Failed(TransportFailureKind::Other, "answer too large");
            return HttpReply{response.status, std::move(response.body)};
        }
        const bool outOfTime = Clock::now() >= deadline - (deadline - started) / 20;
        switch (error) {
            case httplib::Error::ConnectionTimeout:
                return Failed(TransportFailureKind::TimedOut, "connect timed out");
            case httplib::Error::Connection:
            case httplib::Error::BindIPAddress:
                if (outOfTime) return Failed(TransportFailureKind::TimedOut, "connect timed out");
                return Failed(TransportFailureKind::NoConnection, "cannot connect");
            case httplib::Error::Read:
            case httplib::Error::Write:
                if (outOfTime) return Failed(TransportFailureKind::TimedOut, "no answer in time");
                return Failed(TransportFailureKind::NoConnection, "connection dropped");
            case httplib::Error::Canceled:
                if (tooLarge) return Failed(TransportFailureKind::Other, "answer too large");
                return Failed(TransportFailureKind::TimedOut, "answer not complete in time");
            case httplib::Error::SSLServerVerification: {
                long result = static_cast<httplib::SSLClient&>(client).get_openssl_verify_result();
                return Failed(TransportFailureKind::CertificateNotTrusted,
                              result == X509_V_OK ? "host name does not match"
                                                  : X509_verify_cert_error_string(result));
            }
            case httplib::Error::SSLConnection:
                if (outOfTime) return Failed(TransportFailureKind::TimedOut, "handshake timed out");
                return Failed(TransportFailureKind::Tls, "TLS handshake failed");
            case httplib::Error::SSLLoadingCerts:
                return Failed(TransportFailureKind::Other, "cannot load the trusted certificates");
            default:
                return Failed(TransportFailureKind::Other, httplib::to_string(error));
        }
    }

    const bool m_reuse;
    std::vector<X509*> m_roots;
    std::string m_caError;
    std::mutex m_mutex;
    std::map<std::string, std::vector<std::unique_ptr<httplib::ClientImpl>>> m_pools;
};

}  // namespace

std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportOptions& options) {
    return std::make_unique<OpenSslTransport>(options);
}

}  // namespace quillmar::service
