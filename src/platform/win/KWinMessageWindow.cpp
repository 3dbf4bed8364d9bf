#include "platform/win/KWinMessageWindow.h"

#include "platform/win/KWinHeaders.h"

namespace {

constexpr wchar_t kClassName[] = L"PointoraMessageWindow";

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self =
        reinterpret_cast<KWinMessageWindow::Handler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && *self) {
        qintptr result = 0;
        if ((*self)(message, quintptr(wParam), qintptr(lParam), &result))
            return LRESULT(result);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

}  // namespace

KWinMessageWindow::KWinMessageWindow(Handler handler) : m_handler(std::move(handler)) {
    if (!registerClass())
        return;
    // A message-only window: it is never shown, takes no part in the desktop, and needs no
    // display driver.
    HWND window = CreateWindowExW(0, kClassName, L"Pointora", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_handler));
    m_window = reinterpret_cast<quintptr>(window);
}

KWinMessageWindow::~KWinMessageWindow() {
    if (m_window) {
        HWND window = reinterpret_cast<HWND>(m_window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}
