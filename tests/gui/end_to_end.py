#!/usr/bin/python3
"""A person's sessions in real windows, found through the accessibility tree, against the sample
target and the local HTTPS log server, in one world (world.py):

- X11, real input events: closing the window in Ready posts nothing and a new start opens a fresh
  window; a start while the window is open raises it (still one window); closing it while
  monitoring posts one notification, whose default action brings the window back; then a whole
  session to Sent (Log ID on screen, on the clipboard, in the received archive's name; the archive's
  content) and Close.
- HiDPI: Tarvix at scale 2 and 1.5 has the 1x layout at that many pixels, and its artwork is drawn
  at full resolution, not scaled up.
- Wayland, accessibility actions alone (no pointer, no keys): options toggled and checked, Start,
  Stop, the description gate disables "Share logs", texts entered through EditableText, a refused
  upload leaves the form locked, a second share is sent and Close ends Tarvix.

Exit status 0 passed, 1 failed, 77 skipped.
"""
import argparse
import fcntl
import importlib.util
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

from world import (BUTTON, CHECK_BOX, ENTRY, LINK, TEXT, Failure, Screen, World, check, notifications,
                   start_again, start_tarvix, start_world, wait_for)

SKIP = 77
DESCRIPTION = "Please tell us what led to the error"
EMAIL = "Norvane can contact me for fixes at the following email address"
MONITORING = "Please reproduce the steps that led to the issue and then select Stop monitoring"
NOTIFICATIONS = ("--dest=org.freedesktop.Notifications", "/org/freedesktop/Notifications")


def check_received_archive(store, log_id, description, email):
    archives = wait_for("the received archive", lambda: [
        os.path.join(d, f) for d, _, files in os.walk(store) for f in files if f.endswith(".zip")])
    expected = "scrivoMacLog_%s_abc.zip" % log_id
    check(os.path.basename(archives[-1]) == expected, "the server received %s, not %s" % (archives[-1], expected))
    with zipfile.ZipFile(archives[-1]) as archive:
        names = archive.namelist()
        record_name = next((n for n in names if n.endswith("UserEmailFeedback.json")), None)
        check(record_name and any(n.startswith("Scrivo/ScrivoLog/") for n in names), "archive content: %s" % names)
        record = archive.read(record_name).decode("utf-8")
        check(description in record and email in record, "feedback record: %s" % record)
    return expected


def shown_log_id(screen):
    uuid = re.compile(r"[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}")
    return wait_for("the Log ID", lambda: next((t for t in screen.texts() if uuid.fullmatch(t)), None))


def stacked_above(world, upper, lower):
    from Xlib import display
    connection = display.Display(world.env["DISPLAY"])
    order = [child.id for child in connection.screen().root.query_tree().children]  # bottom to top
    connection.close()
    return int(upper) in order and int(lower) in order and order.index(int(upper)) > order.index(int(lower))


def x11_session(world, args, store, home):
    process = start_tarvix(world, args, home, "tarvix-x11")
    screen = Screen(world, process, args.output, "e2e-")
    screen.wait("Tarvix", TEXT)
    ready_shot = screen.screenshot("ready")

    # Closed in Ready: nothing to say; a new start opens a fresh window.
    screen.close_window()
    wait_for("the window to close", lambda: not screen.x_windows())
    start_again(world, args, home)
    screen.window = screen.x_window()

    # With the window open (and covered), a new start raises it and opens no second one.
    screen.click("Start monitoring", BUTTON)
    screen.wait(MONITORING, TEXT)
    from Xlib import X, display
    connection = display.Display(world.env["DISPLAY"])
    cover = connection.screen().root.create_window(0, 0, 2400, 2000, 0, connection.screen().root_depth,
                                                   X.InputOutput, X.CopyFromParent)
    cover.map()
    connection.sync()
    wait_for("the cover above Tarvix", lambda: stacked_above(world, cover.id, screen.window))
    start_again(world, args, home)
    wait_for("Tarvix raised above the cover", lambda: stacked_above(world, screen.window, cover.id))
    check(len(screen.x_windows()) == 1, "a second window opened: %s" % screen.x_windows())
    cover.destroy()
    connection.close()
    check(not notifications(world), "a notification without a session in progress: %s" % notifications(world))

    # Closed while monitoring: one notification, whose default action brings the window back.
    screen.close_window()
    posted = wait_for("the still-running notification", lambda: notifications(world))
    check(len(posted) == 1 and posted[0]["call"] == "Notify", "notifications: %s" % posted)
    note = posted[0]
    check(note["app"] == "Tarvix" and note["summary"] == "Tarvix is still running"
          and note["body"] == "Scrivo's detailed logging stays on until monitoring is stopped. "
                              "Start Tarvix again to bring its window back."
          and note["actions"][:1] == ["default"] and note["desktop-entry"] == "com.norvane.Tarvix",
          "notification: %s" % note)
    world.run(["dbus-send", "--session", "--print-reply", *NOTIFICATIONS, "com.norvane.TarvixTest.Invoke", "uint32:%d" % note["id"],
               "string:default"])
    screen.window = screen.x_window()
    screen.wait("Start monitoring", BUTTON)
    wait_for("the notification withdrawn", lambda: notifications(world)[-1]["call"] == "CloseNotification")

    screen.click("Start monitoring", BUTTON)
    screen.wait(MONITORING, TEXT)
    screen.click("Stop monitoring", BUTTON)
    screen.wait("Logging complete.", TEXT, timeout=120)
    screen.screenshot("logs-ready")
    screen.click(DESCRIPTION, ENTRY)
    screen.type("Export to PDF hangs")
    screen.click(EMAIL, ENTRY)
    screen.type("anne@example.org")
    screen.click("Share logs", BUTTON)
    screen.wait("The log files were sent successfully.", TEXT, timeout=120)
    log_id = shown_log_id(screen)
    screen.screenshot("sent")

    screen.click("copy", LINK)
    wait_for("the Log ID %s on the clipboard" % log_id,
             lambda: world.run(["xclip", "-o", "-selection", "clipboard"]).stdout == log_id)
    name = check_received_archive(store, log_id, "Export to PDF hangs", "anne@example.org")
    screen.click("Close", BUTTON)
    wait_for("Tarvix to end after Close", lambda: process.poll() is not None, timeout=20)
    print("x11 session: notification, one raised window, Log ID %s sent, copied and named in %s" % (log_id, name))
    return ready_shot


