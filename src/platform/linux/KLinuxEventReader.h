#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>

#include <linux/input.h>

#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <vector>

struct libevdev;
struct libevdev_uinput;

// Two uinput devices, a pointer and a keyboard, that re-emit the events of grabbed devices so
// that the system keeps receiving everything that is not taken over. They carry the program's
// virtual-device identity, so no part of the program ever reads them as input.
class KLinuxPassThrough {
public:
    ~KLinuxPassThrough() { destroy(); }
    // False, with the reason logged, when /dev/uinput cannot be used.
    bool create(const QString& purpose);
    void destroy();
    bool isCreated() const { return m_pointer && m_keyboard; }
    // Re-emits one frame (without its SYN_REPORT): pointer events to the pointer, keys to the
    // keyboard, each device's share closed by its own SYN_REPORT.
    void emitFrame(const std::vector<input_event>& frame);
    // The keyboard device's uinput descriptor: the system writes LED changes to it.
    int keyboardFd() const { return m_keyboardFd; }

private:
    libevdev_uinput* m_pointer = nullptr;
    libevdev_uinput* m_keyboard = nullptr;
    int m_pointerFd = -1;
    int m_keyboardFd = -1;
};

// Takes evdev nodes over: a thread grabs each node it is given (once none of the node's keys is
// held, so that no press is cut off from its release), reads its events frame by frame, lets the
// owner's filter remove what is swallowed, and re-emits the rest through a pass-through device.
// LED changes the system sends to the pass-through keyboard go back to the grabbed keyboards.
// It grabs nothing unless its pass-through devices exist, and releases every grab when stopped
// or destroyed, before the pass-through devices go.
class KLinuxEventReader {
public:
    struct Node {
        QByteArray devnode;
        quintptr handle = 0;
    };
    // Whether a node is to be taken over, asked on the reader thread with the node open.
    using WantsGrab = std::function<bool(libevdev* device)>;
    // Removes the swallowed events from one frame of a grabbed node (reader thread).
    using Filter = std::function<void(const Node& node, std::vector<input_event>& frame)>;

    // purpose: what the grabs are for, for the log ("to take over the receiver's keys").
    KLinuxEventReader(const QString& purpose, Filter filter);
    ~KLinuxEventReader();

    // Creates the pass-through devices and starts the thread; false (logged) when it cannot
    // re-emit events, in which case nothing will be grabbed.
    bool start();
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // The nodes to consider from now on; wantsGrab is asked again for every one of them.
    void setNodes(const QList<Node>& nodes, WantsGrab wantsGrab);
    // Opens each node for reading once; false, logged with the fix, at the first that cannot be.
    static bool checkAccess(const QList<Node>& nodes, const QString& purpose);

private:
    struct Open {
        Node node;
        int fd = -1;
        libevdev* device = nullptr;
        bool grabbed = false;
        std::vector<input_event> frame;
    };
    void run();
    void reconcile();
    enum class Grab { Done, Wait, Failed };
    Grab tryGrab(Open& open);
    void release(Open& open);
    void readNode(Open& open);
    void forwardLeds();
    void wake();

    const QString m_purpose;
    const Filter m_filter;
    KLinuxPassThrough m_passThrough;
    std::thread m_thread;
    int m_wakeFd = -1;
    std::atomic_bool m_stopping{false};

    QMutex m_mutex;  // guards the two below
    QList<Node> m_nodes;
    WantsGrab m_wantsGrab;
    std::atomic_bool m_dirty{false};

    std::map<QByteArray, Open> m_open;  // reader thread only
    QSet<QByteArray> m_refused;         // reader thread only: nodes that cannot be passed on
};
