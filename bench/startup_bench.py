#!/usr/bin/python3
"""Time from starting tarvix to its window being mapped, under two values of LANG, alternating
runs; prints each language's median and the difference. Own Xvfb, own home and runtime folder
per run. Usage: startup_bench.py TARVIX [RUNS]"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display

LANGS = ["C.UTF-8", "de_DE.UTF-8"]


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
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = os.read(read_fd, 16).decode().strip()
    os.close(read_fd)
    return server, ":" + number


def one_run(tarvix, name, lang):
    """Seconds from the start to the first map of a top-level window."""
    connection = display.Display(name)
    root = connection.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    connection.sync()
    with tempfile.TemporaryDirectory() as home:
        runtime = os.path.join(home, "run")
        os.mkdir(runtime, 0o700)
        env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": runtime, "DISPLAY": name,
               "QT_QPA_PLATFORM": "xcb", "LANG": lang}
        started = time.monotonic()
        program = subprocess.Popen([tarvix], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            while True:
                event = connection.next_event()
                if event.type == X.MapNotify and not event.override:
                    return time.monotonic() - started
        finally:
            program.send_signal(signal.SIGTERM)
            program.wait()
            connection.close()


def main(tarvix, runs="15"):
    server, name = start_xvfb()
    try:
        one_run(tarvix, name, LANGS[0])  # warm the caches
        times = {lang: [] for lang in LANGS}
        for i in range(int(runs)):
            for lang in LANGS if i % 2 == 0 else reversed(LANGS):
                times[lang].append(one_run(tarvix, name, lang))
    finally:
        server.terminate()
        server.wait()
    medians = {lang: statistics.median(t) * 1000 for lang, t in times.items()}
    for lang in LANGS:
        print(f"LANG={lang:12} median {medians[lang]:7.1f} ms  (min {min(times[lang]) * 1000:.1f}, "
              f"max {max(times[lang]) * 1000:.1f}, {len(times[lang])} runs)")
    base = medians[LANGS[0]]
    print(f"de_DE against C: {100 * (medians[LANGS[1]] - base) / base:+.1f} % (medians)")
    # Each German run against the C run next to it: load on a shared machine drifts less within a pair.
    paired = statistics.median(d - c for c, d in zip(times[LANGS[0]], times[LANGS[1]])) * 1000
    print(f"de_DE against C: {100 * paired / base:+.1f} % (median of paired differences, {paired:+.1f} ms)")


if __name__ == "__main__":
    main(*sys.argv[1:])
