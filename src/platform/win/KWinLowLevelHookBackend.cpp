#include "platform/win/KWinLowLevelHookBackend.h"

#include "platform/win/KWinHeaders.h"

#include <QDebug>

#include <bitset>

namespace {

// Asks the hook thread to run the task whose address is in wParam.
constexpr UINT kRunTask = WM_APP + 1;

// Everything below belongs to the hook thread: the hooks are installed, called and removed there.
// There is one hook thread per process (one backend per platform).
struct HookState {
    HHOOK mouseHook = nullptr;
    HHOOK keyboardHook = nullptr;
    KLowLevelHookBackend::MouseProc mouseProc;
    KLowLevelHookBackend::KeyboardProc keyboardProc;
    std::bitset<256> keysDown;
};

HookState& hookState() {
    static HookState state;
    return state;
}

LRESULT CALLBACK mouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HookState& state = hookState();
    if (code == HC_ACTION && state.mouseProc) {
        const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        KMouseHookRecord record;
        record.message = quint32(wParam);
        record.mouseData = quint32(event->mouseData);
        record.extraInfo = quintptr(event->dwExtraInfo);
        if (state.mouseProc(record))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK keyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HookState& state = hookState();
    if (code == HC_ACTION) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool up = (event->flags & LLKHF_UP) != 0;
        const size_t vk = event->vkCode & 0xFF;
        // The system repeats a held key as further key-downs without a key-up between them.
        const bool repeat = !up && state.keysDown.test(vk);
        state.keysDown.set(vk, !up);
        if (state.keyboardProc) {
            KKeyboardHookRecord record;
            record.vkCode = quint32(event->vkCode);
            record.flags = quint32(event->flags);
            record.extraInfo = quintptr(event->dwExtraInfo);
            record.repeat = repeat;
            if (state.keyboardProc(record))
                return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

KWinLowLevelHookBackend::KWinLowLevelHookBackend(QObject* parent) : KLowLevelHookBackend(parent) {
    m_thread = std::thread([this] { threadMain(); });
    std::unique_lock<std::mutex> lock(m_mutex);
    m_ready.wait(lock, [this] { return m_started; });
}

KWinLowLevelHookBackend::~KWinLowLevelHookBackend() {
    removeMouseHook();
    removeKeyboardHook();
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void KWinLowLevelHookBackend::threadMain() {
    MSG message;
    // Makes the thread's message queue, so that tasks can be posted to it from now on.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_threadId = GetCurrentThreadId();
        m_started = true;
    }
    m_ready.notify_all();
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRunTask) {
            (*reinterpret_cast<std::function<void()>*>(message.wParam))();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void KWinLowLevelHookBackend::runInHookThread(const std::function<void()>& task) {
    if (GetCurrentThreadId() == m_threadId) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneCondition;
    bool done = false;
    std::function<void()> wrapped = [&] {
        task();
        std::lock_guard<std::mutex> lock(doneMutex);
        done = true;
        doneCondition.notify_all();
    };
    if (!PostThreadMessageW(m_threadId, kRunTask, reinterpret_cast<WPARAM>(&wrapped), 0)) {
        qWarning().noquote() << "[Warn] the hook thread takes no requests:" << GetLastError();
        return;
    }
    std::unique_lock<std::mutex> lock(doneMutex);
    doneCondition.wait(lock, [&] { return done; });
}

bool KWinLowLevelHookBackend::installMouseHook(MouseProc proc) {
    bool installed = false;
    runInHookThread([&] {
        HookState& state = hookState();
        state.mouseProc = std::move(proc);
        if (!state.mouseHook)
            state.mouseHook =
                SetWindowsHookExW(WH_MOUSE_LL, mouseHookProc, GetModuleHandleW(nullptr), 0);
        if (!state.mouseHook) {
            qWarning().noquote() << "[Warn] low-level mouse hook refused:" << GetLastError();
            state.mouseProc = nullptr;
        }
        installed = state.mouseHook != nullptr;
    });
    return installed;
}

// Done in the hook thread, between two calls of the procedure: when it returns, the procedure
// no longer runs and is not called again.
void KWinLowLevelHookBackend::removeMouseHook() {
    runInHookThread([] {
        HookState& state = hookState();
        if (state.mouseHook)
            UnhookWindowsHookEx(state.mouseHook);
        state.mouseHook = nullptr;
        state.mouseProc = nullptr;
    });
}

bool KWinLowLevelHookBackend::installKeyboardHook(KeyboardProc proc) {
    bool installed = false;
    runInHookThread([&] {
        HookState& state = hookState();
        state.keyboardProc = std::move(proc);
        if (!state.keyboardHook)
            state.keyboardHook =
                SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProc, GetModuleHandleW(nullptr), 0);
        if (!state.keyboardHook) {
            qWarning().noquote() << "[Warn] low-level keyboard hook refused:" << GetLastError();
            state.keyboardProc = nullptr;
        }
        installed = state.keyboardHook != nullptr;
    });
    return installed;
}

void KWinLowLevelHookBackend::removeKeyboardHook() {
    runInHookThread([] {
        HookState& state = hookState();
        if (state.keyboardHook)
            UnhookWindowsHookEx(state.keyboardHook);
        state.keyboardHook = nullptr;
        state.keyboardProc = nullptr;
    });
}

// The hooks are global: they see every device, and the procedures above pick the events.
void KWinLowLevelHookBackend::setDevicePatterns(const QStringList& patterns) {
    Q_UNUSED(patterns);
}

void KWinLowLevelHookBackend::setMasks(quint32 mouseMask, quint32 keyboardMask) {
    Q_UNUSED(mouseMask);
    Q_UNUSED(keyboardMask);
}
