#pragma once

// The suites' side of fake_engines: where the fakes are, and a session of one's own on them. Portable (the
// suite runs under Wine too): the fakes are spoken to through the platform's own HttpTransport.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "service/HttpTransport.h"

namespace quillmar::service::testing {

using Json = nlohmann::json;

inline std::string Setting(const std::string& name) {
    if (const char* value = std::getenv(name.c_str()); value && *value) return value;
    if (const char* file = std::getenv("QUILLMAR_FAKE_ENGINES_ENV"); file && *file) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
        }
    }
    return {};
}

struct Fakes {
    std::string url = Setting("QUILLMAR_FAKE_ENGINES_URL");
    std::string wrongNameUrl = Setting("QUILLMAR_FAKE_ENGINES_WRONG_NAME_URL");
    std::string plainUrl = Setting("QUILLMAR_FAKE_ENGINES_PLAIN_URL");
    std::string closedUrl = Setting("QUILLMAR_FAKE_ENGINES_CLOSED_URL");
    std::string ca = Setting("QUILLMAR_FAKE_ENGINES_CA");
    std::string untrustedCa = Setting("QUILLMAR_FAKE_ENGINES_UNTRUSTED_CA");
};

// A string field of a JSON object, empty when there is none.
inline std::string Str(const Json& json, const char* key) {
    return json.is_object() && json.contains(key) && json[key].is_string() ? json[key].get<std::string>() : "";
}

inline const Fakes& TheFakes() {
    static const Fakes fakes;
    return fakes;
}

inline std::shared_ptr<HttpTransport> Transport(std::string caFile, bool reuse = true) {
    return MakePlatformTransport(TransportOptions{std::move(caFile), reuse});
}

// A name of its own on the fakes, so that suites run at once do not see each other's requests.
class Session {
public:
    Session() {
        static std::atomic<int> counter{0};
        std::random_device random;
        m_name = "s" + std::to_string(random() % 1000000) + "-" + std::to_string(counter++);
        m_control = Transport(TheFakes().ca);
    }
    std::string Base(const std::string& url = TheFakes().url) const { return url + "/" + m_name; }
    const std::string& Name() const { return m_name; }

    // What the next requests to the API get (see fake_engines.cpp).
    void Script(const std::string& api, Json order) {
        order["api"] = api;
        HttpCall call;
        call.url = Base() + "/_script";
        call.body = order.dump();
        ASSERT_EQ(Status(m_control->Send(call)), 200) << "the fakes do not answer at " << TheFakes().url;
    }
    // The last request the API got, as the fake saw it.
    Json Last(const std::string& api) {
        HttpCall call;
        call.method = "GET";
        call.url = Base() + "/_last?api=" + api;
        HttpOutcome outcome = m_control->Send(call);
        if (!std::holds_alternative<HttpReply>(outcome)) return Json();
        return Json::parse(std::get<HttpReply>(outcome).body, nullptr, false);
    }
    static int Status(const HttpOutcome& outcome) {
        return std::holds_alternative<HttpReply>(outcome) ? std::get<HttpReply>(outcome).status : -1;
    }

private:
    std::string m_name;
    std::shared_ptr<HttpTransport> m_control;
};

}  // namespace quillmar::service::testing
