// Local stand-ins for the engines' APIs (LibreTranslate, DeepL, an OpenAI-compatible chat endpoint,
// MyMemory) over TLS on 127.0.0.1, for the engine contract suite and the engine benchmark. A native
// program, so that the Windows build of the suite, run under Wine, talks to the same fakes.
//
// Every path starts with a session name the client makes up ("/s1234/v2/translate"), so that suites run at
// once do not see each other's requests. Under it:
//   POST /S/translate            LibreTranslate      POST /S/v2/translate       DeepL
//   POST /S/v1/chat/completions  OpenAI-compatible   GET  /S/get                MyMemory
//   POST /S/_script  {"api": NAME, "status": N, "body": "...", "delay_ms": N, "times": N}
//        the next `times` (default: all) requests to that API get this status and body after the delay;
//        without a status they get the API's usual answer ("[TARGET] TEXT") after the delay; {"api": NAME}
//        alone goes back to the usual answer.
//   GET  /S/_last?api=NAME       the last request to that API: method, path, target, params, headers, body,
//                                json (the body parsed), remote_port, count, handled_us (the fake's own time)
//
// fake_engines --cert PEM --key PEM --wrong-name-cert PEM --wrong-name-key PEM --ca-file PEM
//              --untrusted-ca-file PEM --env-file FILE
// serves the APIs on three ports (a certificate for 127.0.0.1, one for another name, and plain HTTP), finds a
// port nothing listens on, and then writes FILE with QUILLMAR_FAKE_ENGINES_* lines for the suite. It runs
// until it is ended by a signal.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

struct Script {
    int status = 0;  // 0: the usual answer
    std::string body;
    int delayMs = 0;
    long times = -1;  // requests left; -1: all
};

struct ApiState {
    std::optional<Script> script;
    Json last;
    long count = 0;
};

std::mutex stateMutex;
std::map<std::string, std::map<std::string, ApiState>> sessions;  // session -> api -> state

Json HeadersOf(const httplib::Request& req) {
    Json headers = Json::object();
    for (const auto& [name, value] : req.headers) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        headers[lower] = value;
    }
    return headers;
}

std::string Dump(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The API's usual answer: the text marked with the target it was asked for.
std::string UsualAnswer(const std::string& api, const httplib::Request& req, const Json& body) {
    auto text = [](const Json& value) { return value.is_string() ? value.get<std::string>() : std::string(); };
    if (api == "libretranslate")
        return Dump({{"translatedText", "[" + text(body.value("target", Json())) + "] " + text(body.value("q", Json()))}});
    if (api == "deepl") {
        Json texts = body.value("text", Json::array());
        std::string first = texts.is_array() && !texts.empty() ? text(texts[0]) : std::string();
        return Dump({{"translations",
                      Json::array({{{"detected_source_language", text(body.value("source_lang", Json()))},
                                    {"text", "[" + text(body.value("target_lang", Json())) + "] " + first}}})}});
    }
    if (api == "openai") {
        Json messages = body.value("messages", Json::array());
        std::string user = messages.is_array() && !messages.empty() && messages.back().is_object()
                               ? text(messages.back().value("content", Json()))
                               : std::string();
        return Dump({{"id", "chatcmpl-fake"},
                     {"object", "chat.completion"},
                     {"choices", Json::array({{{"index", 0},
                                               {"message", {{"role", "assistant"}, {"content", "[model] " + user}}},
                                               {"finish_reason", "stop"}}})}});
    }
    std::string langpair = req.get_param_value("langpair");
    std::string target = langpair.substr(langpair.find('|') == std::string::npos ? 0 : langpair.find('|') + 1);
    return Dump({{"responseData", {{"translatedText", "[" + target + "] " + req.get_param_value("q")}, {"match", 1}}},
                 {"quotaFinished", false},
                 {"responseDetails", ""},
                 {"responseStatus", 200}});
}

void ServeApi(const std::string& session, const std::string& api, const httplib::Request& req,
              httplib::Response& res) {
    const Clock::time_point started = Clock::now();
    Json body = Json::parse(req.body, nullptr, false);
    Script script;
    {
        std::lock_guard lock(stateMutex);
        ApiState& state = sessions[session][api];
        if (state.script) {
            script = *state.script;
            if (state.script->times > 0 && --state.script->times == 0) state.script.reset();
        }
    }
    if (script.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script.delayMs));
    res.status = script.status == 0 ? 200 : script.status;
    res.set_content(script.status == 0 ? UsualAnswer(api, req, body) : script.body, "application/json");

    Json params = Json::object();
    for (const auto& [name, value] : req.params) params[name] = value;
    Json last{{"method", req.method},
              {"path", req.path},
              {"target", req.target},
              {"params", params},
              {"headers", HeadersOf(req)},
              {"body", req.body},
              {"json", body.is_discarded() ? Json() : body},
              {"remote_port", req.remote_port},
              {"handled_us",
               std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count()}};
    std::lock_guard lock(stateMutex);
    ApiState& state = sessions[session][api];
    last["count"] = ++state.count;
    state.last = std::move(last);
}

