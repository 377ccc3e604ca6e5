#pragma once

#include <string>

#include "platform/TrayIcon.h"
#include "platform/WindowHandle.h"

namespace quillmar {

// Program-wide values, one object passed by reference instead of globals.
struct ProgramState {
    quillmar::TrayIconData TrayIconData;  // filled at start-up; the same record removes the icon at the end
    std::string ExePath;          // full path of the program file
    std::string SkinsPath;        // the skins folder, ending in a backslash
    std::string CurrentSkinName;  // title of the skin in use, "" for the built-in look
    WindowHandle TargetHwnd = 0;  // the followed window
    WindowHandle EditHwnd = 0;    // the edit control the last translation replaced, which a restore writes
};

}  // namespace quillmar
