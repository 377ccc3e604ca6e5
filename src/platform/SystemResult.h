#pragma once

#include <string>
#include <utility>

namespace quillmar {

// The outcome of a platform call that can fail: on failure, the system's own wording of the reason
// (for a message box), and its error code where it has one.
struct SystemResult {
    bool ok = true;
    long code = 0;
    std::string reason;

    static SystemResult Success() { return {}; }
    static SystemResult Failure(long code, std::string reason) { return {false, code, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace quillmar
