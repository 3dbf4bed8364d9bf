#pragma once

#include "platform/KLowLevelHookBackend.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// System-wide low-level hooks (SetWindowsHookExW with WH_MOUSE_LL and WH_KEYBOARD_LL). The hooks
// are installed from a thread of their own that does nothing but run their message loop, so a
// busy GUI thread never delays the system's input (the system drops a hook that answers too
// late). The procedures run in that thread.
class KWinLowLevelHookBackend : public KLowLevelHookBackend {
    Q_OBJECT
public:
    explicit KWinLowLevelHookBackend(QObject* parent = nullptr);
    ~KWinLowLevelHookBackend() override;

    bool installMouseHook(MouseProc proc) override;
    void removeMouseHook() override;
    bool installKeyboardHook(KeyboardProc proc) override;
    void removeKeyboardHook() override;
    void setDevicePatterns(const QStringList& patterns) override;
    void setMasks(quint32 mouseMask, quint32 keyboardMask) override;

    // Runs task in the hook thread and waits for it.
    void runInHookThread(const std::function<void()>& task);

private:
    void threadMain();

    std::thread m_thread;
    unsigned long m_threadId = 0;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    bool m_started = false;
};
