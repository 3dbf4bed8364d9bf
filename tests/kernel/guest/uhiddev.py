"""HID devices made through /dev/uhid: the maker's receiver, its Bluetooth mouse and keyboard, and
an ordinary USB mouse, as the kernel sees real ones.

One UhidDevice is one HID device (one USB interface, or one Bluetooth HID service): the kernel's
hid-generic driver makes a hidraw node for it and one evdev node per application collection.
A thread per device answers the kernel's requests (GET_REPORT, SET_REPORT, output reports).
A SimDevice groups the HID devices of one product and turns "press BTN_SIDE", "wheel +1",
"press KEY_VOLUMEUP" or "type abc" into input reports built from the report layouts below.

Python 3 standard library only. Struct layouts follow <linux/uhid.h>.
"""

import errno
import os
import select
import struct
import threading
import time

import evdev

UHID_NODE = "/dev/uhid"

# enum uhid_event_type
UHID_DESTROY, UHID_START, UHID_STOP, UHID_OPEN, UHID_CLOSE, UHID_OUTPUT = 1, 2, 3, 4, 5, 6
UHID_GET_REPORT, UHID_GET_REPORT_REPLY, UHID_CREATE2, UHID_INPUT2 = 9, 10, 11, 12
UHID_SET_REPORT, UHID_SET_REPORT_REPLY = 13, 14
# enum uhid_report_type
UHID_FEATURE_REPORT, UHID_OUTPUT_REPORT, UHID_INPUT_REPORT = 0, 1, 2
REPORT_TYPES = {UHID_FEATURE_REPORT: "feature", UHID_OUTPUT_REPORT: "output",
                UHID_INPUT_REPORT: "input"}

UHID_DATA_MAX = 4096
HID_MAX_DESCRIPTOR_SIZE = 4096
# struct uhid_event: __u32 type and the union, whose largest member is uhid_create2_req.
CREATE2 = struct.Struct("<I128s64s64sHHIIII%ds" % HID_MAX_DESCRIPTOR_SIZE)
EVENT_SIZE = CREATE2.size

BUS_USB, BUS_BLUETOOTH = 0x03, 0x05

# Report descriptors.
# Mouse, report ID 1: 8 buttons, 16-bit X/Y, wheel, AC Pan (the receiver's interface 0).
MOUSE8_ID1 = bytes.fromhex(
    "05010902a10185010901a100050919012908150025019508750181020501160180"
    "26ff7f751095020930093181061581257f7508950109388106050c0a380295018106c0c0")
# Mouse, report ID 1: 5 buttons and 3 bits of padding, otherwise as above (the Bluetooth mouse).
MOUSE5_ID1 = bytes.fromhex(
    "05010902a10185010901a100050919012905150025019505750181029501750381010501160180"
    "26ff7f751095020930093181061581257f7508950109388106050c0a380295018106c0c0")
# Consumer control: one 16-bit usage array, usages 0 to 0x3FF, report ID 3 or 2.
CONSUMER_ID3 = bytes.fromhex("050c0901a1018503150026ff0319002aff03751095018100c0")
CONSUMER_ID2 = bytes.fromhex("050c0901a1018502150026ff0319002aff03751095018100c0")
# The receiver's pairing interface: vendor page 0xFF00, usage 0x0E, report 0xBA, 32 bytes each way.
PAIRING = bytes.fromhex("0600ff090ea10185ba0901150026ff00750895208102090295209102c0")
# The same interface written with shapes the kernel accepts though they look odd: the input
# usage as a Usage Maximum without a Minimum (a range from 0), the output usage inside a
# Delimiter set opened with the value 2. Same reports, same lengths. (A Maximum below the
# Minimum is no such shape: the kernel's unsigned count then fills its usage table, and the
# next usage makes it refuse the device.)
PAIRING_ODD = bytes.fromhex(
    "0600ff090ea10185ba2901150026ff0075089520810209029520a9020902a9009102c0")
