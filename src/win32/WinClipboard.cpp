#include "win32/WinClipboard.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr int kOpenAttempts = 10;       // another program may hold the clipboard for a moment
constexpr DWORD kChangeWaitMs = 500;

// Formats that are handles Windows makes from others, or that cannot be copied as bytes.
bool IsHandleFormat(UINT format) {
    return format == CF_BITMAP || format == CF_METAFILEPICT || format == CF_PALETTE || format == CF_DSPBITMAP ||
           format == CF_DSPMETAFILEPICT || format == CF_DSPENHMETAFILE || format == CF_OWNERDISPLAY ||
           (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) || format == CF_ENHMETAFILE;
}

HGLOBAL GlobalFromBytes(const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size == 0 ? 1 : size);
    if (memory == nullptr) return nullptr;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    if (size > 0) std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// Set while the clipboard is open; the data then belongs to the clipboard.
bool PutBytes(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalFromBytes(bytes, size);
    if (memory == nullptr) return false;
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

WinClipboard::WinClipboard() {
    m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
}

WinClipboard::~WinClipboard() {
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool WinClipboard::Open() {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (OpenClipboard(m_window)) return true;
        Sleep(10);
    }
    return false;
}

std::optional<ClipboardContent> WinClipboard::Save() {
    if (!Open()) return std::nullopt;
    ClipboardContent content;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        if (format == CF_ENHMETAFILE) {
            const auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(format));
            const UINT size = metafile != nullptr ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
            if (size == 0) continue;
            ClipboardContent::Format saved{format, std::vector<unsigned char>(size)};
            GetEnhMetaFileBits(metafile, size, saved.bytes.data());
            content.formats.push_back(std::move(saved));
            continue;
        }
        if (IsHandleFormat(format)) continue;
        HANDLE data = GetClipboardData(format);
        if (data == nullptr) continue;
        const SIZE_T size = GlobalSize(data);
        const void* bytes = GlobalLock(data);
        if (bytes == nullptr) continue;
        const auto* first = static_cast<const unsigned char*>(bytes);
        content.formats.push_back({format, std::vector<unsigned char>(first, first + size)});
        GlobalUnlock(data);
    }
    CloseClipboard();
    return content;
}

bool WinClipboard::Restore(const ClipboardContent& content) {
    if (!Open()) return false;
    bool all = EmptyClipboard() != FALSE;
    for (const ClipboardContent::Format& format : content.formats) {
        if (format.id == CF_ENHMETAFILE) {
            HENHMETAFILE metafile =
                SetEnhMetaFileBits(static_cast<UINT>(format.bytes.size()), format.bytes.data());
            if (metafile == nullptr || SetClipboardData(CF_ENHMETAFILE, metafile) == nullptr) {
                if (metafile != nullptr) DeleteEnhMetaFile(metafile);
                all = false;
            }
            continue;
        }
        all = PutBytes(format.id, format.bytes.data(), format.bytes.size()) && all;
    }
    CloseClipboard();
    return all;
}

std::uint32_t WinClipboard::SequenceNumber() {
    return GetClipboardSequenceNumber();
}

bool WinClipboard::WaitForChange(std::uint32_t since) {
    // The other program copies on its own thread, in its own time; it is never waited for beyond this.
    // Its EmptyClipboard sends WM_DESTROYCLIPBOARD to the owner, which may be this thread: messages sent
    // to it are answered while waiting (posted ones wait their turn), or the copy would stall on us.
    const DWORD start = GetTickCount();
    while (GetClipboardSequenceNumber() == since) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= kChangeWaitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(10, kChangeWaitMs - waited), QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

std::optional<std::string> WinClipboard::GetText() {
    if (!Open()) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        const auto* wide = static_cast<const wchar_t*>(GlobalLock(data));
        if (wide != nullptr) {
            // Up to the terminator, and never past the block however the other program filled it.
            const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
            std::size_t length = 0;
            while (length < units && wide[length] != L'\0') ++length;
            text = WideToUtf8(std::wstring_view(wide, length));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WinClipboard::SetOwnText(const std::string& text) {
    static const UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (!Open()) return false;
    const std::wstring wide = Utf8ToWide(text);
    const DWORD no = 0;
    bool done = EmptyClipboard() != FALSE &&
                PutBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    // The marks go with the text: monitors and the clipboard history leave this text alone.
    if (done && exclude != 0) PutBytes(exclude, &no, sizeof(no));
    if (done && history != 0) PutBytes(history, &no, sizeof(no));
    CloseClipboard();
    return done;
}

void WinEditKeys::SendChord(EditChord chord) {
    const WORD letter = chord == EditChord::SelectAll ? 'A' : chord == EditChord::Copy ? 'C' : 'V';
    std::vector<INPUT> inputs;
    for (WORD held : {VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
        if ((GetAsyncKeyState(held) & 0x8000) != 0) inputs.push_back(Key(held, true));
    }
    inputs.push_back(Key(VK_CONTROL, false));
    inputs.push_back(Key(letter, false));
    inputs.push_back(Key(letter, true));
    inputs.push_back(Key(VK_CONTROL, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace quillmar::win32
