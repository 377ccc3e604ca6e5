#pragma once

#include <memory>
#include <string>
#include <vector>

#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "fakes/FakeFollowPorts.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeTimers.h"
#include "follow/FollowForms.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "translate/OptionsMenu.h"

namespace quillmar::testing {

// The follow forms on fakes, with a status-window slot that creates on reference like the program's.
class FollowFixture : public FollowForms {
public:
    struct Request {
        std::string text;
        std::string code;
        WindowHandle target;
    };

    FollowFixture() : menu([this](std::size_t row) { Follow().SetPair(row); }) {}

    frmFollow& Follow() { return follow(); }
    frmStatus& StatusForm() override { return status(); }
    bool IsStatusLoaded() const override { return status.IsLoaded(); }
    void UnloadStatusForm() override { status.Unload(); }
    OptionsMenu& OptionsMenuOfSocket() override {
        ++socketReferences;
        return menu;
    }
    void RequestTranslation(const std::string& text, const std::string& code,
                            const CapturedText& captured) override {
        requests.push_back({text, code, captured.control});
    }
    void ApplySkin(const std::string& skinName) override { appliedSkins.push_back(skinName); }

    // A chat window at the given rectangle holding one Edit with `text`; returns the edit's handle.
    WindowHandle AddChat(WindowHandle chat, const std::string& title, Rect rect, const std::string& text) {
        windows.Add(chat, "#32770", title);
        windows.windows[chat].rect = rect;
        return windows.Add(chat + 1, "Edit", text, chat);
    }

    ProgramState state;
    fakes::FakeForeignWindows windows;
    fakes::FakeTimers timers;
    fakes::FakePictures pictures;
    fakes::FakePopupMenus menus;
    fakes::FakeFormViews views;
    OptionsMenu menu;
    FormSlot<frmStatus> status{[this] { return std::make_unique<frmStatus>(*this, state, timers, pictures, views); }};
    FormSlot<frmFollow> follow{
        [this] { return std::make_unique<frmFollow>(*this, state, windows, timers, pictures, menus, views); }};
    std::vector<Request> requests;
    std::vector<std::string> appliedSkins;
    int socketReferences = 0;
};

}  // namespace quillmar::testing
