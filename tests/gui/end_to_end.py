#!/usr/bin/python3
"""A person's sessions in real windows, found through the accessibility tree, against the sample
target and the local HTTPS log server, in one world: a private session bus with the accessibility
bus and a notification service, an X server (Xvfb) and a headless Wayland compositor (weston).

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

Exit status 0 passed, 1 failed, 77 skipped. `end_to_end.py --serve-notifications FILE` is the
notification service it starts: it records each call as a JSON line in FILE.
"""
import argparse
import fcntl
import importlib.util
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

SKIP = 77
BUTTON = ("push button", "button")
LINK = ("link", "push button")
TEXT = ("label", "static", "text")
ENTRY = ("text", "entry", "paragraph")
CHECK_BOX = ("check box",)
DESCRIPTION = "Please tell us what led to the error"
EMAIL = "Norvane can contact me for fixes at the following email address"
MONITORING = "Please reproduce the steps that led to the issue and then select Stop monitoring"
WAYLAND_SOCKET = "tarvix-e2e"
NOTIFICATIONS = ("--dest=org.freedesktop.Notifications", "/org/freedesktop/Notifications")


class Failure(Exception):
    pass


def wait_for(what, condition, timeout=30.0):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)
    return value


def check(condition, message):
    if not condition:
        raise Failure(message)


class World:
    """Every process the test starts, stopped in reverse order by its pid."""

    def __init__(self, root):
        self.root = root
        self.processes = []
        self.env = dict(os.environ)

    def start(self, name, argv, env=None, **kwargs):
        log = open(os.path.join(self.root, name + ".log"), "wb")
        process = subprocess.Popen(argv, env=env or self.env, stdout=kwargs.pop("stdout", log), stderr=log, **kwargs)
        self.processes.append(process)
        return process

    def start_reporting(self, name, argv_for_fd):
        """Starts a program that writes one line (its address) to the descriptor it is given."""
        read_fd, write_fd = os.pipe()
        self.start(name, argv_for_fd(str(write_fd)), pass_fds=(write_fd,))
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            return pipe.readline().strip()

    @staticmethod
    def stop(process, timeout=10):
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def stop_all(self):
        for process in reversed(self.processes):
            self.stop(process)

    def run(self, argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True)

    def private_folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, 0o700, exist_ok=True)
        return path


