#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest (the cross build's emulator). Qt Test's log
# reaches no pipe from a program under Wine, so a Qt Test program writes it to a file, which is
# printed when the program ends; the program's exit status is passed on.
#   wine-test.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
program=$1
shift
wine=$(command -v wine || command -v wine64)
case "$(basename "$program")" in
tst_*)
    log=$(mktemp --suffix=.txt)
    "$wine" "$program" "$@" -o "$log,txt"
    status=$?
    cat "$log"
    rm -f "$log"
    exit "$status"
    ;;
*)
    exec "$wine" "$program" "$@"
    ;;
esac
