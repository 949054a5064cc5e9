#!/usr/bin/python3
"""A person's sessions in a real X window (Xvfb), found through the accessibility tree, driven with
real input events, against the sample target and the local HTTPS log server: one successful session
(Log ID on screen, on the clipboard, in the received archive's name; the archive's content) and one
whose upload the server refuses with HTTP 500. Exit status 0 passed, 1 failed, 77 skipped.
"""
import argparse
import fcntl
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


class Failure(Exception):
    pass


def wait_for(what, condition, timeout=30.0):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)
    return value


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


def start_display_and_buses(world):
    number = world.start_reporting("xvfb", lambda fd: ["Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24",
                                                       "-nolisten", "tcp"])
    if not number:
        raise Failure("Xvfb did not report a display")
    world.env["DISPLAY"] = ":" + number
    runtime = os.path.join(world.root, "runtime")
    os.mkdir(runtime, 0o700)
    world.env["XDG_RUNTIME_DIR"] = runtime
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
    if not a11y:
        raise Failure("no accessibility bus address: " + reply)
    world.start("a11y-registry", ["/usr/libexec/at-spi2-registryd"])
    # The registry lives on the accessibility bus, not on the session bus.
    wait_for("the accessibility registry", lambda: owned("org.a11y.atspi.Registry", "--bus=" + a11y.group(1)))
    os.environ.update({k: world.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})


class Screen:
    """The Tarvix window as a person sees it: through the accessibility tree and real input."""

    def __init__(self, world, process, output, prefix):
        import pyatspi  # after the buses exist: it connects on import
        self.pyatspi = pyatspi
        self.world = world
        self.process = process
        self.output = output
        self.prefix = prefix
        self.app = wait_for("Tarvix in the accessibility tree", self.find_app, timeout=60)
        # The tree exists before the X window is mapped.
        self.window = wait_for("the visible window", lambda: next(iter(world.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(process.pid)]).stdout.split()), None), timeout=60)
        # No window manager: the first click gives the window the keyboard focus.
        world.run(["xdotool", "mousemove", "--window", self.window, "--sync", "20", "20", "click", "1"])

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

    def click(self, name, roles):
        box = self.wait(name, roles).queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        self.world.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                        "click", "1"])

    def type(self, text):
        self.world.run(["xdotool", "type", "--delay", "20", text])

    def screenshot(self, name):
        os.makedirs(self.output, exist_ok=True)
        self.world.run(["import", "-window", self.window, os.path.join(self.output, self.prefix + name + ".png")])


def start_tarvix(world, args, home, name):
    tmp = os.path.abspath(os.path.join(home, "..", "tmp-" + name))
    os.makedirs(tmp, exist_ok=True)
    env = dict(world.env, HOME=home, XDG_CACHE_HOME=os.path.join(home, ".cache"), TMPDIR=tmp, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    return world.start(name, [args.tarvix], env=env)


def reach_logs_ready_and_describe(screen, description, email):
    screen.click("Start monitoring", BUTTON)
    screen.wait("Please reproduce the steps that led to the issue and then select Stop monitoring", TEXT)
    screen.click("Stop monitoring", BUTTON)
    screen.wait("Logging complete.", TEXT, timeout=120)
    screen.wait("Share logs", BUTTON)
    screen.screenshot("logs-ready")
    screen.click("Please tell us what led to the error", ENTRY)
    screen.type(description)
    screen.click("Norvane can contact me for fixes at the following email address", ENTRY)
    screen.type(email)
    screen.click("Share logs", BUTTON)


def successful_session(world, args, server_store, home):
    process = start_tarvix(world, args, home, "tarvix-success")
    screen = Screen(world, process, args.output, "e2e-")
    screen.wait("Tarvix", TEXT)
    screen.screenshot("ready")
    reach_logs_ready_and_describe(screen, "Export to PDF hangs", "anne@example.org")
    screen.wait("The log files were sent successfully.", TEXT, timeout=120)
    uuid = re.compile(r"[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}")
    log_id = wait_for("the Log ID", lambda: next((t for t in screen.texts() if uuid.fullmatch(t)), None))
    screen.screenshot("sent")

    screen.click("copy", LINK)
    wait_for("the Log ID %s on the clipboard" % log_id,
             lambda: world.run(["xclip", "-o", "-selection", "clipboard"]).stdout == log_id)

    archives = wait_for("the received archive", lambda: [
        os.path.join(d, f) for d, _, files in os.walk(server_store) for f in files if f.endswith(".zip")])
    expected = "scrivoMacLog_%s_abc.zip" % log_id
    if os.path.basename(archives[0]) != expected:
        raise Failure("the server received %s, not %s" % (archives[0], expected))
    with zipfile.ZipFile(archives[0]) as archive:
        names = archive.namelist()
        record_name = next((n for n in names if n.endswith("UserEmailFeedback.json")), None)
        if record_name is None or not any(n.startswith("Scrivo/ScrivoLog/") for n in names):
            raise Failure("archive content: %s" % names)
        record = archive.read(record_name).decode("utf-8")
        if "Export to PDF hangs" not in record or "anne@example.org" not in record:
            raise Failure("feedback record: %s" % record)

    screen.click("Close", BUTTON)
    wait_for("Tarvix to end after Close", lambda: process.poll() is not None, timeout=20)
    print("success session: Log ID %s sent, copied and named in %s" % (log_id, expected))


def refused_session(world, args, home):
    process = start_tarvix(world, args, home, "tarvix-refused")
    screen = Screen(world, process, args.output, "e2e-refused-")
    reach_logs_ready_and_describe(screen, "Crash on open", "")
    screen.wait("Error sharing logs.", TEXT, timeout=120)
    screen.wait("view the logs", LINK)
    screen.wait("Share logs", BUTTON)
    screen.screenshot("upload-failed")
    for reason in ("Please ensure you have access to the internet.", "Upload cancelled."):
        if screen.find(reason, TEXT):
            raise Failure("a refusal shows %r" % reason)
    world.stop(process)
    print("refused session: failure panel shown")


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
    for tool in ("Xvfb", "xdotool", "xclip", "import", "dbus-daemon"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return SKIP

    root = tempfile.mkdtemp(prefix="tarvix-e2e-")
    world = World(root)
    # The offscreen tests use the same port; take the same turn they take.
    lock = open(os.path.join(tempfile.gettempdir(), "tarvix-logserver-%s.lock" % port), "a")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX)
        start_display_and_buses(world)
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
            if server.poll() is not None:
                raise Failure("the log server did not start")
            return server, store

        server, store = serve("server-ok")
        successful_session(world, args, store, home)
        world.stop(server)
        server, _ = serve("server-500", "--status", "500")
        refused_session(world, args, home)
        world.stop(server)
        return 0
    except Failure as failure:
        print("FAILED: %s" % failure)
        for name in ("tarvix-success", "tarvix-refused"):
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
