"""Scenario tables and the steps that run them.

A table file (tests/kernel/scenarios/*.table) has a header of "key: value" lines and a table of
rows "| step | expected |". Header keys:
  scenario:   the scenario's name
  about:      what it checks (free text, any number of lines)
  devices:    simulated devices present when the program starts (receiver, ble-mouse,
              ble-keyboard, foreign-mouse)
  assign:     assignments KeyType=function code, written to DeviceFunction.ini before the start
  session:    logind - the program gets the private system bus with the stand-in for logind
  user:       nobody - the program runs as user nobody
  throughout: DEV - the rows after "start" also run at the end of every other scenario in
              which DEV is plugged in and the program still runs
  keyboard:   LAYOUT[(VARIANT)] - the console session's keyboard layout, given to the program
              as XKB_DEFAULT_LAYOUT (and XKB_DEFAULT_VARIANT); without it no layout is
              configured and the program assumes us

Steps (what the row does) and what the expected column can say about them:
  start                     ready | running | launched
  program                   ready (waits until the running program is set up)
  click|press|release DEV KEY [within S]     events
  hold DEV KEY SECONDS      events        type DEV TEXT     events
  wheel|hwheel DEV N        events        move DEV DX DY    events
  plug DEV [and DEV]        events        unplug DEV        events
  write TARGET EV=V ... [/ EV=V ...]       events (writes frames, "/" between them, to the
                            node of a virtual device, back to back in one write)
  logind sleep|wake|active 0|active 1      events
  wait SECONDS              events
  stop | kill               events (SIGTERM / SIGKILL, then waits for the program's end)
  grab NODE                 grabbed | free
  held keys                 none
  virtual devices           none
  count created for S       at most N[, none in the last T s]  (counted from the last plug)
  second start              answered
  log                       ~ REGEX[, !~ REGEX ...]
  leds NODE                 LED_X=0|1 ...
  pair MODE [status-first] [odd-descriptor] [as nobody]
                            success | failure[, message ~ REGEX][, message !~ REGEX]
  libinput STEP             BTN_X pressed N, BTN_X released N, ... | nothing
                            (the button events `libinput debug-events` reports for the
                            injector's pointer while STEP, any of the event steps, runs; every
                            button libinput reports must be listed with its counts)
Events: "nothing", "anything", or "TARGET: FRAME / FRAME ...; TARGET: ..." where a frame is
the events between two SYN_REPORTs, written NAME=VALUE and compared as a set, and TARGET is
"injector keyboard", "injector pointer", "pass-through of NODE" or "the system at NODE" (the
original node: not grabbed, its events reach the system unchanged). Every frame that any
watched device sends during the row and that the row does not expect makes it fail.
"""

import os
import re
import shlex
import shutil
import signal
import subprocess
import threading
import time

import evdev
import program as programs
import recorder as recorders
import uhiddev

INJECTOR = {"injector keyboard": "Pointora virtual keyboard",
            "injector pointer": "Pointora virtual pointer"}
PASS_THROUGH_PREFIX = "Pointora virtual pass-through "
UINPUT_MAX_NAME = 79
LED_BITS = {"LED_NUML": 0, "LED_CAPSL": 1, "LED_SCROLLL": 2, "LED_COMPOSE": 3, "LED_KANA": 4}


class TableError(Exception):
    pass


class Skip(Exception):
    """The row cannot run here (a tool is missing): reported SKIPPED, which fails the run."""


