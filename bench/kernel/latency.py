#!/usr/bin/python3
"""Input latency on a real kernel: Pointora next to input-remapper, in one guest run.

Runs as root inside the kernel lab (bench/kernel/run.sh starts it). The maker's receiver is made
through /dev/uhid; every sample is the time from just before the input report is written to
/dev/uhid (CLOCK_MONOTONIC) to the kernel's timestamp of the resulting event on the tool's
output device, read from a node opened with EVIOCSCLOCKID = CLOCK_MONOTONIC, so both ends use
the same clock.

  remap         BTN_EXTRA (button 5) -> first event of its function
                Pointora: ForwardKey=42 (Show desktop), KEY_LEFTMETA=1 on "Pointora virtual
                keyboard"; input-remapper: preset BTN_EXTRA -> KEY_A, KEY_A=1 on
                "input-remapper keyboard"
  pass-through  BTN_RIGHT (no function) -> BTN_RIGHT=1 on the tool's copy of the mouse node
                ("Pointora virtual pass-through 2.4G Receiver Mouse", "input-remapper 2.4G
                Receiver Mouse forwarded")
  kernel        BTN_RIGHT on the receiver's own mouse node with nobody holding it: the floor
                both tools stand on (uhid, hid-generic, evdev)

Each press is held briefly and released; the next one waits until the release has come
through as well, plus a random 20-30 ms gap. The remap and pass-through presses of one tool
alternate, so both paths see the same conditions. The tools take turns in rounds (Pointora,
input-remapper, Pointora, ...; only one of them can hold the node), each measured once it has
settled (below 20 % of a CPU) and after warm-up presses that are not counted (TCG translates
code the first time it runs), so that a change in the host's load falls on both.

Writes $OUT/latency.csv (every sample), $OUT/summary.txt (the table) and the tools' logs.
Exit status 0 when every path has its samples, 1 otherwise.

  latency.py [--presses N] [--rounds N] [--warmup N]
"""

import argparse
import json
import os
import random
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROJECT = os.environ.get("LAB_PROJECT") or os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(PROJECT, "tests", "kernel", "guest"))

import evdev  # noqa: E402  (tests/kernel/guest)
import uhiddev  # noqa: E402

OUT = os.environ.get("OUT") or tempfile.mkdtemp(prefix="latency-out.")
SCALE = 4 if os.environ.get("LAB_ACCEL", "tcg") == "tcg" else 1
POINTORA = os.path.join(PROJECT, "build", "bin", "Pointora")

RECEIVER_MOUSE = "2.4G Receiver Mouse"
POINTORA_KEYBOARD = "Pointora virtual keyboard"
POINTORA_PASS_THROUGH = "Pointora virtual pass-through " + RECEIVER_MOUSE
IR_KEYBOARD = "input-remapper keyboard"
IR_FORWARDED = "input-remapper %s forwarded" % RECEIVER_MOUSE
IR_BUS = ("inputremapper.Control", "/inputremapper/Control")
IR_PRESET = "latency"
IR_STATES = {-1: "UNKNOWN", 2: "STARTING", 3: "FAILED", 4: "RUNNING", 5: "STOPPED", 6: "NO_GRAB"}

EVENT_TIMEOUT = 2.0 * SCALE   # one event not there by then: a missed sample
HOLD = 0.010                  # seconds between press and release


# Pressing a key on a simulated product: SimDevice.set_key (SimDevice.key in older copies of
# uhiddev, where an instance attribute of the same name shadows it: called through the class).
SET_KEY = getattr(uhiddev.SimDevice, "set_key", None) or uhiddev.SimDevice.key


def log(*args):
    print("[latency %7.1fs]" % time.monotonic(), *args, flush=True)


def key_event(name, value):
    ev, code = evdev.code_of(name)
    return (ev, code, value)


