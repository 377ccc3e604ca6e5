// clang-format off
#include "win32/WinDialogs.h"

#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <string>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

// Answers the next message box of this thread as soon as it is up, found through a thread-local CBT hook:
// no search by title, so boxes of other programs on the same desktop are never touched, and the box is
// gone within milliseconds.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int command) : m_command(command) {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer() {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    bool found = false;
    std::string title;
    std::string text;
    HWND owner = nullptr;
    HWND watched = nullptr;  // a window whose enabled state is read while the box is up
    bool watchedEnabled = false;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        BoxAnswerer* self = s_current;
        if (code == HCBT_ACTIVATE && self != nullptr && self->m_box == nullptr) {
            self->m_box = reinterpret_cast<HWND>(wParam);
            // The label is filled in after activation: read and answer from the box's own modal loop.
            self->m_timer = SetTimer(nullptr, 0, 10, &Answer);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void CALLBACK Answer(HWND /*hwnd*/, UINT /*message*/, UINT_PTR /*id*/, DWORD /*time*/) {
        BoxAnswerer* self = s_current;
        if (self == nullptr || self->found) return;
        KillTimer(nullptr, self->m_timer);
        wchar_t buffer[256] = {};
        GetWindowTextW(self->m_box, buffer, 256);
        self->title = WideToUtf8(buffer);
        buffer[0] = L'\0';
        GetDlgItemTextW(self->m_box, 0xFFFF, buffer, 256);  // the box's message label
        self->text = WideToUtf8(buffer);
        self->owner = GetWindow(self->m_box, GW_OWNER);
        if (self->watched != nullptr) self->watchedEnabled = IsWindowEnabled(self->watched) != FALSE;
        self->found = true;
        PostMessageW(self->m_box, WM_COMMAND, MAKEWPARAM(self->m_command, BN_CLICKED), 0);
    }

    static inline BoxAnswerer* s_current = nullptr;
    int m_command;
    HHOOK m_hook = nullptr;
    HWND m_box = nullptr;
    UINT_PTR m_timer = 0;
};

TEST(WinDialogs, ABoxWithoutATitleCarriesTheAppTitle) {
    WinDialogs dialogs;
    BoxAnswerer answerer(IDCANCEL);
    const MessageResult result = dialogs.ShowMessage("Unable To detect target page!", "",
                                                    MessageIcon::Critical, MessageButtons::OkCancel);
    ASSERT_TRUE(answerer.found);
    EXPECT_EQ(answerer.title, kAppTitle);
    EXPECT_EQ(answerer.text, "Unable To detect target page!");
    EXPECT_EQ(result, MessageResult::Cancel);
}

TEST(WinDialogs, WideTextsReachTheBoxAndEachAnswerMapsBack) {
    WinDialogs dialogs;
    const struct {
        int command;
        MessageButtons buttons;
        MessageResult expected;
    } cases[] = {
        {IDNO, MessageButtons::YesNo, MessageResult::No},
        {IDYES, MessageButtons::YesNoCancel, MessageResult::Yes},
        {IDCANCEL, MessageButtons::YesNoCancel, MessageResult::Cancel},
        {IDOK, MessageButtons::Ok, MessageResult::Ok},
    };
    for (const auto& c : cases) {
        BoxAnswerer answerer(c.command);
        const MessageResult result = dialogs.ShowMessage(
            "\u00bfS\u00ed o no? \u263a", "Frage \u00fcber Quillmar", MessageIcon::Question, c.buttons);
        ASSERT_TRUE(answerer.found) << c.command;
        EXPECT_EQ(answerer.title, "Frage \u00fcber Quillmar");
        EXPECT_EQ(answerer.text, "\u00bfS\u00ed o no? \u263a");
        EXPECT_EQ(result, c.expected) << c.command;
    }
}

// A box raised long after the click must not leave the toolbar (another window of this thread) disabled
// and looking dead while it is up.
TEST(WinDialogs, ABoxIsOwnedByTheMainWindowAndDisablesNothingElse) {
    HWND main = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"main", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
    HWND toolbar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"toolbar", WS_POPUP, 0, 0,
                                   50, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    WinDialogs dialogs;
    dialogs.SetOwner(main);
    BoxAnswerer answerer(IDOK);
    answerer.watched = toolbar;
    dialogs.ShowMessage("Connection refused", "", MessageIcon::Critical, MessageButtons::Ok);
    ASSERT_TRUE(answerer.found);
    EXPECT_EQ(answerer.owner, main);
    // MB_TOPMOST is not checked: Wine 8 leaves the box without WS_EX_TOPMOST.
    EXPECT_TRUE(answerer.watchedEnabled);
    EXPECT_TRUE(IsWindowEnabled(main));  // given back when the box closes
    DestroyWindow(toolbar);
    DestroyWindow(main);
}

}  // namespace
}  // namespace quillmar::win32
