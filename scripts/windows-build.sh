#!/usr/bin/env bash
# The Windows build: cross-compiles the libraries below the user interface and their tests with
# mingw-w64 against a Qt for Windows built from Debian's sources (scripts/windows-qt.sh, cached
# per machine), runs the tests under Wine through ctest, and syntax-checks the Windows
# translation units that cannot be linked here (the user interface and the watcher program need
# Qt's GUI modules) against the Linux Qt headers.
#   windows-build.sh [BUILD_DIR]      default: build-win beside this folder
# Exit status: 0 when everything built and passed, 77 (skipped) when the tools or Qt for Windows
# cannot be had here (not root for apt, no Debian mirror), anything else on a failure.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=$(nproc)

skip() {
    echo "==================================================================" >&2
    echo "  SKIPPED: $*" >&2
    echo "  The Windows build was NOT checked." >&2
    echo "==================================================================" >&2
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
started=$(date +%s)
step() { echo "--- $* ($(date +%T), $(($(date +%s) - started)) s)"; }

# The cross tools, from Debian like every other package of the build.
packages=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 locales xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" -eq 0 ] || skip "missing ${missing[*]} and not root to install them"
    step "installing ${missing[*]}"
    apt-get update -qq || skip "apt-get update failed (no mirror reachable?)"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
        skip "cannot install ${missing[*]}"
fi
wine=$(command -v wine || command -v wine64) || fail "wine is missing after its install"

step "Qt for Windows"
set +e
qt=$(bash "$root/scripts/windows-qt.sh" | tail -n 1)
status=${PIPESTATUS[0]}
set -e
[ "$status" -eq 77 ] && exit 77
[ "$status" -eq 0 ] && [ -d "$qt/lib/cmake/Qt5Core" ] || fail "no Qt for Windows (status $status)"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
step "configuring"
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_BUILD_TYPE=Release \
    -DPOINTORA_LIBRARIES_ONLY=ON -DCMAKE_CXX_FLAGS=-Werror "${launcher[@]}" >"$build/configure.log" ||
    { tail -n 30 "$build/configure.log" >&2; fail "configure"; }
step "building"
cmake --build "$build" -j "$jobs" >"$build/build.log" 2>&1 ||
    { grep -B2 -A8 -E "error|warning" "$build/build.log" | head -n 80 >&2; fail "build"; }

# The test programs find their DLLs beside them: Qt's and mingw's runtime.
runtime_dlls=(
    "$qt"/bin/Qt5Core.dll "$qt"/bin/Qt5Network.dll "$qt"/bin/Qt5Test.dll
    "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)"
    "$(x86_64-w64-mingw32-g++-posix -print-file-name=libgcc_s_seh-1.dll)"
    "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)"
)
for dll in "${runtime_dlls[@]}"; do
    [ -f "$dll" ] || fail "$dll is missing"
    cp -u "$dll" "$build/tests/"
done

# A Wine of its own in the build folder, headless: no display, no prompts for Mono or Gecko.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
# The tests' system speaks Chinese (LANG=zh_CN.UTF-8, as on Linux). Wine takes its user locale
# from the C library, which knows only the locales built on the machine: this one is built into
# the build folder and found there through LOCPATH, for the Wine processes alone.
if [ ! -d "$build/locale/zh_CN.UTF-8" ]; then
    mkdir -p "$build/locale"
    localedef -i zh_CN -f UTF-8 "$build/locale/zh_CN.UTF-8" || fail "cannot build the zh_CN.UTF-8 locale"
fi
export LOCPATH="$build/locale"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    step "making the Wine prefix"
    "$wine" wineboot -i >"$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log" >&2; fail "wineboot"; }
fi
wineserver -w 2>/dev/null || true
# One test program at a time: under Windows they share the toolkit's per-user test locations.
step "running the tests under Wine"
status=0
(cd "$build" && ctest --output-on-failure --timeout 300 -LE display) || status=$?
# The window queries need top-level windows, which Wine makes only with an X server.
wineserver -k 2>/dev/null || true
if command -v xvfb-run >/dev/null; then
    step "running the window tests under Wine on a virtual display"
    (cd "$build" && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -L display) ||
        status=1
else
    echo "xvfb-run is missing: THE WINDOW TESTS WERE SKIPPED" >&2
fi
wineserver -k 2>/dev/null || true

step "syntax-checking what cannot be linked here"
qt_headers=$(qmake -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt5)
[ -d "$qt_headers/QtQuick" ] || fail "the Linux Qt headers are missing (scripts/setup.sh installs them)"
includes=(-isystem "$qt_headers")
for module in QtCore QtGui QtWidgets QtNetwork QtQml QtQuick QtQuickControls2; do
    includes+=(-isystem "$qt_headers/$module")
done
checked=0
for unit in "$root"/src/app/*.cpp "$root"/src/watcher/KWatcher.cpp "$root"/src/watcher/main.cpp; do
    x86_64-w64-mingw32-g++-posix -fsyntax-only -std=c++17 -Wall -Wextra -Werror \
        -DQT_DEPRECATED_WARNINGS -DQT_NO_FOREACH "${includes[@]}" -I"$root/src" -I"$root/src/app" \
        "$unit" || { echo "FAIL: $unit does not compile for Windows" >&2; status=1; }
    checked=$((checked + 1))
done
echo "syntax-checked $checked translation units"
step "done"
exit "$status"