class Scenario:
    def __init__(self, path):
        self.path = path
        self.name = os.path.splitext(os.path.basename(path))[0]
        self.about = []
        self.devices = []
        self.assign = []
        self.session = None
        self.user = None
        self.throughout = None
        self.keyboard = None
        self.optional = False
        self.rows = []
        self._parse()

    def _parse(self):
        with open(self.path) as handle:
            lines = handle.read().splitlines()
        last_key = None
        for number, raw in enumerate(lines, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("|"):
                # "\|" is a | inside a cell.
                cells = [c.strip().replace("\0", "|") for c in
                         line.replace("\\|", "\0").strip("|").split("|")]
                if len(cells) != 2:
                    raise TableError("%s:%d: a row has two cells, step and expected" %
                                     (self.path, number))
                if set(cells[0]) <= set("-: ") or cells[0].lower() == "step":
                    continue
                self.rows.append((number, cells[0], cells[1]))
                continue
            if raw[:1] in (" ", "\t") and last_key == "about":
                self.about.append(line)   # an indented line goes on with the "about" text
                continue
            key, sep, value = line.partition(":")
            if not sep or " " in key.strip():
                if last_key == "about":
                    self.about.append(line)
                    continue
                raise TableError("%s:%d: expected 'key: value' or a table row" %
                                 (self.path, number))
            key, value = key.strip(), value.strip()
            last_key = key
            if key == "scenario":
                self.name = value
            elif key == "about":
                self.about.append(value)
            elif key == "devices":
                self.devices += value.replace(",", " ").split()
            elif key == "assign":
                for item in value.split():
                    name, eq, code = item.partition("=")
                    if not eq or not code.isdigit():
                        raise TableError("%s:%d: assignments are KeyType=code" % (self.path,
                                                                                  number))
                    self.assign.append((name, int(code)))
            elif key == "session":
                self.session = value
            elif key == "user":
                self.user = value
            elif key == "throughout":
                self.throughout = value
            elif key == "keyboard":
                if not re.fullmatch(r"[a-z]+(\([a-z0-9_]+\))?", value):
                    raise TableError("%s:%d: keyboard is LAYOUT or LAYOUT(VARIANT)" %
                                     (self.path, number))
                self.keyboard = value
            elif key == "optional":
                self.optional = value == "yes"
            else:
                raise TableError("%s:%d: unknown header key %r" % (self.path, number, key))
        for ident in self.devices:
            if ident not in uhiddev.FACTORIES:
                raise TableError("%s: unknown device %r" % (self.path, ident))

    def signature(self):
        # The devices are compared with what is plugged in when the scenario begins.
        return (tuple(self.assign), self.session, self.user, self.keyboard)

    def has_start(self):
        return any(step == "start" for _, step, _ in self.rows)


# expectations
def parse_events(text):
    """'nothing', 'anything' or [(target, [frame set, ...]), ...]"""
    text = text.strip()
    if text in ("nothing", "anything"):
        return text
    result = []
    for part in text.split(";"):
        target, sep, frames = part.partition(":")
        if not sep:
            raise TableError("expected 'TARGET: events', got %r" % part.strip())
        target = target.strip()
        resolve_target(target)
        parsed = []
        for frame in frames.split("/"):
            tokens = frame.split()
            if tokens:
                parsed.append(frozenset_multi(evdev.parse_event(t) for t in tokens))
        result.append((target, parsed))
    return result


def frozenset_multi(events):
    return tuple(sorted(events))


def resolve_target(target):
    """A predicate on recorder streams for a target of the tables."""
    if target in INJECTOR:
        wanted = INJECTOR[target]
        return lambda s: s.own and s.name == wanted
    if target.startswith("pass-through of "):
        wanted = (PASS_THROUGH_PREFIX + target[len("pass-through of "):])[:UINPUT_MAX_NAME]
        return lambda s: s.own and s.name == wanted
    if target.startswith("the system at "):
        wanted = target[len("the system at "):]
        return lambda s: not s.own and s.name == wanted
    raise TableError("unknown target %r (injector keyboard, injector pointer, pass-through of "
                     "NODE, the system at NODE)" % target)


def stream_label(stream):
    if stream.own:
        for target, name in INJECTOR.items():
            if stream.name == name:
                return target
        if stream.name.startswith(PASS_THROUGH_PREFIX):
            return "pass-through of " + stream.name[len(PASS_THROUGH_PREFIX):] \
                if not stream.name.endswith(("pass-through pointer", "pass-through keyboard")) \
                else stream.name
        return stream.name
    return "the system at " + stream.name


def describe_frames(frames, limit=8):
    text = " / ".join(" ".join(evdev.describe(*e) for e in f) for f in frames[:limit])
    if len(frames) > limit:
        text += " / ...(+%d frames)" % (len(frames) - limit)
    return text or "nothing"


class Result:
    def __init__(self, status, detail=None, data=None):
        self.status = status          # "ok", "FAIL", "SKIPPED"
        self.detail = detail or []    # lines shown under a failing row
        self.data = data or {}        # kept in the results file


class World:
    """Everything a scenario acts on: the simulated devices, the recorder, the program, the bus."""

    def __init__(self, build, out, scale, binary=None, probe=None, say=print):
        self.build, self.out, self.scale = build, out, scale
        self.binary, self.probe = binary, probe
        self.say = say
        self.devices = {ident: uhiddev.make(ident) for ident in uhiddev.FACTORIES}
        self.recorder = recorders.Recorder(self.owner_of)
        self.recorder.start()
        self.program = None
        self.signature = None
        self.bus = None
        self.last_plug = None
        self.timings = []

    # timing, scaled for the emulated CPU
    def t(self, seconds):
        return seconds * self.scale

    def owner_of(self, phys, uniq):
        for ident, device in self.devices.items():
            if device.owns(phys, uniq):
                return ident
        return None

    def device(self, ident):
        if ident not in self.devices:
            raise TableError("unknown device %r" % ident)
        return self.devices[ident]

    def plug(self, *idents):
        """Plugs the devices in together and waits until udev has handled them all."""
        for ident in idents:
            if self.device(ident).present:
                raise TableError("%s is plugged in already" % ident)
        uhiddev.plug_together([self.device(i) for i in idents])
        for ident in idents:
            if not self.device(ident).wait_started(self.t(10)):
                raise RuntimeError("the kernel did not start %s" % ident)
        self.last_plug = time.monotonic()
        for ident in idents:
            self.wait_nodes(ident)

    def wait_nodes(self, ident, settle=True):
        """Until the recorder has every evdev node of the device and, with settle, udev has
        handled its evdev and hidraw nodes (its database entry exists), as a program that asks
        udev about the device needs."""
        deadline = time.monotonic() + self.t(15)
        expected = {"receiver": 3, "ble-mouse": 1, "ble-keyboard": 1, "foreign-mouse": 1}[ident]
        device = self.devices[ident]
        while time.monotonic() < deadline:
            streams = self.recorder.find(lambda s: s.owner == ident)
            if len(streams) >= expected:
                break
            time.sleep(0.02)
        else:
            raise RuntimeError("the evdev nodes of %s did not appear" % ident)
        if not settle:
            return
        # The program asks udev about the evdev nodes (ID_INPUT_*); of a hidraw node it needs
        # only the kernel's own attributes.
        nodes = [s.devnode for s in streams]
        while time.monotonic() < deadline:
            if all(udev_done(node) for node in nodes):
                return
            time.sleep(0.02)
        raise RuntimeError("udev did not handle the nodes of %s" % ident)

    def unplug(self, ident):
        device = self.device(ident)
        if not device.present:
            raise TableError("%s is not plugged in" % ident)
        device.unplug()
        deadline = time.monotonic() + self.t(10)
        while time.monotonic() < deadline and self.recorder.find(lambda s: s.owner == ident):
            time.sleep(0.02)

    def node(self, name):
        """The live original node of that name."""
        found = self.recorder.find(lambda s: not s.own and s.name == name)
        if not found:
            raise RuntimeError("no node named %r is present" % name)
        return found[-1]

    def own_devices_in_sysfs(self):
        return [d for d in evdev.input_devices()
                if d["bus"] == 0x06 and d["vendor"] == 0x2577
                and d["name"].startswith("Pointora virtual")]

    # the program
    def stop_program(self, sig=signal.SIGTERM):
        status = None
        if self.program:
            status = self.program.stop(sig)
        self.program, self.signature = None, None
        return status

    def ensure_bus(self):
        if self.bus is None:
            bus = programs.SystemBus(self.build, self.out)
            bus.start(self.t(10))
            self.bus = bus

    def shutdown(self):
        self.stop_program()
        for device in self.devices.values():
            if device.present:
                device.unplug()
        if self.bus:
            self.bus.stop()
        self.recorder.stop()


class Runner:
    """Runs the rows of one scenario in a world."""

    def __init__(self, world, scenario, label=None):
        self.world, self.scenario = world, scenario
        self.label = label or scenario.name
        self.results = []

    # the setup at the scenario's start: devices and a program that matches
    def prepare(self):
        w, s = self.world, self.scenario
        reusable = (w.program is not None and w.program.alive() and
                    w.signature == s.signature() and
                    all(w.devices[i].present == (i in s.devices) for i in w.devices))
        if reusable:
            return True
        w.stop_program()
        # What the last program left behind is gone before the next one starts.
        deadline = time.monotonic() + w.t(10)
        while time.monotonic() < deadline and w.own_devices_in_sysfs():
            time.sleep(0.05)
        for ident, device in w.devices.items():
            if device.present and ident not in s.devices:
                w.unplug(ident)
        missing = [i for i in s.devices if not w.devices[i].present]
        if missing:
            w.plug(*missing)
        for device in w.devices.values():
            if device.present:
                device.release_all()
        return False

    def run(self, rows=None):
        reused = None
        if rows is None and not self.scenario.has_start():
            self.world.stop_program()
            self.prepare()
        self.abandoned = False
        for number, step, expected in (rows if rows is not None else self.scenario.rows):
            began = time.monotonic()
            if self.abandoned:
                result = Result("FAIL", data={"note": "not run: the program did not start"})
                self.results.append((number, step, expected, result))
                self.world.say(self.line(number, step, result))
                continue
            try:
                if step == "start":
                    if reused is None:
                        reused = self.prepare()
                    result = self.start(expected, reused)
                else:
                    result = self.step(step, expected)
            except Skip as skip:
                result = Result("SKIPPED", [str(skip)])
            except TableError as error:
                result = Result("FAIL", ["table error: %s" % error])
            except Exception as error:   # a broken step fails its row, not the run
                result = Result("FAIL", ["%s: %s" % (type(error).__name__, error)])
            result.data["seconds"] = round(time.monotonic() - began, 2)
            if step == "start" and result.status != "ok":
                self.abandoned = True
            self.results.append((number, step, expected, result))
            self.world.say(self.line(number, step, result))
            for detail in result.detail:
                self.world.say("       " + detail)
        return self.results

    def line(self, number, step, result):
        status = {"ok": "ok  ", "FAIL": "FAIL", "SKIPPED": "SKIP"}[result.status]
        note = result.data.get("note")
        return "%s %s:%d %s%s" % (status, self.label, number, step,
                                  "  (%s)" % note if note else "")

    # start
    def start(self, expected, reused):
        w, s = self.world, self.scenario
        if reused:
            return Result("ok", data={"note": "program %d reused" % w.program.number})
        extra = {}
        if s.session == "logind":
            w.ensure_bus()
            w.bus.tell("active 1")
            extra = {"DBUS_SYSTEM_BUS_ADDRESS": w.bus.address, "XDG_SESSION_ID": "c1"}
        if s.keyboard:
            layout, _, variant = s.keyboard.rstrip(")").partition("(")
            extra.update(XKB_DEFAULT_LAYOUT=layout, XKB_DEFAULT_VARIANT=variant)
        if s.user == "nobody" and programs.setpriv_prefix(programs.NOBODY) is None:
            raise Skip("setpriv is missing: the program cannot run as nobody")
        program = programs.Program(w.build, w.out, s.assign, user=s.user, extra_env=extra,
                                   binary=w.binary)
        program.start()
        w.program, w.signature = program, s.signature()
        if expected == "launched":
            return Result("ok", data={"note": "program %d" % program.number})
        return self.wait_ready(expected)

    def wait_ready(self, expected):
        w = self.world
        program = w.program
        if program is None:
            return Result("FAIL", ["no program runs"])
        deadline = time.monotonic() + min(w.t(60), 300)
        need_injector = expected == "ready"
        injector_at = answered_at = None
        while time.monotonic() < deadline:
            if not program.alive():
                return Result("FAIL", ["the program ended with status %s" %
                                       program.process.returncode] + tail(program.log_text()))
            if need_injector and injector_at is None and all(
                    w.recorder.find(resolve_target(t)) for t in INJECTOR):
                injector_at = time.monotonic()
            if answered_at is None and program.ping() is not None:
                answered_at = time.monotonic()
            if answered_at is not None and (injector_at is not None or not need_injector):
                break
            time.sleep(0.1)
        else:
            missing = []
            if need_injector and injector_at is None:
                missing.append("the injector's virtual devices never appeared")
            if answered_at is None:
                missing.append("the program never answered on its socket")
            return Result("FAIL", missing + tail(program.log_text()))
        # The device hook is set up at the end of the start; its reader thread grabs a moment
        # later.
        time.sleep(w.t(0.5))
        note = "program %d set up after %.1f s" % (program.number,
                                                   answered_at - program.started_at)
        w.timings.append((self.label, "start", round(answered_at - program.started_at, 2)))
        return Result("ok", data={"note": note})

    # rows
    def step(self, step, expected):
        words = shlex.split(step)
        verb = words[0]
        w = self.world
        if verb == "program" and words[1:] == [] and expected == "ready":
            return self.wait_ready("ready")
        if verb == "grab":
            return self.grab(" ".join(words[1:]), expected)
        if step == "held keys":
            return self.held_keys(expected)
        if step == "virtual devices":
            return self.virtual_devices(expected)
        if verb == "count":
            return self.count_created(words, expected)
        if step == "second start":
            return self.second_start(expected)
        if verb == "log":
            return self.log(expected)
        if verb == "leds":
            return self.leds(" ".join(words[1:]), expected)
        if verb == "pair":
            return self.pair(words[1:], expected)
        if verb == "libinput":
            return self.libinput(words[1:], expected)
        within = None
        if len(words) > 2 and words[-2] == "within":
            within = float(words[-1])
            words = words[:-2]
        action = self.action(words)
        return self.events(action, parse_events(expected), within)

    def action(self, words):
        """A function that performs the step (and may be repeated)."""
        w = self.world
        verb = words[0]
        pause = 0.03
        if verb in ("click", "press", "release", "hold") and len(words) >= 3:
            device, key = w.device(words[1]), words[2]
            if not device.supports(key):
                raise TableError("%s has no %s" % (words[1], key))
            if verb == "click":
                def act():
                    device.set_key(key, True)
                    time.sleep(pause)
                    device.set_key(key, False)
            elif verb == "hold":
                seconds = float(words[3])

                def act():
                    device.set_key(key, True)
                    time.sleep(seconds)
                    device.set_key(key, False)
            else:
                def act():
                    device.set_key(key, verb == "press")
            return act
        if verb == "type" and len(words) == 3:
            device, text = w.device(words[1]), words[2]

            def act():
                for char in text:
                    key = "KEY_" + char.upper()
                    device.set_key(key, True)
                    time.sleep(pause)
                    device.set_key(key, False)
                    time.sleep(pause)
            return act
        if verb in ("wheel", "hwheel") and len(words) == 3:
            device, notches = w.device(words[1]), int(words[2])
            return lambda: getattr(device, verb)(notches)
        if verb == "move" and len(words) == 4:
            device, dx, dy = w.device(words[1]), int(words[2]), int(words[3])
            return lambda: device.move(dx, dy)
        if verb == "plug" and len(words) == 4 and words[2] == "and":
            first, second = w.device(words[1]), w.device(words[3])

            def act():
                w.plug(words[1], words[3])
                gap = abs(second.interfaces[0][1].created_at -
                          first.interfaces[-1][1].created_at)
                self.note = "%.1f ms between the two arrivals" % (gap * 1000)
                # The program's udev monitor waits for 100 ms of quiet and then hands a burst
                # over at once: devices announced this close together reach its device watcher
                # 0 ms apart, well inside its 10 ms debounce. (Under TCG two uhid creations
                # alone can take 10 to 30 ms.)
                if gap >= 0.050:
                    raise RuntimeError("the two devices arrived %.1f ms apart, not less than "
                                       "50 ms: not one burst" % (gap * 1000))
            return act
        if verb == "plug" and len(words) == 4 and words[2] == "holding":
            device, key = w.device(words[1]), words[3]

            def act():
                # Pressed as soon as the kernel has started the device, before udev or the
                # program know of it.
                device.plug()
                if not device.wait_started(w.t(10)):
                    raise RuntimeError("the kernel did not start %s" % words[1])
                w.wait_nodes(words[1], settle=False)
                device.set_key(key, True)
                w.last_plug = time.monotonic()
                w.wait_nodes(words[1])
            return act
        if verb == "plug" and len(words) == 2:
            def act():
                w.plug(words[1])
                if w.program is not None and w.program.started_at is not None:
                    self.note = "%.2f s after the program's start" % (
                        w.last_plug - w.program.started_at)
            return act
        if verb == "unplug" and len(words) == 2:
            return lambda: w.unplug(words[1])
        if verb == "write" and len(words) >= 3:
            frames = [[]]
            for token in words[1:]:
                if token == "/":
                    frames.append([])
                elif "=" in token:
                    frames[-1].append(evdev.parse_event(token))
            target = " ".join(t for t in words[1:] if "=" not in t and t != "/")
            predicate = resolve_target(target)

            def act():
                streams = w.recorder.find(predicate)
                if not streams:
                    raise RuntimeError("no device is %s" % target)
                evdev.write_frames(streams[-1].fd, [f for f in frames if f])
            return act
        if verb == "logind" and len(words) >= 2:
            command = " ".join(words[1:])

            def act():
                if w.bus is None:
                    raise TableError("logind runs only in scenarios with 'session: logind'")
                w.bus.tell(command)
            return act
        if verb == "wait" and len(words) == 2:
            seconds = float(words[1])
            return lambda: time.sleep(w.t(seconds))
        if verb in ("stop", "kill") and len(words) == 1:
            def act():
                program = w.program
                if program is None:
                    raise RuntimeError("no program runs")
                status = w.stop_program(signal.SIGTERM if verb == "stop" else signal.SIGKILL)
                self.note = "exit status %s" % status
            return act
        raise TableError("unknown step %r" % " ".join(words))

    def events(self, act, expected, within):
        w = self.world
        first = time.monotonic()
        deadline = first + w.t(within) if within else None
        attempts = 0
        while True:
            attempts += 1
            self.note = None
            began = time.monotonic()
            act()
            result = self.collect(began, expected)
            if result.status == "ok" or deadline is None or time.monotonic() > deadline:
                break
            time.sleep(w.t(0.1))
        if within:
            result.data["note"] = "attempt %d after %.1f s" % (attempts, began - first)
        if self.note:
            result.data["note"] = "; ".join(filter(None, [result.data.get("note"), self.note]))
        return result

    def collect(self, began, expected):
        """Waits for the row's events and compares everything that arrived since it began."""
        w = self.world
        rec = w.recorder
        if expected in ("nothing", "anything"):
            time.sleep(w.t(0.3))
            frames = rec.frames_since(began)
            if expected == "anything" or not frames:
                return Result("ok", data={"seen": seen_text(frames)})
            return Result("FAIL", ["expected  nothing",
                                   "seen      " + "; ".join(group_text(frames))],
                          {"seen": seen_text(frames)})
        targets = [(t, resolve_target(t), frames) for t, frames in expected]
        timeout = time.monotonic() + w.t(2.5)
        quiet = w.t(0.4)
        while True:
            frames = rec.frames_since(began)
            complete = all(len([f for f in frames if p(f.stream)]) >= len(want)
                           for _, p, want in targets)
            now = time.monotonic()
            if complete or now > timeout:
                break
            # Something arrived, nothing more for a while, and it is not what the row wants:
            # the program is not going to send it.
            if frames and now - max(frames[-1].time, began) > quiet:
                break
            time.sleep(0.02)
        time.sleep(w.t(0.15))   # anything that follows belongs to this row too
        frames = rec.frames_since(began)
        problems = []
        claimed = set()
        for target, predicate, want in targets:
            got = [f for f in frames if predicate(f.stream)]
            claimed.update(id(f) for f in got)
            got_sets = [tuple(sorted(f.events)) for f in got]
            if got_sets != list(want):
                problems.append("expected  %s: %s" % (target, describe_frames(want)))
                problems.append("seen      %s: %s" % (target, describe_frames(got_sets)))
        others = [f for f in frames if id(f) not in claimed]
        if others:
            problems.append("unexpected " + "; ".join(group_text(others)))
        data = {"seen": seen_text(frames)}
        return Result("FAIL" if problems else "ok", problems, data)

    def libinput(self, words, expected):
        """What libinput, the input stack of the Linux desktops, makes of the injector pointer's
        events during the step: `libinput debug-events` on the pointer's node (its path backend:
        no seat needed) applies libinput's button debouncing, which drops a release and a press
        of one button within 25 ms as contact bounce. The button events it reports are counted
        per button and state."""
        w = self.world
        wanted = parse_libinput_counts(expected)
        tool = shutil.which("libinput")
        if tool is None or not os.path.exists("/usr/libexec/libinput/libinput-debug-events"):
            raise Skip("libinput debug-events is missing (Debian package libinput-tools)")
        streams = w.recorder.find(resolve_target("injector pointer"))
        if not streams:
            raise RuntimeError("the injector's pointer is not there")
        node = streams[-1].devnode
        act = self.action(words)
        command = [tool, "debug-events", "--device", node]
        if shutil.which("stdbuf"):
            command = ["stdbuf", "-oL"] + command   # its lines as they come, not at its end
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, text=True)
        lines = []
        reader = threading.Thread(target=lambda: lines.extend(process.stdout), daemon=True)
        reader.start()
        try:
            deadline = time.monotonic() + w.t(10)
            while not any("DEVICE_ADDED" in line for line in list(lines)):
                if process.poll() is not None or time.monotonic() > deadline:
                    return Result("FAIL", ["libinput debug-events did not take %s" % node] +
                                  ["libinput: " + l.rstrip()[:160] for l in lines[-4:]])
                time.sleep(0.02)
            self.note = None
            act()
            # Until the counts are there, then a while for anything more (libinput reports a
            # release up to 25 ms late, when its debounce timer ends).
            deadline = time.monotonic() + w.t(2.5)
            while (time.monotonic() < deadline and
                   libinput_button_counts(list(lines)) != wanted):
                time.sleep(0.02)
            time.sleep(w.t(0.3))
        finally:
            process.send_signal(signal.SIGINT)
            try:
                process.wait(timeout=w.t(5))
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            reader.join(timeout=5)
        got = libinput_button_counts(lines)
        buttons = [l.strip() for l in lines if "POINTER_BUTTON" in l]
        data = {"libinput": buttons}
        if self.note:
            data["note"] = self.note
        if got == wanted:
            return Result("ok", data=data)
        return Result("FAIL", ["expected  libinput: %s" % describe_counts(wanted),
                               "seen      libinput: %s" % describe_counts(got)] +
                      ["libinput: " + l[:160] for l in buttons[:12]], data)

    # probes
    def grab(self, name, expected):
        w = self.world
        if expected not in ("grabbed", "free"):
            raise TableError("grab expects 'grabbed' or 'free'")
        stream = w.node(name)
        deadline = time.monotonic() + w.t(2 if expected == "grabbed" else 1)
        while True:
            held_by_other = w.recorder.probe_grab(stream, w.t(0.5))
            if held_by_other is None:
                raise RuntimeError("cannot write to %s" % stream.devnode)
            if held_by_other == (expected == "grabbed") or time.monotonic() > deadline:
                break
        free = evdev.try_grab(stream.fd)
        verdict = "free" if free else "grabbed"
        silent = "grabbed" if held_by_other else "free"
        data = {"grab": verdict, "event probe": silent}
        if verdict == silent == expected:
            return Result("ok", data=data)
        if verdict != silent:
            return Result("FAIL", ["EVIOCGRAB says %s, an event written to the node says %s" %
                                   (verdict, silent)], data)
        return Result("FAIL", ["expected  %s is %s" % (name, expected),
                               "seen      %s is %s (EVIOCGRAB %s)" % (
                                   name, verdict, "succeeded" if free else "EBUSY")], data)

    def held_keys(self, expected):
        """Every key held on a device the system sees: as the recorder (one of the system's
        readers) saw it, and for the program's own devices also as the kernel holds it."""
        wanted = set()
        if expected != "none":
            for clause in split_clauses(expected):
                key, sep, target = clause.partition(" on ")
                if not sep:
                    raise TableError("held keys expects 'none' or 'KEY on TARGET, ...'")
                wanted.add((target.strip(), evdev.code_of(key.strip())[1]))
        w = self.world
        seen = set()
        problems = []
        for stream in w.recorder.live():
            label = stream_label(stream)
            seen.update((label, code) for code in stream.held)
            if stream.own:
                try:
                    kernel = evdev.keys_held(stream.fd)
                except OSError:
                    continue
                if kernel != stream.held:
                    problems.append("%s: the kernel holds %s" % (label, names(kernel)))
        if seen != wanted:
            problems.insert(0, "expected  held: %s" % (expected))
            problems.insert(1, "seen      held: %s" % (", ".join(
                "%s on %s" % (evdev.name_of(1, c), t) for t, c in sorted(seen)) or "none"))
        return Result("FAIL" if problems else "ok", problems)

    def virtual_devices(self, expected):
        if expected != "none":
            raise TableError("virtual devices expects 'none'")
        w = self.world
        deadline = time.monotonic() + w.t(2)
        while time.monotonic() < deadline and w.own_devices_in_sysfs():
            time.sleep(0.05)
        left = w.own_devices_in_sysfs()
        if left:
            return Result("FAIL", ["still there: " + ", ".join(d["name"] for d in left)])
        return Result("ok")

    def count_created(self, words, expected):
        w = self.world
        if words[1:3] != ["created", "for"] or len(words) != 4:
            raise TableError("count created for SECONDS")
        span = float(words[3])
        match = re.match(r"at most (\d+)(?:, none in the last (\d+) s)?$", expected)
        if not match:
            raise TableError("count expects 'at most N[, none in the last T s]'")
        limit = int(match.group(1))
        quiet = float(match.group(2)) if match.group(2) else None
        since = w.last_plug or time.monotonic()
        end = since + span
        while time.monotonic() < end:
            time.sleep(0.1)
        created = [(t - since, n) for t, n in w.recorder.created if since <= t <= end]
        late = [c for c in created if quiet is not None and c[0] > span - quiet]
        data = {"created": [(round(t, 2), n) for t, n in created]}
        note = "%d created in %g s" % (len(created), span)
        problems = []
        if len(created) > limit:
            problems.append("expected  at most %d virtual devices created" % limit)
            problems.append("seen      %d: %s" % (len(created), summarize_created(created)))
        if late:
            problems.append("seen      %d created in the last %g s: %s" % (
                len(late), quiet, ", ".join("%s at %.1f s" % (n, t) for t, n in late)))
        return Result("FAIL" if problems else "ok", problems, dict(data, note=note))

    def second_start(self, expected):
        if expected != "answered":
            raise TableError("second start expects 'answered'")
        w = self.world
        program = w.program
        if program is None or not program.alive():
            return Result("FAIL", ["no program runs"])
        answer = program.ping()
        status, seconds = program.second_start()
        w.timings.append((self.label, "answer", answer))
        w.timings.append((self.label, "second start", round(seconds, 2)))
        note = "answered after %s, second start exited %s after %.1f s" % (
            "%.3f s" % answer if answer is not None else "no answer", status, seconds)
        data = {"answer": answer, "second start": seconds, "status": status, "note": note}
        problems = []
        if answer is None:
            problems.append("the running program did not answer within the %g s a second "
                            "start waits" % programs.SECOND_START_DEADLINE)
        if status != 0:
            problems.append("the second start exited with %s" % status)
        if not program.alive():
            problems.append("the running program has ended")
        return Result("FAIL" if problems else "ok", problems, data)

    def log(self, expected):
        w = self.world
        program = w.program
        if program is None:
            raise RuntimeError("no program ran")
        text = program.log_text()
        problems = []
        for clause in split_clauses(expected):
            negate = clause.startswith("!~")
            pattern = clause[2:].strip()
            if not clause.startswith(("~", "!~")):
                raise TableError("log expects '~ REGEX' or '!~ REGEX' clauses")
            if clause.startswith("~"):
                pattern = clause[1:].strip()
            found = re.search(pattern, text, re.IGNORECASE)
            if bool(found) == negate:
                problems.append("the log %s /%s/" % ("matches" if negate else "does not match",
                                                    pattern))
        if problems:
            problems += tail(text, 6)
        return Result("FAIL" if problems else "ok", problems)

    def leds(self, name, expected):
        w = self.world
        stream = w.node(name)
        wanted = [evdev.parse_event(t) for t in expected.replace(",", " ").split()]
        deadline = time.monotonic() + w.t(1)
        while True:
            lit = evdev.leds_on(stream.fd)
            ok = all((code in lit) == bool(value) for _, code, value in wanted)
            if ok or time.monotonic() > deadline:
                break
            time.sleep(0.05)
        device = w.device(stream.owner)
        reports = []
        for _, uhid in device.interfaces:
            if isinstance(uhid.responder, uhiddev.LedRecorder) and uhid.phys == stream.phys:
                reports = uhid.responder.leds
        last = reports[-1][1] if reports else None
        problems = []
        if not ok:
            problems.append("expected  %s: %s" % (name, expected))
            problems.append("seen      %s lights %s (EVIOCGLED)" % (
                name, " ".join(evdev.name_of(evdev.EV_LED, c) for c in sorted(lit)) or "nothing"))
        for event in wanted:
            led = evdev.name_of(*event[:2])
            if led in LED_BITS and last is not None and bool(last >> LED_BITS[led] & 1) != bool(
                    event[2]):
                problems.append("the device's last LED output report is %#04x" % last)
                break
        if last is None and any(v for _, _, v in wanted):
            problems.append("the device never received an LED output report")
        return Result("FAIL" if problems else "ok", problems,
                      {"led reports": ["%#04x" % b for _, b in reports]})

    def _swap_pairing_descriptor(self, descriptor):
        """Plugs the receiver in again with another report descriptor on its pairing interface."""
        w = self.world
        receiver = w.device("receiver")
        if receiver.present:
            w.unplug("receiver")
        receiver.interface("pairing").descriptor = descriptor
        w.plug("receiver")

    def pair(self, words, expected):
        w = self.world
        as_nobody = words[-2:] == ["as", "nobody"]
        if as_nobody:
            words = words[:-2]
        status_first = words[-1:] == ["status-first"]
        if status_first:
            words = words[:-1]
        odd = words[-1:] == ["odd-descriptor"]
        if odd:
            words = words[:-1]
            self._swap_pairing_descriptor(uhiddev.PAIRING_ODD)
            try:
                return self.pair(words + (["status-first"] if status_first else []) +
                                 (["as", "nobody"] if as_nobody else []), expected)
            finally:
                self._swap_pairing_descriptor(uhiddev.PAIRING)
        mode = tuple(int(x) if x.isdigit() else x for x in words)
        if mode[0] not in ("succeed-after", "never", "io-fail", "no-answer"):
            raise TableError("pairing modes: succeed-after N, never, io-fail, no-answer")
        probe = w.probe or os.path.join(w.build, "tests", "pair_probe")
        if not os.access(probe, os.X_OK):
            raise Skip("%s is missing (build the tests)" % probe)
        receiver = w.device("receiver")
        if not receiver.present:
            raise TableError("pairing needs the receiver plugged in")
        firmware = receiver.firmware
        firmware.__init__(mode, status_first)
        pairing = receiver.interface("pairing")
        requests_before = len(pairing.requests)
        command = [probe, "--timeout", "120"]
        env = {k: v for k, v in os.environ.items() if k != "POINTORA_PLATFORM"}
        env.update(QT_QPA_PLATFORM="offscreen", HOME="/tmp/pt-probe-home")
        os.makedirs("/tmp/pt-probe-home", exist_ok=True)
        if as_nobody:
            prefix = programs.setpriv_prefix(programs.NOBODY)
            if prefix is None:
                raise Skip("setpriv is missing: the probe cannot run as nobody")
            os.chown("/tmp/pt-probe-home", programs.NOBODY, programs.NOBODY)
            command = prefix + command
        began = time.monotonic()
        done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
        seconds = time.monotonic() - began
        with open(os.path.join(w.out, "pair_probe-%s%s.txt" % (
                "-".join(map(str, mode)), "-nobody" if as_nobody else "")), "w") as log:
            log.write("$ %s\n%s\n--- stderr\n%s" % (" ".join(command), done.stdout, done.stderr))
        result_line = [l for l in done.stdout.splitlines() if l.startswith("result ")]
        requests = pairing.requests[requests_before:]
        kinds = sorted({r[1] for r in requests if r[1] in ("output", "set_report")})
        paths = {"output": "UHID_OUTPUT", "set_report": "UHID_SET_REPORT"}
        note = "%.1f s; output reports via %s; %d GET_REPORT" % (
            seconds, "+".join(paths[k] for k in kinds) or "none",
            len([r for r in requests if r[1] == "get_report"]))
        data = {"note": note, "requests": [(round(r[0] - began, 3), r[1], r[4][:16])
                                           for r in requests], "stdout": done.stdout}
        if not result_line:
            return Result("FAIL", ["the probe gave no result (exit %s)" % done.returncode] +
                          tail(done.stdout + done.stderr, 4), data)
        flag, message = parse_probe_line(result_line[-1])
        data["result"] = (flag, message)
        data["note"] += "; %s %r" % ("success" if flag else "failure", message)
        clauses = split_clauses(expected)
        if not clauses or clauses[0] not in ("success", "failure"):
            raise TableError("pair expects 'success' or 'failure' first")
        problems = []
        if flag != (clauses[0] == "success"):
            problems.append("expected  %s" % clauses[0])
            problems.append("seen      %s: %r" % ("success" if flag else "failure", message))
        for clause in clauses[1:]:
            match = re.match(r"message (!?~) (.*)$", clause)
            if not match:
                raise TableError("pair clauses are 'message ~ REGEX' or 'message !~ REGEX'")
            found = re.search(match.group(2), message, re.IGNORECASE)
            if bool(found) != (match.group(1) == "~"):
                problems.append("the message %r %s /%s/" % (
                    message, "matches" if found else "does not match", match.group(2)))
        return Result("FAIL" if problems else "ok", problems, data)