def magick(*argv):
    result = subprocess.run(["convert", *argv], capture_output=True, text=True)
    check(result.returncode == 0, "convert %s: %s" % (argv, result.stderr))
    return result.stdout.strip()


def sharpest_step(image, region):
    """The largest change between neighbouring pixels in a region: what scaling up smooths away."""
    return max(float(magick(image, "-crop", region, "+repage", "-colorspace", "gray", "(", "+clone", "-roll", roll, ")",
                            "-compose", "difference", "-composite", "-shave", "1x1", "-format", "%[fx:maxima]",
                            "info:")) for roll in ("+1+0", "+0+1"))


def hidpi(world, args, ready_shot):
    """The Ready window at scale 2 and 1.5 against the 1x shot: the same layout at that many more
    pixels, and the header artwork drawn at full resolution: an edge as sharp as at 1x, where an
    image scaled up has its steps smoothed to about half."""
    width, height = (int(v) for v in magick(ready_shot, "-format", "%w %h", "info:").split())
    # Inside the header artwork: 80x80, centred, below the window's and the header's padding.
    art = (width // 2 - 32, 24, 64)
    sharp_at_1x = sharpest_step(ready_shot, "%dx%d+%d+%d" % (art[2], art[2], art[0], art[1]))
    for scale in (2, 1.5):
        home = world.private_folder("home-%s" % scale)
        process = start_tarvix(world, args, home, "tarvix-%s" % scale, QT_SCALE_FACTOR=str(scale),
                               XDG_RUNTIME_DIR=world.private_folder("runtime-%s" % scale))
        screen = Screen(world, process, args.output, "e2e-scale-%s-" % scale)
        screen.wait("Tarvix", TEXT)
        shot = screen.screenshot("ready")
        world.stop(process)
        size = [int(v) for v in magick(shot, "-format", "%w %h", "info:").split()]
        check(abs(size[0] - width * scale) <= 2 and abs(size[1] - height * scale) <= 2,
              "scale %s: %s, not %sx%s times %s" % (scale, size, width, height, scale))
        difference = float(magick(shot, "-resize", "%dx%d!" % (width, height), ready_shot, "-compose", "difference",
                                  "-composite", "-colorspace", "gray", "-format", "%[fx:mean]", "info:"))
        check(difference < 0.01, "scale %s: the layout differs from 1x (mean difference %.4f)" % (scale, difference))
        side = int(art[2] * scale)
        sharp = sharpest_step(shot, "%dx%d+%d+%d" % (side, side, art[0] * scale, art[1] * scale))
        check(sharp > 0.8 * sharp_at_1x, "scale %s: the artwork is scaled up (sharpest step %.3f, at 1x %.3f)"
              % (scale, sharp, sharp_at_1x))
        print("hidpi: scale %s has the 1x layout (mean difference %.4f), artwork step %.3f (1x %.3f)"
              % (scale, difference, sharp, sharp_at_1x))


def wayland_session(world, args, serve, home):
    """A whole session through accessibility actions alone, natively under Wayland."""
    server, _ = serve("server-500", "--status", "500")
    process = start_tarvix(world, args, home, "tarvix-wayland", wayland=True)
    screen = Screen(world, process, args.output, "e2e-wayland-", x11=False)
    status = screen.wait(" ", TEXT)

    screen.act("Advanced logs", CHECK_BOX, "Toggle")
    screen.wait_state("Advanced logs", CHECK_BOX, "checked")
    screen.act("Installed app information", CHECK_BOX, "Toggle")
    screen.wait_state("Installed app information", CHECK_BOX, "checked")
    screen.act("Advanced logs", CHECK_BOX, "Press")
    screen.wait_state("Advanced logs", CHECK_BOX, "checked", present=False)
    wait_for("the second option hidden", lambda: not screen.find("Installed app information", CHECK_BOX))

    screen.act("Start monitoring", BUTTON)
    wait_for("the status line to announce monitoring", lambda: status.name == MONITORING)
    screen.wait_state("Advanced logs", CHECK_BOX, "enabled", present=False)
    screen.act("Stop monitoring", BUTTON)
    screen.wait("Logging complete.", TEXT, timeout=120)
    screen.wait_state(DESCRIPTION, ENTRY, "focused")

    # The description gate locks "Share logs", and says so; a press then does nothing.
    screen.act("Share logs", BUTTON)
    screen.wait("Desciption is required", TEXT)
    screen.wait_state("Share logs", BUTTON, "enabled", present=False)
    check("sensitive" not in screen.states("Share logs", BUTTON), '"Share logs" is sensitive while disabled')
    screen.act("Share logs", BUTTON)
    screen.enter(DESCRIPTION, "Crash on open")
    screen.wait_state("Share logs", BUTTON, "enabled")
    check(screen.find("Desciption is required", TEXT) is None, "the gate message stays")
    screen.enter(EMAIL, "anne@example.org")

    # Refused: the failure panel, the form locked.
    screen.act("Share logs", BUTTON)
    screen.wait("Error sharing logs.", TEXT, timeout=120)
    for entry in (DESCRIPTION, EMAIL):
        screen.wait_state(entry, ENTRY, "enabled", present=False)
    screen.wait_state("Share logs", BUTTON, "enabled")

    world.stop(server)
    server, store = serve("server-wayland")
    screen.act("Share logs", BUTTON)
    screen.wait("The log files were sent successfully.", TEXT, timeout=120)
    log_id = shown_log_id(screen)
    name = check_received_archive(store, log_id, "Crash on open", "anne@example.org")
    screen.act("Close", BUTTON)
    wait_for("Tarvix to end after Close", lambda: process.poll() is not None, timeout=20)
    world.stop(server)
    print("wayland session: accessibility actions alone, refused then sent as %s" % name)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--tarvix", "--bin", "--pki", "--host", "--output"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    match = re.fullmatch(r"127\.0\.0\.1:(\d+)", args.host)
    if not match:
        print("skipped: the build's log server %s is not a 127.0.0.1 host" % args.host)
        return SKIP
    port = match.group(1)
    for tool in ("Xvfb", "xdotool", "xclip", "convert", "import", "dbus-daemon", "weston"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return SKIP
    for module in ("pyatspi", "Xlib", "dbus", "gi"):
        if importlib.util.find_spec(module) is None:
            print("skipped: the Python module %s is not installed" % module)
            return SKIP

    root = tempfile.mkdtemp(prefix="tarvix-e2e-")
    world = World(root)
    # The offscreen tests use the same port; take the same turn they take.
    lock = open(os.path.join(tempfile.gettempdir(), "tarvix-logserver-%s.lock" % port), "a")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX)
        start_world(world)
        sample_root = os.path.join(root, "sample")
        sample_out = os.path.join(root, "sample.txt")
        world.start("sample", [os.path.join(args.bin, "tarvix-sample-sandbox"), sample_root, "--edition", "scrivo",
                               "--run", "scrivo"], stdout=open(sample_out, "wb"))
        wait_for("the sample target", lambda: b"PID " in open(sample_out, "rb").read())
        home = os.path.join(sample_root, "home")

        def serve(name, *extra):
            store, ready = os.path.join(root, name), os.path.join(root, name + ".ready")
            server = world.start(name, [os.path.join(args.bin, "tarvix-logserver"), "--pki", args.pki, "--port", port,
                                        "--store", store, "--ready-file", ready, *extra])
            wait_for("the log server", lambda: os.path.exists(ready) or server.poll() is not None)
            check(server.poll() is None, "the log server did not start")
            return server, store

        server, store = serve("server-x11")
        ready_shot = x11_session(world, args, store, home)
        world.stop(server)
        hidpi(world, args, ready_shot)
        wayland_session(world, args, serve, home)
        return 0
    except Failure as failure:
        print("FAILED: %s" % failure)
        for name in ("tarvix-x11", "tarvix-2", "tarvix-1.5", "tarvix-wayland", "notifications", "weston"):
            path = os.path.join(root, name + ".log")
            if os.path.exists(path):
                print("--- %s\n%s" % (name, open(path, errors="replace").read()[-3000:]))
        return 1
    finally:
        world.stop_all()
        lock.close()
        if os.environ.get("TARVIX_E2E_KEEP") != "1":
            shutil.rmtree(root, ignore_errors=True)
        else:
            print("kept " + root)


if __name__ == "__main__":
    sys.exit(main())
