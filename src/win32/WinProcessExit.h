#pragma once

#include "platform/Shell.h"

namespace quillmar::win32 {

// ExitProcess: no window procedure or destructor of the program runs after it.
class WinProcessExit final : public ProcessExit {
public:
    [[noreturn]] void EndProcess() override;
};

}  // namespace quillmar::win32
