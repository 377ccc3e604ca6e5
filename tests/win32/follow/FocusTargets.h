#pragma once

// What the focus test programs and the tests that drive them agree on.
namespace quillmar::test {

inline constexpr wchar_t kFocusTopClass[] = L"QuillmarFocusTarget";
// A text control of no edit class: draws its text, knows only Ctrl+A, Ctrl+C and Ctrl+V.
inline constexpr wchar_t kCanvasClass[] = L"QuillmarNoteCanvas";
// The same control serving its own accessible object with a value (answering WM_GETOBJECT).
inline constexpr wchar_t kAccessibleClass[] = L"QuillmarAccessibleNote";
// The top-level window's title is this and the control's text, so a test can read the text back
// without a text message the capture could use.
inline constexpr wchar_t kTitlePrefix[] = L"Team notes: ";

}  // namespace quillmar::test
