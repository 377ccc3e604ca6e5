#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/TrayIcon.h"

namespace quillmar::fakes {

// Keeps every call in one journal, so a test can check what happened before what.
class FakeTrayIcons : public TrayIcons {
public:
    explicit FakeTrayIcons(std::vector<std::string>& journal) : m_journal(journal) {}
    bool AddIcon(const TrayIconData& data) override {
        added.push_back(data);
        m_journal.push_back("add icon");
        return addSucceeds;
    }
    bool DeleteIcon(const TrayIconData& data) override {
        deleted.push_back(data);
        m_journal.push_back("delete icon");
        return true;
    }
    bool ModifyTip(const TrayIconData& data) override {
        tips.push_back(data.tip);
        return true;
    }
    bool ShowBalloon(const TrayIconData&, const std::string& title, const std::string& text) override {
        balloons.push_back(title + ": " + text);
        m_journal.push_back("balloon");
        return addSucceeds;
    }
    std::vector<TrayIconData> added;
    std::vector<std::string> balloons;
    std::vector<TrayIconData> deleted;
    std::vector<std::string> tips;
    bool addSucceeds = true;

private:
    std::vector<std::string>& m_journal;
};

// The process "ends" by throwing this, so the test goes on and sees that nothing ran after it.
struct ProcessEnded {};

class FakeProcessExit : public ProcessExit {
public:
    explicit FakeProcessExit(std::vector<std::string>& journal) : m_journal(journal) {}
    [[noreturn]] void EndProcess() override {
        m_journal.push_back("end process");
        throw ProcessEnded{};
    }

private:
    std::vector<std::string>& m_journal;
};

}  // namespace quillmar::fakes
