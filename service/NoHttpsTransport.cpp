// Placeholder for builds without an HTTPS client of their own yet: every call fails, and says so.
#include "service/HttpTransport.h"

namespace quillmar::service {

namespace {

class NoHttpsTransport : public HttpTransport {
public:
    HttpOutcome Send(const HttpCall&) override {
        return TransportFailure{TransportFailureKind::Other, "no HTTPS client in this build"};
    }
};

}  // namespace

std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportOptions&) {
    return std::make_unique<NoHttpsTransport>();
}

}  // namespace quillmar::service
