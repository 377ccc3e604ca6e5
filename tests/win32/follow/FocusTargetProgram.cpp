// A program whose title matches no follow rule, with one focused text control: "edit" (an Edit),
// "canvas" (custom-drawn, only Ctrl+A/C/V) or "accessible" (custom-drawn, its own IAccessible).
// Usage: focus_target MODE TEXT. Runs until WM_CLOSE.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <string>

#include "FocusTargets.h"

namespace {

using namespace quillmar::test;

HWND g_top = nullptr;
std::wstring g_text;

void ShowText(HWND control) {
    SetWindowTextW(g_top, (std::wstring(kTitlePrefix) + g_text).c_str());
    InvalidateRect(control, nullptr, TRUE);
}

// Wine's clipboard bridge to X opens the clipboard for a moment after every change, as clipboard
// monitors do on Windows: a program that gave up at the first refusal would lose the key.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

void CopyText(HWND owner) {
    if (!OpenClipboardSoon(owner)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (g_text.size() + 1) * sizeof(wchar_t));
    if (memory != nullptr) {
        auto* target = static_cast<wchar_t*>(GlobalLock(memory));
        g_text.copy(target, g_text.size());
        target[g_text.size()] = L'\0';
        GlobalUnlock(memory);
        if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    }
    CloseClipboard();
}

void PasteText(HWND owner) {
    if (!OpenClipboardSoon(owner)) return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data)); text != nullptr) {
            g_text = text;  // the whole text was selected: the paste replaces it
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
}

// The least an accessible text field serves: its value, read and written.
class NoteAccessible final : public IAccessible {
public:
    explicit NoteAccessible(HWND control) : m_control(control) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR* name) override {
        *name = SysAllocString(L"Note");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        *value = SysAllocStringLen(g_text.data(), static_cast<UINT>(g_text.size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT* role) override {
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_TEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* state) override {
        state->vt = VT_I4;
        state->lVal = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG*) override { return Nothing(file); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
        end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT* child) override {
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        g_text.assign(value, SysStringLen(value));
        ShowText(m_control);
        return S_OK;
    }

private:
    static HRESULT Nothing(BSTR* text) {
        *text = nullptr;
        return S_FALSE;
    }
    HWND m_control;
    LONG m_references = 1;
};

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK NoteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            return 0;
        case WM_KEYDOWN:
            if ((GetKeyState(VK_CONTROL) & 0x8000) != 0) {
                if (wParam == 'C') CopyText(window);
                if (wParam == 'V') {
                    PasteText(window);
                    ShowText(window);
                }
                // Ctrl+A: the whole text is always what Ctrl+C and Ctrl+V work on.
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            TextOutW(dc, 2, 2, g_text.c_str(), static_cast<int>(g_text.size()));
            EndPaint(window, &paint);
            return 0;
        }
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT) &&
                GetWindowLongPtrW(window, GWLP_USERDATA) != 0) {
                auto* object = new NoteAccessible(window);
                const LRESULT result = LresultFromObject(IID_IAccessible, wParam, object);
                object->Release();
                return result;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(const wchar_t* className, WNDPROC procedure, HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count < 3) return 2;
    const std::wstring mode = args[1];
    g_text = args[2];
    const bool accessible = mode == L"accessible";
    if (accessible && FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    if (!Register(kFocusTopClass, TopProc, instance) || !Register(kCanvasClass, NoteProc, instance) ||
        !Register(kAccessibleClass, NoteProc, instance)) {
        return 2;
    }
    g_top = CreateWindowExW(0, kFocusTopClass, (std::wstring(kTitlePrefix) + g_text).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 140, 420, 200, nullptr, nullptr, instance,
                            nullptr);
    const wchar_t* controlClass = mode == L"edit" ? L"Edit" : accessible ? kAccessibleClass : kCanvasClass;
    HWND control = CreateWindowExW(WS_EX_CLIENTEDGE, controlClass, mode == L"edit" ? g_text.c_str() : L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 380, 60, g_top, nullptr, instance,
                                   nullptr);
    if (g_top == nullptr || control == nullptr) return 3;
    if (accessible) SetWindowLongPtrW(control, GWLP_USERDATA, 1);
    SetFocus(control);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (accessible) CoUninitialize();
    return 0;
}