def udev_done(devnode):
    """Whether udev has handled the node: it writes the node's database entry when done."""
    try:
        rdev = os.stat(devnode).st_rdev
    except OSError:
        return False
    return os.path.exists("/run/udev/data/c%d:%d" % (os.major(rdev), os.minor(rdev)))


def names(codes):
    return " ".join(evdev.name_of(evdev.EV_KEY, c) for c in sorted(codes)) or "nothing"


def parse_probe_line(line):
    """'result 0 message...' -> (False, 'message...')"""
    parts = line.split(" ", 2)
    return parts[1] == "1", parts[2] if len(parts) > 2 else ""


LIBINPUT_BUTTON = re.compile(r"POINTER_BUTTON\s.*?\b(BTN_[A-Z0-9_]+) \(\d+\) (pressed|released)")


def libinput_button_counts(lines):
    """{(button, 'pressed'|'released'): count} of libinput debug-events' output lines."""
    counts = {}
    for line in lines:
        match = LIBINPUT_BUTTON.search(line)
        if match:
            key = (match.group(1), match.group(2))
            counts[key] = counts.get(key, 0) + 1
    return counts


def parse_libinput_counts(text):
    if text.strip() == "nothing":
        return {}
    counts = {}
    for clause in split_clauses(text):
        words = clause.split()
        if (len(words) != 3 or not words[0].startswith("BTN_") or
                words[1] not in ("pressed", "released") or not words[2].isdigit()):
            raise TableError("libinput expects 'BTN_X pressed N, BTN_X released N, ...', got %r"
                             % clause)
        counts[(words[0], words[1])] = int(words[2])
    return counts


def describe_counts(counts):
    return ", ".join("%s %s %d" % (b, state, n) for (b, state), n in sorted(counts.items())) \
        or "nothing"


def split_clauses(text):
    return [c.strip() for c in text.split(",") if c.strip()]


def tail(text, lines=4):
    kept = [l for l in text.splitlines() if l.strip()][-lines:]
    return ["log: " + l[:160] for l in kept]


def group_text(frames):
    groups = {}
    for frame in frames:
        groups.setdefault(stream_label(frame.stream), []).append(tuple(sorted(frame.events)))
    return ["%s: %s" % (label, describe_frames(fs)) for label, fs in groups.items()]


def seen_text(frames):
    return ["%.3f %s: %s" % (f.time, stream_label(f.stream), f.text()) for f in frames]


def summarize_created(created):
    counts = {}
    for _, name in created:
        counts[name] = counts.get(name, 0) + 1
    return ", ".join("%d x %s" % (n, name) for name, n in counts.items())
