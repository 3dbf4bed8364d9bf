#pragma once

#include <QObject>

#include <functional>

class KLowLevelHookBackend;
struct KKeyboardHookRecord;
struct KMouseHookRecord;

enum BleHookKind { BleHookBoth = 1, BleHookMouse = 2, BleHookKeyboard = 3 };

// The low-level mouse and keyboard hooks of the Bluetooth path. The hook procedures swallow
// every event of a key the masks select, whichever device sent it, and report the key's press
// as a device key code to the callback. Events carrying the program's own tag pass untouched.
// The callback and the masks are process-wide, like the hooks themselves.
class KBLEMsgHook : public QObject {
    Q_OBJECT
public:
    // A null backend means the platform's.
    explicit KBLEMsgHook(std::function<void(quint32)> callback,
                         KLowLevelHookBackend* backend = nullptr, QObject* parent = nullptr);
    ~KBLEMsgHook() override;

    bool installHooks(int kind);
    bool removeHooks(int kind);
    bool isInstalled() const { return installed; }
    KLowLevelHookBackend* backend() const { return m_backend; }
    void setMouseMask(const quint32& mask);
    void setKeyboardMask(const quint32& mask);

    // The hook procedures: true when the event is swallowed.
    static bool mouseProc(const KMouseHookRecord& record);
    static bool keyboardProc(const KKeyboardHookRecord& record);
    // Their tables. A mouse message gives the button's device key code (0: not a button the
    // hook handles) and whether it is a press.
    static quint32 mouseCode(quint32 message, quint32 mouseData, bool* press);
    // A virtual key gives its consumer usage and keyboard-mask bit; false for other keys.
    static bool consumerKey(quint32 vkCode, quint32* usage, quint32* maskBit);

private:
    KLowLevelHookBackend* m_backend;
    bool installed = false;
};
