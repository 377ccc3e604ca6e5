#pragma once

#include <memory>

#include "forms/Views.h"
#include "win32/WinPictures.h"

namespace quillmar::win32 {

// Creates the real windows of the toolbar and the status window; pictures are drawn by `pictures`.
class WinFollowViews final : public FormViews {
public:
    explicit WinFollowViews(WinPictures& pictures) : m_pictures(pictures) {}
    std::unique_ptr<FormView> CreateFollowView(frmFollow& form) override;
    std::unique_ptr<FormView> CreateStatusView(frmStatus& form) override;
    std::unique_ptr<DialogView> CreateDialogView(DialogForm& form) override;

private:
    WinPictures& m_pictures;
};

}  // namespace quillmar::win32
