#!/usr/bin/env bash
# Installs what a Debian 12 machine is missing, builds Pointora, then runs it or its tests.
#   scripts/setup.sh run [program arguments...]   build and start the program
#   scripts/setup.sh test [ctest arguments...]    build and run every test
set -euo pipefail

mode=${1:-run}
shift || true
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

packages=(
    cmake ninja-build g++ pkg-config python3 librsvg2-bin
    fonts-droid-fallback fonts-dejavu-core
    qtbase5-dev qtdeclarative5-dev qtdeclarative5-dev-tools qtquickcontrols2-5-dev
    qttools5-dev qttools5-dev-tools qtmultimedia5-dev
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls2
    qml-module-qtquick-dialogs qml-module-qtquick-layouts qml-module-qtgraphicaleffects
    qml-module-qttest
    libudev-dev libevdev-dev libx11-dev libxtst-dev libxrandr-dev libxi-dev
    libqt5multimedia5-plugins gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
    libsodium-dev libsqlite3-dev libcpp-httplib-dev libssl-dev openssl libpq-dev postgresql
    libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev xkb-data x11-xkb-utils
    xvfb xauth trayer xdotool x11-utils libglib2.0-bin
    libinput-tools
    weston xwayland sway gsettings-desktop-schemas dbus-daemon
    libwayland-dev
    dpkg-dev fakeroot file lintian appstream desktop-file-utils debootstrap systemd
    mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 locales
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" -j "$(nproc)"

case "$mode" in
run)
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "No display found: running headless (QT_QPA_PLATFORM=offscreen). Stop it with Ctrl+C."
        export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
    fi
    # The cloud service on loopback (unless another address is configured or something already
    # listens there), stopped again when the program ends.
    listening() { (exec 3<>/dev/tcp/127.0.0.1/8732) 2>/dev/null; }
    if [ "${POINTORA_SERVICE_URL:-http://127.0.0.1:8732}" = "http://127.0.0.1:8732" ] && ! listening; then
        cloud_data="${XDG_DATA_HOME:-$HOME/.local/share}/Pointora/cloud"
        echo "Starting pointora-cloud on 127.0.0.1:8732 (data in $cloud_data)"
        "$build/bin/pointora-cloud" --listen 127.0.0.1:8732 --data "$cloud_data" --quiet &
        cloud_pid=$!
        trap 'kill "$cloud_pid" 2>/dev/null; wait "$cloud_pid" 2>/dev/null' EXIT
        for _ in $(seq 50); do
            if listening || ! kill -0 "$cloud_pid" 2>/dev/null; then break; fi
            sleep 0.1
        done
        listening || echo "pointora-cloud did not start; the cloud functions will fail" >&2
    fi
    status=0
    "$build/bin/Pointora" "$@" || status=$?
    exit "$status"
    ;;
test)
    cd "$build"
    status=0
    ctest --output-on-failure -j "$(nproc)" -LE 'kernel|windows' "$@" || status=$?
    # Runs the tests of one label alone, after the others, and says loudly when they were
    # skipped: skipped is never counted as passed.
    run_alone() {
        local label=$1 banner=$2
        shift 2
        local log
        log=$(mktemp)
        set +e
        ctest --output-on-failure -L "$label" "$@" 2>&1 | tee "$log"
        local label_status=${PIPESTATUS[0]}
        set -e
        [ "$label_status" -eq 0 ] || status=$label_status
        if grep -q '\*\*\*Skipped' "$log"; then
            echo "=================================================================="
            echo "$banner"
            [ "$label" = kernel ] && [ -f kernel-tests-skipped.txt ] &&
                echo "  Why: $(cat kernel-tests-skipped.txt)"
            echo "=================================================================="
        fi
        rm -f "$log"
    }
    # The Windows build keeps every core busy (and builds Qt for Windows the first time on a
    # machine).
    run_alone windows "  THE WINDOWS BUILD WAS SKIPPED (see its output above): it was NOT
  built or tested." "$@"
    # The real-kernel tests boot a virtual machine that keeps every core busy. When the machine
    # cannot run one, they are reported as skipped.
    run_alone kernel "  THE REAL-KERNEL TESTS WERE SKIPPED: this machine cannot boot the
  test kernel (see tests/kernel/lab/README.md). They did NOT pass." "$@"
    exit "$status"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
