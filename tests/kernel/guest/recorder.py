"""Watches the input devices the system sees and records what they send.

A thread listens to the kernel's uevents (netlink) and opens, as soon as it appears, every event
node of the program's own virtual devices ("Pointora virtual ...", bus 0x06, vendor 0x2577) and
of the simulated devices (matched by phys and uniq). It never grabs: what it reads from a node is
what any other reader of that node, the desktop included, receives. A node grabbed by someone
else delivers nothing to it.

Timestamps are CLOCK_MONOTONIC (EVIOCSCLOCKID), comparable with time.monotonic().
"""

import errno
import os
import select
import socket
import threading
import time

import evdev

OWN_PREFIX = "Pointora virtual"
OWN_BUS, OWN_VENDOR = 0x06, 0x2577
NETLINK_KOBJECT_UEVENT = 15
# MSC_SCAN values of the test's own grab probes (see Recorder.probe_grab).
PROBE_MARK = 0x7E570000


def is_own(name, bus, vendor):
    return bus == OWN_BUS and vendor == OWN_VENDOR and name.startswith(OWN_PREFIX)


class Frame:
    __slots__ = ("stream", "time", "events")

    def __init__(self, stream, when, events):
        self.stream, self.time, self.events = stream, when, tuple(events)

    def text(self):
        return " ".join(evdev.describe(*event) for event in self.events)


class Stream:
    """One opened event node, from its appearance to its removal."""

    def __init__(self, devnode, fd, name, phys, uniq, ids, owner):
        self.devnode, self.fd, self.name, self.phys, self.uniq = devnode, fd, name, phys, uniq
        self.bus, self.vendor, self.product, self.version = ids
        self.own = is_own(name, self.bus, self.vendor)
        self.owner = owner            # ident of the simulated device, or None
        self.caps = {}
        self.opened = time.monotonic()
        self.gone = None
        self.frames = []
        self.pending = []
        self.held = set()             # EV_KEY codes held as this stream's readers saw it
        self.dropped = 0              # SYN_DROPPED seen
        self.probes = set()           # probe marks received

    def label(self):
        return "%s (%s)" % (self.name, self.devnode)