# The boot keyboard (with its LED output report) and the boot mouse.
BOOT_KEYBOARD = bytes.fromhex(
    "05010906a101050719e029e715002501750195088102950175088101950575010508190129059102"
    "95017503910195067508150025650507190029658100c0")
BOOT_MOUSE = bytes.fromhex(
    "05010902a1010901a100050919012903150025019503750181029501750581010501093009311581"
    "257f750895028106c0c0")
# Keyboard, report ID 1, with its LED output report (the Bluetooth keyboard).
KEYBOARD_ID1 = bytes.fromhex(
    "05010906a1018501050719e029e715002501750195088102950175088101950575010508190129059102"
    "950175039101950675081500256505071900" "29658100c0")

# Mouse buttons in report bit order, as hid-input names buttons 1 to 8.
MOUSE_BUTTONS = ["BTN_LEFT", "BTN_RIGHT", "BTN_MIDDLE", "BTN_SIDE", "BTN_EXTRA", "BTN_FORWARD",
                 "BTN_BACK", "BTN_TASK"]

# Consumer page usages of the keys the tables press (hid-input's mapping).
CONSUMER_USAGES = {
    "KEY_BACK": 0x224, "KEY_FORWARD": 0x225, "KEY_HOMEPAGE": 0x223, "KEY_MAIL": 0x18A,
    "KEY_CONFIG": 0x183, "KEY_PLAYPAUSE": 0xCD, "KEY_STOPCD": 0xB7, "KEY_PREVIOUSSONG": 0xB6,
    "KEY_NEXTSONG": 0xB5, "KEY_VOLUMEDOWN": 0xEA, "KEY_VOLUMEUP": 0xE9, "KEY_MUTE": 0xE2,
    "KEY_CALC": 0x192, "KEY_WWW": 0x196, "KEY_EJECTCD": 0xB8, "KEY_SEARCH": 0x221,
}

# Keyboard page usages (boot keyboard) of the keys the tables type.
KEYBOARD_USAGES = {"KEY_%s" % chr(ord("A") + i): 0x04 + i for i in range(26)}
KEYBOARD_USAGES.update({"KEY_%d" % ((i + 1) % 10): 0x1E + i for i in range(10)})
KEYBOARD_USAGES.update({
    "KEY_ENTER": 0x28, "KEY_ESC": 0x29, "KEY_BACKSPACE": 0x2A, "KEY_TAB": 0x2B,
    "KEY_SPACE": 0x2C, "KEY_MINUS": 0x2D, "KEY_EQUAL": 0x2E, "KEY_CAPSLOCK": 0x39,
    "KEY_NUMLOCK": 0x53, "KEY_SCROLLLOCK": 0x47,
})
KEYBOARD_USAGES.update({"KEY_F%d" % (i + 1): 0x3A + i for i in range(12)})
MODIFIERS = ["KEY_LEFTCTRL", "KEY_LEFTSHIFT", "KEY_LEFTALT", "KEY_LEFTMETA", "KEY_RIGHTCTRL",
             "KEY_RIGHTSHIFT", "KEY_RIGHTALT", "KEY_RIGHTMETA"]


