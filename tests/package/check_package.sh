#!/usr/bin/env bash
# Builds the Debian packages with cpack, checks them with lintian and appstreamcli, installs them
# into a fresh Debian 12 root and runs the installed program there as an ordinary user.
#   check_package.sh BUILD_DIR
# Exit status: 0 when every check passed, 77 (skipped) when not root or when the Debian mirror
# cannot be reached, anything else on a failure.
# The debootstrap tarball and the downloaded packages are kept in POINTORA_TEST_CACHE
# (default /var/cache/pointora-tests) and reused by later runs.
set -euo pipefail

build=$(cd "${1:?usage: check_package.sh BUILD_DIR}" && pwd)
cache=${POINTORA_TEST_CACHE:-/var/cache/pointora-tests}
suite=bookworm
user=pointoratest

skip() {
    echo "==================================================================" >&2
    echo "  SKIPPED: $*" >&2
    echo "  The Debian package was NOT checked." >&2
    echo "==================================================================" >&2
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $* ($(date +%T))"; }

[ "$(id -u)" -eq 0 ] || skip "the package test needs root (debootstrap, chroot, mounts)"
for tool in cpack lintian appstreamcli debootstrap dpkg-deb chroot findmnt flock systemd-analyze; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
python=/usr/bin/python3
[ -x "$python" ] || python=$(command -v python3) || fail "python3 is missing"

# The mirrors this machine's apt uses for Debian 12 and its security updates (one-line and deb822
# formats), else Debian's own.
apt_uris() {
    local pattern=$1
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed -n "s|^deb \(\[[^]]*\] \)\?\([a-z]*://[^ ]*\) $pattern .*|\2|p"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v pattern="^$pattern\$" '
            /^[ \t]*$/ { if (uri != "" && hit) print uri; uri = ""; hit = 0; next }
            /^URIs:/ { uri = $2 }
            /^Suites:/ { for (i = 2; i <= NF; ++i) if ($i ~ pattern) hit = 1 }
            END { if (uri != "" && hit) print uri }' "$f"
    done
}
mirror=$(apt_uris "$suite" | grep -v -- -security | head -n 1 || true)
mirror=${mirror:-http://deb.debian.org/debian}
security=$(apt_uris "$suite-security" | head -n 1 || true)
mirror=${mirror%/}

reachable() {
    "$python" - "$1" <<'EOF'
import sys, urllib.request
try:
    urllib.request.urlopen(sys.argv[1], timeout=20).read(1)
except Exception as error:
    print(f"{sys.argv[1]}: {error}", file=sys.stderr)
    sys.exit(1)
EOF
}
reachable "$mirror/dists/$suite/Release" || skip "the Debian mirror $mirror cannot be reached"

# One run at a time: a run killed without its clean-up (a CTest time-out) leaves mounts below its
# folder; the next run takes them away.
mkdir -p "$cache"
exec 9> "$cache/lock"
flock 9
for stale in /tmp/pointora-package.*; do
    [ -d "$stale" ] || continue
    findmnt -rno TARGET | grep "^$stale/" | sort -r | while read -r target; do
        umount -l "$target"
    done
    findmnt -rno TARGET | grep -q "^$stale/" || rm -rf --one-file-system "$stale"
done

work=$(mktemp -d /tmp/pointora-package.XXXXXX)
root=$work/root
mounts=()
cleanup() {
    local status=$?
    set +e
    [ -n "${program_pid:-}" ] && kill -KILL "$program_pid" 2>/dev/null
    # Whatever the chroot still runs (the program, gpg-agent, ...) ends before the mounts go.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -KILL "${p#/proc/}" 2>/dev/null
    done
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; --i)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}"
    done
    if findmnt -rno TARGET | grep -q "^$root"; then
        echo "mounts left below $root: not removing it" >&2
        [ "$status" -eq 0 ] && status=1
    else
        rm -rf --one-file-system "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mount_into() {  # mount_into TARGET mount arguments...
    local target=$root$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 \
                DEBIAN_FRONTEND=noninteractive "$@"; }

step "building the packages with cpack"
mkdir -p "$work/cpack"
(cd "$work/cpack" && cpack -G DEB -B "$work/cpack" --config "$build/CPackConfig.cmake") \
    > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
