#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace quillmar::fakes {

// Records what was opened and started; a program starts only when its path is in `programs`.
class FakeShell : public Shell {
public:
    SystemResult OpenAddress(const std::string& address) override {
        opened.push_back(address);
        return SystemResult::Success();
    }
    SystemResult StartProgram(const std::string& path) override {
        started.push_back(path);
        if (!programs.count(path)) return SystemResult::Failure(2, "The system cannot find the file specified.");
        return SystemResult::Success();
    }
    std::set<std::string> programs;
    std::vector<std::string> opened;
    std::vector<std::string> started;
};

}  // namespace quillmar::fakes
