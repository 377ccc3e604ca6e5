#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "follow/frmStatus.h"
#include "fakes/FakeViews.h"
#include "forms/Views.h"
#include "platform/Menus.h"
#include "platform/Picture.h"

namespace quillmar::fakes {

// Built-in pictures at their real sizes; anything else fails to load unless added.
class FakePictures : public PictureLoader {
public:
    Picture LoadPicture(const std::string& source) override {
        loaded.push_back(source);
        auto it = sizes.find(source);
        if (it == sizes.end()) return Picture{source, 0, 0};
        return Picture{source, it->second.first, it->second.second};
    }
    std::map<std::string, std::pair<int, int>> sizes{{"builtin:translate", {71, 15}},
                                                     {"builtin:select", {153, 15}},
                                                     {"builtin:menu", {17, 15}},
                                                     {"builtin:status", {123, 25}}};
    std::vector<std::string> loaded;
};

// Records what the view was told; its handle is chosen by the factory.
class FakeFormView : public FormView {
public:
    explicit FakeFormView(WindowHandle handle, bool* alive) : m_handle(handle), m_alive(alive) {
        *m_alive = true;
    }
    ~FakeFormView() override { *m_alive = false; }
    WindowHandle Handle() const override { return m_handle; }
    void Place(const TwipsRect& bounds, Placing how) override {
        if (how == Placing::OnTop) {
            placements.push_back(bounds);
        } else {
            ++boundsUpdates;
        }
        placed = bounds;
    }
    void Repaint() override { ++repaints; }

    std::vector<TwipsRect> placements;  // each placement on top
    int boundsUpdates = 0;              // placements in place
    TwipsRect placed;                   // the latest of either
    int repaints = 0;

private:
    WindowHandle m_handle;
    bool* m_alive;
};

// Hands out views with fresh handles (toolbar 0x9000.., status 0x7000.., dialogs 0x5000..) and keeps track
// of them.
class FakeFormViews : public FakeDialogViews {
public:
    std::unique_ptr<FormView> CreateToolView(ToolForm& form) override {
        if (dynamic_cast<frmStatus*>(&form) != nullptr) {
            auto view = std::make_unique<FakeFormView>(0x7000 + statusCreated, &statusAlive);
            ++statusCreated;
            status = view.get();
            return view;
        }
        auto view = std::make_unique<FakeFormView>(0x9000 + followCreated, &followAlive);
        ++followCreated;
        follow = view.get();
        return view;
    }
    FakeFormView* follow = nullptr;  // the latest; valid while *Alive
    FakeFormView* status = nullptr;
    bool followAlive = false;
    bool statusAlive = false;
    int followCreated = 0;
    int statusCreated = 0;
};

// Pops up nothing: records the menu and answers with a preset choice.
class FakePopupMenus : public PopupMenus {
public:
    std::optional<std::size_t> TrackPopupMenu(WindowHandle owner,
                                              const std::vector<MenuItemView>& items) override {
        owners.push_back(owner);
        shown = items;
        return choice;
    }
    std::optional<std::size_t> choice;
    std::vector<WindowHandle> owners;
    std::vector<MenuItemView> shown;
};

}  // namespace quillmar::fakes
