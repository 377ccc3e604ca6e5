#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "translate/ServiceSettings.h"

namespace quillmar::fakes {

// Records what it was asked; a test's answer comes when the test delivers it, as late as it likes.
// Every request goes at once to `address`, or finds no service for the reason `whyNot` when one is set.
class FakeCompanionControl : public Companion {
public:
    void FindService(Found then) override {
        if (!whyNot.empty()) {
            then(std::nullopt, whyNot);
            return;
        }
        then(ParseServiceAddress(address), "");
    }
    std::string whyNot;
    void StartWithProgram() override { ++starts; }
    void EndWithProgram() override { ++ends; }
    std::string address = "localhost";
    int starts = 0;
    int ends = 0;

    struct Test {
        ServiceSettings settings;
        std::string text;
    };
    void Restart() override { ++restarts; }
    void TestTranslation(const ServiceSettings& settings, const std::string& text,
                         std::function<void(EngineTestOutcome)> done) override {
        tests.push_back({settings, text});
        pending.push_back(std::move(done));
    }
    // Answers the oldest test still waiting; false when none is.
    bool Deliver(EngineTestOutcome outcome) {
        if (pending.empty()) return false;
        std::function<void(EngineTestOutcome)> done = std::move(pending.front());
        pending.pop_front();
        done(std::move(outcome));
        return true;
    }
    int restarts = 0;
    std::vector<Test> tests;
    std::deque<std::function<void(EngineTestOutcome)>> pending;
};

}  // namespace quillmar::fakes
