#!/usr/bin/python3
"""Time from the start to a mapped window and the resident memory a second later: tarvix under two
values of LANG and a minimal Qt Quick window (as Qt draws it by default, and with the raster renderer),
alternating runs; prints each one's median and the ratios. Own Xvfb, own home and runtime folder per run.
Usage: startup_bench.py TARVIX MINIMAL [RUNS]"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display

LANGS = ["C.UTF-8", "de_DE.UTF-8"]
MINIMAL = "minimal"
MINIMAL_RASTER = "min-raster"  # the same window drawn as Tarvix draws, without GL


def start_xvfb():
    """A display that answers; another Xvfb starting beside it can take its number first."""
    for _ in range(5):
        server, name = start_one_xvfb()
        try:
            display.Display(name).close()
            return server, name
        except Exception:
            server.terminate()
            server.wait()
    raise SystemExit("no Xvfb display")


def start_one_xvfb():
    read_fd, write_fd = os.pipe()
    # -noreset: the check's connection closing would otherwise reset the server under the first run.
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                               "-noreset"],
                              pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = os.read(read_fd, 16).decode().strip()
    os.close(read_fd)
    return server, ":" + number


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024


def one_run(program_path, name, lang, raster=False):
    """Seconds from the start to the first map of a top-level window, and MiB resident a second later."""
    connection = display.Display(name)
    root = connection.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    connection.sync()
    with tempfile.TemporaryDirectory() as home:
        runtime = os.path.join(home, "run")
        os.mkdir(runtime, 0o700)
        env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": runtime, "DISPLAY": name,
               "QT_QPA_PLATFORM": "xcb", "LANG": lang}
        if raster:
            env["QT_QUICK_BACKEND"] = "software"
        started = time.monotonic()
        program = subprocess.Popen([program_path], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            while True:
                event = connection.next_event()
                if event.type == X.MapNotify and not event.override:
                    mapped = time.monotonic() - started
                    time.sleep(1)  # the first frames drawn
                    return mapped, rss_mib(program.pid)
        finally:
            program.send_signal(signal.SIGTERM)
            program.wait()
            connection.close()


def main(tarvix, minimal, runs="15"):
    kinds = [(tarvix, lang, lang) for lang in LANGS] + [(minimal, LANGS[0], MINIMAL),
                                                        (minimal, LANGS[0], MINIMAL_RASTER)]
    server, name = start_xvfb()
    try:
        one_run(tarvix, name, LANGS[0])  # warm the caches
        one_run(minimal, name, LANGS[0])
        times = {label: [] for _, _, label in kinds}
        rss = {label: [] for _, _, label in kinds}
        for i in range(int(runs)):
            for program, lang, label in kinds if i % 2 == 0 else reversed(kinds):
                mapped, resident = one_run(program, name, lang, label == MINIMAL_RASTER)
                times[label].append(mapped)
                rss[label].append(resident)
    finally:
        server.terminate()
        server.wait()
    medians = {label: statistics.median(t) * 1000 for label, t in times.items()}
    for label in times:
        print(f"{label:12} median {medians[label]:7.1f} ms  (min {min(times[label]) * 1000:.1f}, "
              f"max {max(times[label]) * 1000:.1f}, {len(times[label])} runs), "
              f"RSS median {statistics.median(rss[label]):.1f} MiB")
    base = medians[LANGS[0]]
    print(f"de_DE against C: {100 * (medians[LANGS[1]] - base) / base:+.1f} % (medians)")
    # Each run against the reference run next to it: load on a shared machine drifts less within a pair.
    for label, reference in ((LANGS[1], LANGS[0]), (LANGS[0], MINIMAL), (LANGS[0], MINIMAL_RASTER)):
        paired = statistics.median(a - b for a, b in zip(times[label], times[reference])) * 1000
        ratio = statistics.median(a / b for a, b in zip(times[label], times[reference]))
        extra = statistics.median(rss[label]) - statistics.median(rss[reference])
        print(f"{label} against {reference}: x{ratio:.3f} (median of paired ratios, {paired:+.1f} ms), "
              f"RSS {extra:+.1f} MiB")


if __name__ == "__main__":
    main(*sys.argv[1:])
