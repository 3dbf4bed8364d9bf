#!/bin/sh
# Runs a command inside a headless compositor's session and returns its exit code:
#   in_compositor.sh sway|weston COMMAND [ARG...]
# The command gets the variables a session of that compositor gives its programs
# (WAYLAND_DISPLAY, XDG_SESSION_TYPE=wayland, XDG_CURRENT_DESKTOP; SWAYSOCK for sway; DISPLAY of
# Xwayland for weston). Exits 77 (a skip for CTest) when the compositor is missing or does not
# start here, saying why.
set -u
kind=$1
shift
skip() { echo "SKIPPED: $kind: $*" >&2; exit 77; }

command -v "$kind" >/dev/null 2>&1 || skip "$kind is not installed"
work=$(mktemp -d "${TMPDIR:-/tmp}/pointora-$kind-XXXXXX") || skip "no temporary directory"
runtime=$work/runtime
mkdir -m 700 "$runtime"
pid=
cleanup() {
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
        # A compositor still setting up may miss the request to end; then it is killed.
        n=0
        while kill -0 "$pid" 2>/dev/null && [ $n -lt 30 ]; do
            sleep 0.1
            n=$((n + 1))
        done
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# sway refuses to run as root; then it runs as nobody, which owns its runtime directory.
as_user=
if [ "$kind" = sway ] && [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null 2>&1 || skip "running as root and setpriv is missing"
    chown 65534:65534 "$runtime" "$work"
    as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi

case $kind in
sway)
    printf 'output HEADLESS-1 resolution 1024x768\n' > "$work/config"
    chmod 644 "$work/config"
    env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$runtime" HOME="$work" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        $as_user sway -c "$work/config" > "$work/log" 2>&1 &
    pid=$!
    ;;
weston)
    env -u WAYLAND_DISPLAY -u DISPLAY XDG_RUNTIME_DIR="$runtime" \
        weston --backend=headless-backend.so --xwayland --socket=wayland-pointora \
        --width=1024 --height=768 > "$work/log" 2>&1 &
    pid=$!
    ;;
*)
    echo "unknown compositor $kind" >&2
    exit 2
    ;;
esac

# Wait (at most 15 s) for the compositor's sockets.
i=0
while :; do
    kill -0 "$pid" 2>/dev/null || { cat "$work/log" >&2; pid=; skip "$kind ended at start"; }
    case $kind in
    sway)
        sock=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1)
        wl=$(ls "$runtime" | grep -E '^wayland-[0-9]+$' | head -n 1)
        [ -n "$sock" ] && [ -n "$wl" ] && break
        ;;
    weston)
        display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/log" | head -n 1)
        [ -S "$runtime/wayland-pointora" ] && [ -n "$display" ] && break
        ;;
    esac
    i=$((i + 1))
    [ $i -ge 150 ] && { cat "$work/log" >&2; skip "$kind did not come up within 15 s"; }
    sleep 0.1
done

export XDG_RUNTIME_DIR="$runtime" XDG_SESSION_TYPE=wayland
case $kind in
sway)
    export SWAYSOCK="$sock" WAYLAND_DISPLAY="$wl" XDG_CURRENT_DESKTOP=sway
    unset DISPLAY
    ;;
weston)
    export WAYLAND_DISPLAY=wayland-pointora DISPLAY="$display" XDG_CURRENT_DESKTOP=weston
    ;;
esac
"$@"
rc=$?
[ $rc -ne 0 ] && { echo "--- $kind log:" >&2; tail -n 20 "$work/log" >&2; }
exit $rc
