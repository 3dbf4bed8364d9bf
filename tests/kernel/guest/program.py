"""The real program in the guest, and the private system bus with the stand-in for logind.

Program starts build/bin/Pointora -d on the real Linux platform (POINTORA_PLATFORM unset) with a
fresh HOME and XDG_RUNTIME_DIR, the assignments written to
$HOME/.config/Pointora/config/DeviceFunction.ini beforehand, optionally as user nobody.
"""

import glob
import os
import pwd
import shutil
import signal
import socket
import struct
import subprocess
import time

NOBODY = 65534
# The single-instance socket's framing: a 32-bit big-endian length, UTF-8 bytes, one ACK byte.
ACK = b"\x06"
# How long a second start waits for the running copy's answer before it gives up.
SECOND_START_DEADLINE = 2.0


def _chown_tree(path, uid):
    for root, dirs, files in os.walk(path):
        for entry in [root] + [os.path.join(root, e) for e in dirs + files]:
            os.chown(entry, uid, uid)


def setpriv_prefix(uid):
    tool = shutil.which("setpriv")
    if not tool:
        return None
    return [tool, "--reuid=%d" % uid, "--regid=%d" % uid, "--clear-groups"]


class Program:
    counter = 0

    def __init__(self, build, out_dir, assignments, user=None, extra_env=None, binary=None):
        Program.counter += 1
        self.number = Program.counter
        self.binary = binary or os.path.join(build, "bin", "Pointora")
        self.out_dir = out_dir
        self.user = user
        self.home = "/tmp/pt-home-%d" % self.number
        self.runtime = "/tmp/pt-runtime-%d" % self.number
        for path in (self.home, self.runtime):
            shutil.rmtree(path, ignore_errors=True)
        config = os.path.join(self.home, ".config", "Pointora", "config")
        os.makedirs(config)
        os.makedirs(self.runtime, 0o700)
        os.chmod(self.runtime, 0o700)
        with open(os.path.join(config, "DeviceFunction.ini"), "w") as ini:
            ini.write("[General]\n")
            for key, value in assignments:
                ini.write("%s=%s\n" % (key, value))
        uid = NOBODY if user == "nobody" else 0
        if uid:
            _chown_tree(self.home, uid)
            _chown_tree(self.runtime, uid)
        self.uid = uid
        env = {k: v for k, v in os.environ.items()
               if k not in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "POINTORA_PLATFORM",
                            "DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS",
                            "XDG_SESSION_ID", "DISPLAY", "WAYLAND_DISPLAY")}
        env.update(HOME=self.home, XDG_RUNTIME_DIR=self.runtime, QT_QPA_PLATFORM="offscreen",
                   QT_QUICK_BACKEND="software")
        if uid:
            env.update(USER="nobody", LOGNAME="nobody")
        env.update(extra_env or {})
        self.env = env
        self.process = None
        self.started_at = None
        self.stdout_path = os.path.join(out_dir, "program-%d.stdout.txt" % self.number)
        # The log goes next to the program when that folder is writable, else under HOME.
        self.log_dirs = [os.path.join(os.path.dirname(self.binary), "Log"),
                         os.path.join(self.home, ".local", "share", "Pointora", "Log")]
        self._log_offsets = {path: os.path.getsize(path) for d in self.log_dirs
                             for path in glob.glob(os.path.join(d, "*.txt"))}

    def command(self, arguments):
        prefix = []
        if self.uid:
            prefix = setpriv_prefix(self.uid)
            if prefix is None:
                raise RuntimeError("setpriv is missing: cannot start the program as nobody")
        return prefix + [self.binary] + arguments

    def start(self):
        self.started_at = time.monotonic()
        self.process = subprocess.Popen(self.command(["-d"]), env=self.env,
                                        stdout=open(self.stdout_path, "w"),
                                        stderr=subprocess.STDOUT, cwd=self.home)

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def stop(self, sig=signal.SIGTERM, timeout=30):
        """Ends the program; returns its exit status (negative: the signal that ended it)."""
        if self.process is None:
            return None
        if self.process.poll() is None:
            self.process.send_signal(sig)
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(10)
        self.save_log()
        return self.process.returncode

    # the single-instance socket
    def socket_path(self):
        found = glob.glob(os.path.join(self.runtime, "*.socket"))
        return found[0] if found else None

    def ping(self, message="Pointora1.0.2", deadline=SECOND_START_DEADLINE):
        """Asks the running copy as a second start does. Returns the seconds until its answer,
        or None when no answer came within the deadline."""
        path = self.socket_path()
        if not path:
            return None
        began = time.monotonic()
        sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        sock.settimeout(deadline)
        try:
            sock.connect(path)
            data = message.encode()
            sock.sendall(struct.pack(">I", len(data)) + data)
            answer = sock.recv(1)
        except OSError:
            return None
        finally:
            sock.close()
        return time.monotonic() - began if answer == ACK else None

    def second_start(self, timeout=120):
        """Runs the program a second time with the same HOME and runtime folder: it hands its
        message to the running copy and exits. Returns (exit status, seconds)."""
        began = time.monotonic()
        try:
            done = subprocess.run(self.command([]), env=self.env, cwd=self.home, timeout=timeout,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            status = done.returncode
        except subprocess.TimeoutExpired:
            status = "timed out"
        return status, time.monotonic() - began

    # the log
    def log_text(self):
        text = []
        for directory in self.log_dirs:
            for path in sorted(glob.glob(os.path.join(directory, "*.txt"))):
                with open(path, "rb") as handle:
                    handle.seek(self._log_offsets.get(path, 0))
                    text.append(handle.read().decode("utf-8", "replace"))
        try:
            with open(self.stdout_path, "rb") as handle:
                text.append(handle.read().decode("utf-8", "replace"))
        except OSError:
            pass
        return "".join(text)

    def save_log(self):
        with open(os.path.join(self.out_dir, "program-%d.log.txt" % self.number), "w") as out:
            out.write(self.log_text())


class SystemBus:
    """A private system bus (dbus-daemon with a configuration that allows everything) and the
    stand-in for logind on it (tests/fake_logind), driven through its standard input."""

    def __init__(self, build, out_dir):
        self.build, self.out_dir = build, out_dir
        self.folder = "/tmp/pt-bus"
        self.daemon_pid = None
        self.address = None
        self.logind = None

    def start(self, timeout):
        daemon = shutil.which("dbus-daemon")
        logind = os.path.join(self.build, "tests", "fake_logind")
        if not daemon:
            raise RuntimeError("dbus-daemon is missing")
        if not os.access(logind, os.X_OK):
            raise RuntimeError("%s is missing (build the tests)" % logind)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        config = os.path.join(self.folder, "bus.conf")
        with open(config, "w") as handle:
            handle.write(BUS_CONFIG % {"socket": os.path.join(self.folder, "system_bus_socket")})
        started = subprocess.run([daemon, "--config-file=" + config, "--fork", "--print-address=1",
                                  "--print-pid=1"], capture_output=True, text=True,
                                 timeout=timeout)
        lines = started.stdout.split()
        if started.returncode != 0 or len(lines) < 2:
            raise RuntimeError("dbus-daemon did not start: " + started.stderr.strip())
        self.address, self.daemon_pid = lines[0], int(lines[1])
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.logind = subprocess.Popen([logind], env=env, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=open(
                                           os.path.join(self.out_dir, "fake_logind.txt"), "w"),
                                       text=True, bufsize=1)
        line = self.logind.stdout.readline().strip()
        if line != "ready":
            raise RuntimeError("fake_logind did not start: %r" % line)

    def tell(self, command):
        """One command line to the stand-in (sleep, wake, active 0, active 1); waits for its
        acknowledgement."""
        self.logind.stdin.write(command + "\n")
        self.logind.stdin.flush()
        answer = self.logind.stdout.readline().strip()
        if answer != "ok " + command:
            raise RuntimeError("fake_logind answered %r to %r" % (answer, command))

    def stop(self):
        if self.logind and self.logind.poll() is None:
            self.logind.stdin.close()
            try:
                self.logind.wait(10)
            except subprocess.TimeoutExpired:
                self.logind.kill()
        if self.daemon_pid:
            try:
                os.kill(self.daemon_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        self.logind = self.daemon_pid = None


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%(socket)s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
"""


def user_exists(uid):
    try:
        pwd.getpwuid(uid)
        return True
    except KeyError:
        return False
