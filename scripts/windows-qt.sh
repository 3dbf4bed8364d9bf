#!/usr/bin/env bash
# Cross-builds the Qt 5 subset the Windows build needs (Core, Network, Test) from Debian's own
# qtbase sources with mingw-w64, once per machine, into POINTORA_TEST_CACHE (default
# /var/cache/pointora-tests). A finished build is reused; an unfinished one is started again.
#   windows-qt.sh            prints the Qt prefix on its last line
# Exit status: 0 when the prefix is ready, 77 (skipped) when not root for apt or when Debian's
# sources cannot be had, anything else on a failure.
set -euo pipefail

cache=${POINTORA_TEST_CACHE:-/var/cache/pointora-tests}
prefix="$cache/qt5-mingw"
stamp="$prefix/.pointora-complete"
tools="$cache/mingw-posix"

skip() {
    echo "==================================================================" >&2
    echo "  SKIPPED: $*" >&2
    echo "  The Windows build was NOT checked." >&2
    echo "==================================================================" >&2
    exit 77
}
step() { echo "--- $* ($(date +%T))" >&2; }

if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi
[ "$(id -u)" -eq 0 ] || skip "building Qt for Windows needs root (apt-get source, $cache)"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || skip "mingw-w64 (posix threads) is missing"

mkdir -p "$cache"
exec 8> "$cache/qt5-mingw.lock"
flock 8
if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

# Debian's sources: a deb-src line for the mirror this machine already uses, when none exists.
if ! apt-get source --print-uris qtbase-opensource-src >/dev/null 2>&1; then
    mirror=$(
        {
            sed -n 's|^deb \(\[[^]]*\] \)\?\([a-z]*://[^ ]*\) bookworm .*|\2|p' \
                /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
            for f in /etc/apt/sources.list.d/*.sources; do
                [ -f "$f" ] || continue
                awk '/^[ \t]*$/ { if (uri != "" && hit) print uri; uri = ""; hit = 0; next }
                     /^URIs:/ { uri = $2 }
                     /^Suites:/ { for (i = 2; i <= NF; ++i) if ($i == "bookworm") hit = 1 }
                     END { if (uri != "" && hit) print uri }' "$f"
            done
        } | head -n 1
    )
    mirror=${mirror:-http://deb.debian.org/debian}
    step "adding the source line for $mirror"
    cat > /etc/apt/sources.list.d/pointora-qt-src.sources <<SOURCES
Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -qq || skip "apt-get update failed (no mirror reachable?)"
fi

src_root="$cache/qtbase-src"
if ! ls -d "$src_root"/qtbase-opensource-src-*/configure >/dev/null 2>&1; then
    step "fetching Debian's qtbase sources"
    rm -rf "$src_root"
    mkdir -p "$src_root"
    (cd "$src_root" && apt-get source -qq qtbase-opensource-src) ||
        skip "apt-get source qtbase-opensource-src failed (no source mirror reachable?)"
fi
src=$(ls -d "$src_root"/qtbase-opensource-src-*/ | head -n 1)
src=${src%/}

# Qt names Windows' import libraries in mixed case; mingw's are lower-case files, which a
# case-sensitive file system does not find.
grep -rl -e '-lSecur32' -e '-lCrypt32' "$src/src/network" "$src/mkspecs" 2>/dev/null |
    xargs -r sed -i 's/-lSecur32/-lsecur32/g; s/-lCrypt32/-lcrypt32/g'

# The posix-threads flavour of mingw-w64 (std::thread), under the plain prefix Qt's mkspec uses.
mkdir -p "$tools"
for tool in /usr/bin/x86_64-w64-mingw32-*; do
    name=$(basename "$tool")
    case "$name" in *-posix | *-win32 | *-[0-9]*) continue ;; esac
    ln -sf "$tool" "$tools/$name"
done
for tool in gcc g++ c++ cpp; do
    ln -sf "/usr/bin/x86_64-w64-mingw32-$tool-posix" "$tools/x86_64-w64-mingw32-$tool"
done

build="$cache/qt5-mingw-build"
rm -rf "$build" "$prefix"
mkdir -p "$build"
cd "$build"
step "configuring Qt for Windows"
jobs=${POINTORA_QT_JOBS:-$(nproc)}
"$src/configure" -prefix "$prefix" \
    -xplatform win32-g++ -device-option CROSS_COMPILE="$tools/x86_64-w64-mingw32-" \
    -opensource -confirm-license -release -shared -silent \
    -nomake examples -nomake tests -nomake tools \
    -no-gui -no-widgets -no-opengl -no-dbus -no-icu -no-openssl -no-sql-sqlite -no-sql-odbc \
    -no-feature-sql -no-feature-concurrent -no-feature-xml \
    -qt-zlib -qt-pcre -qt-doubleconversion -no-pch \
    > configure.log 2>&1 || { tail -n 40 configure.log >&2; exit 1; }
step "building Qt for Windows with $jobs jobs"
make -j"$jobs" > make.log 2>&1 || { tail -n 40 make.log >&2; exit 1; }
make install > install.log 2>&1 || { tail -n 40 install.log >&2; exit 1; }
touch "$stamp"
rm -rf "$build"
step "Qt for Windows is in $prefix"
echo "$prefix"
