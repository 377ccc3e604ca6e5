#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// Text taken for translation and the control it came from (0 when it has no control to go back to).
struct CapturedText {
    std::string text;
    WindowHandle control = 0;
};

// Where a trigger takes its text from: the toolbar from the chat window's edit control, the command line
// from its argument or standard input, the hotkey from the focused control.
class TextCapture {
public:
    virtual ~TextCapture() = default;
    virtual CapturedText Capture() = 0;
};

// How a trigger shows the action's progress before the translation client reports.
class TranslateStatus {
public:
    virtual ~TranslateStatus() = default;
    virtual void ShowNothingToTranslate() = 0;  // "No message !"; nothing is sent
    virtual void ShowRequestStarting() = 0;     // just before the request goes out
};

// Sends the prepared text; `captured` is what it was prepared from, where the answer goes.
class TranslateRequest {
public:
    virtual ~TranslateRequest() = default;
    virtual void Send(const std::string& queryText, const CapturedText& captured) = 0;
};

class FollowForms;

// The status window at a given place (twips, its top-left corner), as the toolbar and the hotkey show it.
class StatusWindowAt final : public TranslateStatus {
public:
    StatusWindowAt(FollowForms& forms, int left, int top) : m_forms(forms), m_left(left), m_top(top) {}
    void ShowNothingToTranslate() override;
    void ShowRequestStarting() override;

private:
    FollowForms& m_forms;
    int m_left;
    int m_top;
};

// Sends with the pair of a label caption (the toolbar's); a caption that names no pair sends nothing.
class PairRequest final : public TranslateRequest {
public:
    PairRequest(FollowForms& forms, std::string code) : m_forms(forms), m_code(std::move(code)) {}
    void Send(const std::string& queryText, const CapturedText& captured) override;

private:
    FollowForms& m_forms;
    std::string m_code;
};

// The one translate action every trigger runs: capture, prepare, show the status, send.
// Returns false when there was nothing to translate.
bool RunTranslateAction(TextCapture& capture, TranslateStatus& status, TranslateRequest& request);

}  // namespace quillmar
