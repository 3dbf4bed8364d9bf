#include "platform/linux/KUinputDevice.h"

#include "platform/KVirtualDeviceIdentity.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/uinput.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QByteArray uinputDeviceName(const QByteArray& what) {
    // UINPUT_MAX_NAME_SIZE counts the terminating NUL.
    constexpr int kMaxName = UINPUT_MAX_NAME_SIZE - 1;
    QByteArray name = QByteArray(KVirtualDeviceIdentity::NAME_PREFIX) + ' ' + what;
    if (name.size() > kMaxName) {
        int cut = kMaxName;
        while (cut > 0 && (uchar(name.at(cut)) & 0xC0) == 0x80)
            --cut;  // never split a UTF-8 sequence
        name.truncate(cut);
    }
    return name;
}

int createUinputDevice(const QString& path, const QByteArray& what, quint16 product,
                       const std::function<void(libevdev*)>& describe, libevdev_uinput** created,
                       QString* error, int* openErrno) {
    if (openErrno)
        *openErrno = 0;
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int openError = errno;
        if (openErrno)
            *openErrno = openError;
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(strerror(openError)));
        return -1;
    }
    libevdev* dev = libevdev_new();
    const QByteArray name = uinputDeviceName(what);
    libevdev_set_name(dev, name.constData());
    libevdev_set_id_bustype(dev, KVirtualDeviceIdentity::BUS_TYPE);
    libevdev_set_id_vendor(dev, KVirtualDeviceIdentity::VENDOR_ID);
    libevdev_set_id_product(dev, product);
    libevdev_set_id_version(dev, 1);
    describe(dev);
    const int rc = libevdev_uinput_create_from_device(dev, fd, created);
    libevdev_free(dev);
    if (rc != 0) {
        *error = QStringLiteral("%1: creating the virtual %2 failed: %3")
                     .arg(path, QString::fromUtf8(what), QString::fromLocal8Bit(strerror(-rc)));
        ::close(fd);
        return -1;
    }
    return fd;
}
