#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// Where the translation client reports progress: the status window's Label1 in the program,
// standard error in the command-line client.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatus(const std::string& text) = 0;
};

// Where a finished translation goes: the captured edit control in the program, standard output in the
// command-line client. Returns false when the text could not be delivered (a hung target window).
class TranslationOutput {
public:
    virtual ~TranslationOutput() = default;
    virtual bool WriteTranslation(WindowHandle target, const std::string& text) = 0;
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
}  // namespace status

}  // namespace quillmar
