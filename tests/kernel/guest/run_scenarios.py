#!/usr/bin/python3
"""Runs the device scenarios against the real program on the kernel this script runs on.

  run_scenarios.py --build BUILD_DIR [SCENARIO...]

Meant for the guest of tests/kernel/lab/run (root, /dev/uhid, /dev/uinput, udevd, $OUT). Prints
one line per row and a summary per scenario; writes results.json, the program logs and the
probe outputs to $OUT. Exits 0 only when every row of every scenario passed; a row that cannot
run is SKIPPED and fails the run unless its scenario is marked optional. Exits 77 when this
machine cannot run the scenarios at all (not root, no /dev/uhid).
"""

import argparse
import json
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True   # the guest sees the sources read-only

import scenario as scenarios   # noqa: E402

# Scenarios that share a program start follow each other; the rest run after them by name.
ORDER = ["remap-mouse", "remap-consumer", "foreign-mouse", "session", "remap-consumer-ble",
         "ble-forward-only", "unassigned-ble", "pass-through", "stuck-keys", "hotplug",
         "hotplug-early", "sigkill", "no-uinput", "pairing"]


def scale_factor():
    override = os.environ.get("KERNEL_TEST_SCALE")
    if override:
        return float(override)
    return {"tcg": 4.0, "kvm": 1.0}.get(os.environ.get("LAB_ACCEL", ""), 1.0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    parser.add_argument("--build", required=True, help="the build folder (bin/Pointora, tests/)")
    parser.add_argument("--program", help="another Pointora binary to run instead")
    parser.add_argument("--probe", help="another pair_probe binary to run instead")
    parser.add_argument("--scenarios", default=os.path.join(os.path.dirname(HERE), "scenarios"))
    parser.add_argument("--list", action="store_true", help="list the scenarios and exit")
    parser.add_argument("names", nargs="*", metavar="SCENARIO")
    args = parser.parse_args()

    tables = {}
    for entry in sorted(os.listdir(args.scenarios)):
        if entry.endswith(".table"):
            table = scenarios.Scenario(os.path.join(args.scenarios, entry))
            tables[table.name] = table
    if args.list:
        for name in sorted(tables, key=order_key):
            print("%-16s %s" % (name, " ".join(tables[name].about)[:100]))
        return 0
    unknown = [n for n in args.names if n not in tables]
    if unknown:
        print("unknown scenario(s): %s (known: %s)" % (", ".join(unknown),
                                                       ", ".join(sorted(tables))))
        return 2
    chosen = sorted(args.names or list(tables), key=order_key)

    if os.geteuid() != 0 or not os.path.exists("/dev/uhid"):
        print("SKIPPED: the scenarios need root and /dev/uhid (run them in tests/kernel/lab/run)")
        return 77
    out = os.environ.get("OUT") or "/tmp/kernel-scenarios-out"
    os.makedirs(out, exist_ok=True)
    scale = scale_factor()
    print("kernel %s, %s, time scale %g; program %s" % (
        os.uname().release, os.environ.get("LAB_ACCEL", "no lab"), scale,
        args.program or os.path.join(args.build, "bin", "Pointora")), flush=True)

    def say(line):
        print(line, flush=True)

    began = time.monotonic()
    world = scenarios.World(os.path.abspath(args.build), out, scale, binary=args.program,
                            probe=args.probe, say=say)
    results = {}
    throughout = [tables[n] for n in chosen if tables[n].throughout]
    try:
        for name in chosen:
            table = tables[name]
            say("== %s" % name)
            started = time.monotonic()
            runner = scenarios.Runner(world, table)
            rows = runner.run()
            results.setdefault(name, []).extend(rows)
            # Scenarios that hold throughout also run after every other one in which their
            # device is plugged in, while the program still runs.
            for other in throughout:
                if other is table or not world.program or not world.program.alive():
                    continue
                if not world.devices[other.throughout].present:
                    continue
                follow = scenarios.Runner(world, other, label="%s@%s" % (other.name, name))
                results.setdefault(other.name, []).extend(
                    follow.run([r for r in other.rows if r[1] != "start"]))
            world.timings.append((name, "scenario", round(time.monotonic() - started, 1)))
    finally:
        world.shutdown()

    say("== summary (%.0f s)" % (time.monotonic() - began))
    failed = False
    report = {}
    for name in chosen:
        rows = results.get(name, [])
        counts = {}
        for _, _, _, result in rows:
            counts[result.status] = counts.get(result.status, 0) + 1
        bad = counts.get("FAIL", 0) or (counts.get("SKIPPED", 0) and not tables[name].optional)
        failed = failed or bool(bad)
        say("%-5s %-16s %s" % ("FAIL" if bad else "ok", name,
                               ", ".join("%d %s" % (n, s) for s, n in sorted(counts.items()))))
        report[name] = [{"line": number, "step": step, "expected": expected,
                         "status": result.status, "detail": result.detail, "data": result.data}
                        for number, step, expected, result in rows]
    with open(os.path.join(out, "results.json"), "w") as handle:
        json.dump({"scenarios": report, "timings": world.timings}, handle, indent=1,
                  default=str)
    say("details in %s/results.json" % out)
    return 1 if failed else 0


def order_key(name):
    return (ORDER.index(name) if name in ORDER else len(ORDER), name)


if __name__ == "__main__":
    sys.exit(main())
