#pragma once

// The few UI Automation client interfaces the program calls, which MinGW-w64's headers leave out,
// declared from their documented definitions. Only the vtable slots up to the last one called are
// declared, in their documented order; the rest are never reached.
#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

namespace quillmar::win32::uia {

// {FF48DBA4-60EF-4201-AA87-54103EEF594E}
inline constexpr CLSID kClsidCuiAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// {30CBE57D-D9D0-452A-AB13-7AC5AC4825EE}
inline constexpr IID kIidAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
// {A94CD8B1-0844-4CD6-9D2D-640537AB39E9}
inline constexpr IID kIidValuePattern = {0xa94cd8b1, 0x0844, 0x4cd6, {0x9d, 0x2d, 0x64, 0x05, 0x37, 0xab, 0x39, 0xe9}};
// {32EBA289-3583-42C9-9C59-3B6D9A1E9B6A}
inline constexpr IID kIidTextPattern = {0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};

inline constexpr int kValuePatternId = 10002;
inline constexpr int kTextPatternId = 10014;
inline constexpr int kProcessIdProperty = 30002;
inline constexpr int kControlTypeProperty = 30003;
inline constexpr int kIsTextPatternAvailableProperty = 30040;
inline constexpr int kIsValuePatternAvailableProperty = 30043;
inline constexpr int kValueValueProperty = 30045;
inline constexpr int kValueIsReadOnlyProperty = 30046;
inline constexpr int kIsReadOnlyAttribute = 40015;
inline constexpr int kEditControlType = 50004;
inline constexpr int kDocumentControlType = 50030;

struct IElement;
struct ITextRange;

struct IAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(IElement*, IElement*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IElement** element) = 0;
};

struct IElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int, IUnknown*, IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, IUnknown*, IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, IUnknown*, IUnknown*, IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, IUnknown*, IUnknown*, IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUnknown*, IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int propertyId, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int, BOOL, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int, BOOL, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int patternId, REFIID iid, void** pattern) = 0;
};

struct IValuePattern : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(BSTR value) = 0;
};

struct ITextPattern : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT, ITextRange**) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IElement*, ITextRange**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelection(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(ITextRange** range) = 0;
};

struct ITextRange : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clone(ITextRange**) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compare(ITextRange*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(int, ITextRange*, int, int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(int) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAttribute(int, VARIANT, BOOL, ITextRange**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindTextInRange(BSTR, BOOL, BOOL, ITextRange**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(int attributeId, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;
};

}  // namespace quillmar::win32::uia
