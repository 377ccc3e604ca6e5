#pragma once

#include <deque>
#include <functional>
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
    MessageResult ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                             MessageButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (whileShown) whileShown();
        return answer;
    }
    std::vector<Shown> shown;
    std::function<void()> whileShown;  // what the message loop of a modal box runs meanwhile
    MessageResult answer = MessageResult::Ok;
};

// Answers queued by the test, one per dialog shown; an empty queue cancels. Each call is logged with
// the state the dialog was shown with.
class FakeCommonDialogs : public CommonDialogs {
public:
    enum class Kind { Open, Save, Color };
    struct Answer {
        DialogOutcome outcome = DialogOutcome::Chosen;
        std::string fileName;
        Colour color = 0;
    };
    struct Call {
        Kind kind;
        CommonDialogState state;
    };
    DialogOutcome ShowOpen(CommonDialogState& state, WindowHandle) override { return Show(Kind::Open, state); }
    DialogOutcome ShowSave(CommonDialogState& state, WindowHandle) override { return Show(Kind::Save, state); }
    DialogOutcome ShowColor(CommonDialogState& state, WindowHandle) override {
        return Show(Kind::Color, state);
    }
    void ChooseFile(const std::string& name) { answers.push_back({DialogOutcome::Chosen, name, 0}); }
    void ChooseColour(Colour colour) { answers.push_back({DialogOutcome::Chosen, "", colour}); }
    void Cancel() { answers.push_back({DialogOutcome::Cancelled, "", 0}); }

    std::deque<Answer> answers;
    std::vector<Call> calls;

private:
    DialogOutcome Show(Kind kind, CommonDialogState& state) {
        calls.push_back({kind, state});
        if (answers.empty()) return DialogOutcome::Cancelled;
        Answer answer = answers.front();
        answers.pop_front();
        if (answer.outcome != DialogOutcome::Chosen) return answer.outcome;
        if (kind == Kind::Color) state.Color = answer.color;
        else state.FileName = answer.fileName;
        return answer.outcome;
    }
};

// Logs every change of pointer and stacking, so a test can see the last state and the order.
class FakeWindowState : public MousePointer, public WindowStacking {
public:
    void SetPointer(WindowHandle, PointerShape shape) override {
        pointer = shape;
        log.push_back(shape == PointerShape::Hourglass ? "hourglass" : "pointer");
    }
    void SetStacking(WindowHandle, Stacking stacking) override {
        log.push_back(stacking == Stacking::Topmost ? "topmost" : "notopmost");
    }
    PointerShape pointer = PointerShape::Default;
    std::vector<std::string> log;
};

}  // namespace quillmar::fakes
