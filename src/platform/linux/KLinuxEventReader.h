#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QWaitCondition>

#include <linux/input.h>

#include <atomic>
#include <bitset>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

struct libevdev;
struct libevdev_uinput;

// The uinput device that stands in for one grabbed evdev node: it has the node's capabilities
// (keys, relative and absolute axes with their ranges, LEDs, repeat, MSC_SCAN, switches,
// properties) and re-emits what the node sends and the program does not take over, so that the
// system keeps receiving it. It carries the program's virtual-device identity (name "Pointora
// virtual pass-through <node name>"), so no part of the program ever reads it as input. It knows
// which keys it holds down and releases them before it goes.
class KLinuxPassThrough {
public:
    KLinuxPassThrough() = default;
    KLinuxPassThrough(const KLinuxPassThrough&) = delete;
    KLinuxPassThrough& operator=(const KLinuxPassThrough&) = delete;
    ~KLinuxPassThrough() { destroy(); }

    // Why a node cannot be stood in for (a KDeviceRefusal::Reason); 0 when it can.
    static int unsupportedReason(libevdev* source);
    // Creates the device from the capabilities of source; false with the reason in *error (and
    // the errno of opening /dev/uinput in *openErrno, 0 for other failures).
    bool create(libevdev* source, QString* error, int* openErrno);
    // Releases what is held, then removes the device.
    void destroy();
    bool isCreated() const { return m_device != nullptr; }
    // Re-emits one frame (the events before a SYN_REPORT) and closes it with SYN_REPORT.
    // Autorepeats are left to the device's own repeat.
    void emitFrame(const std::vector<input_event>& frame);
    // Sends the release of every key this device holds down.
    void releaseHeld();
    const std::bitset<KEY_CNT>& held() const { return m_held; }
    // The uinput descriptor: the system writes LED changes to it.
    int fd() const { return m_fd; }

private:
    libevdev_uinput* m_device = nullptr;
    int m_fd = -1;
    std::bitset<KEY_CNT> m_held;
};

// Takes evdev nodes over: a thread grabs each node it is given (once none of the node's keys is
// held, so that no press is cut off from its release), gives it a pass-through device, reads its
// events frame by frame, lets the owner's filter remove what is swallowed, and re-emits the rest
// through the node's pass-through device. A release always goes where its press went: one the
// filter removed is still sent when the pass-through device holds the key, and one whose press
// was taken over never reaches it. LED changes the system sends to a pass-through device go back
// to its node. Nodes no longer wanted, unplugged, or left when the reader stops lose their grab
// after their held keys are released; nothing is grabbed without a pass-through device.
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
    // A node that is wanted but cannot be taken over, with a KDeviceRefusal::Reason (reader
    // thread); reported once per node until it is taken over.
    using Refusal = std::function<void(const QByteArray& devnode, const QString& name, int reason)>;

    // purpose: what the grabs are for, for the log ("to take over the receiver's keys").
    KLinuxEventReader(const QString& purpose, Filter filter, Refusal refusal = Refusal());
    ~KLinuxEventReader();

    // Starts the thread; false (logged) when /dev/uinput cannot be used, in which case nothing
    // will be grabbed.
    bool start();
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // The nodes to consider from now on; wantsGrab is asked again for every one of them.
    void setNodes(const QList<Node>& nodes, WantsGrab wantsGrab);
    // Opens each node for reading once; false, logged with the fix, at the first that cannot be.
    static bool checkAccess(const QList<Node>& nodes, const QString& purpose);
    // Whether /dev/uinput can be opened for writing; logged with the fix when not.
    static bool checkUinput(const QString& purpose);

    // Blocks until the reader thread has applied the last setNodes (or stopped); for tests and
    // for callers that must know that grabs are gone.
    void sync();

private:
    struct Open {
        Node node;
        int fd = -1;
        libevdev* device = nullptr;
        bool grabbed = false;
        std::unique_ptr<KLinuxPassThrough> passThrough;
        std::bitset<KEY_CNT> taken;  // keys whose press was taken over
        std::vector<input_event> frame;
    };
    void run();
    void reconcile();
    enum class Grab { Done, Wait, Failed };
    Grab tryGrab(Open& open);
    void release(Open& open);
    void readNode(Open& open);
    void processFrame(Open& open);
    void forwardLeds(Open& open);
    void refuse(const Open& open, int reason, const QString& detail);
    void wake();

    const QString m_purpose;
    const Filter m_filter;
    const Refusal m_refusal;
    std::thread m_thread;
    int m_wakeFd = -1;
    std::atomic_bool m_stopping{false};

    QMutex m_mutex;  // guards the four below
    QList<Node> m_nodes;
    WantsGrab m_wantsGrab;
    quint64 m_requested = 0;  // setNodes calls so far
    quint64 m_applied = 0;    // of those, applied by the thread
    QWaitCondition m_appliedChanged;
    std::atomic_bool m_dirty{false};

    std::map<QByteArray, Open> m_open;  // reader thread only
    QSet<QByteArray> m_refused;         // reader thread only: nodes already reported
};
