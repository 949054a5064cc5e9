#!/usr/bin/python3
"""A person's sessions in real windows, found through the accessibility tree, against the sample target
and the local log server (X11 with real input, HiDPI, Wayland with accessibility actions alone), in a
world of our own. Exit status 0 passed, 1 failed, 77 skipped; --notifications FILE: the notification service."""
import argparse
import fcntl
import glob
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

BUTTON, LINK, CHECK_BOX = ("push button", "button"), ("link", "push button"), ("check box",)
TEXT, ENTRY = ("label", "static", "text"), ("text", "entry", "paragraph")
DESCRIPTION = "Please tell us what led to the error"
EMAIL = "Norvane can contact me for fixes at the following email address"
MONITORING = "Please reproduce the steps that led to the issue and then select Stop monitoring"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, condition, timeout=60.0, shown=None):  # as long as a person would: a loaded machine draws slowly
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() >= deadline:
            raise Failure("timed out waiting for %s%s" % (what, "; on screen: " + shown() if shown else ""))
        time.sleep(0.1)
    return value


class World:
    def __init__(self, args, port):
        self.args, self.port, self.root = args, port, tempfile.mkdtemp(prefix="tarvix-e2e-")
        self.processes, self.servers = [], []
        self.env, self.notes = dict(os.environ), os.path.join(self.root, "notifications.jsonl")

    def start(self, name, argv, env=None, **kwargs):
        log = open(os.path.join(self.root, name + ".log"), "wb")
        self.processes.append(subprocess.Popen(argv, env=env or self.env, stdout=kwargs.pop("stdout", log),
                                               stderr=log, **kwargs))
        return self.processes[-1]

    @staticmethod
    def stop(process):
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def run(self, *argv):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True).stdout

    def folder(self, name):
        os.makedirs(os.path.join(self.root, name), 0o700, exist_ok=True)
        return os.path.join(self.root, name)

    def owns(self, name, bus="--session"):
        return "boolean true" in self.run("dbus-send", bus, "--print-reply", "--dest=org.freedesktop.DBus",
                                          "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name)

    def serves(self, process, name, bus="--session"):  # fails at once if the process ends instead
        wait_for(name + " on its bus", lambda: self.owns(name, bus) or process.poll() is not None)
        check(process.poll() is None, "%s ended (%s) before it owned %s" % (process.args[0], process.returncode, name))

    def serve(self, name, *options):  # one log server at a time on the port, storing into its own folder
        for server in self.servers:
            self.stop(server)
        store, ready = os.path.join(self.root, name), os.path.join(self.root, name + ".ready")
        self.servers.append(self.start(name, [self.args.bin + "/tarvix-logserver", "--pki", self.args.pki, "--port",
                                              self.port, "--store", store, "--ready-file", ready, *options]))
        wait_for("the log server", lambda: os.path.exists(ready) or self.servers[-1].poll() is not None)
        check(self.servers[-1].poll() is None, "the log server did not start")
        return store

    def notifications(self):
        return [json.loads(line) for line in open(self.notes)] if os.path.exists(self.notes) else []

    def up(self):
        read_fd, write_fd = os.pipe()  # where Xvfb tells the display it chose
        self.start("xvfb", ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "2400x2000x24", "-nolisten", "tcp",
                            "-noreset"],
                   pass_fds=(write_fd,))
        os.close(write_fd)
        self.env.update(DISPLAY=":" + os.fdopen(read_fd).readline().strip(), XDG_RUNTIME_DIR=self.folder("runtime"),
                        DBUS_SESSION_BUS_ADDRESS="unix:path=" + self.root + "/bus")
        self.bus = self.start("dbus", ["dbus-daemon", "--session", "--nofork",
                                       "--address=" + self.env["DBUS_SESSION_BUS_ADDRESS"]])
        wait_for("the session bus", lambda: os.path.exists(self.root + "/bus"))
        # Started here, not by bus activation, so that they are ours to stop.
        self.serves(self.start("a11y-bus", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"]),
                    "org.a11y.Bus")
        reply = self.run("dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                         "org.a11y.Bus.GetAddress")
        a11y = re.search(r'string "([^"]+)"', reply)
        check(a11y, "no accessibility bus address: " + reply)
        # The registry lives on the accessibility bus, not on the session bus.
        self.serves(self.start("a11y-registry", ["/usr/libexec/at-spi2-registryd"]), "org.a11y.atspi.Registry",
                    "--bus=" + a11y.group(1))
        self.serves(self.start("notifications", [sys.executable, os.path.abspath(__file__), "--notifications",
                                                 self.notes]), "org.freedesktop.Notifications")
        # A bare desktop: no panel, no on-screen keyboard client, no idle blanking.
        with open(os.path.join(self.root, "weston.ini"), "w") as ini:
            ini.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n[input-method]\npath=\n")
        self.start("weston", ["weston", "--backend=headless-backend.so", "--socket=tarvix-e2e", "-c", ini.name])
        wait_for("the Wayland compositor", lambda: os.path.exists(self.folder("runtime") + "/tarvix-e2e"))
        os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})

    def tarvix(self, home, name=None, wayland=False, wrap=(), **env):
        env = dict(self.env, HOME=home, XDG_CACHE_HOME=home + "/.cache", QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **env)
        if wayland:
            # Without a seat Qt 6.4's Wayland text input crashes at the first text area; a client-side
            # input method (compose) keeps it out.
            env.update(QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="tarvix-e2e", QT_IM_MODULE="compose")
            env.pop("DISPLAY")
        if name:
            return self.start(name, [*wrap, self.args.tarvix], env=env)
        # A later start hands over to the running one and ends.
        result = subprocess.run([self.args.tarvix], env=env, capture_output=True, timeout=60)
        check(result.returncode == 0, "a later start failed: %s" % result.stderr[-2000:])


