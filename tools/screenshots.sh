#!/usr/bin/env bash
# Photographs the interface's screens (function assignment with 3, 5 and 7 keys and the keyboard,
# pairing, profile, about, the synchronisation popup) in Chinese and English, on a real X server
# (Xvfb) with the simulated platform and a private configuration.
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
cmake --build "$build" --target qml_screens
mkdir -p "$out"

for language in zh en; do
    env -u QT_QPA_PLATFORM -u QT_QUICK_BACKEND POINTORA_PLATFORM=sim QT_SCALE_FACTOR="$scale" \
        xvfb-run -a -s "-screen 0 2560x1600x24" "$build/tests/qml_screens" "$out" "$language"
done
