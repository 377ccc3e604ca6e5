#pragma once

#include <string>

#include "platform/SystemResult.h"

namespace quillmar {

// The desktop shell: open an address in the browser, start a program in a normal, focused window.
class Shell {
public:
    virtual ~Shell() = default;
    virtual SystemResult OpenAddress(const std::string& address) = 0;
    virtual SystemResult StartProgram(const std::string& path) = 0;
};

// Ends the process at once: no unload handler runs.
class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    [[noreturn]] virtual void EndProcess() = 0;
};

}  // namespace quillmar
