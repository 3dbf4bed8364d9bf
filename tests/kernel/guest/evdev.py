"""evdev helpers: event code names, the ioctls the scenarios need, node discovery in sysfs.

Python 3 standard library only. Event and code names are read from the kernel's own header
(<linux/input-event-codes.h>), so that the tables can use the names the kernel uses.
"""

import errno
import fcntl
import os
import re
import struct
import time

CODES_HEADER = "/usr/include/linux/input-event-codes.h"

EV_SYN, EV_KEY, EV_REL, EV_ABS, EV_MSC, EV_SW, EV_LED, EV_REP = 0, 1, 2, 3, 4, 5, 0x11, 0x14
SYN_REPORT, SYN_DROPPED = 0, 3
CLOCK_MONOTONIC = 1

# struct input_event on 64-bit Linux: struct timeval (two longs), type, code, value.
EVENT = struct.Struct("llHHi")

# ev type -> prefix of its code names
_PREFIX = {EV_SYN: ("SYN_",), EV_KEY: ("KEY_", "BTN_"), EV_REL: ("REL_",), EV_ABS: ("ABS_",),
           EV_MSC: ("MSC_",), EV_SW: ("SW_",), EV_LED: ("LED_",), EV_REP: ("REP_",)}
# Names that alias a code with a better-known name; never used when printing.
_SHADOWED = {"BTN_MOUSE", "BTN_MISC", "BTN_JOYSTICK", "BTN_GAMEPAD", "BTN_DIGI", "BTN_WHEEL",
             "BTN_TRIGGER_HAPPY", "KEY_MIN_INTERESTING", "BTN_A", "BTN_B", "BTN_X", "BTN_Y",
             "KEY_SCREENLOCK", "KEY_HANGUEL", "KEY_BRIGHTNESS_ZERO", "KEY_WIMAX",
             "KEY_DIRECTION", "KEY_ROTATE_LOCK_TOGGLE", "KEY_DISPLAY_OFF", "KEY_KBDILLUMTOGGLE"}

_names = {}   # (type, code) -> name
_codes = {}   # name -> (type, code)
_types = {}   # "EV_KEY" -> 1


def _load():
    if _codes:
        return
    defines = {}
    pattern = re.compile(r"#define\s+([A-Z][A-Z0-9_]*)\s+(\S+)")
    with open(CODES_HEADER) as header:
        for line in header:
            match = pattern.match(line)
            if not match:
                continue
            name, value = match.groups()
            if value in defines:
                defines[name] = (defines[value][0], True)   # an alias of another name
                continue
            try:
                defines[name] = (int(value, 0), False)
            except ValueError:
                continue
    for name, (value, alias) in defines.items():
        if name.startswith("EV_") and not name.endswith(("_MAX", "_CNT")):
            _types[name] = value
    for name, (value, alias) in defines.items():
        if name.endswith(("_MAX", "_CNT")) or name.startswith(("EV_", "INPUT_PROP", "ID_", "BUS_")):
            continue
        for ev, prefixes in _PREFIX.items():
            if name.startswith(prefixes):
                _codes[name] = (ev, value)
                if not alias and name not in _SHADOWED and (ev, value) not in _names:
                    _names[(ev, value)] = name
    # Names defined before their better-known alias (BTN_MOUSE before BTN_LEFT).
    for name in ("BTN_LEFT", "BTN_0", "BTN_TRIGGER", "BTN_SOUTH", "BTN_EAST", "BTN_NORTH",
                 "BTN_WEST", "BTN_TOOL_PEN", "BTN_GEAR_DOWN", "BTN_TRIGGER_HAPPY1"):
        if name in _codes:
            _names[_codes[name]] = name


def code_of(name):
    """(type, code) of an event code name such as KEY_A, BTN_RIGHT, REL_WHEEL, MSC_SCAN."""
    _load()
    if name not in _codes:
        raise KeyError("unknown event code name %r" % name)
    return _codes[name]


def name_of(ev, code):
    _load()
    return _names.get((ev, code), "%s:%#x" % (type_name(ev), code))


def type_name(ev):
    _load()
    for name, value in _types.items():
        if value == ev:
            return name
    return "EV_%#x" % ev


def describe(ev, code, value):
    """One event as the tables write it: KEY_C=1, REL_WHEEL=-1, MSC_SCAN=0x90002."""
    if ev == EV_MSC:
        return "%s=%#x" % (name_of(ev, code), value)
    return "%s=%d" % (name_of(ev, code), value)


def parse_event(token):
    """The reverse of describe: 'KEY_C=1' -> (EV_KEY, KEY_C, 1)."""
    name, sep, value = token.partition("=")
    if not sep:
        raise ValueError("an event is NAME=VALUE, not %r" % token)
    ev, code = code_of(name)
    return (ev, code, int(value, 0))


# ioctl numbers of <linux/input.h>
def _ioc(direction, nr, size):
    return (direction << 30) | (size << 16) | (ord("E") << 8) | nr


_READ, _WRITE = 2, 1
EVIOCGID = _ioc(_READ, 0x02, 8)
EVIOCGRAB = _ioc(_WRITE, 0x90, 4)
EVIOCSCLOCKID = _ioc(_WRITE, 0xA0, 4)