class UhidDevice:
    """One HID device on /dev/uhid with a thread that answers the kernel.

    responder, when given, has on_output(data, via) -> None, on_get_report(rnum, rtype) ->
    (err, data) or None (no answer at all), on_set_report(rnum, rtype, data) -> err or None.
    Every request is kept in self.requests as (time, kind, rnum, rtype, data hex).
    """

    def __init__(self, name, phys, uniq, bus, vendor, product, version, descriptor,
                 responder=None):
        self.name, self.phys, self.uniq = name, phys, uniq
        self.bus, self.vendor, self.product, self.version = bus, vendor, product, version
        self.descriptor = descriptor
        self.responder = responder
        self.requests = []
        self.started = threading.Event()
        self.open_count = 0
        self.fd = None
        self._wake_r = self._wake_w = None
        self._thread = None
        self._lock = threading.Lock()

    # life cycle
    def create(self):
        self.announce()
        self.serve()

    def prepare(self):
        """Opens /dev/uhid and builds the UHID_CREATE2 event; returns it."""
        self.fd = os.open(UHID_NODE, os.O_RDWR | os.O_CLOEXEC)
        self._wake_r, self._wake_w = os.pipe()
        self.started.clear()
        self.requests = []
        return CREATE2.pack(UHID_CREATE2, self.name.encode(), self.phys.encode(),
                            self.uniq.encode(), len(self.descriptor), self.bus, self.vendor,
                            self.product, self.version, 0, self.descriptor)

    def announce(self, event=None):
        """Tells the kernel of the device (UHID_CREATE2)."""
        self._write(event if event is not None else self.prepare())
        self.created_at = time.monotonic()

    def serve(self):
        """Starts the thread that answers the kernel."""
        self._thread = threading.Thread(target=self._run, name="uhid " + self.phys, daemon=True)
        self._thread.start()

    def destroy(self):
        if self.fd is None:
            return
        try:
            self._write(struct.pack("<I", UHID_DESTROY))
        except OSError:
            pass
        os.write(self._wake_w, b"x")
        self._thread.join(10)
        os.close(self.fd)
        os.close(self._wake_r)
        os.close(self._wake_w)
        self.fd = None

    @property
    def present(self):
        return self.fd is not None

    def send(self, report):
        """One input report (report ID first when the descriptor numbers its reports)."""
        if self.fd is None:
            raise RuntimeError("%s is not plugged in" % self.name)
        data = bytes(report)
        self._write(struct.pack("<IH", UHID_INPUT2, len(data)) + data)

    def _write(self, data):
        data = data.ljust(EVENT_SIZE, b"\0")
        with self._lock:
            written = os.write(self.fd, data)
        if written != len(data):
            raise OSError(errno.EIO, "short write to /dev/uhid")

    # the kernel's requests
    def _run(self):
        poller = select.poll()
        poller.register(self.fd, select.POLLIN)
        poller.register(self._wake_r, select.POLLIN)
        while True:
            ready = dict(poller.poll())
            if self._wake_r in ready:
                return
            if self.fd not in ready:
                continue
            try:
                event = os.read(self.fd, EVENT_SIZE)
            except OSError:
                return
            if len(event) < 4:
                continue
            self._handle(event)

    def _record(self, kind, rnum=None, rtype=None, data=b""):
        self.requests.append((time.monotonic(), kind, rnum, rtype, bytes(data).hex()))

    def _handle(self, event):
        (kind,) = struct.unpack_from("<I", event, 0)
        if kind == UHID_START:
            self.started.set()
        elif kind == UHID_STOP:
            self.started.clear()
        elif kind == UHID_OPEN:
            self.open_count += 1
        elif kind == UHID_CLOSE:
            self.open_count -= 1
        elif kind == UHID_OUTPUT:
            data = event[4:4 + UHID_DATA_MAX]
            size, rtype = struct.unpack_from("<HB", event, 4 + UHID_DATA_MAX)
            data = data[:size]
            self._record("output", data[0] if data else None, rtype, data)
            if self.responder:
                self.responder.on_output(data, "UHID_OUTPUT")
        elif kind == UHID_GET_REPORT:
            request_id, rnum, rtype = struct.unpack_from("<IBB", event, 4)
            self._record("get_report", rnum, rtype)
            answer = self.responder.on_get_report(rnum, rtype) if self.responder else (
                errno.EIO, b"")
            if answer is None:
                return  # never answered: the kernel gives up after its time-out
            err, data = answer
            self._write(struct.pack("<IIHH", UHID_GET_REPORT_REPLY, request_id, err, len(data)) +
                        bytes(data))
        elif kind == UHID_SET_REPORT:
            request_id, rnum, rtype, size = struct.unpack_from("<IBBH", event, 4)
            data = event[12:12 + size]
            self._record("set_report", rnum, rtype, data)
            err = self.responder.on_set_report(rnum, rtype, data) if self.responder else errno.EIO
            if err is None:
                return
            self._write(struct.pack("<IIH", UHID_SET_REPORT_REPLY, request_id, err))


