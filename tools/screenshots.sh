#!/usr/bin/env bash
# Photographs the interface in Chinese and English, on a real X server (Xvfb) with the simulated
# platform and a private configuration: the main-page screens (function assignment with 3, 5 and
# 7 keys and the keyboard, pairing, profile, about, the synchronisation popup), then the whole
# window in every page and dialog (welcome, no device, main page, header, tips, login,
# registration, password recovery, update, driver hint, restore, language notice), the latter
# against a running pointora-cloud.
#
#   tools/screenshots.sh OUTPUT_DIR [BUILD_DIR]
#
# Writes OUTPUT_DIR/<zh|en>_<screen>.png. BUILD_DIR defaults to build/ (scripts/setup.sh's); the
# harness program is built there first. SCALE=2 photographs at device pixel ratio 2, which shows
# the @2x pictures.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUTPUT_DIR [BUILD_DIR]" >&2
    exit 2
fi
out=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${2:-$root/build}
scale=${SCALE:-1}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target qml_screens qml_pages_screens
mkdir -p "$out"

for language in zh en; do
    for harness in qml_screens qml_pages_screens; do
        env -u QT_QPA_PLATFORM -u QT_QUICK_BACKEND -u POINTORA_SIM_DEVICES POINTORA_PLATFORM=sim \
            POINTORA_BIN_DIR="$build/bin" QT_SCALE_FACTOR="$scale" \
            xvfb-run -a -s "-screen 0 2560x1600x24" "$build/tests/$harness" "$out" "$language"
    done
done
