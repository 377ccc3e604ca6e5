#include "tools/cli/CliApp.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <optional>
#include <sstream>

#include "follow/TranslateAction.h"
#include "translate/HostPort.h"
#include "translate/LanguagePairs.h"
#include "translate/ServiceAddress.h"
#include "translate/ServiceSettings.h"
#include "translate/SockModule.h"
#include "translate/StatusSink.h"
#include "translate/TranslationRequest.h"
#include "translate/frmSocket.h"

namespace quillmar::cli {

namespace {

constexpr const char* kProgram = "quillmar-cli";
constexpr const char* kUnableToDetectTargetPage = "Unable To detect target page!";
// The longest time limit a timer of either platform can count in one go.
constexpr double kMaxTimeoutSeconds = 2'000'000.0;

struct Options {
    std::string pair = kLanguagePairs[kDefaultPairRow].labelCaption;
    // The client starts no companion: without a build's address it asks this machine, as it always did.
    std::string service = *ServiceHost() != '\0' ? ServiceHost() : "localhost";
    std::optional<std::string> proxy;
    std::optional<double> timeoutSeconds;
    std::optional<std::string> text;
};

std::string ValidCaptions() {
    std::string list;
    for (const LanguagePair& pair : kLanguagePairs) {
        if (!list.empty()) list += ", ";
        list += '"';
        list += pair.labelCaption;
        list += '"';
    }
    return list;
}

// Status texts go to standard error, one line each, as they are set.
class StatusPrinter final : public StatusSink {
public:
    explicit StatusPrinter(CliPlatform& platform) : m_platform(platform) {}
    void SetStatus(const std::string& text) override { m_platform.WriteErr(text + "\n"); }
    void SetOutcome(RequestOutcome reported, const std::string& text) override {
        outcome = reported;
        m_platform.WriteErr(text + "\n");
    }
    std::optional<RequestOutcome> outcome;

private:
    CliPlatform& m_platform;
};

// The translation goes to standard output.
class TranslationPrinter final : public TranslationOutput {
public:
    explicit TranslationPrinter(CliPlatform& platform) : m_platform(platform) {}
    bool WriteTranslation(const CapturedText& /*captured*/, const std::string& translation) override {
        return m_platform.WriteOut(translation + "\n");
    }

private:
    CliPlatform& m_platform;
};

// Message boxes print their text on standard error and are answered as if closed at once.
class MessagePrinter final : public Dialogs {
public:
    explicit MessagePrinter(CliPlatform& platform) : m_platform(platform) {}
    MessageResult ShowMessage(const std::string& text, const std::string& /*title*/, MessageIcon /*icon*/,
                             MessageButtons buttons) override {
        shown.push_back(text);
        m_platform.WriteErr(text + "\n");
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageResult::Ok;
            case MessageButtons::YesNo:
                return MessageResult::No;
            case MessageButtons::OkCancel:
            case MessageButtons::YesNoCancel:
                break;
        }
        return MessageResult::Cancel;
    }
    std::vector<std::string> shown;

private:
    CliPlatform& m_platform;
};

class StatusSteps final : public TranslateStatus {
public:
    explicit StatusSteps(StatusPrinter& status) : m_status(status) {}
    void ShowNothingToTranslate() override { m_status.SetOutcome(RequestOutcome::NoMessage, status::kNoMessage); }
    // What a freshly shown status window reads until the connection reports.
    void ShowRequestStarting() override { m_status.SetStatus(status::kConnecting); }
    // Text from an argument or standard input has no window to be refused by; kept for completeness.
    void ShowRunsAsAdministrator() override {
        m_status.SetOutcome(RequestOutcome::Error, status::kRunsAsAdministrator);
    }

private:
    StatusPrinter& m_status;
};

// Parses the command line; an exit status when the run ends here (help, bad usage).
std::optional<int> ParseOptions(const std::vector<std::string>& args, Options& options,
                                CliPlatform& platform) {
    CLI::App app{
        "Translates TEXT (or all of standard input) with the Quillmar translation client: status texts "
        "on standard error, the translation on standard output.",
        kProgram};
    app.add_option("--pair", options.pair, "language pair, as the toolbar's pair label shows it")
        ->capture_default_str()
        ->type_name("CAPTION");
    app.add_option("--service", options.service, "translation service to ask")
        ->capture_default_str()
        ->type_name("HOST[:PORT]");
    app.add_option("--proxy", options.proxy, "send the request through this HTTP proxy")
        ->type_name("HOST[:PORT]");
    const std::string defaultTimeout =
        std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kRequestTimeout).count());
    app.add_option("--timeout", options.timeoutSeconds,
                   "give up on a request after this long (default " + defaultTimeout + ")")
        ->check(CLI::Range(0.001, kMaxTimeoutSeconds))
        ->type_name("SECONDS");
    app.add_option("TEXT", options.text, "text to translate (UTF-8); standard input when absent")
        ->type_name("");
    app.footer("Captions: " + ValidCaptions() +
               " (letter case does not matter).\nExit status: 0 translated, "
               "1 nothing to translate or no usable translation, 2 request failed, 64 bad usage.");

    std::vector<const char*> argv;
    argv.reserve(args.size());
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        platform.WriteOut(out.str());
        return kExitTranslated;
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        platform.WriteErr(err.str());
        return kExitUsage;
    }

    for (const auto* hostOption : {&options.service, options.proxy ? &*options.proxy : nullptr}) {
        if (hostOption != nullptr && !ParseHostPort(*hostOption)) {
            platform.WriteErr(
                std::string(kProgram) + ": \"" + *hostOption +
                "\" is not HOST or HOST:PORT (port 1-65535)\nRun with --help for more information.\n");
            return kExitUsage;
        }
    }
    return std::nullopt;
}

