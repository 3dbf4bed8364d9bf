#pragma once

#include <QtGlobal>

#include <functional>

// A hidden message-only window of the calling thread that hands every message to a handler: the
// target of device notifications, raw input and the power and session notifications. The thread's
// event loop (Qt's dispatcher on the main thread) delivers its messages.
class KWinMessageWindow {
public:
    // Answers true when it handled the message, with the result in *result.
    using Handler =
        std::function<bool(quint32 message, quintptr wParam, qintptr lParam, qintptr* result)>;

    explicit KWinMessageWindow(Handler handler);
    ~KWinMessageWindow();
    KWinMessageWindow(const KWinMessageWindow&) = delete;
    KWinMessageWindow& operator=(const KWinMessageWindow&) = delete;

    // The window's HWND, or 0 when the system refused to create it.
    quintptr handle() const { return m_window; }

private:
    Handler m_handler;
    quintptr m_window = 0;
};
