#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Connection.h"
#include "platform/Timers.h"

namespace quillmar::cli {

// Exit statuses of quillmar-cli.
inline constexpr int kExitTranslated = 0;     // "Operation Successfull !"
inline constexpr int kExitNoTranslation = 1;  // "No message !", "Unknown error!", a caption without a pair
inline constexpr int kExitFailed = 2;         // "Erros Occured ...", "Unable To detect target page!"
inline constexpr int kExitUsage = 64;         // bad command line

// What the command-line client needs of the system it runs on.
class CliPlatform {
public:
    virtual ~CliPlatform() = default;
    virtual Connection& GetConnection() = 0;
    virtual TimerFactory& GetTimers() = 0;
    // All of standard input, its bytes kept (UTF-8 expected).
    virtual std::string ReadInput() = 0;
    // UTF-8 to standard output; false when it could not be written.
    virtual bool WriteOut(std::string_view text) = 0;
    // UTF-8 to standard error.
    virtual void WriteErr(std::string_view text) = 0;
    // Dispatches connection and timer events until done() holds or nothing is left to wait for.
    virtual void RunUntil(const std::function<bool()>& done) = 0;
};

// Runs one translation as the command line asks (args[0] is the program name, all UTF-8), through the
// same translation client the program uses; returns the exit status.
int RunCli(const std::vector<std::string>& args, CliPlatform& platform);

}  // namespace quillmar::cli