class PairingFirmware:
    """The receiver's pairing firmware on report 0xBA: begin, poll, end and status commands.

    Modes: ("succeed-after", N) pairs after N polls; ("never",) keeps searching; ("io-fail",)
    answers every GET_REPORT and SET_REPORT with an error; ("no-answer",) never answers a
    GET_REPORT or SET_REPORT, so that the kernel's request times out.
    Every reply starts with the report ID, then the status byte 0x01 and the result, padded
    to the report's 32 bytes: that is what a device sends for GET_REPORT(input, 0xBA) and
    what hidraw's HIDIOCGINPUT hands over. With status_first the firmware writes its status
    over the report ID instead (01 xx ..., 33 bytes), as the simulated platform's firmware does.
    """

    REPORT_ID = 0xBA
    LENGTH = 32

    def __init__(self, mode=("succeed-after", 3), status_first=False):
        self.mode = tuple(mode)
        self.status_first = status_first
        self.reply = b""
        self.pairing = False
        self.pair_type = 1
        self.polls = 0
        self.paired = 0
        self.paths = []   # (via, command hex) per output report taken

    def on_output(self, data, via):
        if len(data) < 3 or data[0] != self.REPORT_ID:
            return
        self.paths.append((via, bytes(data[1:4]).hex()))
        if self.mode[0] in ("io-fail",):
            return
        command, argument = data[1], data[2]
        if command == 0xA0 and argument == 0x81 and len(data) >= 4:
            self.pairing, self.polls = True, 0
            self.pair_type = 2 if data[3] == 2 else 1
            self.reply = b"\x01\x00"
        elif command == 0xA1 and argument == 0x01:
            if not self.pairing:
                self.reply = b"\x00\x00"
            else:
                self.polls += 1
                done = self.mode[0] == "succeed-after" and self.polls >= self.mode[1]
                if done:
                    self.paired |= self.pair_type
                    self.pairing = False
                self.reply = bytes([0x01, self.pair_type if done else 0x03])
        elif command == 0xA1 and argument == 0x84:
            self.pairing = False
            self.reply = b"\x01\x00"
        elif command == 0xA7:
            self.reply = bytes([0x01, self.paired])
        else:
            self.reply = b"\x00\x00"

    def on_get_report(self, rnum, rtype):
        if self.mode[0] == "no-answer":
            return None
        if self.mode[0] == "io-fail" or rnum != self.REPORT_ID or rtype != UHID_INPUT_REPORT:
            return (errno.EIO, b"")
        if self.status_first:
            return (0, self.reply.ljust(self.LENGTH + 1, b"\0"))
        return (0, bytes([self.REPORT_ID]) + self.reply.ljust(self.LENGTH, b"\0"))

    def on_set_report(self, rnum, rtype, data):
        if self.mode[0] == "no-answer":
            return None
        if self.mode[0] == "io-fail" or rnum != self.REPORT_ID or rtype != UHID_OUTPUT_REPORT:
            return errno.EIO
        self.on_output(data, "UHID_SET_REPORT")
        return 0


class LedRecorder:
    """Answers a keyboard interface: keeps the LED output reports the kernel sends."""

    def __init__(self):
        self.leds = []   # (time, byte)

    def on_output(self, data, via):
        if data:
            self.leds.append((time.monotonic(), data[-1]))

    def on_get_report(self, rnum, rtype):
        return (errno.EIO, b"")

    def on_set_report(self, rnum, rtype, data):
        self.on_output(data, "UHID_SET_REPORT")
        return 0