int ExitStatusOf(const StatusPrinter& status, const MessagePrinter& dialogs, CliPlatform& platform) {
    for (const std::string& text : dialogs.shown) {
        if (text == kUnableToDetectTargetPage) return kExitFailed;
    }
    if (status.outcome) {
        switch (*status.outcome) {
            case RequestOutcome::Success:
                return kExitTranslated;
            case RequestOutcome::NoMessage:
            case RequestOutcome::Rejected:
                return kExitNoTranslation;
            case RequestOutcome::Error:
                return kExitFailed;
        }
    }
    platform.WriteErr(std::string(kProgram) + ": the request ended without an outcome\n");
    return kExitFailed;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliPlatform& platform) {
    Options options;
    if (const auto ended = ParseOptions(args, options, platform)) return *ended;

    const std::optional<std::size_t> pairRow = LookupPairRow(options.pair);
    if (!pairRow) {
        platform.WriteErr(std::string(kProgram) + ": no language pair is captioned \"" + options.pair +
                          "\"; valid captions: " + ValidCaptions() + " (letter case does not matter)\n");
        return kExitNoTranslation;
    }

    StatusPrinter status(platform);
    MessagePrinter dialogs(platform);
    TranslationPrinter output(platform);
    frmSocket form(platform.GetConnection(), platform.GetTimers(), dialogs);
    form.Form_Load();
    if (options.proxy) {
        form.optProxy = true;
        form.optNoProxy = false;
        form.txtProxy = *options.proxy;
    }
    if (options.timeoutSeconds) {
        const auto milliseconds = static_cast<long long>(std::ceil(*options.timeoutSeconds * 1000.0));
        form.SetRequestTimeout(std::chrono::milliseconds(milliseconds));
    }
    SockModule sockModule(form, dialogs);
    FixedService service(ParseServiceAddress(options.service));
    TranslateAction action(service, {status, output}, sockModule);

    // The argument, or all of standard input when there is none.
    CapturedText captured{options.text ? *options.text : platform.ReadInput()};
    StatusSteps steps(status);
    if (!action.Translate(std::move(captured), steps, *pairRow)) return kExitNoTranslation;
    if (form.RequestInFlight()) platform.RunUntil([&form] { return !form.RequestInFlight(); });
    return ExitStatusOf(status, dialogs, platform);
}

}  // namespace quillmar::cli
