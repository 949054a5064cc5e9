#!/usr/bin/python3
"""One fixed session (start and stop monitoring, describe, share) in a real window, reusing the
end-to-end helpers; keeps Tarvix's log and the archive the log server received in --output.
Exit status 0 done, 1 failed, 77 skipped."""
import argparse
import glob
import importlib.util
import os
import re
import shutil
import sys

sys.dont_write_bytecode = True  # nothing left in the source tree

here = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("end_to_end", os.path.join(here, "..", "tests", "gui", "end_to_end.py"))
e2e = importlib.util.module_from_spec(spec)
spec.loader.exec_module(e2e)


def session(world, out):
    store = world.serve("server")
    home = e2e.start_sample(world)
    sample_pid = int(re.search(rb"PID (\d+)", open(os.path.join(world.root, "sample.txt"), "rb").read()).group(1))
    process = world.tarvix(home, "tarvix")
    screen = e2e.Screen(world, process)
    screen.wait("Tarvix", e2e.TEXT)
    screen.collect()
    screen.fill("Export to PDF hangs")
    screen.click("Share logs", e2e.BUTTON)
    log_id, archive = screen.sent(store, "Export to PDF hangs")
    # Closed first, so the log holds the whole run.
    screen.click("Close", e2e.BUTTON)
    e2e.wait_for("Tarvix to end after Close", lambda: process.poll() is not None, timeout=20)
    logs = sorted(glob.glob(world.root + "/**/TarvixDebugOutput.log", recursive=True))
    e2e.check(len(logs) == 1, "not one TarvixDebugOutput.log: %s" % logs)
    shutil.copy(logs[0], os.path.join(out, "TarvixDebugOutput.log"))
    shutil.copy(archive, os.path.join(out, "archive.zip"))
    # What the masking needs to know about this run.
    with open(os.path.join(out, "run.txt"), "w") as facts:
        facts.write("log_id=%s\nsample_pid=%d\ntarvix_pid=%d\nroot=%s\nlog=%s\n" % (
            log_id, sample_pid, process.pid, world.root, os.path.relpath(logs[0], world.root)))
    print("sent as %s; kept in %s" % (log_id, out))


def main():
    parser = argparse.ArgumentParser()
    for option in ("--tarvix", "--bin", "--pki", "--host", "--output"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    port = re.fullmatch(r"127\.0\.0\.1:(\d+)", args.host)
    missing = [t for t in ("Xvfb", "xdotool", "dbus-daemon", "weston") if not shutil.which(t)]
    if not port or missing:
        print("skipped: %s" % (missing or "the build's log server %s is not a 127.0.0.1 host" % args.host))
        return 77
    # pyatspi and dbus are Debian's: run with /usr/bin/python3
    return e2e.run_world(args, port.group(1), lambda world: session(world, args.output))


if __name__ == "__main__":
    sys.exit(main())
