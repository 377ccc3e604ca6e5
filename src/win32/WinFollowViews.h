#pragma once

#include <memory>

#include "forms/Views.h"
#include "win32/WinPictures.h"

namespace quillmar::win32 {

// Creates the real windows of the forms: tool windows (toolbar, status window), whose pictures are drawn
// by `pictures`, and dialogs.
class WinFollowViews final : public FormViews {
public:
    explicit WinFollowViews(WinPictures& pictures) : m_pictures(pictures) {}
    std::unique_ptr<FormView> CreateToolView(ToolForm& form) override;
    std::unique_ptr<DialogView> CreateDialogView(DialogForm& form) override;

private:
    WinPictures& m_pictures;
};

}  // namespace quillmar::win32
