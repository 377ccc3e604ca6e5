#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace quillmar::fakes {

class FakeDialogs : public Dialogs {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
    };
    MessageResult MessageBox(const std::string& text, const std::string& title, MessageIcon icon,
                             MessageButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        return answer;
    }
    std::vector<Shown> shown;
    MessageResult answer = MessageResult::Ok;
};

}  // namespace quillmar::fakes
