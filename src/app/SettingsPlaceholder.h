#pragma once

#include <functional>
#include <memory>
#include <string>

#include "forms/Views.h"

namespace quillmar {

// Stands in for the settings dialog until its window is built: an empty dialog with the dialog's title,
// which opens and closes.
class SettingsPlaceholder final : public DialogForm {
public:
    // unload: destroys this form (its owner's slot); the close box calls it last.
    SettingsPlaceholder(FormViews& views, std::function<void()> unload)
        : m_views(views), m_unload(std::move(unload)) {}

    void Form_Load() { m_view = m_views.CreateDialogView(*this); }
    // Modeless, without owner.
    void Show() {
        m_visible = true;
        if (m_view) m_view->Show();
    }
    bool Visible() const { return m_visible; }
    WindowHandle Hwnd() const { return m_view ? m_view->Hwnd() : 0; }

    std::string Caption() const override { return m_caption; }
    int Width() const override { return 6000; }
    int Height() const override { return 4500; }
    void CloseBox() override {
        const std::function<void()> unload = m_unload;  // outlives this form
        unload();
    }

private:
    FormViews& m_views;
    std::function<void()> m_unload;
    std::unique_ptr<DialogView> m_view;
    std::string m_caption = "QUILLMAR SETTINGS";
    bool m_visible = false;
};

}  // namespace quillmar
