#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Menus.h"
#include "platform/Picture.h"
#include "platform/ProfileFiles.h"
#include "platform/SettingsStore.h"
#include "platform/WindowHandle.h"

namespace quillmar {

inline constexpr const char* kDefaultSkinTitle = "Default Skin";
inline constexpr const char* kDefaultSkinPath = "Skin Filename";

// What applying a skin changes on the toolbar (frmFollow) and the status window (frmStatus).
class SkinTargets {
public:
    enum class Button { Translate = 1, Selector = 2, Menu = 3 };  // frmFollow.Picture1 .. Picture3

    virtual ~SkinTargets() = default;
    // The picture only: the buttons keep the places the toolbar gave them when it was loaded.
    virtual void SetButtonPicture(Button button, const Picture& picture) = 0;
    virtual void SetPairLabelColour(Colour colour) = 0;       // frmFollow.Label1
    virtual void SetTranslateLabelColour(Colour colour) = 0;  // frmFollow.Label2
    // frmStatus, loaded if it is not; its Form_Load applies the current skin before this returns.
    virtual void LoadStatusWindow() = 0;
    virtual void SetStatusPicture(const Picture& picture) = 0;  // the status window's background
    virtual void SetStatusLabelColour(Colour colour) = 0;       // frmStatus.Label1
};

// The look the toolbar and the status window are created with, which "Default Skin" brings back.
struct BuiltinLook {
    std::string translatePicture = "builtin:translate";
    std::string selectorPicture = "builtin:select";
    std::string menuPicture = "builtin:menu";
    std::string statusPicture = "builtin:status";
    Colour pairLabelColour = 0x00000000;
    Colour translateLabelColour = 0x00000000;
    Colour statusLabelColour = 0x00000000;
};

// One slot of the skin menu: the mnuSkinList caption (the title) and the mnuSkinFileList caption (the
// .QSK file's full path), both at the slot's index.
struct SkinSlot {
    std::string title;
    std::string path;
};

// The SkinStuff module: the skin slots of the "Select a Skin" submenu, built from the skins folder, and
// the applying of a skin by its title. Every step runs on its own; nothing fails out loud.
class SkinStuff {
public:
    SkinStuff(FileSystem& files, ProfileFiles& profiles, PictureLoader& pictures, SettingsStore& settings,
              SkinTargets& targets, BuiltinLook builtin = {});
    SkinStuff(const SkinStuff&) = delete;
    SkinStuff& operator=(const SkinStuff&) = delete;

    // Refills the slots from the folders directly inside `skinsPath` (which ends in a backslash).
    void BuildSkinMenu(const std::string& skinsPath);
    // Applies the lowest slot whose title equals `name` exactly; nothing when none does.
    void ApplySkin(const std::string& name);
    // What mnuSkinList_Click(Index) does: the slot's title becomes the current skin, is stored as
    // "CurrentSkin", and only then applied. False (and nothing changes) for an index with no slot.
    bool ChooseSkin(int index, std::string& currentSkinName);

    const std::vector<std::string>& List1() const { return m_list1; }
    int SkinSlotCount() const { return m_skinSlotCount; }
    // The slot at `index`, or none where there is a gap.
    std::optional<SkinSlot> Slot(int index) const;

    // The submenu as the options menu shows it: one row per slot in index order, captioned with the
    // title ("&" shown as itself); the paths are not shown. SlotAtRow maps a chosen row back to its index.
    std::vector<MenuItemView> SkinMenuViews() const;
    std::optional<int> SlotAtRow(std::size_t row) const;

private:
    void ApplySlot(const SkinSlot& slot);
    void ApplyBuiltinLook();
    // The picture at `path`; an empty picture for an empty path; none when it does not load.
    std::optional<Picture> LoadSkinPicture(const std::string& path);
    std::optional<std::string> FirstSkinFile(const std::string& folder);

    FileSystem& m_files;
    ProfileFiles& m_profiles;
    PictureLoader& m_pictures;
    SettingsStore& m_settings;
    SkinTargets& m_targets;
    BuiltinLook m_builtin;

    std::vector<std::string> m_list1;
    int m_skinSlotCount = 0;
    std::map<int, SkinSlot> m_slots{{0, SkinSlot{kDefaultSkinTitle, kDefaultSkinPath}}};
};

}  // namespace quillmar
