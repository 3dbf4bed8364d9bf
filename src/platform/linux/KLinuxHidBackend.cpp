#include "platform/linux/KLinuxHidBackend.h"

#include "platform/KHidReportDescriptor.h"
#include "platform/linux/KLinuxEventMap.h"
#include "platform/linux/KLinuxUdev.h"

#include <QDebug>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

bool collectionsOf(const KLinuxUdev::HidrawNode& node, QList<KHID::KHidCollectionInfo>* out) {
    QString error;
    if (KHID::parseReportDescriptor(KLinuxUdev::reportDescriptor(node), out, &error))
        return true;
    qWarning().noquote() << "report descriptor of" << QString::fromUtf8(node.devnode)
                         << "not understood:" << error;
    return false;
}

// GET_REPORT and SET_REPORT on hidraw exist from Linux 5.11; older kernels refuse the request.
void reportTransferFailure(const char* request) {
    if (errno != ENOTTY && errno != EINVAL)
        return;
    static std::atomic_bool reported{false};
    if (!reported.exchange(true))
        qWarning().noquote() << QStringLiteral(
                                    "the kernel refuses %1 on hidraw: report exchange with the "
                                    "receiver (pairing) needs Linux 5.11 or later")
                                    .arg(QLatin1String(request));
}

}  // namespace

QList<QByteArray> KLinuxHidBackend::interfacePaths() {
    QList<QByteArray> paths;
    for (const KLinuxUdev::HidrawNode& node : KLinuxUdev::hidrawNodes()) {
        QList<KHID::KHidCollectionInfo> collections;
        if (!collectionsOf(node, &collections))
            continue;
        for (int i = 0; i < collections.size(); ++i)
            paths << KLinuxEventMap::interfacePath(node.devnode, i, collections.size());
    }
    return paths;
}

bool KLinuxHidBackend::queryInterface(const QByteArray& path, KHID::KHidDetail* detail) {
    QByteArray devnode;
    int index = 0;
    KLinuxUdev::HidrawNode node;
    if (!KLinuxEventMap::splitInterfacePath(path, &devnode, &index) ||
        !KLinuxUdev::findHidrawNode(devnode, &node))
        return false;
    QList<KHID::KHidCollectionInfo> collections;
    if (!collectionsOf(node, &collections) || index >= collections.size())
        return false;
    // A path with a collection suffix must name a node with several collections, and a bare
    // node path one with a single collection: anything else is a stale path.
    if (KLinuxEventMap::interfacePath(devnode, index, collections.size()) != path)
        return false;
    KHID::KHidDetail out;
    out.devicePath = path;
    out.vendorId = node.vendor;
    out.productId = node.product;
    out.versionNumber = node.version;
    out.productName = node.productString;
    out.caps = collections.at(index).caps;
    out.featureValueCaps = collections.at(index).featureValueCaps;
    *detail = out;
    return true;
}

KHidBackend::Handle KLinuxHidBackend::open(const QByteArray& path, Access access) {
    bool denied = false;
    return openChecked(path, access, &denied);
}

KHidBackend::Handle KLinuxHidBackend::openChecked(const QByteArray& path, Access access,
                                                  bool* denied) {
    *denied = false;
    QByteArray devnode;
    int index = 0;
    if (!KLinuxEventMap::splitInterfacePath(path, &devnode, &index) || !devnode.startsWith("/dev/"))
        return InvalidHandle;
    const int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    const int fd = ::open(devnode.constData(), flags);
    if (fd < 0) {
        *denied = errno == EACCES || errno == EPERM;
        KLinuxUdev::reportOpenFailure(devnode, errno,
                                      QStringLiteral("to exchange reports with the receiver"));
        return InvalidHandle;
    }
    return fd;
}

void KLinuxHidBackend::close(Handle handle) {
    if (handle >= 0)
        ::close(int(handle));
}

bool KLinuxHidBackend::getInputReport(Handle handle, uchar* buffer, int length) {
    if (handle < 0 || !buffer || length <= 0)
        return false;
    if (::ioctl(int(handle), HIDIOCGINPUT(length), buffer) >= 0)
        return true;
    reportTransferFailure("HIDIOCGINPUT");
    return false;
}

bool KLinuxHidBackend::setOutputReport(Handle handle, const uchar* buffer, int length) {
    if (handle < 0 || !buffer || length <= 0)
        return false;
    if (::ioctl(int(handle), HIDIOCSOUTPUT(length), buffer) >= 0)
        return true;
    reportTransferFailure("HIDIOCSOUTPUT");
    return false;
}
