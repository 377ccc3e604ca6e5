#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeFollowPorts.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeTranslationSinks.h"
#include "follow/StatusWindowSlot.h"
#include "follow/TargetWatch.h"
#include "follow/TranslateAction.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "translate/OptionsMenu.h"
#include "translate/ServiceAddress.h"

namespace quillmar::testing {

// The follow forms on fakes, with a status-window slot that creates on reference like the program's, and
// the real translate action, whose requests are kept instead of sent.
class FollowFixture : public OptionsMenuOpener, public RequestSender, public TargetWatch {
public:
    struct Request {
        std::string text;
        std::string code;
        WindowHandle target;
    };

    FollowFixture() : menu([this](std::size_t row) { Follow().SetPair(row); }) {}

    frmFollow& Follow() { return follow(); }
    frmStatus& StatusForm() { return status.Window(); }
    bool IsStatusLoaded() const { return status.IsLoaded(); }
    void UnloadStatusForm() { status.Unload(); }
    OptionsMenu& OpenOptionsMenu() override {
        ++socketReferences;
        return menu;
    }
    void Send(std::unique_ptr<TranslationRequest> request) override {
        requests.push_back({request->Query(), request->Pair().code, request->Captured().control});
    }
    bool FollowsByRule(WindowHandle /*window*/, const std::string& /*title*/) override { return false; }
    void TargetCameToFront(const std::string& /*title*/) override {}

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
    fakes::FakeTranslationOutput output;
    OptionsMenu menu;
    std::vector<std::string> appliedSkins;
    StatusWindowSlot status{state, timers, pictures, views,
                            [this](const std::string& skinName) { appliedSkins.push_back(skinName); }};
    FixedService service{ParseServiceAddress("babel.example")};
    TranslateAction translate{service, {status, output}, *this};
    FormSlot<frmFollow> follow{[this] {
        return std::make_unique<frmFollow>(frmFollow::Links{translate, *this, *this, status}, state, windows,
                                           timers, pictures, menus, views);
    }};
    std::vector<Request> requests;
    int socketReferences = 0;
};

}  // namespace quillmar::testing