def _string_ioctl(fd, nr):
    buf = bytearray(256)
    length = fcntl.ioctl(fd, _ioc(_READ, nr, len(buf)), buf)
    return bytes(buf[:max(0, length - 1)]).split(b"\0")[0].decode("utf-8", "replace")


def name(fd):
    return _string_ioctl(fd, 0x06)


def phys(fd):
    try:
        return _string_ioctl(fd, 0x07)
    except OSError:
        return ""


def uniq(fd):
    try:
        return _string_ioctl(fd, 0x08)
    except OSError:
        return ""


def device_id(fd):
    """(bus, vendor, product, version)"""
    buf = bytearray(8)
    fcntl.ioctl(fd, EVIOCGID, buf)
    return struct.unpack("HHHH", bytes(buf))


def _bits(fd, nr, count):
    buf = bytearray((count + 7) // 8)
    fcntl.ioctl(fd, _ioc(_READ, nr, len(buf)), buf)
    return {i for i in range(count) if buf[i // 8] & (1 << (i % 8))}


def capabilities(fd):
    """{type: set(codes)} of the types the node announces."""
    caps = {}
    for ev in _bits(fd, 0x20, 0x20):
        if ev == EV_SYN:
            continue
        count = {EV_KEY: 0x300, EV_REL: 0x10, EV_ABS: 0x40, EV_MSC: 0x08, EV_SW: 0x11,
                 EV_LED: 0x10, EV_REP: 0x02}.get(ev, 0x300)
        try:
            caps[ev] = _bits(fd, 0x20 + ev, count) if ev != EV_REP else set()
        except OSError:
            caps[ev] = set()
    return caps


def keys_held(fd):
    """The EV_KEY codes the kernel holds as pressed on this node (EVIOCGKEY)."""
    return _bits(fd, 0x18, 0x300)


def leds_on(fd):
    """The LED codes lit on this node (EVIOCGLED)."""
    return _bits(fd, 0x19, 0x10)


def set_monotonic(fd):
    fcntl.ioctl(fd, EVIOCSCLOCKID, struct.pack("i", CLOCK_MONOTONIC))


def try_grab(fd):
    """Grabs and at once releases the node. True: nobody held it; False: someone else does."""
    try:
        fcntl.ioctl(fd, EVIOCGRAB, 1)
    except OSError as error:
        if error.errno == errno.EBUSY:
            return False
        raise
    fcntl.ioctl(fd, EVIOCGRAB, 0)
    return True


def write_events(fd, events):
    """Writes (type, code, value) events, closed by a SYN_REPORT, to an evdev node."""
    write_frames(fd, [events])


def write_frames(fd, frames):
    """Writes frames of (type, code, value) events, each closed by a SYN_REPORT, to an evdev
    node in one write: they follow each other within microseconds."""
    now = time.monotonic()
    sec, usec = int(now), int((now % 1) * 1e6)
    data = b""
    for events in frames:
        data += b"".join(EVENT.pack(sec, usec, t, c, v) for t, c, v in events)
        data += EVENT.pack(sec, usec, EV_SYN, SYN_REPORT, 0)
    os.write(fd, data)


# sysfs
SYS_INPUT = "/sys/class/input"


def _read(path, default=""):
    try:
        with open(path) as handle:
            return handle.read().strip()
    except OSError:
        return default


def input_devices():
    """Every input device in sysfs: dicts with sysname, name, phys, uniq, bus, vendor, product
    and the event node (devnode) when it has one."""
    found = []
    try:
        entries = os.listdir(SYS_INPUT)
    except OSError:
        return found
    for entry in sorted(entries):
        if not entry.startswith("input"):
            continue
        base = os.path.join(SYS_INPUT, entry)
        events = [e for e in _listdir(base) if e.startswith("event")]
        found.append({
            "sysname": entry,
            "name": _read(base + "/name"),
            "phys": _read(base + "/phys"),
            "uniq": _read(base + "/uniq"),
            "bus": int(_read(base + "/id/bustype", "0"), 16),
            "vendor": int(_read(base + "/id/vendor", "0"), 16),
            "product": int(_read(base + "/id/product", "0"), 16),
            "devnode": "/dev/input/" + events[0] if events else None,
        })
    return found


def _listdir(path):
    try:
        return os.listdir(path)
    except OSError:
        return []


def hidraw_nodes():
    """Every hidraw node: dicts with devnode, hid (the HID device's sysfs name), phys, uniq."""
    found = []
    for entry in sorted(_listdir("/sys/class/hidraw")):
        uevent = _read("/sys/class/hidraw/%s/device/uevent" % entry)
        props = dict(line.split("=", 1) for line in uevent.splitlines() if "=" in line)
        found.append({"devnode": "/dev/" + entry, "phys": props.get("HID_PHYS", ""),
                      "uniq": props.get("HID_UNIQ", ""), "name": props.get("HID_NAME", ""),
                      "hid": os.path.basename(os.path.realpath(
                          "/sys/class/hidraw/%s/device" % entry))})
    return found
