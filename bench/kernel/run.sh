#!/bin/bash
# Input latency on a real kernel, Pointora next to input-remapper: boots the kernel lab once and
# runs bench/kernel/latency.py in it (see that file for what is measured), then prints the table.
#   bench/kernel/run.sh [--presses N] [--rounds N] [--warmup N]
# Needs build/bin/Pointora (build it first). Installs input-remapper's service (Debian packages
# input-remapper-daemon, python3-inputremapper, python3-evdev) with apt-get when missing.
# The run folder (console log, $OUT with latency.csv, summary.txt and the tools' logs) is kept;
# POINTORA_LAB_RUN=DIR picks it. Exit status: latency.py's, or the lab's (77: lab unavailable).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
say() { echo "[bench] $*" >&2; }

[ -x "$ROOT/build/bin/Pointora" ] || { say "no $ROOT/build/bin/Pointora: build it first (cmake --build build -j2)"; exit 2; }
LAB=$ROOT/tests/kernel/lab/run
[ -x "$LAB" ] || { say "no kernel lab at $LAB"; exit 2; }

# input-remapper: the service and the injector are in these two packages (the package
# input-remapper adds only the GTK interface); dbus-send comes with dbus.
SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
need=()
for p in input-remapper-daemon python3-inputremapper python3-evdev dbus; do
  dpkg-query -W -f '${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  say "installing ${need[*]} (apt-get)"
  $SUDO apt-get update -q >/dev/null
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi
command -v input-remapper-service >/dev/null && command -v dbus-send >/dev/null \
  || { say "input-remapper-service or dbus-send still missing"; exit 2; }

RUN=${POINTORA_LAB_RUN:-$(mktemp -d "${TMPDIR:-/tmp}/pointora-bench-latency.XXXXXX")}
export POINTORA_LAB_RUN=$RUN
# About 5 x 200 presses at 50-80 ms each under TCG, plus both tools' start-up.
export POINTORA_LAB_TIMEOUT=${POINTORA_LAB_TIMEOUT:-1500}
cd "$ROOT"
# The guest shares the host's cores: its load says how far the run can be trusted.
load() { cut -d' ' -f1-3 /proc/loadavg; }
LOAD_BEFORE=$(load)
rc=0
"$LAB" bench/kernel/latency.py "$@" || rc=$?
echo
if [ -s "$RUN/out/summary.txt" ]; then
  say "$(date -u '+%Y-%m-%d %H:%M UTC'), guest on a $(nproc)-core host (load before $LOAD_BEFORE, after $(load)):"
  cat "$RUN/out/summary.txt"
  say "samples: $RUN/out/latency.csv; logs: $RUN/out, $RUN/console.log"
else
  say "no results (status $rc): see $RUN/console.log"
fi
exit "$rc"
