#pragma once

#include <string>

namespace quillmar {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Modal dialogs of the platform. Texts are UTF-8.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageResult MessageBox(const std::string& text, const std::string& title, MessageIcon icon,
                                     MessageButtons buttons) = 0;
};

// A message box without a title of its own carries the application title.
inline constexpr const char* kAppTitle = "QUILLMAR";

}  // namespace quillmar
