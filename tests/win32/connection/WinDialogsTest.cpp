#include "win32/WinDialogs.h"

#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

// Finds the message box titled `title` from another thread, reads it and answers it with `command`.
class BoxAnswerer {
public:
    BoxAnswerer(std::wstring title, int command)
        : m_thread([this, title = std::move(title), command] {
              for (int i = 0; i < 500 && !m_done; ++i) {
                  if (HWND box = FindWindowW(L"#32770", title.c_str())) {
                      wchar_t text[256] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's message label
                      seenText = WideToUtf8(text);
                      PostMessageW(box, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
                      found = true;
                      return;
                  }
                  Sleep(10);
              }
          }) {}
    ~BoxAnswerer() {
        m_done = true;
        m_thread.join();
    }
    std::atomic<bool> found{false};
    std::string seenText;

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

TEST(WinDialogs, ShowsTheTextUnderTheAppTitleAndMapsTheAnswer) {
    WinDialogs dialogs;
    MessageResult result;
    std::string seen;
    {
        BoxAnswerer answerer(L"QUILLMAR", IDCANCEL);
        result = dialogs.MessageBox("Unable To detect target page!", "", MessageIcon::Critical,
                                    MessageButtons::OkCancel);
        EXPECT_TRUE(answerer.found);
        seen = answerer.seenText;
    }
    EXPECT_EQ(result, MessageResult::Cancel);
    EXPECT_EQ(seen, "Unable To detect target page!");

    {
        BoxAnswerer answerer(L"Frage \u00fcber", IDNO);
        result = dialogs.MessageBox("\u00bfS\u00ed o no?", "Frage \u00fcber", MessageIcon::Question,
                                    MessageButtons::YesNo);
        EXPECT_TRUE(answerer.found) << "the wide title reached the window unchanged";
        seen = answerer.seenText;
    }
    EXPECT_EQ(result, MessageResult::No);
    EXPECT_EQ(seen, "\u00bfS\u00ed o no?");

    {
        BoxAnswerer answerer(L"QUILLMAR", IDYES);
        result = dialogs.MessageBox("Go on?", "", MessageIcon::None, MessageButtons::YesNoCancel);
    }
    EXPECT_EQ(result, MessageResult::Yes);
}

}  // namespace
}  // namespace quillmar::win32