class Output:
    """An evdev node read with kernel timestamps on CLOCK_MONOTONIC, events kept in order."""

    def __init__(self, devnode, label):
        self.label = label
        self.devnode = devnode
        self.fd = os.open(devnode, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC)
        evdev.set_monotonic(self.fd)
        self.pending = []    # (time, type, code, value) read but not yet taken

    def close(self):
        os.close(self.fd)

    def _read(self):
        try:
            data = os.read(self.fd, evdev.EVENT.size * 256)
        except BlockingIOError:
            return False
        for offset in range(0, len(data) - evdev.EVENT.size + 1, evdev.EVENT.size):
            sec, usec, ev, code, value = evdev.EVENT.unpack_from(data, offset)
            self.pending.append((sec + usec / 1e6, ev, code, value))
        return True

    def drain(self):
        while self._read():
            pass
        self.pending = []

    def wait_for(self, event, deadline):
        """Kernel time of the next event equal to (type, code, value), None at the deadline.
        Events before it are dropped."""
        poller = select.poll()
        poller.register(self.fd, select.POLLIN)
        while True:
            for i, (stamp, ev, code, value) in enumerate(self.pending):
                if (ev, code, value) == event:
                    del self.pending[:i + 1]
                    return stamp
            self.pending = []
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            if poller.poll(left * 1000):
                self._read()


def find_node(name):
    for info in evdev.input_devices():
        if info["name"] == name and info["devnode"]:
            return info["devnode"]
    return None


def wait_nodes(names, timeout):
    deadline = time.monotonic() + timeout
    while True:
        nodes = {name: find_node(name) for name in names}
        if all(nodes.values()) or time.monotonic() > deadline:
            return nodes
        time.sleep(0.2)


def is_grabbed(devnode):
    fd = os.open(devnode, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC)
    try:
        return not evdev.try_grab(fd)
    finally:
        os.close(fd)


class Path:
    """One measured path: the button pressed, where its result shows and as which events."""

    def __init__(self, tool, path, button, node, first, last):
        self.tool, self.path, self.button = tool, path, button
        self.node = node                 # the output node's name
        self.output = None               # that node, an Output, while it is measured
        self.first = key_event(*first)   # the event timed
        self.last = key_event(*last)     # the event that ends the press's output
        self.samples = []                # milliseconds
        self.missed = 0


def press_once(receiver, path):
    """One press and release; the latency in milliseconds, or None when the event never came."""
    out = path.output
    out.drain()
    t0 = time.clock_gettime(time.CLOCK_MONOTONIC)
    SET_KEY(receiver, path.button, True)
    stamp = out.wait_for(path.first, t0 + EVENT_TIMEOUT)
    time.sleep(HOLD)
    SET_KEY(receiver, path.button, False)
    out.wait_for(path.last, time.monotonic() + EVENT_TIMEOUT)
    time.sleep(random.uniform(0.020, 0.030))
    return None if stamp is None else (stamp - t0) * 1000.0