def start_world(world):
    number = world.start_reporting("xvfb", lambda fd: ["Xvfb", "-displayfd", fd, "-screen", "0", "2400x2000x24",
                                                       "-nolisten", "tcp"])
    check(number, "Xvfb did not report a display")
    world.env["DISPLAY"] = ":" + number
    world.env["XDG_RUNTIME_DIR"] = world.private_folder("runtime")
    world.env["DBUS_SESSION_BUS_ADDRESS"] = world.start_reporting("dbus", lambda fd: [
        "dbus-daemon", "--session", "--nofork", "--address=unix:path=" + os.path.join(world.root, "bus"),
        "--print-address=" + fd])

    def owned(name, bus="--session"):
        return "boolean true" in world.run(["dbus-send", bus, "--print-reply", "--dest=org.freedesktop.DBus",
                                            "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                            "string:" + name]).stdout

    # Started here, not by bus activation, so that they are ours to stop.
    world.start("a11y-bus", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"])
    wait_for("the accessibility bus", lambda: owned("org.a11y.Bus"))
    reply = world.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                       "org.a11y.Bus.GetAddress"]).stdout
    a11y = re.search(r'string "([^"]+)"', reply)
    check(a11y, "no accessibility bus address: " + reply)
    world.start("a11y-registry", ["/usr/libexec/at-spi2-registryd"])
    # The registry lives on the accessibility bus, not on the session bus.
    wait_for("the accessibility registry", lambda: owned("org.a11y.atspi.Registry", "--bus=" + a11y.group(1)))

    world.notifications = os.path.join(world.root, "notifications.jsonl")
    world.start("notifications", [sys.executable, os.path.abspath(__file__), "--serve-notifications",
                                  world.notifications])
    wait_for("the notification service", lambda: owned("org.freedesktop.Notifications"))

    # A bare desktop: no panel, no on-screen keyboard client, no idle blanking.
    config = os.path.join(world.root, "weston.ini")
    with open(config, "w") as ini:
        ini.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n[input-method]\npath=\n")
    world.start("weston", ["weston", "--backend=headless-backend.so", "--socket=" + WAYLAND_SOCKET, "-c", config])
    wait_for("the Wayland compositor", lambda: os.path.exists(os.path.join(world.env["XDG_RUNTIME_DIR"],
                                                                            WAYLAND_SOCKET)))
    os.environ.update({k: world.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})


def notifications(world):
    if not os.path.exists(world.notifications):
        return []
    with open(world.notifications) as lines:
        return [json.loads(line) for line in lines]


def serve_notifications(record):
    """A notification service that records what it is asked, and on request invokes an action."""
    import dbus
    import dbus.mainloop.glib
    import dbus.service
    from gi.repository import GLib

    interface = "org.freedesktop.Notifications"
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    def write(entry):
        with open(record, "a") as out:
            out.write(json.dumps(entry) + "\n")

    class Service(dbus.service.Object):
        last_id = 0

        @dbus.service.method(interface, in_signature="susssasa{sv}i", out_signature="u")
        def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
            Service.last_id = replaces or Service.last_id + 1
            write({"call": "Notify", "id": Service.last_id, "app": str(app), "summary": str(summary),
                   "body": str(body), "actions": [str(a) for a in actions],
                   "desktop-entry": str(hints.get("desktop-entry", ""))})
            return Service.last_id

        @dbus.service.method(interface, in_signature="u")
        def CloseNotification(self, id):
            write({"call": "CloseNotification", "id": int(id)})

        @dbus.service.signal(interface, signature="us")
        def ActionInvoked(self, id, action):
            pass

        @dbus.service.method("com.norvane.TarvixTest", in_signature="us")
        def Invoke(self, id, action):
            self.ActionInvoked(id, action)

    service = Service(bus, "/org/freedesktop/Notifications")
    name = dbus.service.BusName(interface, bus)
    GLib.MainLoop().run()
    return service, name


class Screen:
    """The Tarvix window as a person or an assistive technology sees it: through the accessibility
    tree, acted on by real input (X11) or by accessibility actions."""

    def __init__(self, world, process, output, prefix, x11=True):
        import pyatspi  # after the buses exist: it connects on import
        self.pyatspi = pyatspi
        self.world = world
        self.process = process
        self.output = output
        self.prefix = prefix
        self.app = wait_for("Tarvix in the accessibility tree", self.find_app, timeout=60)
        self.window = self.x_window() if x11 else None

    def x_window(self):
        # The tree exists before the X window is mapped.
        return wait_for("the visible window", lambda: next(iter(self.x_windows()), None), timeout=60)

    def x_windows(self):
        return self.world.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)]).stdout.split()

    def find_app(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def nodes(self):
        found = []

        def walk(node, depth):
            try:
                if node is None or depth > 60 or not node.getState().contains(self.pyatspi.STATE_SHOWING):
                    return
                found.append(node)
                for i in range(node.childCount):
                    walk(node.getChildAtIndex(i), depth + 1)
            except Exception:
                return

        for i in range(self.app.childCount):
            walk(self.app.getChildAtIndex(i), 0)
        return found

    def find(self, name, roles):
        for node in self.nodes():
            try:
                if node.name == name and node.getRoleName() in roles:
                    return node
            except Exception:
                continue
        return None

    def texts(self):
        return [n.name for n in self.nodes() if n.getRoleName() in TEXT and n.name]

    def wait(self, name, roles, timeout=30):
        return wait_for('"%s" on screen' % name, lambda: self.find(name, roles), timeout)

    def states(self, name, roles):
        node = self.wait(name, roles)
        return {self.pyatspi.stateToString(s) for s in node.getState().getStates()}

    def wait_state(self, name, roles, state, present=True):
        wait_for('"%s" %s %s' % (name, "to be" if present else "not to be", state),
                 lambda: (state in self.states(name, roles)) == present)

    def click(self, name, roles):
        box = self.wait(name, roles).queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        x, y = box.x + box.width // 2, box.y + box.height // 2
        # "mousemove --sync" waits for a move, so it hangs when the pointer is there already.
        where = self.world.run(["xdotool", "getmouselocation", "--shell"]).stdout
        if "X=%d\nY=%d\n" % (x, y) not in where:
            self.world.run(["xdotool", "mousemove", "--sync", str(x), str(y)])
        self.world.run(["xdotool", "click", "1"])

    def act(self, name, roles, action="Press"):
        node = self.wait(name, roles)
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        check(action in names, '"%s" offers no %s action: %s' % (name, action, names))
        actions.doAction(names.index(action))

    def enter(self, name, text):
        self.wait(name, ENTRY).queryEditableText().setTextContents(text)

    def type(self, text):
        self.world.run(["xdotool", "type", "--delay", "20", text])

    def close_window(self):
        """What a window manager sends when the user closes the window."""
        from Xlib import X, display, protocol
        connection = display.Display(self.world.env["DISPLAY"])
        window = connection.create_resource_object("window", int(self.window))
        message = protocol.event.ClientMessage(window=window, client_type=connection.intern_atom("WM_PROTOCOLS"),
                                               data=(32, [connection.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime,
                                                          0, 0, 0]))
        window.send_event(message)
        connection.sync()
        connection.close()

    def screenshot(self, name):
        os.makedirs(self.output, exist_ok=True)
        path = os.path.join(self.output, self.prefix + name + ".png")
        self.world.run(["import", "-window", self.window, path])
        return path


def tarvix_env(world, home, wayland=False, **env):
    env = dict(world.env, HOME=home, XDG_CACHE_HOME=os.path.join(home, ".cache"),
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", **env)
    if wayland:
        # Qt 6.4's Wayland input context reaches the compositor's text input through the default
        # input device, which a compositor without a seat lacks: the first text area crashes it.
        # A client-side input method (compose) keeps that context out.
        env.update(QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY=WAYLAND_SOCKET, QT_IM_MODULE="compose")
        env.pop("DISPLAY", None)
    else:
        env["QT_QPA_PLATFORM"] = "xcb"
    return env


def start_tarvix(world, args, home, name, wayland=False, **env):
    return world.start(name, [args.tarvix], env=tarvix_env(world, home, wayland, **env))


def start_again(world, args, home):
    """A later start: it must hand over to the running Tarvix and end."""
    try:
        result = subprocess.run([args.tarvix], env=tarvix_env(world, home), capture_output=True, timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("a later start did not hand over to the running Tarvix")
    check(result.returncode == 0, "a later start failed: %s" % result.stderr[-2000:])


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
    parser.add_argument("--serve-notifications")
    for option in ("--tarvix", "--bin", "--pki", "--host", "--output"):
        parser.add_argument(option)
    args = parser.parse_args()
    if args.serve_notifications:
        serve_notifications(args.serve_notifications)
        return 0
    match = re.fullmatch(r"127\.0\.0\.1:(\d+)", args.host or "")
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
