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
    qtbase5-dev qtdeclarative5-dev qtdeclarative5-dev-tools qtquickcontrols2-5-dev
    qttools5-dev qttools5-dev-tools qtmultimedia5-dev
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls2
    qml-module-qtquick-dialogs qml-module-qtquick-layouts qml-module-qtgraphicaleffects
    qml-module-qttest
    libudev-dev libevdev-dev libx11-dev libxtst-dev libxrandr-dev
    libsodium-dev libsqlite3-dev libcpp-httplib-dev openssl
    xvfb xauth trayer xdotool x11-utils
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
    exec "$build/bin/Pointora" "$@"
    ;;
test)
    cd "$build"
    exec ctest --output-on-failure -j "$(nproc)" "$@"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
