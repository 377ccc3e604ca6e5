#pragma once

#include <string>

#include "platform/ProgramInfo.h"

namespace quillmar::win32 {

// The version resource of a program file (GetFileVersionInfoW, VerQueryValueW); by default the
// running program's own.
class WinProgramInfo final : public ProgramInfo {
public:
    explicit WinProgramInfo(std::string programFile = "");
    ProgramVersion Version() override;

private:
    std::string m_file;
};

}  // namespace quillmar::win32
