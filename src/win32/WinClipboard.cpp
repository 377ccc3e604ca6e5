#include "win32/WinClipboard.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win32/WinForeignWindows.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr int kOpenAttempts = 30;  // another program may hold the clipboard for a moment
constexpr DWORD kOpenRetryMs = 10;
constexpr UINT kOwnerAnswerMs = 100;

// Formats that are handles Windows makes from others, or that show only in the owner's own viewer.
bool IsMadeFromOthers(UINT format) {
    return format == CF_BITMAP || format == CF_METAFILEPICT || format == CF_PALETTE || format == CF_DSPBITMAP ||
           format == CF_DSPMETAFILEPICT || format == CF_DSPENHMETAFILE || format == CF_DSPTEXT ||
           format == CF_OWNERDISPLAY;
}

bool IsText(UINT format) {
    return format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE;
}

// The marks that keep a write of this program out of the clipboard history, the cloud clipboard and
// clipboard monitors.
struct Marks {
    UINT excludeFromMonitors = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
    bool Is(UINT format) const { return format == excludeFromMonitors || format == history || format == cloud; }
};

const Marks& TheMarks() {
    static const Marks marks;
    return marks;
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

// Set while the clipboard is open (or while rendering); the data then belongs to the clipboard.
bool PutBytes(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalFromBytes(bytes, size);
    if (memory == nullptr) return false;
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

void PutMarks() {
    const Marks& marks = TheMarks();
    const DWORD no = 0;
    for (UINT format : {marks.excludeFromMonitors, marks.history, marks.cloud}) {
        if (format != 0) PutBytes(format, &no, sizeof(no));
    }
}

std::string FormatName(UINT format) {
    wchar_t name[128];
    const int length = GetClipboardFormatNameW(format, name, static_cast<int>(std::size(name)));
    if (length > 0) return WideToUtf8(std::wstring_view(name, static_cast<std::size_t>(length)));
    switch (format) {
        case CF_DIB:
        case CF_DIBV5:
        case CF_BITMAP:
            return "picture";
        case CF_ENHMETAFILE:
            return "drawing";
        case CF_HDROP:
            return "file list";
        case CF_WAVE:
        case CF_RIFF:
            return "sound";
        default:
            return "format " + std::to_string(format);
    }
}

// Waits up to `ms`, answering messages sent to this thread meanwhile: another program's EmptyClipboard
// sends WM_DESTROYCLIPBOARD to the owner, its GetClipboardData sends WM_RENDERFORMAT, and both wait for
// the answer.
void AnswerSentMessagesFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
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
    WNDCLASSEXW wc{};
    wc.lpszClassName = L"QuillmarClipboard";
    RegisterClassOnce(wc);
    Create(0, L"QuillmarClipboard", L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

LRESULT WinClipboard::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_RENDERFORMAT:
            // The clipboard is open already, by whoever asked.
            if (wParam == CF_UNICODETEXT) RenderOffer();
            return 0;
        case WM_RENDERALLFORMATS:
            // Going away while still the owner: the offer is handed over whole.
            if (m_offer && OpenClipboard(Hwnd())) {
                if (GetClipboardOwner() == Hwnd()) RenderOffer();
                CloseClipboard();
            }
            return 0;
        case WM_DESTROYCLIPBOARD:
            m_offer.reset();
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

bool WinClipboard::RenderOffer() {
    if (!m_offer) return false;
    const bool put = PutBytes(CF_UNICODETEXT, m_offer->c_str(), (m_offer->size() + 1) * sizeof(wchar_t));
    m_taken = m_taken || put;
    return put;
}

bool WinClipboard::Open() {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (OpenClipboard(Hwnd())) return true;
        AnswerSentMessagesFor(kOpenRetryMs);
    }
    return false;
}

std::optional<ClipboardContent> WinClipboard::Save(std::chrono::milliseconds budget) {
    if (!Open()) return std::nullopt;
    const ULONGLONG start = GetTickCount64();
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        if (!IsMadeFromOthers(format) && !TheMarks().Is(format)) formats.push_back(format);
    }
    std::stable_partition(formats.begin(), formats.end(), IsText);
    // An owner that renders late renders inside GetClipboardData, which waits for it without end: a hung
    // owner is asked for nothing.
    const HWND owner = GetClipboardOwner();
    DWORD_PTR ignored = 0;
    const bool ownerAnswers = owner == nullptr || owner == Hwnd() ||
                              SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                                  kOwnerAnswerMs, &ignored) != 0;
    ClipboardContent content;
    const auto notKept = [&content](UINT format) {
        std::string name = FormatName(format);
        if (std::find(content.notKept.begin(), content.notKept.end(), name) == content.notKept.end()) {
            content.notKept.push_back(std::move(name));
        }
    };
    for (UINT format : formats) {
        if (!ownerAnswers || GetTickCount64() - start >= static_cast<ULONGLONG>(budget.count())) {
            notKept(format);
            continue;
        }
        if (format == CF_ENHMETAFILE) {
            const auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(format));
            const UINT size = metafile != nullptr ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
            if (size == 0) continue;
            ClipboardContent::Format saved{format, std::vector<unsigned char>(size)};
            GetEnhMetaFileBits(metafile, size, saved.bytes.data());
            content.formats.push_back(std::move(saved));
            continue;
        }
        if (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) {
            notKept(format);  // a handle only its program knows how to copy
            continue;
        }
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
    // The user's clipboard is in the history already: putting it back is not a new entry.
    PutMarks();
    CloseClipboard();
    return all;
}

std::uint32_t WinClipboard::SequenceNumber() {
    return GetClipboardSequenceNumber();
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

bool WinClipboard::OfferText(const std::string& text) {
    if (!Open()) return false;
    // Emptied first: that tells the previous owner, this window perhaps, its data is gone.
    const bool emptied = EmptyClipboard() != FALSE;
    m_offer = Utf8ToWide(text);
    m_taken = false;
    if (emptied) SetClipboardData(CF_UNICODETEXT, nullptr);  // null whether or not it took: asked below
    PutMarks();
    CloseClipboard();
    return emptied && IsClipboardFormatAvailable(CF_UNICODETEXT);
}

void WinEditKeys::SendChord(EditChord chord) {
    const WORD letter = chord == EditChord::SelectAll ? 'A' : chord == EditChord::Copy ? 'C' : 'V';
    INPUT inputs[] = {Key(VK_CONTROL, false), Key(letter, false), Key(letter, true), Key(VK_CONTROL, true)};
    SendInput(static_cast<UINT>(std::size(inputs)), inputs, sizeof(INPUT));
}

bool WinEditKeys::ChordKeysHeld() {
    const auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN, VK_SPACE}) {
        if (down(key)) return true;
    }
    for (int key = '0'; key <= 'Z'; ++key) {
        if ((key <= '9' || key >= 'A') && down(key)) return true;
    }
    for (int key = VK_F1; key <= VK_F24; ++key) {
        if (down(key)) return true;
    }
    return false;
}

void WinEditKeys::Refocus(WindowHandle control) {
    const HWND top = GetAncestor(ToHwnd(control), GA_ROOT);
    if (top != nullptr) SetForegroundWindow(top);
}

std::chrono::milliseconds WinWaitClock::Now() {
    return std::chrono::milliseconds(GetTickCount64());
}

void WinWaitClock::Wait(std::chrono::milliseconds duration) {
    AnswerSentMessagesFor(static_cast<DWORD>(std::max<long long>(0, duration.count())));
}

}  // namespace quillmar::win32
