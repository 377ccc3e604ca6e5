#pragma once

#include <windows.h>

namespace quillmar::win32 {

// The one window procedure of the program's own windows: the object that creates a window is stored
// with it at WM_NCCREATE and receives its messages through T::OnMessage(message, wParam, lParam), so a
// derived window handles messages and nothing else. What every window must answer alike belongs here.
template <typename T>
class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Hwnd() const { return m_hwnd; }

protected:
    BaseWindow() = default;
    ~BaseWindow() { DestroyNow(); }

    // Registers the window class once for all windows of T; `wc` names it and gives its look.
    static void RegisterClassOnce(WNDCLASSEXW wc) {
        static const ATOM atom = [&wc] {
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &BaseWindow::WindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            return RegisterClassExW(&wc);
        }();
        (void)atom;
    }

    // Creates this object's window of a class registered with RegisterClassOnce. False when there is none.
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent) {
        CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                        GetModuleHandleW(nullptr), this);
        return m_hwnd != nullptr;
    }

    // The window goes, and with it its children; none of its last messages reach this object, which may
    // be half destroyed by then.
    void DestroyNow() {
        if (m_hwnd == nullptr) return;
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const {
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->m_hwnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // Destroyed from elsewhere (its owner, the system): the object outlives its window.
            const LRESULT result = static_cast<T*>(self)->OnMessage(message, wParam, lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->m_hwnd = nullptr;
            return result;
        }
        // The handler may destroy this object: nothing of it is touched afterwards.
        return static_cast<T*>(self)->OnMessage(message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
};

}  // namespace quillmar::win32
