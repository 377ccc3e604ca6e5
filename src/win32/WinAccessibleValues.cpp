#include "win32/WinAccessibleValues.h"

#include <windows.h>
#include <oleacc.h>

#include "win32/UiAutomationClient.h"
#include "win32/WinForeignWindows.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr UINT kAnswerMs = 1000;
constexpr int kFocusDepth = 8;  // how far get_accFocus is followed down

// A COM call into a hung program would wait for it without end, so the window is asked first, bounded,
// whether it still handles messages.
bool Answers(WindowHandle control) {
    const HWND window = ToHwnd(control);
    DWORD_PTR ignored = 0;
    return control != 0 && IsWindow(window) &&
           SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs, &ignored) != 0;
}

std::string FromBstr(BSTR text) {
    return text == nullptr ? std::string{} : WideToUtf8(std::wstring_view(text, SysStringLen(text)));
}

VARIANT ChildId(LONG id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// An MSAA element: an object and a child of it (CHILDID_SELF for the object itself).
struct MsaaElement {
    IAccessible* object = nullptr;
    VARIANT child = ChildId(CHILDID_SELF);
    MsaaElement() = default;
    MsaaElement(const MsaaElement&) = delete;
    MsaaElement& operator=(const MsaaElement&) = delete;
    ~MsaaElement() {
        if (object != nullptr) object->Release();
    }
};

LONG StateOf(IAccessible* object, VARIANT child) {
    VARIANT state;
    VariantInit(&state);
    const bool got = SUCCEEDED(object->get_accState(child, &state)) && state.vt == VT_I4;
    const LONG value = got ? state.lVal : 0;
    VariantClear(&state);
    return value;
}

// The element with the focus inside the control's client object: get_accFocus, followed into child
// objects. The object itself only when it says it has the focus.
bool FindMsaaFocus(WindowHandle control, MsaaElement& found) {
    if (!Answers(control)) return false;
    if (FAILED(AccessibleObjectFromWindow(ToHwnd(control), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&found.object))) ||
        found.object == nullptr) {
        return false;
    }
    for (int depth = 0; depth < kFocusDepth; ++depth) {
        VARIANT focus;
        VariantInit(&focus);
        if (FAILED(found.object->get_accFocus(&focus))) focus.vt = VT_EMPTY;
        if (focus.vt == VT_I4) {
            found.child = ChildId(focus.lVal);
            return true;
        }
        if (focus.vt == VT_DISPATCH && focus.pdispVal != nullptr) {
            IAccessible* inner = nullptr;
            const HRESULT is = focus.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&inner));
            VariantClear(&focus);
            if (FAILED(is) || inner == nullptr) return false;
            const bool same = inner == found.object;
            found.object->Release();
            found.object = inner;
            if (same) return true;
            continue;
        }
        VariantClear(&focus);
        return depth > 0 || (StateOf(found.object, found.child) & STATE_SYSTEM_FOCUSED) != 0;
    }
    return true;
}

// COM for the calling thread, started once per object that needs it.
bool StartCom() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return started == S_OK || started == S_FALSE;
}

}  // namespace

WinMsaaValues::WinMsaaValues() : m_comStarted(StartCom()) {}

WinMsaaValues::~WinMsaaValues() {
    if (m_comStarted) CoUninitialize();
}

std::optional<AccessibleElement> WinMsaaValues::FocusedElement(WindowHandle window) {
    MsaaElement focus;
    if (!FindMsaaFocus(window, focus)) return std::nullopt;
    AccessibleElement element;
    VARIANT role;
    VariantInit(&role);
    if (SUCCEEDED(focus.object->get_accRole(focus.child, &role)) && role.vt == VT_I4) {
        element.role = role.lVal == ROLE_SYSTEM_TEXT ? AccessibleRole::Text : AccessibleRole::Other;
        element.document = role.lVal == ROLE_SYSTEM_DOCUMENT;
    }
    VariantClear(&role);
    element.readOnly = (StateOf(focus.object, focus.child) & STATE_SYSTEM_READONLY) != 0;
    BSTR value = nullptr;
    const HRESULT got = focus.object->get_accValue(focus.child, &value);
    element.value = FromBstr(value);
    if (value != nullptr) SysFreeString(value);
    if (FAILED(got)) return std::nullopt;
    return element;
}

bool WinMsaaValues::SetFocusedValue(WindowHandle window, const std::string& text) {
    MsaaElement focus;
    if (!FindMsaaFocus(window, focus)) return false;
    const std::wstring wide = Utf8ToWide(text);
    BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    const HRESULT put = value != nullptr ? focus.object->put_accValue(focus.child, value) : E_OUTOFMEMORY;
    if (value != nullptr) SysFreeString(value);
    return SUCCEEDED(put);
}