void Route(httplib::Server& server) {
    auto handle = [](const httplib::Request& req, httplib::Response& res) {
        const std::string session = req.matches[1];
        const std::string rest = req.matches[2];
        if (req.method == "POST" && rest == "translate") return ServeApi(session, "libretranslate", req, res);
        if (req.method == "POST" && rest == "v2/translate") return ServeApi(session, "deepl", req, res);
        if (req.method == "POST" && rest == "v1/chat/completions") return ServeApi(session, "openai", req, res);
        if (req.method == "GET" && rest == "get") return ServeApi(session, "mymemory", req, res);
        if (req.method == "POST" && rest == "_script") {
            Json order = Json::parse(req.body, nullptr, false);
            if (!order.is_object() || !order.contains("api")) {
                res.status = 400;
                return;
            }
            std::optional<Script> script;
            if (order.contains("status") || order.contains("delay_ms")) {
                script.emplace();
                script->status = order.value("status", 0);
                script->body = order.value("body", std::string());
                script->delayMs = order.value("delay_ms", 0);
                script->times = order.value("times", -1L);
            }
            std::lock_guard lock(stateMutex);
            sessions[session][order["api"].get<std::string>()].script = script;
            res.set_content("{}", "application/json");
            return;
        }
        if (req.method == "GET" && rest == "_last") {
            std::lock_guard lock(stateMutex);
            const ApiState& state = sessions[session][req.get_param_value("api")];
            res.set_content(Dump(state.last), "application/json");
            return;
        }
        res.status = 404;
    };
    server.Get(R"(/([^/]+)/(.*))", handle);
    server.Post(R"(/([^/]+)/(.*))", handle);
    // Kept-alive connections as a real API keeps them: many requests each, each holding a thread here.
    server.set_keep_alive_max_count(1000000);
    // An answer's head and body are two writes; without this each would wait for a delayed acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_timeout(30);
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
}

// A port that was free a moment ago: bound, never listened on, closed.
int FreePort() {
    int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(sock);
    return port;
}

std::string Arg(int argc, char** argv, const std::string& name) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name) return argv[i + 1];
    }
    std::cerr << "fake_engines: " << name << " is missing\n";
    std::exit(64);
}

}  // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so that one wait below takes them and the servers stop cleanly.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    const std::string envFile = Arg(argc, argv, "--env-file");
    httplib::SSLServer secure(Arg(argc, argv, "--cert").c_str(), Arg(argc, argv, "--key").c_str());
    httplib::SSLServer wrongName(Arg(argc, argv, "--wrong-name-cert").c_str(),
                                 Arg(argc, argv, "--wrong-name-key").c_str());
    httplib::Server plain;
    if (!secure.is_valid() || !wrongName.is_valid()) {
        std::cerr << "fake_engines: cannot load the certificates\n";
        return 1;
    }
    int closedPort = FreePort();
    std::vector<std::thread> threads;
    std::map<std::string, int> ports;
    for (auto& [name, server] : {std::pair<std::string, httplib::Server*>{"URL", &secure},
                                 {"WRONG_NAME_URL", &wrongName},
                                 {"PLAIN_URL", &plain}}) {
        Route(*server);
        ports[name] = server->bind_to_any_port("127.0.0.1");
        if (ports[name] <= 0) {
            std::cerr << "fake_engines: cannot listen on 127.0.0.1\n";
            return 1;
        }
        threads.emplace_back([server = server] { server->listen_after_bind(); });
    }
    for (httplib::Server* server : {static_cast<httplib::Server*>(&secure), static_cast<httplib::Server*>(&wrongName), &plain})
        while (!server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    {
        const std::string partial = envFile + ".part";
        std::ofstream out(partial);
        out << "QUILLMAR_FAKE_ENGINES_URL=https://127.0.0.1:" << ports["URL"] << "\n"
            << "QUILLMAR_FAKE_ENGINES_WRONG_NAME_URL=https://127.0.0.1:" << ports["WRONG_NAME_URL"] << "\n"
            << "QUILLMAR_FAKE_ENGINES_PLAIN_URL=http://127.0.0.1:" << ports["PLAIN_URL"] << "\n"
            << "QUILLMAR_FAKE_ENGINES_CLOSED_URL=https://127.0.0.1:" << closedPort << "\n"
            << "QUILLMAR_FAKE_ENGINES_CA=" << Arg(argc, argv, "--ca-file") << "\n"
            << "QUILLMAR_FAKE_ENGINES_UNTRUSTED_CA=" << Arg(argc, argv, "--untrusted-ca-file") << "\n";
        out.close();
        std::rename(partial.c_str(), envFile.c_str());
    }
    std::cerr << "fake_engines: serving on " << ports["URL"] << std::endl;

    int signal = 0;
    sigwait(&stop, &signal);
    secure.stop();
    wrongName.stop();
    plain.stop();
    for (std::thread& thread : threads) thread.join();
    return 0;
}
