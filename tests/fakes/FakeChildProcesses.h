#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ChildProcesses.h"

namespace quillmar::fakes {

// Records every start; the test speaks for the children: their standard-error lines and their exits.
class FakeChildProcesses : public ChildProcesses {
public:
    struct Child {
        std::string path;
        std::vector<std::string> arguments;
        ChildEvents events;
        bool running = true;
    };

    ChildStart Start(const std::string& path, const std::vector<std::string>& arguments,
                     ChildEvents events) override {
        if (!refuseWith.empty()) return {0, refuseWith};
        children[++m_last] = Child{path, arguments, std::move(events)};
        return {m_last, ""};
    }
    void End(ChildId id) override {
        auto found = children.find(id);
        if (found != children.end()) found->second.running = false;
    }

    ChildId Last() const { return m_last; }
    std::size_t Running() const {
        std::size_t count = 0;
        for (const auto& [id, child] : children) count += child.running ? 1 : 0;
        return count;
    }
    // Events of a running child, as the platform would deliver them; an ended child says nothing.
    void Say(ChildId id, const std::string& line) {
        if (children.at(id).running) children.at(id).events.errorLine(line);
    }
    void Listen(ChildId id, int port) {
        Say(id, "quillmar-service: listening on 127.0.0.1:" + std::to_string(port) + " with engine phrasebook");
    }
    void Exit(ChildId id, int code) {
        Child& child = children.at(id);
        if (!child.running) return;
        child.running = false;
        ChildEvents events = child.events;  // the handler may start another child
        events.exited(code);
    }

    std::map<ChildId, Child> children;
    std::string refuseWith;  // when set, every start fails with this reason

private:
    ChildId m_last = 0;
};

}  // namespace quillmar::fakes
