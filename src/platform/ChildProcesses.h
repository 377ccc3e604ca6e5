#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillmar {

using ChildId = std::uint32_t;  // 0 is none

// What a started program reports, always on the UI thread and never from inside a ChildProcesses call.
struct ChildEvents {
    std::function<void(const std::string& line)> errorLine;  // a line of its standard error, no line end
    std::function<void(int exitCode)> exited;                // after its last line
};

// A start: the child's id, or none and why not in plain words.
struct ChildStart {
    ChildId id = 0;
    std::string whyNot;
    explicit operator bool() const { return id != 0; }
};

// Programs this program starts and ends: without a window, and ended with this program however it ends.
class ChildProcesses {
public:
    virtual ~ChildProcesses() = default;
    virtual ChildStart Start(const std::string& path, const std::vector<std::string>& arguments,
                             ChildEvents events) = 0;
    // Ends it at once; none of its events is delivered afterwards. An id that already ended is ignored.
    virtual void End(ChildId id) = 0;
};

}  // namespace quillmar
