#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fakes/FakeCompanionControl.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeSecretProtector.h"
#include "forms/FormSlot.h"
#include "translate/frmService.h"
#include "win32/WinDialogWindow.h"
#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

class DialogWindows : public FormViews {
public:
    std::unique_ptr<FormView> CreateToolView(ToolForm&) override { return nullptr; }
    std::unique_ptr<DialogView> CreateDialogView(DialogForm& form) override {
        return std::make_unique<WinDialogWindow>(form);
    }
};

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return WideToUtf8(text);
}

// The translation-service dialog on a real window: its list and boxes are the Win32 controls, the user's
// keys reach the form through their notifications, and OK reads back what was typed.
TEST(ServiceDialogWindow, ThePickedEngineShowsItsMaskedKeyBoxAndOkStoresWhatWasTyped) {
    DialogWindows views;
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector secrets;
    fakes::FakeCompanionControl companion;
    fakes::FakeDialogs dialogs;
    FormSlot<frmService> slot{[&] {
        return std::make_unique<frmService>(views, ServicePorts{store, secrets, companion, dialogs}, "QUILLMAR",
                                            "settings", [&] { slot.Unload(); });
    }};
    slot().Show();
    HWND dialog = reinterpret_cast<HWND>(slot().Hwnd());
    ASSERT_NE(dialog, nullptr);
    HWND engines = GetDlgItem(dialog, frmService::kCboEngine);
    HWND key = GetDlgItem(dialog, frmService::kTxtDeepLKey);
    ASSERT_NE(engines, nullptr);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(SendMessageW(engines, CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageW(engines, CB_GETCURSEL, 0, 0), 0);
    EXPECT_NE(GetWindowLongW(key, GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_FALSE(IsWindowVisible(key));

    SetFocus(engines);
    SendMessageW(engines, WM_KEYDOWN, VK_DOWN, 0);  // MyMemory -> DeepL, as the user's arrow key
    EXPECT_EQ(slot().First, EngineChoice::DeepL);
    EXPECT_TRUE(IsWindowVisible(key));

    for (wchar_t c : std::wstring(L"abc:fx")) SendMessageW(key, WM_CHAR, c, 0);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, frmService::kLblWhere)),
              "Your text is sent to DeepL (api-free.deepl.com) over HTTPS.");

    SendMessageW(GetDlgItem(dialog, frmService::kCmdOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(slot.IsLoaded());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(companion.restarts, 1);
    EXPECT_EQ(store.values["QUILLMAR|settings|Engines"], "deepl");
    EXPECT_EQ(LoadServiceSettings(store, secrets, "QUILLMAR", "settings").engines.deepLKey, "abc:fx");
}

}  // namespace
}  // namespace quillmar::win32
