#include "skins/SkinStuff.h"

#include <utility>

#include "skins/ModINI.h"
#include "skins/SkinColour.h"

namespace quillmar {
namespace {

bool IsSkinFileName(const std::string& name) {
    constexpr std::string_view kExtension = ".qsk";
    if (name.size() <= kExtension.size()) return false;
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        char c = name[name.size() - kExtension.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kExtension[i]) return false;
    }
    return true;
}

// A menu caption marks its access key with "&"; a title shows every "&" it holds.
std::string MenuCaption(const std::string& title) {
    std::string caption;
    for (const char c : title) {
        caption += c;
        if (c == '&') caption += '&';
    }
    return caption;
}

}  // namespace

SkinStuff::SkinStuff(FileSystem& files, ProfileFiles& profiles, PictureLoader& pictures,
                     SettingsStore& settings, SkinTargets& targets, BuiltinLook builtin)
    : m_files(files),
      m_profiles(profiles),
      m_pictures(pictures),
      m_settings(settings),
      m_targets(targets),
      m_builtin(std::move(builtin)) {}

std::optional<std::string> SkinStuff::FirstSkinFile(const std::string& folder) {
    // Like a directory listing with a pattern and no flags: normal files only.
    for (const DirectoryEntry& entry : m_files.ListDirectory(folder)) {
        if (!entry.directory && !entry.hidden && !entry.system && IsSkinFileName(entry.name))
            return entry.name;
    }
    return std::nullopt;
}

void SkinStuff::BuildSkinMenu(const std::string& skinsPath) {
    m_list1.clear();
    if (!skinsPath.empty()) {
        // Hidden and system entries are not listed, nor files: skins live in folders of their own.
        for (const DirectoryEntry& entry : m_files.ListDirectory(skinsPath)) {
            if (entry.directory && !entry.hidden && !entry.system)
                m_list1.push_back(skinsPath + entry.name + "\\");
        }
    }

    // Every slot but slot 0 goes; slot 0 keeps whatever title and path it holds.
    for (auto it = m_slots.begin(); it != m_slots.end();)
        it = it->first == 0 ? std::next(it) : m_slots.erase(it);

    for (std::size_t i = 0; i < m_list1.size(); ++i) {
        const std::optional<std::string> skinFile = FirstSkinFile(m_list1[i]);
        if (!skinFile) continue;  // a gap: this folder gets no slot
        const std::string path = m_list1[i] + *skinFile;
        m_slots[static_cast<int>(i)] = SkinSlot{ReadIniValue(m_profiles, "Skin", "title", path), path};
    }
    m_skinSlotCount = static_cast<int>(m_list1.size());
}

void SkinStuff::ApplySkin(const std::string& name) {
    for (const auto& [index, slot] : m_slots) {
        if (slot.title == name) {
            // A copy: the status window's load applies a skin again while this one runs.
            const SkinSlot chosen = slot;
            if (index == 0 && chosen.title == kDefaultSkinTitle && chosen.path == kDefaultSkinPath) {
                // Slot 0 was never taken over: its placeholder path names no file, and reading every
                // value from it would clear all pictures and turn the labels black.
                ApplyBuiltinLook();
            } else {
                ApplySlot(chosen);
            }
            return;
        }
    }
}

std::optional<Picture> SkinStuff::LoadSkinPicture(const std::string& path) {
    if (path.empty()) return Picture{};
    Picture picture = m_pictures.LoadPicture(path);
    if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
    return picture;
}

void SkinStuff::ApplySlot(const SkinSlot& slot) {
    const std::string& file = slot.path;
    const std::string folder = GetFolderPath(file).value_or("");
    const auto read = [&](const char* key) { return ReadIniValue(m_profiles, "Details", key, file); };
    const auto picture = [&](const char* key) { return LoadSkinPicture(folder + read(key)); };

    if (auto menu = picture("menufile")) m_targets.SetButtonPicture(SkinTargets::Button::Menu, *menu);
    if (auto selector = picture("selectfile"))
        m_targets.SetButtonPicture(SkinTargets::Button::Selector, *selector);
    if (auto colour = ReadSkinColour(read("selectCol"))) m_targets.SetPairLabelColour(*colour);
    if (auto translate = picture("translateFile")) {
        m_targets.SetButtonPicture(SkinTargets::Button::Translate, *translate);
    }
    if (auto colour = ReadSkinColour(read("translateCol"))) m_targets.SetTranslateLabelColour(*colour);
    // The status window's own load applies the current skin before its values are set here.
    m_targets.LoadStatusWindow();
    if (auto status = picture("statusFile")) m_targets.SetStatusPicture(*status);
    if (auto colour = ReadSkinColour(read("statusCol"))) m_targets.SetStatusLabelColour(*colour);
}

void SkinStuff::ApplyBuiltinLook() {
    const auto picture = [&](const std::string& source) { return LoadSkinPicture(source); };
    if (auto menu = picture(m_builtin.menuPicture))
        m_targets.SetButtonPicture(SkinTargets::Button::Menu, *menu);
    if (auto selector = picture(m_builtin.selectorPicture)) {
        m_targets.SetButtonPicture(SkinTargets::Button::Selector, *selector);
    }
    m_targets.SetPairLabelColour(m_builtin.pairLabelColour);
    if (auto translate = picture(m_builtin.translatePicture)) {
        m_targets.SetButtonPicture(SkinTargets::Button::Translate, *translate);
    }
    m_targets.SetTranslateLabelColour(m_builtin.translateLabelColour);
    m_targets.LoadStatusWindow();
    if (auto status = picture(m_builtin.statusPicture)) m_targets.SetStatusPicture(*status);
    m_targets.SetStatusLabelColour(m_builtin.statusLabelColour);
}

bool SkinStuff::ChooseSkin(int index, std::string& currentSkinName) {
    const std::optional<SkinSlot> slot = Slot(index);
    if (!slot) return false;
    currentSkinName = slot->title;
    // Stored first, whatever applying it then does.
    m_settings.SaveSetting("QUILLMAR", "settings", "CurrentSkin", currentSkinName);
    ApplySkin(currentSkinName);
    return true;
}

std::optional<SkinSlot> SkinStuff::Slot(int index) const {
    auto it = m_slots.find(index);
    if (it == m_slots.end()) return std::nullopt;
    return it->second;
}

std::vector<MenuItemView> SkinStuff::SkinMenuViews() const {
    std::vector<MenuItemView> views;
    for (const auto& [index, slot] : m_slots) views.push_back({MenuCaption(slot.title), true});
    return views;
}

std::optional<int> SkinStuff::SlotAtRow(std::size_t row) const {
    if (row >= m_slots.size()) return std::nullopt;
    return std::next(m_slots.begin(), static_cast<std::ptrdiff_t>(row))->first;
}

}  // namespace quillmar
