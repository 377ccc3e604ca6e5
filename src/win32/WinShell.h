#pragma once

#include "platform/Shell.h"

namespace quillmar::win32 {

class WinShell final : public Shell {
public:
    // ShellExecuteW "open": the user's browser for a web address.
    SystemResult OpenAddress(const std::string& address) override;
    // The program file at `path` (blanks in it are fine), in a normal window that takes the focus.
    SystemResult StartProgram(const std::string& path) override;
};

}  // namespace quillmar::win32
