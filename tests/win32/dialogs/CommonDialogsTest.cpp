#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "win32/WinCommonDialogs.h"
#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

// Waits for the dialog this process shows, then presses one of its buttons by posting the command.
class DialogPresser {
public:
    explicit DialogPresser(WPARAM button)
        : m_thread([this, button] {
              for (int i = 0; i < 200 && !m_stop; ++i) {
                  if (HWND dialog = FindDialog()) {
                      Sleep(300);  // let it finish its own set-up
                      PostMessageW(dialog, WM_COMMAND, button, 0);
                      pressed = true;
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~DialogPresser() {
        m_stop = true;
        m_thread.join();
    }
    std::atomic<bool> pressed{false};

private:
    static BOOL CALLBACK TakeDialog(HWND hwnd, LPARAM out) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[16]{};
        GetClassNameW(hwnd, cls, 16);
        if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static HWND FindDialog() {
        HWND found = nullptr;
        EnumWindows(TakeDialog, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string TempFile(const char* name) {
    wchar_t folder[MAX_PATH]{};
    GetTempPathW(MAX_PATH, folder);
    const std::string path = WideToUtf8(folder) + name;
    std::ofstream(Utf8ToWide(path).c_str()) << "x";
    return path;
}

TEST(CommonDialogs, CancelLeavesTheStateAsItWas) {
    WinCommonDialogs dialogs;
    CommonDialogState state;
    state.Filter = "Image Files|*.gif;*.jpg;*.bmp|";
    state.Flags = kFileMustExist;
    state.FileName = "C:\\nowhere\\before.gif";
    state.Color = 0x123456;
    {
        DialogPresser presser(IDCANCEL);
        EXPECT_EQ(dialogs.ShowOpen(state, 0), DialogOutcome::Cancelled);
        EXPECT_TRUE(presser.pressed);
    }
    {
        DialogPresser presser(IDCANCEL);
        state.Filter = "Skin Files *.QSK|*.QSK|";
        state.Flags = kCreatePrompt | kOverwritePrompt;
        EXPECT_EQ(dialogs.ShowSave(state, 0), DialogOutcome::Cancelled);
        EXPECT_TRUE(presser.pressed);
    }
    {
        DialogPresser presser(IDCANCEL);
        EXPECT_EQ(dialogs.ShowColor(state, 0), DialogOutcome::Cancelled);
        EXPECT_TRUE(presser.pressed);
    }
    EXPECT_EQ(state.FileName, "C:\\nowhere\\before.gif");
    EXPECT_EQ(state.Color, 0x123456u);
}

TEST(CommonDialogs, OkTakesTheFileNameTheDialogStartedWithAndTheStartColour) {
    WinCommonDialogs dialogs;
    CommonDialogState state;
    state.Filter = "Image Files|*.gif;*.jpg;*.bmp|";
    state.Flags = kFileMustExist;
    state.FileName = TempFile("quillmar dialog test.gif");
    const std::string before = state.FileName;
    {
        DialogPresser presser(IDOK);
        EXPECT_EQ(dialogs.ShowOpen(state, 0), DialogOutcome::Chosen);
    }
    EXPECT_EQ(_stricmp(state.FileName.c_str(), before.c_str()), 0) << state.FileName;
    state.Color = 0x00FF00;
    {
        DialogPresser presser(IDOK);
        EXPECT_EQ(dialogs.ShowColor(state, 0), DialogOutcome::Chosen);
    }
    EXPECT_EQ(state.Color, 0x00FF00u);
    DeleteFileW(Utf8ToWide(before).c_str());
}

}  // namespace
}  // namespace quillmar::win32
