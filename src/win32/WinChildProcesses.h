#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ChildProcesses.h"
#include "win32/WinMessageWindow.h"

namespace quillmar::win32 {

// The command line CreateProcessW parses back into exactly these arguments.
std::wstring CommandLineOf(const std::wstring& path, const std::vector<std::string>& arguments);

// Children started without a window, each in a job object of its own that ends it (and whatever it
// started) when the job's last handle closes: on End, or when this program ends, crashes included. One
// reader thread per child takes its standard error and posts the lines, then the exit, to this thread.
class WinChildProcesses final : public ChildProcesses, private MessageTarget {
public:
    WinChildProcesses();
    ~WinChildProcesses() override;
    WinChildProcesses(const WinChildProcesses&) = delete;
    WinChildProcesses& operator=(const WinChildProcesses&) = delete;

    ChildStart Start(const std::string& path, const std::vector<std::string>& arguments,
                     ChildEvents events) override;
    void End(ChildId id) override;

private:
    struct Child {
        HANDLE job = nullptr;
        ChildEvents events;
    };
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    WinMessageWindow m_window{*this};
    std::map<ChildId, Child> m_children;
    ChildId m_last = 0;
};

}  // namespace quillmar::win32
