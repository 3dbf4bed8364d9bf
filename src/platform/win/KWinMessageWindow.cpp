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
    // A top-level window (not a message-only one): only those receive the power and session
    // broadcasts. Without WS_VISIBLE it never appears.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Pointora", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
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
