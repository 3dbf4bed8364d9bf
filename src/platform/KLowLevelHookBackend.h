#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

// System-wide low-level mouse and keyboard hooks. The backend calls the installed procedure for
// every button, wheel and key event before the system sees it; when the procedure answers true
// the event is swallowed. Records use the Windows message and virtual-key values (KHookValues)
// so that the hook procedures above read one format.
namespace KHookValues {
constexpr quint32 WmMouseMove = 0x0200;
constexpr quint32 WmLButtonDown = 0x0201;
constexpr quint32 WmLButtonUp = 0x0202;
constexpr quint32 WmRButtonDown = 0x0204;
constexpr quint32 WmRButtonUp = 0x0205;
constexpr quint32 WmMButtonDown = 0x0207;
constexpr quint32 WmMButtonUp = 0x0208;
constexpr quint32 WmMouseWheel = 0x020A;
constexpr quint32 WmXButtonDown = 0x020B;
constexpr quint32 WmXButtonUp = 0x020C;
constexpr quint32 WmMouseHWheel = 0x020E;
constexpr quint32 XButton1 = 1;  // high word of mouseData: back
constexpr quint32 XButton2 = 2;  // forward

constexpr quint32 LlkhfUp = 0x80;  // keyboard record flags: the key goes up

constexpr quint32 VkBrowserBack = 0xA6;
constexpr quint32 VkBrowserForward = 0xA7;
constexpr quint32 VkBrowserHome = 0xAC;
constexpr quint32 VkVolumeMute = 0xAD;
constexpr quint32 VkVolumeDown = 0xAE;
constexpr quint32 VkVolumeUp = 0xAF;
constexpr quint32 VkMediaNextTrack = 0xB0;
constexpr quint32 VkMediaPrevTrack = 0xB1;
constexpr quint32 VkMediaStop = 0xB2;
constexpr quint32 VkMediaPlayPause = 0xB3;
constexpr quint32 VkLaunchMail = 0xB4;
constexpr quint32 VkLaunchMediaSelect = 0xB5;

// The virtual key the system gives a consumer-page usage; 0 when it gives none.
inline quint32 vkForConsumerUsage(quint32 usage) {
    switch (usage) {
        case 0x224:
            return VkBrowserBack;
        case 0x225:
            return VkBrowserForward;
        case 0x223:
            return VkBrowserHome;
        case 0xE2:
            return VkVolumeMute;
        case 0xEA:
            return VkVolumeDown;
        case 0xE9:
            return VkVolumeUp;
        case 0xB5:
            return VkMediaNextTrack;
        case 0xB6:
            return VkMediaPrevTrack;
        case 0xB7:
            return VkMediaStop;
        case 0xCD:
            return VkMediaPlayPause;
        case 0x18A:
            return VkLaunchMail;
        case 0x183:
            return VkLaunchMediaSelect;
        default:
            return 0;
    }
}
}  // namespace KHookValues

struct KMouseHookRecord {
    quint32 message = 0;
    quint32 mouseData = 0;  // wheel delta or X button in the high word
    quintptr extraInfo = 0;
};

struct KKeyboardHookRecord {
    quint32 vkCode = 0;
    quint32 flags = 0;
    quintptr extraInfo = 0;
    // The key is held and the system repeats it: a further key-down, not a new press.
    bool repeat = false;
};

class KLowLevelHookBackend : public QObject {
    Q_OBJECT
public:
    // Answer true to swallow the event. Procedures may be called from a thread of the backend,
    // one event at a time; they must be quick and must not block on the GUI thread.
    using MouseProc = std::function<bool(const KMouseHookRecord&)>;
    using KeyboardProc = std::function<bool(const KKeyboardHookRecord&)>;

    using QObject::QObject;

    // Installing replaces a procedure already installed. Removing returns only when the
    // procedure is no longer running and will not be called again.
    virtual bool installMouseHook(MouseProc proc) = 0;
    virtual void removeMouseHook() = 0;
    virtual bool installKeyboardHook(KeyboardProc proc) = 0;
    virtual void removeKeyboardHook() = 0;

    // The raw-input name patterns of the devices the hooks are meant for. A system with global
    // hooks ignores them; one that must take devices over one by one takes only these.
    virtual void setDevicePatterns(const QStringList& patterns) = 0;
    // The key masks the procedures apply. A backend that takes devices over one by one takes
    // only those that can produce a selected key.
    virtual void setMasks(quint32 mouseMask, quint32 keyboardMask) = 0;

signals:
    // A device the hooks should take over stays the system's (reason: KDeviceRefusal::Reason).
    // May be emitted from any thread.
    void deviceRefused(const QString& node, const QString& name, int reason);
};
