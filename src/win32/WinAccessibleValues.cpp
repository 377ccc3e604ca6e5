#include "win32/WinAccessibleValues.h"

#include <windows.h>
#include <oleacc.h>

#include "win32/WinForeignWindows.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr UINT kAnswerMs = 1000;

// The client object of a window that answers at all: a COM call into a hung program would wait for
// it without end, so the window is asked first, bounded, whether it still handles messages.
IAccessible* ClientObject(WindowHandle control) {
    const HWND window = ToHwnd(control);
    DWORD_PTR ignored = 0;
    if (control == 0 || !IsWindow(window) ||
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &ignored) == 0) {
        return nullptr;
    }
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        return nullptr;
    }
    return object;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

}  // namespace

WinMsaaValues::WinMsaaValues() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    m_comStarted = started == S_OK || started == S_FALSE;
}

WinMsaaValues::~WinMsaaValues() {
    if (m_comStarted) CoUninitialize();
}

std::optional<std::string> WinMsaaValues::GetValue(WindowHandle control) {
    IAccessible* object = ClientObject(control);
    if (object == nullptr) return std::nullopt;
    BSTR value = nullptr;
    const HRESULT got = object->get_accValue(Self(), &value);
    object->Release();
    if (got != S_OK || value == nullptr) {
        if (value != nullptr) SysFreeString(value);
        return std::nullopt;
    }
    std::string text = WideToUtf8(std::wstring_view(value, SysStringLen(value)));
    SysFreeString(value);
    return text;
}

bool WinMsaaValues::SetValue(WindowHandle control, const std::string& text) {
    IAccessible* object = ClientObject(control);
    if (object == nullptr) return false;
    const std::wstring wide = Utf8ToWide(text);
    BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    const HRESULT put = value != nullptr ? object->put_accValue(Self(), value) : E_OUTOFMEMORY;
    if (value != nullptr) SysFreeString(value);
    object->Release();
    return SUCCEEDED(put);
}

}  // namespace quillmar::win32