class SimDevice:
    """A product made of one or more HID devices, with its key state and report builders."""

    def __init__(self, ident, interfaces):
        self.ident = ident              # "receiver", "ble-mouse", ...
        self.interfaces = interfaces    # list of (role, UhidDevice); roles below
        self.buttons = 0
        self.keys = []                  # keyboard usages held, in press order
        self.modifiers = 0
        self.consumer = 0

    def interface(self, role):
        for name, device in self.interfaces:
            if name == role:
                return device
        return None

    @property
    def present(self):
        return all(device.present for _, device in self.interfaces)

    def plug(self):
        """Creates every interface; wait_started tells when the kernel has started them."""
        plug_together([self])

    def wait_started(self, timeout):
        deadline = time.monotonic() + timeout
        for _, device in self.interfaces:
            if not device.started.wait(max(0.0, deadline - time.monotonic())):
                return False
        return True

    def unplug(self):
        for _, device in self.interfaces:
            device.destroy()

    # which nodes belong to this product: evdev matches the interfaces' phys and uniq
    def owns(self, phys, uniq):
        return any(device.phys == phys and device.uniq == uniq for _, device in self.interfaces)

    # input
    def _mouse_report(self, dx=0, dy=0, wheel=0, pan=0):
        layout = self.layouts["mouse"]
        device = self.interface(layout[0])
        if layout[1] == "boot":
            report = struct.pack("<Bbb", self.buttons & 0x07, dx, dy)
        else:
            report = struct.pack("<BBhhbb", layout[2], self.buttons & layout[3], dx, dy, wheel,
                                 pan)
        device.send(report)

    def _keyboard_report(self):
        role, kind = self.layouts["keyboard"][:2]
        keys = (self.keys + [0] * 6)[:6]
        body = bytes([self.modifiers, 0] + keys)
        if kind == "id1":
            body = b"\x01" + body
        self.interface(role).send(body)

    def _consumer_report(self):
        role, report_id = self.layouts["consumer"]
        self.interface(role).send(struct.pack("<BH", report_id, self.consumer))

    def supports(self, key):
        if key in MOUSE_BUTTONS:
            return "mouse" in self.layouts and MOUSE_BUTTONS.index(key) < self.layouts["mouse"][4]
        if key in CONSUMER_USAGES:
            return "consumer" in self.layouts
        if key in KEYBOARD_USAGES or key in MODIFIERS:
            return "keyboard" in self.layouts
        return False

    def set_key(self, key, down):
        if not self.supports(key):
            raise ValueError("%s has no %s" % (self.ident, key))
        if key in MOUSE_BUTTONS:
            bit = 1 << MOUSE_BUTTONS.index(key)
            self.buttons = self.buttons | bit if down else self.buttons & ~bit
            self._mouse_report()
        elif key in CONSUMER_USAGES:
            self.consumer = CONSUMER_USAGES[key] if down else 0
            self._consumer_report()
        elif key in MODIFIERS:
            bit = 1 << MODIFIERS.index(key)
            self.modifiers = self.modifiers | bit if down else self.modifiers & ~bit
            self._keyboard_report()
        else:
            usage = KEYBOARD_USAGES[key]
            if down and usage not in self.keys:
                self.keys.append(usage)
            elif not down and usage in self.keys:
                self.keys.remove(usage)
            self._keyboard_report()

    def move(self, dx, dy):
        self._mouse_report(dx=dx, dy=dy)

    def wheel(self, notches):
        if self.layouts["mouse"][1] == "boot":
            raise ValueError("%s has no wheel" % self.ident)
        self._mouse_report(wheel=notches)

    def hwheel(self, notches):
        if self.layouts["mouse"][1] == "boot":
            raise ValueError("%s has no horizontal wheel" % self.ident)
        self._mouse_report(pan=notches)

    def release_all(self):
        """Lets go of everything held (a device that is unplugged does not need this)."""
        if self.buttons:
            self.buttons = 0
            self._mouse_report()
        if self.keys or self.modifiers:
            self.keys, self.modifiers = [], 0
            self._keyboard_report()
        if self.consumer:
            self.consumer = 0
            self._consumer_report()


def plug_together(devices):
    """Plugs the products in as close together as the kernel allows: every interface is
    announced before any answering thread starts."""
    for device in devices:
        device.buttons, device.keys, device.modifiers, device.consumer = 0, [], 0, 0
    interfaces = [interface for device in devices for _, interface in device.interfaces]
    events = [interface.prepare() for interface in interfaces]
    for interface, event in zip(interfaces, events):
        interface.announce(event)
    for device in devices:
        for _, interface in device.interfaces:
            interface.serve()


