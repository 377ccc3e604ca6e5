#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>

#include "forms/Views.h"

namespace quillmar::fakes {

// A dialog's window that shows nothing and was told nothing: a test overrides what it looks at.
class NullDialogView : public DialogView {
public:
    WindowHandle Handle() const override { return 0; }
    void Show() override {}
    void Hide() override {}
    void Repaint() override {}
    // A 1024 x 768 pixel screen and a frame of 6 x 25 pixels.
    TwipsRect Screen() const override { return {0, 0, 15360, 11520}; }
    TwipsRect Frame() const override { return {0, 0, 90, 375}; }
    void Place(const TwipsRect&, Placing) override {}
    std::string ControlText(int) const override { return {}; }
    bool IsChecked(int) const override { return false; }
    int SelectedItem(int) const override { return -1; }
    void Focus(int) override {}
};

// Makes no windows at all, for a form whose Form_Load the test never runs.
class NullFormViews : public FormViews {
public:
    std::unique_ptr<FormView> CreateToolView(ToolForm&) override { return nullptr; }
    std::unique_ptr<DialogView> CreateDialogView(DialogForm&) override { return nullptr; }
};

// Counts how often it was shown; the screen and frame are as a test sets them (twips).
class FakeDialogView : public NullDialogView {
public:
    FakeDialogView(WindowHandle handle, bool* alive, DialogForm* form = nullptr)
        : m_handle(handle), m_alive(alive), m_form(form) {
        *m_alive = true;
    }
    ~FakeDialogView() override { *m_alive = false; }
    WindowHandle Handle() const override { return m_handle; }
    void Show() override { ++shows; }
    // As a real window makes a control once, a box starts with its form's text and a list with its
    // form's choice; from then on they are the user's (the test's).
    void Repaint() override {
        ++repaints;
        if (m_form == nullptr) return;
        for (const DialogControl& control : m_form->Controls()) {
            if (const auto* box = std::get_if<DialogControl::TextBox>(&control.kind))
                texts.emplace(control.id, box->text);
            if (const auto* list = std::get_if<DialogControl::DropDown>(&control.kind))
                picked.emplace(control.id, list->selected);
        }
    }
    TwipsRect Screen() const override { return screen; }
    TwipsRect Frame() const override { return frame; }
    void Place(const TwipsRect& bounds, Placing how) override {
        placed = bounds;
        placedHow = how;
        ++placements;
        paintedBeforePlacing = repaints > 0;
    }
    std::string ControlText(int id) const override {
        auto found = texts.find(id);
        return found == texts.end() ? std::string() : found->second;
    }
    bool IsChecked(int id) const override { return ticked.count(id) != 0; }
    int SelectedItem(int id) const override {
        auto found = picked.find(id);
        return found == picked.end() ? -1 : found->second;
    }
    void Focus(int id) override { focused = id; }
    int shows = 0;
    int repaints = 0;
    TwipsRect screen = NullDialogView::Screen();
    TwipsRect frame = NullDialogView::Frame();
    std::optional<TwipsRect> placed;  // the latest placement
    Placing placedHow = Placing::InPlace;
    int placements = 0;
    bool paintedBeforePlacing = false;  // at the latest placement
    std::map<int, std::string> texts;   // what the user typed, by control
    std::set<int> ticked;
    std::map<int, int> picked;  // the item picked in each list
    int focused = 0;

private:
    WindowHandle m_handle;
    bool* m_alive;
    DialogForm* m_form;
};

// Hands out dialog views only (handles 0x5000..), for a dialog tested on its own.
class FakeDialogViews : public NullFormViews {
public:
    std::unique_ptr<DialogView> CreateDialogView(DialogForm& form) override {
        auto view = std::make_unique<FakeDialogView>(0x5000 + dialogsCreated, &dialogAlive, &form);
        view->screen = screen;
        view->frame = frame;
        ++dialogsCreated;
        dialog = view.get();
        dialogForm = &form;
        return view;
    }
    TwipsRect screen = NullDialogView().Screen();  // what each new view tells
    TwipsRect frame = NullDialogView().Frame();
    FakeDialogView* dialog = nullptr;  // the latest dialog, valid while dialogAlive
    DialogForm* dialogForm = nullptr;
    bool dialogAlive = false;
    int dialogsCreated = 0;
};

}  // namespace quillmar::fakes