def measure(receiver, paths, presses, warmup):
    """Alternates presses over the paths; False when one of them keeps missing its event."""
    label = ", ".join("%s %s" % (p.tool, p.path) for p in paths)
    log("measuring %s: %d presses each (%d warm-up)" % (label, presses, warmup))
    missed = {id(path): path.missed for path in paths}
    for i in range(warmup + presses):
        for path in paths:
            latency = press_once(receiver, path)
            if i < warmup:
                continue
            if latency is None:
                path.missed += 1
            else:
                path.samples.append(latency)
        for path in paths:
            if path.missed - missed[id(path)] > max(3, presses // 10):
                log("%s %s: %d presses had no result, giving up" % (
                    path.tool, path.path, path.missed - missed[id(path)]))
                return False
    for path in paths:
        log("%s %s: median %.3f ms, %d samples, %d missed" % (
            path.tool, path.path, statistics.median(path.samples) if path.samples else -1,
            len(path.samples), path.missed))
    return True


def cpu_seconds(root):
    """User and system CPU time of a process and all its descendants (the living ones)."""
    tick = os.sysconf("SC_CLK_TCK")
    stats = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as handle:
                fields = handle.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        # after the command: state ppid ... utime (11th) stime (12th)
        stats[int(entry)] = (int(fields[1]), int(fields[11]) + int(fields[12]))
    total, todo = 0, [root]
    while todo:
        pid = todo.pop()
        total += stats.get(pid, (0, 0))[1]
        todo += [child for child, (parent, _) in stats.items() if parent == pid]
    return total / tick


class CpuUse:
    """CPU time a tool's processes used while it was measured, next to the time that took."""

    def __init__(self, tool):
        self.tool, self.cpu, self.wall = tool, 0.0, 0.0

    def measure(self, pid, work):
        cpu, wall = cpu_seconds(pid), time.monotonic()
        result = work()
        self.cpu += cpu_seconds(pid) - cpu
        self.wall += time.monotonic() - wall
        return result


def wait_idle(tool, pid, timeout, window=2.0, share=0.2):
    """Waits until the tool's processes use less than share of one CPU over a window, so that
    what is measured is the running tool and not its start-up. Returns the last share seen."""
    deadline = time.monotonic() + timeout
    while True:
        before, start = cpu_seconds(pid), time.monotonic()
        time.sleep(window)
        used = (cpu_seconds(pid) - before) / (time.monotonic() - start)
        if used < share or time.monotonic() > deadline:
            log("%s uses %.0f %% of a CPU%s" % (tool, used * 100, "" if used < share else
                                                  ": still busy, measuring anyway"))
            return used


def percentile(samples, percent):
    """Nearest-rank percentile: the smallest sample with at least percent % of them at or
    below it."""
    ordered = sorted(samples)
    rank = max(1, -(-percent * len(ordered) // 100))
    return ordered[rank - 1]


class Pointora:
    """The program, started with a fresh HOME holding the function of button 5."""

    def __init__(self, work):
        self.home = os.path.join(work, "pointora-home")
        config = os.path.join(self.home, ".config", "Pointora", "config")
        os.makedirs(config)
        with open(os.path.join(config, "DeviceFunction.ini"), "w") as ini:
            ini.write("[General]\nForwardKey=42\n")   # 42: Show desktop
        self.runtime = os.path.join(work, "pointora-runtime")
        os.mkdir(self.runtime, 0o700)
        self.process = None

    def start(self):
        env = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=self.runtime,
                   QT_QPA_PLATFORM="offscreen", QT_QUICK_BACKEND="software")
        output = open(os.path.join(OUT, "pointora.out"), "a")
        log("starting", POINTORA, "-d")
        self.process = subprocess.Popen([POINTORA, "-d"], env=env, stdin=subprocess.DEVNULL,
                                        stdout=output, stderr=subprocess.STDOUT, cwd=self.home,
                                        start_new_session=True)
        output.close()

    def stop(self):
        stop(self.process, "Pointora", 30 * SCALE)

    def keep_log(self):
        log_dir = os.path.join(self.home, ".local", "share", "Pointora", "Log")
        if os.path.isdir(log_dir):
            shutil.copytree(log_dir, os.path.join(OUT, "pointora-log"), dirs_exist_ok=True)


def stop(process, name, timeout):
    if process is None or process.poll() is not None:
        return True
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout)
        log("%s ended with status %s" % (name, process.returncode))
        return True
    except subprocess.TimeoutExpired:
        log("%s did not end within %.0f s of SIGTERM; killing it" % (name, timeout))
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return False


def dbus_call(method, *args):
    """Calls the service on the system bus; its reply's text, or None when it did not answer."""
    command = ["dbus-send", "--system", "--print-reply", "--reply-timeout=%d" % (10000 * SCALE),
               "--dest=" + IR_BUS[0], IR_BUS[1], "%s.%s" % (IR_BUS[0], method)] + list(args)
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return result.stdout if result.returncode == 0 else None


class InputRemapper:
    """input-remapper's service as installed, on a system bus of our own, with one preset for
    the receiver: BTN_EXTRA -> KEY_A.

    The guest has no system bus, so the benchmark starts dbus-daemon --system with the stock
    configuration (/usr/share/dbus-1/system.conf), which takes the package's own policy for
    inputremapper.Control from /etc/dbus-1/system.d, and then input-remapper-service as its
    systemd unit does. The events then go the way they go on a desktop: the service forks its
    injector process, which grabs the node and writes to its uinput devices; the bus only
    carries the commands."""

    def __init__(self, work, devnode):
        self.work, self.devnode = work, devnode
        self.bus = self.service = None
        self.group = None

    @property
    def pid(self):
        return self.service.pid

    def start_service(self):
        os.makedirs("/run/dbus", exist_ok=True)
        bus_log = open(os.path.join(OUT, "dbus-daemon.log"), "w")
        self.bus = subprocess.Popen(["dbus-daemon", "--system", "--nofork", "--nopidfile"],
                                    stdin=subprocess.DEVNULL, stdout=bus_log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        bus_log.close()
        deadline = time.monotonic() + 20 * SCALE
        while not os.path.exists("/run/dbus/system_bus_socket"):
            if time.monotonic() > deadline or self.bus.poll() is not None:
                raise RuntimeError("the system bus did not start (see dbus-daemon.log)")
            time.sleep(0.1)

        # Without -d, as its systemd unit starts it: with -d it logs every event it handles.
        service_log = open(os.path.join(OUT, "input-remapper-service.log"), "w")
        log("starting input-remapper-service")
        self.service = subprocess.Popen(["input-remapper-service"], stdin=subprocess.DEVNULL,
                                        stdout=service_log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        service_log.close()
        deadline = time.monotonic() + 60 * SCALE
        while dbus_call("hello", "string:latency") is None:
            if time.monotonic() > deadline or self.service.poll() is not None:
                raise RuntimeError("input-remapper-service never answered on the bus")
            time.sleep(0.5)
        log("input-remapper-service answers on the system bus")

        self.group = self._find_group()
        log("input-remapper group %r: %s" % (self.group["key"], ", ".join(self.group["paths"])))

        # The configuration folder as the GUI writes it: config.json, xmodmap.json (empty: no
        # X here) and presets/<group name>/<preset>.json; "1,276,1" is EV_KEY BTN_EXTRA down.
        config = os.path.join(self.work, "input-remapper")
        presets = os.path.join(config, "presets", self.group["name"])
        os.makedirs(presets)
        with open(os.path.join(config, "config.json"), "w") as handle:
            json.dump({"version": "1.5.0", "autoload": {}}, handle)
        with open(os.path.join(config, "xmodmap.json"), "w") as handle:
            json.dump({}, handle)
        ev, code = evdev.code_of("BTN_EXTRA")
        with open(os.path.join(presets, IR_PRESET + ".json"), "w") as handle:
            json.dump({"mapping": {"%d,%d,1" % (ev, code): ["KEY_A", "keyboard"]}}, handle)
        # A session's GUI tells the service where the user's configuration is; run as root,
        # input-remapper-control does not, so that goes over the bus directly.
        if dbus_call("set_config_dir", "string:" + config) is None:
            raise RuntimeError("set_config_dir was not answered")

    def _find_group(self):
        """input-remapper's own view of the device group behind the node."""
        code = ("import json, sys\n"
                "from inputremapper.groups import groups\n"
                "group = groups.find(path=sys.argv[1])\n"
                "print(json.dumps(group and {'key': group.key, 'name': group.name,"
                " 'paths': group.paths}))\n")
        result = subprocess.run([sys.executable, "-c", code, self.devnode],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if result.returncode != 0:
            raise RuntimeError("input-remapper's groups failed: " + result.stderr[-500:])
        group = json.loads(result.stdout.strip().splitlines()[-1])
        if group is None:
            raise RuntimeError("input-remapper does not know %s" % self.devnode)
        return group

    def state(self):
        words = (dbus_call("get_state", "string:" + self.group["key"]) or "").split()
        return int(words[-1]) if words[-2:-1] == ["int32"] else None

    def start_injection(self):
        """Starts the preset with the command-line tool; its output nodes once it holds the
        receiver's node."""
        control = subprocess.run(["input-remapper-control", "--command", "start", "--device",
                                  self.group["key"], "--preset", IR_PRESET],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        with open(os.path.join(OUT, "input-remapper-control.log"), "a") as handle:
            handle.write(control.stdout)
        if control.returncode != 0:
            raise RuntimeError("input-remapper-control start failed: " + control.stdout[-500:])
        deadline = time.monotonic() + 60 * SCALE
        state = None
        while time.monotonic() < deadline:
            state = self.state()
            if state not in (None, -1, 2):
                break
            time.sleep(0.5)
        log("injection state:", IR_STATES.get(state, state))
        if state != 4:
            raise RuntimeError("the injection is not running (state %s)"
                               % IR_STATES.get(state, state))
        nodes = wait_nodes([IR_KEYBOARD, IR_FORWARDED], 30 * SCALE)
        if not all(nodes.values()):
            names = sorted(i["name"] for i in evdev.input_devices())
            raise RuntimeError("input-remapper's devices are missing: %s; there are %s"
                               % (nodes, names))
        if not is_grabbed(self.devnode):
            raise RuntimeError("input-remapper does not hold %s" % self.devnode)
        log("input-remapper holds %s; its devices: %s" % (self.devnode, nodes))
        return nodes

    def stop_injection(self):
        if dbus_call("stop_injecting", "string:" + self.group["key"]) is None:
            log("stop_injecting was not answered")

    def close(self):
        if self.service and self.service.poll() is None and dbus_call("stop_all") is None:
            log("stop_all was not answered")
        stop(self.service, "input-remapper-service", 20 * SCALE)
        stop(self.bus, "dbus-daemon", 20 * SCALE)


def wait_released(devnode, tool):
    deadline = time.monotonic() + 15 * SCALE
    while is_grabbed(devnode):
        if time.monotonic() > deadline:
            raise RuntimeError("%s is still held after %s let go" % (devnode, tool))
        time.sleep(0.2)


def run_phase(receiver, tool, pid, nodes, paths, presses, warmup, cpu):
    """Measures a tool's paths on its output nodes once it is idle."""
    wait_idle(tool, pid, 120 * SCALE)
    try:
        for path in paths:
            path.output = Output(nodes[path.node], path.node)
        return cpu.measure(pid, lambda: measure(receiver, paths, presses, warmup))
    finally:
        for path in paths:
            if path.output:
                path.output.close()
                path.output = None


def mask_autoload_rule():
    """input-remapper's udev rule runs input-remapper-control for every new input device.
    The benchmark starts the injection itself, and a Python process per new device (the tools'
    own virtual devices included) would only add load while the tools start, so the rule is
    masked in this guest."""
    rule = "60-input-remapper-daemon.rules"
    if not os.path.exists(os.path.join("/lib/udev/rules.d", rule)):
        return
    os.makedirs("/etc/udev/rules.d", exist_ok=True)
    target = os.path.join("/etc/udev/rules.d", rule)
    if not os.path.lexists(target):
        os.symlink("/dev/null", target)
    subprocess.run(["udevadm", "control", "--reload"], check=False)
    log("masked the udev rule", rule, "in the guest")


def write_results(paths, cpu, info):
    with open(os.path.join(OUT, "latency.csv"), "w") as csv:
        csv.write("tool,path,sample,latency_ms\n")
        for path in paths:
            for i, value in enumerate(path.samples):
                csv.write("%s,%s,%d,%.4f\n" % (path.tool, path.path, i, value))
    rows = {(p.path, p.tool): p for p in paths}
    lines = list(info)
    lines.append("")
    lines.append("%-13s %-15s %10s %10s %5s %7s" % ("path", "tool", "median ms", "p99 ms", "n",
                                                  "missed"))
    for path in paths:
        if path.samples:
            lines.append("%-13s %-15s %10.3f %10.3f %5d %7d" % (
                path.path, path.tool, statistics.median(path.samples),
                percentile(path.samples, 99), len(path.samples), path.missed))
        else:
            lines.append("%-13s %-15s %10s %10s %5d %7d" % (path.path, path.tool, "-", "-", 0,
                                                          path.missed))
    lines.append("")
    for name in ("remap", "pass-through"):
        ours, theirs = rows.get((name, "Pointora")), rows.get((name, "input-remapper"))
        if ours and theirs and ours.samples and theirs.samples:
            lines.append("Pointora/input-remapper, %-13s median %.2f, p99 %.2f" % (
                name + ":", statistics.median(ours.samples) / statistics.median(theirs.samples),
                percentile(ours.samples, 99) / percentile(theirs.samples, 99)))
        else:
            lines.append("Pointora/input-remapper, %-13s no ratio (a side has no samples)"
                         % (name + ":"))
    for use in cpu:
        lines.append("CPU used by %s's processes while it was measured: %.1f s in %.1f s"
                     % (use.tool, use.cpu, use.wall))
    text = "\n".join(lines) + "\n"
    with open(os.path.join(OUT, "summary.txt"), "w") as handle:
        handle.write(text)
    print(text, flush=True)


def package_version(name):
    result = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", name],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return result.stdout.strip() or "not installed"




def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--presses", type=int, default=200, help="per path, all rounds together")
    parser.add_argument("--rounds", type=int, default=2,
                        help="Pointora, then input-remapper, this many times (drift in the "
                        "host's load then falls on both)")
    parser.add_argument("--warmup", type=int, default=20, help="per path and round")
    options = parser.parse_args()
    if not os.access(POINTORA, os.X_OK):
        log("no program at", POINTORA, "(build it first)")
        return 2
    rounds = max(1, min(options.rounds, options.presses))
    share = [options.presses // rounds + (1 if r < options.presses % rounds else 0)
             for r in range(rounds)]
    work = tempfile.mkdtemp(prefix="latency.")
    info = ["kernel %s, %s, %d CPUs; %s; input-remapper %s; %d presses per path in %d rounds"
            % (os.uname().release, os.environ.get("LAB_ACCEL", "?"), os.cpu_count(), POINTORA,
               package_version("python3-inputremapper"), options.presses, rounds)]
    mask_autoload_rule()

    receiver = uhiddev.receiver()
    receiver.plug()
    if not receiver.wait_started(10 * SCALE):
        log("the receiver did not start")
        return 1
    mouse_node = wait_nodes([RECEIVER_MOUSE], 10 * SCALE)[RECEIVER_MOUSE]
    if not mouse_node:
        log("no evdev node named %r" % RECEIVER_MOUSE)
        return 1
    subprocess.run(["udevadm", "settle", "--timeout=%d" % (30 * SCALE)], check=False)
    log("receiver mouse node:", mouse_node)

    kernel = Path("none", "kernel", "BTN_RIGHT", RECEIVER_MOUSE, ("BTN_RIGHT", 1),
                  ("BTN_RIGHT", 0))
    ours = [Path("Pointora", "remap", "BTN_EXTRA", POINTORA_KEYBOARD, ("KEY_LEFTMETA", 1),
                 ("KEY_LEFTMETA", 0)),
            Path("Pointora", "pass-through", "BTN_RIGHT", POINTORA_PASS_THROUGH,
                 ("BTN_RIGHT", 1), ("BTN_RIGHT", 0))]
    theirs = [Path("input-remapper", "remap", "BTN_EXTRA", IR_KEYBOARD, ("KEY_A", 1),
                   ("KEY_A", 0)),
              Path("input-remapper", "pass-through", "BTN_RIGHT", IR_FORWARDED,
                   ("BTN_RIGHT", 1), ("BTN_RIGHT", 0))]
    cpu = [CpuUse("Pointora"), CpuUse("input-remapper")]
    pointora = Pointora(work)
    remapper = InputRemapper(work, mouse_node)
    complete = True
    try:
        # The floor: the receiver's own node, nobody holding it.
        kernel.output = Output(mouse_node, RECEIVER_MOUSE)
        complete &= measure(receiver, [kernel], options.presses, options.warmup)
        kernel.output.close()
        remapper_ready = False
        for r, presses in enumerate(share):
            log("round %d of %d" % (r + 1, rounds))
            pointora.start()
            nodes = wait_nodes([POINTORA_KEYBOARD, POINTORA_PASS_THROUGH], 120 * SCALE)
            if not all(nodes.values()) or pointora.process.poll() is not None:
                log("Pointora's devices did not appear:", nodes, "status",
                    pointora.process.poll())
                complete = False
            else:
                log("Pointora's devices:", nodes)
                if not is_grabbed(mouse_node):
                    log("WARNING: Pointora does not hold", mouse_node)
                complete &= run_phase(receiver, "Pointora", pointora.process.pid, nodes, ours,
                                      presses, options.warmup, cpu[0])
            pointora.stop()
            try:
                wait_released(mouse_node, "Pointora")
                if not remapper_ready:
                    remapper.start_service()
                    remapper_ready = True
                nodes = remapper.start_injection()
                complete &= run_phase(receiver, "input-remapper", remapper.pid, nodes, theirs,
                                      presses, options.warmup, cpu[1])
                remapper.stop_injection()
                wait_released(mouse_node, "input-remapper")
            except RuntimeError as error:
                log("input-remapper:", error)
                complete = False
                break
    finally:
        pointora.stop()
        pointora.keep_log()
        remapper.close()
        receiver.unplug()

    paths = [kernel, ours[0], theirs[0], ours[1], theirs[1]]
    write_results(paths, [use for use in cpu if use.wall], info)
    return 0 if complete and all(p.samples for p in paths) else 1


if __name__ == "__main__":
    sys.exit(main())