def receiver(firmware=None, name="2.4G Receiver"):
    """The 2.4 GHz receiver: three USB interfaces like the real one."""
    firmware = firmware or PairingFirmware()
    phys = "usb-0000:00:14.0-1/input%d"
    ids = (BUS_USB, 0x24AE, 0x2013, 0x0100)
    device = SimDevice("receiver", [
        ("mouse", UhidDevice(name, phys % 0, "", *ids, MOUSE8_ID1 + CONSUMER_ID3)),
        ("keyboard", UhidDevice(name, phys % 1, "", *ids, BOOT_KEYBOARD, LedRecorder())),
        ("pairing", UhidDevice(name, phys % 2, "", *ids, PAIRING, firmware)),
    ])
    # role: (interface, kind, report id, button mask, buttons)
    device.layouts = {"mouse": ("mouse", "id", 1, 0xFF, 8), "consumer": ("mouse", 3),
                      "keyboard": ("keyboard", "boot")}
    device.firmware = firmware
    return device


# Bluetooth LE HID devices come through uhid from the Bluetooth daemon: phys is the adapter's
# address, uniq the device's.
ADAPTER = "00:1a:7d:da:71:13"


def ble_mouse():
    device = SimDevice("ble-mouse", [
        ("mouse", UhidDevice("BT5.0 Mouse", ADAPTER, "d4:3b:04:11:22:01", BUS_BLUETOOTH, 0x248A,
                             0x8266, 0x0001, MOUSE5_ID1)),
    ])
    device.layouts = {"mouse": ("mouse", "id", 1, 0x1F, 5)}
    return device


def ble_keyboard():
    device = SimDevice("ble-keyboard", [
        ("keyboard", UhidDevice("BT5.0 Keyboard", ADAPTER, "d4:3b:04:11:22:02", BUS_BLUETOOTH,
                                0x000E, 0x3412, 0x0001, KEYBOARD_ID1 + CONSUMER_ID2,
                                LedRecorder())),
    ])
    device.layouts = {"keyboard": ("keyboard", "id1"), "consumer": ("keyboard", 2)}
    return device


def foreign_mouse():
    device = SimDevice("foreign-mouse", [
        ("mouse", UhidDevice("USB Optical Mouse", "usb-0000:00:14.0-2/input0", "", BUS_USB,
                             0x046D, 0xC077, 0x7200, BOOT_MOUSE)),
    ])
    device.layouts = {"mouse": ("mouse", "boot", 0, 0x07, 3)}
    return device


FACTORIES = {"receiver": receiver, "ble-mouse": ble_mouse, "ble-keyboard": ble_keyboard,
             "foreign-mouse": foreign_mouse}


def make(key, **options):
    if key not in FACTORIES:
        raise KeyError("unknown device %r (%s)" % (key, ", ".join(sorted(FACTORIES))))
    return FACTORIES[key](**options)


if __name__ == "__main__":
    # A quick look at what the kernel makes of the devices: python3 uhiddev.py [DEVICE...]
    import sys
    keys = sys.argv[1:] or sorted(FACTORIES)
    devices = [make(key) for key in keys]
    for device in devices:
        device.plug()
        print(device.ident, "started" if device.wait_started(10) else "NOT started")
    time.sleep(1.0)
    for info in evdev.input_devices():
        if any(d.owns(info["phys"], info["uniq"]) for d in devices):
            fd = os.open(info["devnode"], os.O_RDONLY | os.O_NONBLOCK)
            caps = evdev.capabilities(fd)
            os.close(fd)
            print("%-12s %-40r bus %04x %04x:%04x" % (info["devnode"], info["name"], info["bus"],
                                                      info["vendor"], info["product"]),
                  {evdev.type_name(t): len(c) for t, c in caps.items()})
    for node in evdev.hidraw_nodes():
        print(node["devnode"], node["hid"], node["phys"], node["uniq"])
    for device in devices:
        device.unplug()
