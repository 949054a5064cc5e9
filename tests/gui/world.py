#!/usr/bin/python3
"""The world the end-to-end test runs Tarvix in, and how it sees Tarvix: a private session bus with
the accessibility bus and a notification service, an X server (Xvfb), a headless Wayland compositor
(weston), every process stopped by its pid; the window through the accessibility tree, acted on by
real input (X11) or by accessibility actions.

`world.py FILE` is the notification service: it records each call as a JSON line in FILE, and
com.norvane.TarvixTest.Invoke(id, action) makes it report that the user activated an action.
"""
import json
import os
import re
import signal
import subprocess
import sys
import time

BUTTON = ("push button", "button")
LINK = ("link", "push button")
TEXT = ("label", "static", "text")
ENTRY = ("text", "entry", "paragraph")
CHECK_BOX = ("check box",)
WAYLAND_SOCKET = "tarvix-e2e"


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
    world.start("notifications", [sys.executable, os.path.abspath(__file__), world.notifications])
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


if __name__ == "__main__":
    serve_notifications(sys.argv[1])
