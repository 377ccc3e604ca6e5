#pragma once

#include <string>

namespace quillmar {

// How a request ended. The status text shows it; whoever acts on the end (the status window's close,
// the command-line client's exit status) reads this value, never the words.
enum class RequestOutcome {
    Success,    // the translation was delivered
    NoMessage,  // there was nothing to translate
    Rejected,   // the service answered without a translation
    Error,      // the exchange failed or the translation could not be delivered
};

// Where the translation client reports progress: the status window's Label1 in the program,
// standard error in the command-line client.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    // A step on the way; the request is still running.
    virtual void SetStatus(const std::string& text) = 0;
    // The request's end: its outcome with the text that shows it.
    virtual void SetOutcome(RequestOutcome outcome, const std::string& text) = 0;
};

// The status texts the system writes, exactly as the user sees them.
namespace status {
inline constexpr const char* kConnecting = "Connecting";
inline constexpr const char* kNoMessage = "No message !";
inline constexpr const char* kConnected = "Connected";
inline constexpr const char* kRetrievingData = "Retrieving Data";
inline constexpr const char* kProcessing = "Processing";
inline constexpr const char* kSuccess = "Operation Successfull !";
inline constexpr const char* kUnknownError = "Unknown error!";
inline constexpr const char* kErrorsOccurred = "Erros Occured ...";
// The window runs as administrator: Windows drops whatever this program would write into it.
inline constexpr const char* kRunsAsAdministrator = "Runs as administrator";
// The hotkey's keys were still held after seconds: copying then would send Ctrl with them.
inline constexpr const char* kKeysStillHeld = "Let go of the keys";
// The user chose to keep a clipboard the program could not save whole.
inline constexpr const char* kClipboardLeftAlone = "Clipboard left as it was";
}  // namespace status

}  // namespace quillmar