shopt -s nullglob
app_debs=("$work"/cpack/pointora_*_amd64.deb)
cloud_debs=("$work"/cpack/pointora-cloud_*_amd64.deb)
shopt -u nullglob
[ ${#app_debs[@]} -eq 1 ] && [ ${#cloud_debs[@]} -eq 1 ] ||
    fail "cpack did not write one pointora and one pointora-cloud package: $(ls "$work/cpack")"
app_deb=${app_debs[0]}
cloud_deb=${cloud_debs[0]}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ "$(basename "$app_deb")" = "pointora_${version}_amd64.deb" ] ||
    fail "unexpected package name $(basename "$app_deb") for version $version"
ls -l "$app_deb" "$cloud_deb"

step "lintian"
lintian --fail-on error --display-info "$app_deb" "$cloud_deb" ||
    fail "lintian found errors"

step "appstreamcli validate"
dpkg-deb -x "$app_deb" "$work/app"
metainfo=("$work"/app/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no metainfo file in /usr/share/metainfo"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli rejects ${metainfo[*]##*/}"

step "a Debian 12 root from $mirror"
tarball=$cache/$suite-minbase.tar.gz
if [ ! -s "$tarball" ]; then
    debootstrap --variant=minbase --make-tarball="$tarball.part" "$suite" "$work/tarball" "$mirror" \
        > "$work/debootstrap.log" 2>&1 || {
        tail -n 20 "$work/debootstrap.log" >&2
        rm -f "$tarball.part"
        reachable "$mirror/dists/$suite/Release" || skip "the Debian mirror $mirror cannot be reached"
        fail "debootstrap --make-tarball failed"
    }
    mv "$tarball.part" "$tarball"
    rm -rf "$work/tarball"
fi
debootstrap --variant=minbase --unpack-tarball="$tarball" "$suite" "$root" "$mirror" \
    > "$work/debootstrap.log" 2>&1 || { tail -n 20 "$work/debootstrap.log" >&2; fail "debootstrap failed"; }

{
    echo "deb $mirror $suite main"
    echo "deb $mirror $suite-updates main"
    [ -n "$security" ] && echo "deb ${security%/} $suite-security main"
} > "$root/etc/apt/sources.list"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# No service starts inside the root.
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount_into /proc -t proc proc
mount_into /dev --bind /dev
mount_into /dev/pts --bind /dev/pts
mount_into /sys -t sysfs sysfs

step "installing both packages"
mkdir -p "$cache/archives" "$root/tmp/packages"
cp "$app_deb" "$cloud_deb" "$root/tmp/packages/"
cp -n "$cache"/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
in_root apt-get update -qq || fail "apt-get update failed in the root"
# Without recommends: what Depends names must be enough to run.
in_root apt-get install -y -q --no-install-recommends desktop-file-utils \
    "/tmp/packages/$(basename "$app_deb")" "/tmp/packages/$(basename "$cloud_deb")" \
    > "$work/apt.log" 2>&1 || { tail -n 40 "$work/apt.log" >&2; fail "apt-get install failed"; }
grep -E "^Setting up pointora(-cloud)? " "$work/apt.log" || fail "apt-get did not set up both packages"
# Keep what was downloaded for the next run, and only that.
rm -f "$cache"/archives/*.deb
cp "$root"/var/cache/apt/archives/*.deb "$cache/archives/" 2>/dev/null || true

step "installed files"
for path in /usr/bin/Pointora /usr/bin/PointoraWatcher /usr/bin/pointora-cloud; do
    [ -x "$root$path" ] || fail "$path is missing or not executable"
done
for path in /usr/lib/udev/rules.d/70-pointora.rules \
    /usr/share/applications/pointora.desktop \
    /usr/share/icons/hicolor/scalable/apps/pointora.svg \
    /usr/share/icons/hicolor/256x256/apps/pointora.png \
    /usr/share/icons/hicolor/512x512/apps/pointora.png \
    /usr/share/metainfo/org.pointora.Pointora.metainfo.xml \
    /usr/share/doc/pointora/copyright /usr/share/doc/pointora-cloud/copyright \
    /usr/lib/systemd/system/pointora-cloud.service; do
    [ -f "$root$path" ] || fail "$path is missing"
done
# Playing a sound: Qt's media player plugin and GStreamer's common formats come with the Depends.
for path in /usr/lib/x86_64-linux-gnu/qt5/plugins/mediaservice/libgstmediaplayer.so \
    /usr/lib/x86_64-linux-gnu/gstreamer-1.0/libgstwavparse.so; do
    [ -f "$root$path" ] || fail "$path is missing: sounds cannot be played"
done
in_root desktop-file-validate /usr/share/applications/pointora.desktop ||
    fail "desktop-file-validate rejects the desktop entry"

step "pointora-cloud: unit installed, not enabled"
enabled=$(find "$root/etc/systemd" "$root/var/lib/systemd" -name 'pointora-cloud*' 2>/dev/null || true)
[ -z "$enabled" ] || fail "pointora-cloud is enabled: $enabled"
systemd-analyze verify --man=no --root="$root" pointora-cloud.service ||
    fail "systemd-analyze rejects pointora-cloud.service"
in_root /usr/bin/pointora-cloud --help > "$work/cloud-help.txt" || fail "pointora-cloud --help failed"
grep -q -- "--listen" "$work/cloud-help.txt" || fail "pointora-cloud --help shows no options"

step "Pointora as an ordinary user on the simulated platform"
in_root useradd --create-home --shell /bin/sh "$user"
uid=$(in_root id -u "$user")
run=/tmp/pointora-run
mkdir -p "$root$run/xdg"
chmod 700 "$root$run/xdg"
in_root chown -R "$user:$user" "$run"
chroot --userspec="$user:$user" "$root" env -i \
    PATH=/usr/bin:/bin HOME="/home/$user" USER="$user" LOGNAME="$user" LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$run/xdg" \
    QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software POINTORA_PLATFORM=sim \
    POINTORA_SIM_SOCKET="$run/sim.sock" POINTORA_SIM_LOG="$run/sim.log" \
    POINTORA_SERVICE_URL=http://127.0.0.1:9 \
    /usr/bin/Pointora > "$work/program.out" 2> "$work/program.err" &
program_pid=$!

# The simulation's socket, reached from outside through the root's file system.
answer=$("$python" - "$root$run/sim.sock" <<'EOF'
import socket, sys, time
deadline = time.monotonic() + 60
while True:
    try:
        s = socket.socket(socket.AF_UNIX)
        s.connect(sys.argv[1])
        break
    except OSError:
        if time.monotonic() > deadline:
            sys.exit("the simulation socket never answered")
        time.sleep(0.2)
s.settimeout(20)
s.sendall(b"state\n")
data = b""
while not data.endswith(b"\n"):
    chunk = s.recv(65536)
    if not chunk:
        break
    data += chunk
print(data.decode(errors="replace").strip())
EOF
) || { cat "$work/program.err" >&2; fail "no answer on the simulation socket"; }
case $answer in
"ok "*) echo "state: ${answer:0:120}..." ;;
*) cat "$work/program.err" >&2; fail "state answered: $answer" ;;
esac
sleep 5
kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.err" >&2; fail "Pointora ended by itself"; }
echo "Pointora's standard error (first lines):"
sed -n '1,15s/^/  /p' "$work/program.err"
[ "$(stat -c %u /proc/$program_pid)" = "$uid" ] || fail "Pointora does not run as $user"
if grep -E "is not installed|module .* not found|Cannot load library|could not load the Qt platform plugin|qrc:.*[Ee]rror" \
    "$work/program.err"; then
    fail "Pointora's standard error shows missing modules or plugins"
fi
kill -TERM "$program_pid"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || { cat "$work/program.err" >&2; fail "Pointora exited with $status after SIGTERM"; }

step "removing and purging the packages"
in_root apt-get purge -y -q pointora pointora-cloud > "$work/purge.log" 2>&1 ||
    { tail -n 20 "$work/purge.log" >&2; fail "apt-get purge failed"; }
for path in /usr/bin/Pointora /usr/lib/udev/rules.d/70-pointora.rules \
    /usr/bin/pointora-cloud /usr/lib/systemd/system/pointora-cloud.service; do
    [ ! -e "$root$path" ] || fail "$path is still there after purge"
done

echo "the Debian packages passed every check"