class Recorder(threading.Thread):
    def __init__(self, owner_of):
        """owner_of(phys, uniq) -> ident of the simulated device or None."""
        super().__init__(name="recorder", daemon=True)
        self.owner_of = owner_of
        self.lock = threading.Lock()
        self.streams = []             # every stream ever opened, in order
        self.by_fd = {}
        self.created = []             # (time, name) of every own input device the kernel added
        self.removed = []             # (time, name)
        self._names = {}              # input sysfs path -> name, for removals
        self._wake_r, self._wake_w = os.pipe()
        self._stopping = False
        self._probe = 0
        self._sock = socket.socket(socket.AF_NETLINK, socket.SOCK_DGRAM, NETLINK_KOBJECT_UEVENT)
        try:
            self._sock.setsockopt(socket.SOL_SOCKET, 33, 8 << 20)   # SO_RCVBUFFORCE
        except OSError:
            self._sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
        self._sock.bind((0, 1))

    # thread
    def run(self):
        self._scan()
        poller = select.poll()
        poller.register(self._sock.fileno(), select.POLLIN)
        poller.register(self._wake_r, select.POLLIN)
        registered = set()
        last_scan = time.monotonic()
        while not self._stopping:
            with self.lock:
                live = [s for s in self.streams if s.gone is None]
            for stream in live:
                if stream.fd not in registered:
                    poller.register(stream.fd, select.POLLIN)
                    registered.add(stream.fd)
            for fd, flags in poller.poll(200):
                if fd == self._wake_r:
                    os.read(self._wake_r, 64)
                elif fd == self._sock.fileno():
                    self._uevents()
                elif fd in self.by_fd:
                    stream = self.by_fd[fd]
                    self._read(stream)
                    if stream.gone is not None:
                        poller.unregister(fd)
                        registered.discard(fd)
            # The uevents tell of every node; a look at sysfs now and then is a safety net.
            if time.monotonic() - last_scan > 5:
                last_scan = time.monotonic()
                self._scan()

    def stop(self):
        self._stopping = True
        os.write(self._wake_w, b"x")
        self.join(5)

    def _uevents(self):
        while True:
            try:
                data = self._sock.recv(64 * 1024, socket.MSG_DONTWAIT)
            except BlockingIOError:
                return
            except OSError as error:
                if error.errno == errno.ENOBUFS:
                    self._scan()   # messages were lost: look at sysfs instead
                    continue
                return
            parts = data.split(b"\0")
            header = parts[0].decode("utf-8", "replace")
            props = {}
            for part in parts[1:]:
                key, sep, value = part.decode("utf-8", "replace").partition("=")
                if sep:
                    props[key] = value
            if props.get("SUBSYSTEM") != "input":
                continue
            action, path = props.get("ACTION"), props.get("DEVPATH", "")
            name = props.get("NAME", "").strip('"')
            base = os.path.basename(path)
            now = time.monotonic()
            if base.startswith("input") and "PRODUCT" in props:
                product = [int(x, 16) for x in props["PRODUCT"].split("/")]
                if action == "add":
                    self._names[path] = name
                    if is_own(name, product[0], product[1]):
                        with self.lock:
                            self.created.append((now, name))
                elif action == "remove":
                    name = self._names.pop(path, name)
                    if is_own(name, product[0], product[1]):
                        with self.lock:
                            self.removed.append((now, name))
            elif base.startswith("event") and action == "add":
                self._open("/dev/input/" + base)
            elif base.startswith("event") and action == "remove":
                with self.lock:
                    for stream in self.streams:
                        if stream.devnode == "/dev/input/" + base and stream.gone is None:
                            self._gone(stream)
            del header

    def _scan(self):
        for info in evdev.input_devices():
            if info["devnode"]:
                self._open(info["devnode"], info)

    def _open(self, devnode, info=None):
        with self.lock:
            if any(s.devnode == devnode and s.gone is None for s in self.streams):
                return
        fd = None
        for _ in range(20):
            try:
                fd = os.open(devnode, os.O_RDWR | os.O_NONBLOCK | os.O_CLOEXEC)
                break
            except FileNotFoundError:
                time.sleep(0.005)   # devtmpfs has not made the node yet
            except OSError:
                return
        if fd is None:
            return
        try:
            name = evdev.name(fd)
            ids = evdev.device_id(fd)
            phys, uniq = evdev.phys(fd), evdev.uniq(fd)
        except OSError:
            os.close(fd)
            return
        owner = self.owner_of(phys, uniq) if ids[0] != OWN_BUS else None
        if not is_own(name, ids[0], ids[1]) and owner is None:
            os.close(fd)
            return
        try:
            evdev.set_monotonic(fd)
        except OSError:
            pass
        stream = Stream(devnode, fd, name, phys, uniq, ids, owner)
        try:
            stream.caps = evdev.capabilities(fd)
        except OSError:
            pass
        with self.lock:
            self.streams.append(stream)
            self.by_fd[fd] = stream
        os.write(self._wake_w, b"x")

    def _gone(self, stream):
        # The kernel releases what the device held when it goes.
        stream.gone = time.monotonic()
        stream.held.clear()
        self.by_fd.pop(stream.fd, None)
        try:
            os.close(stream.fd)
        except OSError:
            pass

    def _read(self, stream):
        while True:
            try:
                data = os.read(stream.fd, evdev.EVENT.size * 64)
            except BlockingIOError:
                return
            except OSError:
                with self.lock:
                    self._gone(stream)
                return
            if not data:
                return
            with self.lock:
                for offset in range(0, len(data) - evdev.EVENT.size + 1, evdev.EVENT.size):
                    sec, usec, ev, code, value = evdev.EVENT.unpack_from(data, offset)
                    self._event(stream, sec + usec / 1e6, ev, code, value)

    def _event(self, stream, when, ev, code, value):
        if ev == evdev.EV_SYN:
            if code == evdev.SYN_REPORT:
                events = [e for e in stream.pending
                          if not (e[0] == evdev.EV_MSC and (e[2] & 0xFFFF0000) == PROBE_MARK)]
                for e in stream.pending:
                    if e[0] == evdev.EV_MSC and (e[2] & 0xFFFF0000) == PROBE_MARK:
                        stream.probes.add(e[2])
                if events:
                    stream.frames.append(Frame(stream, when, events))
                stream.pending = []
            elif code == evdev.SYN_DROPPED:
                stream.dropped += 1
                stream.pending = []
            return
        stream.pending.append((ev, code, value))
        if ev == evdev.EV_KEY:
            if value:
                stream.held.add(code)
            else:
                stream.held.discard(code)

    # queries (any thread)
    def live(self):
        with self.lock:
            return [s for s in self.streams if s.gone is None]

    def frames_since(self, since):
        with self.lock:
            found = [f for s in self.streams for f in s.frames if f.time >= since]
        return sorted(found, key=lambda f: f.time)

    def find(self, predicate, live_only=True):
        with self.lock:
            return [s for s in self.streams if predicate(s) and (s.gone is None or not live_only)]

    def probe_grab(self, stream, timeout):
        """Whether someone else holds a grab on the node, found without grabbing: an event
        written to a node reaches its readers only when nobody else has grabbed it."""
        with self.lock:
            self._probe = (self._probe + 1) & 0xFFFF
            mark = PROBE_MARK | self._probe
        try:
            evdev.write_events(stream.fd, [(evdev.EV_MSC, 4, mark)])
        except OSError:
            return None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if mark in stream.probes:
                return False
            time.sleep(0.01)
        return mark not in stream.probes
