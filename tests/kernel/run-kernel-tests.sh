#!/bin/bash
# The real-kernel device tests, as CTest runs them: boots the lab (tests/kernel/lab) and runs the
# guest scenarios against the program built in BUILD_DIR.
#   tests/kernel/run-kernel-tests.sh BUILD_DIR [SCENARIO...]
# Exit status: 0 passed, 77 skipped (the lab cannot start on this machine), anything else failed.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
[ $# -ge 1 ] || { sed -n '2,5s/^# \{0,1\}//p' "$0" >&2; exit 2; }
BUILD=$(cd "$1" 2>/dev/null && pwd -P) || { echo "run-kernel-tests: no build folder $1" >&2; exit 2; }
shift
[ -x "$BUILD/bin/Pointora" ] || { echo "run-kernel-tests: $BUILD/bin/Pointora is missing: build first" >&2; exit 2; }

# All scenarios in one guest take 4 to 9 minutes, depending on how busy the host is.
export POINTORA_LAB_TIMEOUT=${POINTORA_LAB_TIMEOUT:-1500}
# The run folder is ours, so that the lab's reason for a skip can be read back from it.
export POINTORA_LAB_RUN=${POINTORA_LAB_RUN:-$(mktemp -d "${TMPDIR:-/tmp}/pointora-kernel-tests.XXXXXX")}
"$HERE/lab/run" "$HERE/guest/run_scenarios.py" --build "$BUILD" "$@"
rc=$?
# The reason of a skip also stays in the build folder, for whoever reports the run.
rm -f "$BUILD/kernel-tests-skipped.txt"
if [ $rc = 77 ]; then
  reason=$(cat "$POINTORA_LAB_RUN/skipped" 2>/dev/null || echo "the lab gave no reason")
  echo "$reason" >"$BUILD/kernel-tests-skipped.txt"
  {
    echo "########################################################################"
    echo "KERNEL TESTS SKIPPED: $reason"
    echo "########################################################################"
  } >&2
fi
exit $rc