namespace {

template <typename T>
struct Released {
    T* p = nullptr;
    Released() = default;
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;
    ~Released() {
        if (p != nullptr) p->Release();
    }
};

std::optional<int> IntProperty(uia::IElement* element, int property) {
    VARIANT value;
    VariantInit(&value);
    std::optional<int> result;
    if (SUCCEEDED(element->GetCurrentPropertyValue(property, &value)) && value.vt == VT_I4) result = value.lVal;
    VariantClear(&value);
    return result;
}

bool BoolProperty(uia::IElement* element, int property) {
    VARIANT value;
    VariantInit(&value);
    const bool result =
        SUCCEEDED(element->GetCurrentPropertyValue(property, &value)) && value.vt == VT_BOOL && value.boolVal != 0;
    VariantClear(&value);
    return result;
}

// The system-wide focused element, only while it belongs to the program of `window`.
bool FindUiaFocus(IUnknown* automation, WindowHandle window, Released<uia::IElement>& element) {
    if (automation == nullptr || !Answers(window)) return false;
    auto* client = static_cast<uia::IAutomation*>(automation);
    if (FAILED(client->GetFocusedElement(&element.p)) || element.p == nullptr) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(ToHwnd(window), &process);
    const std::optional<int> owner = IntProperty(element.p, uia::kProcessIdProperty);
    return owner && static_cast<DWORD>(*owner) == process;
}

}  // namespace

WinUiAutomationValues::WinUiAutomationValues() : m_comStarted(StartCom()) {
    void* automation = nullptr;
    if (SUCCEEDED(CoCreateInstance(uia::kClsidCuiAutomation, nullptr, CLSCTX_INPROC_SERVER, uia::kIidAutomation,
                                   &automation))) {
        m_automation = static_cast<IUnknown*>(automation);
    }
}

WinUiAutomationValues::~WinUiAutomationValues() {
    if (m_automation != nullptr) m_automation->Release();
    if (m_comStarted) CoUninitialize();
}

std::optional<AccessibleElement> WinUiAutomationValues::FocusedElement(WindowHandle window) {
    Released<uia::IElement> focus;
    if (!FindUiaFocus(m_automation, window, focus)) return std::nullopt;
    AccessibleElement element;
    const int type = IntProperty(focus.p, uia::kControlTypeProperty).value_or(0);
    element.role = type == uia::kEditControlType ? AccessibleRole::Text : AccessibleRole::Other;
    element.document = type == uia::kDocumentControlType;
    if (BoolProperty(focus.p, uia::kIsValuePatternAvailableProperty)) {
        element.readOnly = BoolProperty(focus.p, uia::kValueIsReadOnlyProperty);
        VARIANT value;
        VariantInit(&value);
        const bool got = SUCCEEDED(focus.p->GetCurrentPropertyValue(uia::kValueValueProperty, &value)) &&
                         value.vt == VT_BSTR;
        if (got) element.value = FromBstr(value.bstrVal);
        VariantClear(&value);
        if (!got) return std::nullopt;
        return element;
    }
    // A rich editor: its whole text from the text pattern, read-only as its text says.
    if (!BoolProperty(focus.p, uia::kIsTextPatternAvailableProperty)) return std::nullopt;
    Released<uia::ITextPattern> pattern;
    Released<uia::ITextRange> range;
    if (FAILED(focus.p->GetCurrentPatternAs(uia::kTextPatternId, uia::kIidTextPattern,
                                            reinterpret_cast<void**>(&pattern.p))) ||
        pattern.p == nullptr || FAILED(pattern.p->get_DocumentRange(&range.p)) || range.p == nullptr) {
        return std::nullopt;
    }
    VARIANT readOnly;
    VariantInit(&readOnly);
    if (SUCCEEDED(range.p->GetAttributeValue(uia::kIsReadOnlyAttribute, &readOnly)) && readOnly.vt == VT_BOOL) {
        element.readOnly = readOnly.boolVal != 0;
    }
    VariantClear(&readOnly);
    BSTR text = nullptr;
    const HRESULT got = range.p->GetText(-1, &text);
    element.value = FromBstr(text);
    if (text != nullptr) SysFreeString(text);
    if (FAILED(got)) return std::nullopt;
    return element;
}

bool WinUiAutomationValues::SetFocusedValue(WindowHandle window, const std::string& text) {
    Released<uia::IElement> focus;
    if (!FindUiaFocus(m_automation, window, focus)) return false;
    Released<uia::IValuePattern> pattern;
    if (FAILED(focus.p->GetCurrentPatternAs(uia::kValuePatternId, uia::kIidValuePattern,
                                            reinterpret_cast<void**>(&pattern.p))) ||
        pattern.p == nullptr) {
        return false;  // a text pattern only: written by pasting
    }
    const std::wstring wide = Utf8ToWide(text);
    BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    const HRESULT set = value != nullptr ? pattern.p->SetValue(value) : E_OUTOFMEMORY;
    if (value != nullptr) SysFreeString(value);
    return SUCCEEDED(set);
}

}  // namespace quillmar::win32
