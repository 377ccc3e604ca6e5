#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Views.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramInfo.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace quillmar {

// What the about box needs from the platform.
struct AboutPorts {
    Registry& registry;
    FileSystem& files;
    Shell& shell;
    Dialogs& dialogs;
    ProgramInfo& info;
};

// A control of the box: its caption and its place in twips, client coordinates.
struct AboutControl {
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A line of the etched separator, client twips; colour as 0xRRGGBB.
struct AboutLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    std::uint32_t rgb = 0;
    int width = 1;  // pixels
};

// The about box: names the program, shows its version information, and starts the system-information
// tool. `unload` destroys this form (its owner's slot); it is the last thing a handler calls.
class frmAbout final : public DialogForm {
public:
    static constexpr int kOkId = 100;
    static constexpr int kSysInfoId = 101;
    static constexpr int kClientWidth = 5730;  // twips
    static constexpr int kClientHeight = 4485;
    // What the registry reads ask for (read and write, as the box always has), and the largest value.
    static constexpr std::uint32_t kKeyAccess = 0x2003F;
    static constexpr std::uint32_t kKeyReadAccess = 0x20019;  // KEY_READ
    static constexpr std::size_t kValueBufferBytes = 1024;
    static constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

    frmAbout(FormViews& views, AboutPorts ports, std::function<void()> unload);

    // Makes the box's window, fills in the texts and centres it on top.
    void Form_Load();
    // Modeless, without owner; an open box only comes to the front.
    void Show();
    WindowHandle Hwnd() const { return m_view ? m_view->Handle() : 0; }
    void cmdOK_Click();
    void cmdSysInfo_Click();

    void StartSysInfo();
    // The value `SubKeyRef` of key `KeyName` into `KeyVal`: the text of a string, the signed decimal
    // of a 32-bit number, unchanged for other types. False, with `KeyVal` empty, when it cannot be read.
    bool GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);

    // State the view shows.
    std::string Caption = " About MyApp";
    AboutControl lblTitle{"Application Title", 1035, 240, 3885, 480};
    AboutControl lblVersion{"Version", 1035, 780, 3885, 225};
    AboutControl lblDescription{"App Description", 1020, 1110, 3495, 1125};
    AboutControl lblDisclaimer{"Warning: ...", 210, 3450, 3870, 825};
    AboutControl cmdOK{"OK", 4200, 3450, 1260, 345};  // default and cancel button, first in tab order
    AboutControl cmdSysInfo{"&System Info...", 4215, 3900, 1245, 345};
    AboutControl picIcon{"", 180, 165, 480, 480};  // the program icon, 32 x 32
    // Grey over white: an etched line above the copyright text and the buttons.
    AboutLine Line1[2] = {{60, 3285, 5609, 3285, 0xFFFFFF, 2}, {45, 3270, 5609, 3270, 0x808080, 1}};
    // The window's outer bounds, twips.
    int Left = 0;
    int Top = 0;
    int Width = kClientWidth;
    int Height = kClientHeight;

    // Its window.
    std::string Title() const override { return Caption; }
    int OuterWidth() const override { return Width; }
    int OuterHeight() const override { return Height; }
    std::vector<DialogControl> Controls() const override;
    void Click(int id) override;
    void CloseBox() override { cmdOK_Click(); }

private:
    FormViews& m_views;
    AboutPorts m_ports;
    std::function<void()> m_unload;
    std::unique_ptr<DialogView> m_view;
};

}  // namespace quillmar
