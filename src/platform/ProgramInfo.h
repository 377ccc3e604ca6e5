#pragma once

#include <string>

namespace quillmar {

// What the program's version information says about it.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;  // the last of the four file-version numbers
    std::string description;
    std::string copyright;
};

class ProgramInfo {
public:
    virtual ~ProgramInfo() = default;
    // Zeros and empty texts where the program carries no version information.
    virtual ProgramVersion Version() = 0;
};

}  // namespace quillmar