class Screen:
    def __init__(self, world, process, x11=True):
        import pyatspi  # after the buses exist: it connects on import
        self.pyatspi, self.world, self.process = pyatspi, world, process
        self.app = wait_for("Tarvix in the accessibility tree", self.find_app, timeout=60)
        self.window = self.x_window() if x11 else None

    def x_window(self):  # the tree exists before the X window is mapped
        return wait_for("the visible window", lambda: next(iter(self.x_windows()), None), timeout=60)

    def x_windows(self):
        return self.world.run("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)).split()

    def find_app(self):
        try:
            return next(a for a in self.pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == self.process.pid)
        except Exception:  # not there yet, or an application that went away meanwhile
            return None

    def nodes(self, node=None, depth=0):  # (name, role, node) of every node on screen
        try:
            if node is None:
                node, found = self.app, []
            elif depth > 60 or not node.getState().contains(self.pyatspi.STATE_SHOWING):
                return []
            else:
                found = [(node.name, node.getRoleName(), node)]
            return found + [n for i in range(node.childCount) for n in self.nodes(node.getChildAtIndex(i), depth + 1)]
        except Exception:  # a node that went away meanwhile
            return []

    def find(self, name, roles):
        return next((node for found, role, node in self.nodes() if found == name and role in roles), None)

    def shown(self):
        return "; ".join("%s %r" % (role, name) for name, role, _ in self.nodes() if name.strip()) or "nothing"

    def wait_for(self, what, condition, timeout=60):
        return wait_for(what, condition, timeout, self.shown)

    def wait(self, name, roles, timeout=60):
        return self.wait_for('"%s" on screen' % name, lambda: self.find(name, roles), timeout)

    def wait_state(self, name, roles, state, present=True):
        self.wait_for('"%s" %s %s' % (name, state, present), lambda: (state in {self.pyatspi.stateToString(s) for s in
                      self.wait(name, roles).getState().getStates()}) == present)

    def drawn(self, name, roles):
        """The control's box once it lies inside the mapped window: a click before lands nowhere."""
        def box():
            found = self.find(name, roles)
            extents = found.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS) if found else None
            area = dict(line.split("=") for line in self.world.run(
                "xdotool", "getwindowgeometry", "--shell", self.window).split())
            x, y, width, height = (int(area.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT"))
            inside = extents and extents.width > 0 and extents.height > 0 and extents.x >= x and extents.y >= y and \
                extents.x + extents.width <= x + width and extents.y + extents.height <= y + height
            return extents if inside else None
        return self.wait_for('"%s" drawn in the window' % name, box)

    def click(self, name, roles):
        box = self.drawn(name, roles)
        x, y = box.x + box.width // 2, box.y + box.height // 2
        # "mousemove --sync" waits for a move, so it hangs when the pointer is there already.
        if "X=%d\nY=%d\n" % (x, y) not in self.world.run("xdotool", "getmouselocation", "--shell"):
            self.world.run("xdotool", "mousemove", "--sync", str(x), str(y))
        self.world.run("xdotool", "click", "1")

    def act(self, name, roles, action="Press"):
        actions = self.wait(name, roles).queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        check(action in names, '"%s" offers no %s action: %s' % (name, action, names))
        actions.doAction(names.index(action))

    def close_window(self):  # as a window manager asks when the user closes it
        from Xlib import X, display, protocol
        connection = display.Display(self.world.env["DISPLAY"])
        window, atom = connection.create_resource_object("window", int(self.window)), connection.intern_atom
        window.send_event(protocol.event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"), data=(
            32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
        connection.sync()
        connection.close()

    def screenshot(self, name):
        path = os.path.join(self.world.args.output, name + ".png")
        self.world.run("import", "-window", self.window, path)
        return path

    def collect(self, press=None):  # Start, then Stop: the form once the logs are ready
        for button, then in (("Start monitoring", MONITORING), ("Stop monitoring", "Logging complete.")):
            (press or self.click)(button, BUTTON)
            self.wait(then, TEXT, timeout=120)

    def fill(self, description, typed=True):  # typed with real keys, or set as an assistive technology does
        for entry, text in ((DESCRIPTION, description), (EMAIL, "anne@example.org")):
            if typed:
                self.click(entry, ENTRY)
                self.world.run("xdotool", "type", "--delay", "20", text)
            else:
                self.wait(entry, ENTRY).queryEditableText().setTextContents(text)

    def sent(self, store, description):  # the Log ID shown, and the archive received it names
        self.wait("The log files were sent successfully.", TEXT, timeout=120)
        uuid = re.compile(r"[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}")
        log_id = self.wait_for("the Log ID", lambda: next((n for n, r, _ in self.nodes() if uuid.fullmatch(n)), None))
        archive = os.path.join(store, "0001/files/scrivoMacLog_%s_abc.zip" % log_id)
        check(os.path.exists(archive), "not received: %s, but %s" % (archive, list(os.walk(store))))
        with zipfile.ZipFile(archive) as zip:
            record = next((zip.read(n).decode() for n in zip.namelist() if n.endswith("UserEmailFeedback.json")), "")
        check(description in record and "anne@example.org" in record, "feedback record: %s" % record)
        return log_id, archive


def x11_session(world, serve, home):
    store = serve("server-x11")
    screen = Screen(world, world.tarvix(home, "tarvix-x11"))
    screen.wait("Tarvix", TEXT)
    ready_shot = screen.screenshot("e2e-ready")
    maps = open("/proc/%d/maps" % screen.process.pid).read()
    drivers = [line for line in maps.splitlines() if "/dri/" in line or "libLLVM" in line]
    check(not drivers, "the window made a GL context for a form of text: %s" % drivers[:2])
    check("libcurl" not in maps, "the upload library loaded before any upload")  # costs every start ~6 ms
    screen.close_window()
    wait_for("the window to close", lambda: not screen.x_windows())
    world.tarvix(home)
    screen.window = screen.x_window()

    screen.click("Start monitoring", BUTTON)
    screen.wait(MONITORING, TEXT)
    from Xlib import X, display
    connection = display.Display(world.env["DISPLAY"])
    root = connection.screen().root
    cover = root.create_window(0, 0, 2400, 2000, 0, connection.screen().root_depth, X.InputOutput, X.CopyFromParent)
    cover.map()

    def above(upper, lower):
        order = [child.id for child in root.query_tree().children]  # bottom to top
        return upper in order and lower in order and order.index(upper) > order.index(lower)
    wait_for("the cover above Tarvix", lambda: above(cover.id, int(screen.window)))
    world.tarvix(home)
    wait_for("Tarvix raised", lambda: above(int(screen.window), cover.id))
    check(len(screen.x_windows()) == 1, "a second window opened: %s" % screen.x_windows())
    cover.destroy()
    connection.close()

    screen.close_window()
    note = wait_for("the still-running notification", world.notifications)
    check(note == [["Notify", "Tarvix", "Tarvix is still running", "Scrivo's detailed logging stays on until "
                    "monitoring is stopped. Start Tarvix again to bring its window back.", ["default"],
                    "com.norvane.Tarvix"]], "notifications: %s" % note)
    world.run("dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.Notifications",
              "/org/freedesktop/Notifications", "com.norvane.TarvixTest.Invoke", "uint32:7", "string:default")
    screen.window = screen.x_window()
    wait_for("the notification withdrawn", lambda: world.notifications()[-1] == ["CloseNotification", 7])

    screen.collect()
    screen.fill("Export to PDF hangs")
    screen.click("Share logs", BUTTON)
    log_id, _ = screen.sent(store, "Export to PDF hangs")
    screen.click("copy", LINK)
    wait_for("the Log ID on the clipboard", lambda: world.run("xclip", "-o", "-selection", "clipboard") == log_id)
    screen.click("Close", BUTTON)
    wait_for("Tarvix to end after Close", lambda: screen.process.poll() is not None)
    # Close ends the application; only the user's two closings of the window are logged as such.
    closes = max(open(log, errors="replace").read().count("onDisappear triggered")  # the log, and its copies
                 for log in glob.glob(home + "/**/TarvixDebugOutput.log", recursive=True))
    check(closes == 2, "window closes logged: %d" % closes)
    return ready_shot


def magick(*argv):
    result = subprocess.run(["convert", *argv], capture_output=True, text=True)
    check(result.returncode == 0, "convert %s: %s" % (argv, result.stderr))
    return result.stdout.strip()


def sharpest_step(image, scale, width):
    """The largest change between neighbouring pixels inside the header artwork (80x80, centred,
    below the paddings): what scaling an image up smooths away, to about half."""
    crop = "%dx%d+%d+%d" % (64 * scale, 64 * scale, (width // 2 - 32) * scale, 24 * scale)
    return max(float(magick(image, "-crop", crop, "+repage", "-colorspace", "gray", "(", "+clone", "-roll", roll, ")",
                            "-compose", "difference", "-composite", "-shave", "1x1", "-format", "%[fx:maxima]",
                            "info:")) for roll in ("+1+0", "+0+1"))


def hidpi(world, ready_shot):
    """The Ready window at scale 2 and 1.5: the 1x layout at that many more pixels, the artwork sharp."""
    width, height = (int(v) for v in magick(ready_shot, "-format", "%w %h", "info:").split())
    sharp_at_1x = sharpest_step(ready_shot, 1, width)
    for scale in (2, 1.5):
        process = world.tarvix(world.folder("home-%s" % scale), "tarvix-%s" % scale, QT_SCALE_FACTOR=str(scale),
                               XDG_RUNTIME_DIR=world.folder("runtime-%s" % scale))
        screen = Screen(world, process)
        screen.wait("Tarvix", TEXT)
        shot = screen.screenshot("e2e-scale-%s-ready" % scale)
        world.stop(process)
        size = [int(v) for v in magick(shot, "-format", "%w %h", "info:").split()]
        check(abs(size[0] - width * scale) <= 2 and abs(size[1] - height * scale) <= 2, "scale %s: %s" % (scale, size))
        difference = float(magick(shot, "-resize", "%dx%d!" % (width, height), ready_shot, "-compose", "difference",
                                  "-composite", "-colorspace", "gray", "-format", "%[fx:mean]", "info:"))
        sharp = sharpest_step(shot, scale, width)
        summary = "hidpi %s: mean difference %.4f, artwork step %.3f (1x %.3f)" % (scale, difference, sharp, sharp_at_1x)
        check(difference < 0.01 and sharp > 0.8 * sharp_at_1x, summary)
        print(summary)


def wayland_session(world, serve, home):
    store = serve("server-wayland")
    screen = Screen(world, world.tarvix(home, "tarvix-wayland", wayland=True), x11=False)
    status = screen.wait(" ", TEXT)
    for option in ("Advanced logs", "Installed app information"):
        screen.act(option, CHECK_BOX, "Toggle")
        screen.wait_state(option, CHECK_BOX, "checked")
    screen.act("Advanced logs", CHECK_BOX, "Press")
    screen.wait_state("Advanced logs", CHECK_BOX, "checked", present=False)
    screen.wait_for("the second option hidden", lambda: not screen.find("Installed app information", CHECK_BOX))

    screen.act("Start monitoring", BUTTON)
    screen.wait_for("the status line to announce monitoring", lambda: status.name == MONITORING)
    screen.wait_state("Advanced logs", CHECK_BOX, "enabled", present=False)
    screen.act("Stop monitoring", BUTTON)
    screen.wait("Logging complete.", TEXT, timeout=120)
    screen.wait_state(DESCRIPTION, ENTRY, "focused")
    screen.act("review what is sent", LINK)
    files = screen.wait_for("the files to send", lambda: [n for n, r, _ in screen.nodes() if r in CHECK_BOX and "/" in n])
    log = next(n for n in files if n.endswith(".log"))
    left_out = next(n for n in files if n != log)
    screen.act(left_out, CHECK_BOX, "Toggle")
    screen.wait_state(left_out, CHECK_BOX, "checked", present=False)
    screen.act("open " + log, LINK)
    viewer = screen.wait(log, ("list",))
    screen.wait_for("the log's lines", lambda: viewer.childCount > 0)
    screen.act("back to the list", LINK)
    screen.act("close", LINK)
    screen.fill("Crash on open", typed=False)
    screen.wait_state("Share logs", BUTTON, "enabled")
    screen.act("Share logs", BUTTON)
    with zipfile.ZipFile(screen.sent(store, "Crash on open")[1]) as zip:
        check(left_out not in zip.namelist(), "sent although left out: %s" % left_out)
    screen.act("Close", BUTTON)
    wait_for("Tarvix to end after Close", lambda: screen.process.poll() is not None)


def hidden_session(world, serve, home):
    """Hiding on, in a namespace where the account is Zoë Ångström on "aurora": the session's files write her in
    every form. A close request while the server holds the upload back and the session bus does not answer, with two
    busy loops on the cores: the window goes at once and the upload goes on without it. The archive received, decoded
    all the way down, holds none of her forms, and the compressed files stay home."""
    import codecs, gzip, html, io, plistlib, unicodedata, urllib.parse
    logs = glob.glob(home + "/**/ScrivoLog", recursive=True)[0]
    name, login, host, mail = "Zoë Ångström", "zangstrom", "aurora", "zoe@studio.example"
    lines = "opened by %s, %s, %s, %s on %s (%s)\n" % (login, "Zoë.Ångström", "Ångström, Zoë", name.upper(),
                                                          host, unicodedata.normalize("NFD", name))
    planted = {"names.log": lines.encode(),  # file: bytes written into the collected logs
               "mail.json": b'{"to": "mailto:zoe%40studio.example", "cc": "zoe\\u0040studio.example"}',
               "wide.txt": codecs.BOM_UTF16_LE + lines.encode("utf-16-le"),
               "owner.plist": plistlib.dumps({"Owner": name.encode(), "Note": lines}),
               "rotated.log": gzip.compress(lines.encode())}
    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w") as inner:
        for file in planted:
            inner.writestr(file, planted[file])
    planted["bundle.Zip"] = packed.getvalue()
    for file in planted:
        open(os.path.join(logs, file), "wb").write(planted[file])
    passwd = os.path.join(world.root, "passwd")
    with open("/etc/passwd") as system, open(passwd, "w") as fake:
        fake.write("%s:x:0:0:%s,,,:%s:/bin/bash\n" % (login, name, home) + system.read())
    world.run("chmod", "644", passwd)
    store = serve("server-hidden")
    server = world.processes[-1]
    screen = Screen(world, world.tarvix(home, "tarvix-hidden", wrap=("unshare", "--uts", "--mount", "sh", "-c",
                    'hostname %s && mount --bind "$0" /etc/passwd && exec "$1"' % host, passwd)))
    screen.collect(screen.act)
    screen.fill("Slow start", typed=False)
    screen.act("review what is sent", LINK)
    screen.act("Hide my name and computer", CHECK_BOX, "Toggle")
    screen.wait_state("Hide my name and computer", CHECK_BOX, "checked")
    screen.act("close", LINK)
    screen.wait_state("Share logs", BUTTON, "enabled")
    os.kill(server.pid, signal.SIGSTOP)
    loads = []
    try:
        screen.act("Share logs", BUTTON)
        screen.wait("Uploading 0%", TEXT, timeout=120)
        loads = [world.start("busy-%d" % i, ["sh", "-c", "while :; do :; done"]) for i in range(2)]
        os.kill(world.bus.pid, signal.SIGSTOP)  # the close posts a notice over it
        screen.close_window()
        wait_for("the window to close", lambda: not screen.x_windows())
    finally:
        os.kill(world.bus.pid, signal.SIGCONT)
        for load in loads:
            world.stop(load)
        os.kill(server.pid, signal.SIGCONT)
    wait_for("the notification that the upload goes on", lambda: any(
        n[0] == "Notify" and n[3].startswith("Tarvix is sending the logs") for n in world.notifications()))
    archive = wait_for("the archive sent without the window", lambda: received(store))[0]

    def texts(data):  # every text a file holds, decoded as readers would
        if data[:4] == b"PK\x03\x04":
            with zipfile.ZipFile(io.BytesIO(data)) as zip:
                return [t for n in zip.namelist() for t in [n] + texts(zip.read(n))]
        if data[:2] == b"\x1f\x8b":
            return texts(gzip.decompress(data))
        if data.startswith(b"bplist00") or (data.startswith(b"<?xml") and b"<plist" in data):
            values = plistlib.loads(data).values()
            return [t for v in values for t in texts(v if isinstance(v, bytes) else str(v).encode())] + \
                texts(data[1:])
        text = data.decode("utf-16") if data[:2] in (codecs.BOM_UTF16_LE, codecs.BOM_UTF16_BE) else \
            data.decode("utf-8", "replace")
        text = re.sub(r"\\u([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), text)
        return [unicodedata.normalize("NFC", html.unescape(urllib.parse.unquote(text))).casefold()]
    found = [(v, t) for t in texts(open(archive, "rb").read()) for v in (login, host, mail, name.casefold(),
             "zoë.ångström", "ångström, zoë") if v in t]
    check(not found, "hidden values in the archive: %s" % found[:3])
    with zipfile.ZipFile(archive) as zip:
        names = zip.namelist()
    sent = {"Scrivo/ScrivoLog/" + f for f in ("names.log", "mail.json", "wide.txt", "owner.plist")}
    check(sent <= set(names), "%s" % names)
    log = open(glob.glob(home + "/**/TarvixDebugOutput.log", recursive=True)[0], errors="replace").read()
    for file in ("rotated.log", "bundle.Zip"):
        check("Scrivo/ScrivoLog/" + file not in names and "it could not be hidden: Scrivo/ScrivoLog/" + file in log,
              "compressed %s sent or not named as left out" % file)
    world.stop(screen.process)


def received(store):  # a request's result.txt comes once its file is whole
    return glob.glob(store + "/*/result.txt") and glob.glob(store + "/*/files/*.zip")


def send_later_session(world, serve, home):
    """A 400 is not offered; a 503 is kept to send later, keeps Tarvix running past its window, outlives a SIGKILL
    and arrives byte-identical after the next start, within the backoff, with a notification and its Log ID listed."""
    serve("server-refusing", "--status", "400")
    screen = Screen(world, world.tarvix(home, "tarvix-later"))
    screen.collect()
    screen.fill("Saving stalls on the train")
    screen.click("Share logs", BUTTON)
    screen.wait("Error sharing logs.", TEXT)
    check(screen.find("Send automatically when possible", LINK) is None, "a 400 offered to send later")
    busy = serve("server-busy", "--status", "503")
    screen.click("Share logs", BUTTON)
    screen.click("Send automatically when possible", LINK)
    kept = wait_for("the 503's request", lambda: received(busy))
    screen.close_window()
    wait_for("the notice that reports wait", lambda: ["Notify", "Tarvix", "Tarvix is still running", "Tarvix will "
             "send the reports kept to send later when it can. Start Tarvix again to bring its window back.",
             ["default"], "com.norvane.Tarvix"] in world.notifications())
    check(screen.process.poll() is None, "Tarvix ended with a report pending")
    screen.process.kill()
    screen.process.wait()

    store = serve("server-back")
    screen = Screen(world, world.tarvix(home, "tarvix-later-2"))
    sent = wait_for("the report sent later", lambda: received(store), timeout=150)
    check(open(sent[0], "rb").read() == open(kept[0], "rb").read(), "sent later not as first sent: %s" % sent)
    log_id = re.search(r"scrivoMacLog_(.+)_abc\.zip$", sent[0]).group(1)
    wait_for("the notification with the Log ID", lambda: ["Notify", "Tarvix", "Report sent",
             "The report kept to send later was sent. Log ID: " + log_id, [], "com.norvane.Tarvix"]
             in world.notifications())
    screen.click("reports", LINK)
    screen.wait("Sent. Log ID: " + log_id, TEXT)
    check(len(glob.glob(store + "/*/files/*.zip")) == 1, "sent more than once")
    world.stop(screen.process)


def serve_notifications(record):
    """Records each call as a JSON line; com.norvane.TarvixTest.Invoke(id, action) plays the user's click."""
    import dbus.mainloop.glib
    import dbus.service
    from gi.repository import GLib

    def write(*call):
        with open(record, "a") as out:
            out.write(json.dumps(call) + "\n")

    class Service(dbus.service.Object):
        @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
        def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
            write("Notify", app, summary, body, actions[:1], hints.get("desktop-entry", ""))
            return 7

        @dbus.service.method("org.freedesktop.Notifications", in_signature="u")
        def CloseNotification(self, id):
            write("CloseNotification", id)

        @dbus.service.signal("org.freedesktop.Notifications", signature="us")
        def ActionInvoked(self, id, action):
            pass

        @dbus.service.method("com.norvane.TarvixTest", in_signature="us")
        def Invoke(self, id, action):
            self.ActionInvoked(id, action)

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    kept = [Service(dbus.SessionBus(), "/org/freedesktop/Notifications"),  # registered while it serves
            dbus.service.BusName("org.freedesktop.Notifications", dbus.SessionBus())]
    GLib.MainLoop().run()


def start_sample(world):  # the sample target installed and running in a sandbox home: the home
    sample = os.path.join(world.root, "sample")
    world.start("sample", [world.args.bin + "/tarvix-sample-sandbox", sample, "--edition", "scrivo", "--run", "scrivo"],
                stdout=open(sample + ".txt", "wb"))
    wait_for("the sample target", lambda: re.search(rb"PID (\d+)", open(sample + ".txt", "rb").read()))
    return sample + "/home"


def take_turn(port):
    """The port's turn lock, held: the offscreen tests' own (tests/support/LogServer.cpp), in a folder
    only we can write, so that no other account can hold the turn or plant a link where root creates it."""
    runtime = "/run" if os.geteuid() == 0 else os.environ.get("XDG_RUNTIME_DIR") or "/run/user/%d" % os.geteuid()
    folder = os.path.join(runtime, "tarvix-test-locks")
    try:
        os.mkdir(folder, 0o700)
    except FileExistsError:
        pass
    fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW)
    try:
        owner = os.fstat(fd)
        check(owner.st_uid == os.geteuid() and owner.st_mode & 0o077 == 0, "%s is not a private folder of ours" % folder)
        lock = os.open("logserver-%s.lock" % port, os.O_RDWR | os.O_CREAT | os.O_NOFOLLOW, 0o600, dir_fd=fd)
    finally:
        os.close(fd)
    fcntl.flock(lock, fcntl.LOCK_EX)
    return lock


def main():
    parser = argparse.ArgumentParser()
    for option in ("--tarvix", "--bin", "--pki", "--host", "--output", "--notifications"):
        parser.add_argument(option, required=option != "--notifications" and "--notifications" not in sys.argv)
    args = parser.parse_args()
    if args.notifications:
        return serve_notifications(args.notifications)
    port = re.fullmatch(r"127\.0\.0\.1:(\d+)", args.host)
    missing = [t for t in ("Xvfb", "xdotool", "xclip", "convert", "import", "dbus-daemon", "weston")
               if not shutil.which(t)]
    missing += [m for m in ("pyatspi", "Xlib", "dbus", "gi") if not importlib.util.find_spec(m)]
    if not port or missing:
        print("skipped: %s" % (missing or "the build's log server %s is not a 127.0.0.1 host" % args.host))
        return 77
    def sessions(world):
        os.makedirs(args.output, exist_ok=True)
        home = start_sample(world)
        hidpi(world, x11_session(world, world.serve, home))
        wayland_session(world, world.serve, home)
        send_later_session(world, world.serve, home)
        hidden_session(world, world.serve, home)
    return run_world(args, port.group(1), sessions)


def run_world(args, port, body):  # body(world) in a world of its own, in the port's turn; on failure every log
    world, lock = World(args, port), None
    try:
        lock = take_turn(port)  # the offscreen tests use the same port
        world.up()
        body(world)
        return 0
    except (Failure, OSError, subprocess.TimeoutExpired) as failure:
        print("FAILED: %s" % failure)
        for log in sorted(glob.glob(world.root + "/*.log")):
            print("--- " + log, open(log, errors="replace").read()[-3000:])
        return 1
    finally:
        for process in reversed(world.processes):
            world.stop(process)
        if lock is not None:
            os.close(lock)
        shutil.rmtree(world.root, ignore_errors=True)

if __name__ == "__main__":
    sys.exit(main())
