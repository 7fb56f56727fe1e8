"""A throw-away X session for the desktop tests: Xvfb, a session bus and,
on request, a window manager and a notification area."""

import contextlib
import os
import signal
import subprocess
import time


def wait_until(condition, timeout=10.0, interval=0.05):
    """The condition's first true value, or None after the timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > deadline:
            return value or None
        time.sleep(interval)


def x_output(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout


def visible_windows(name):
    return x_output("xdotool", "search", "--onlyvisible", "--name", f"^{name}$").split()


class Session:
    def __init__(self):
        self.processes = []
        self.environment = dict(os.environ)

    def start(self, *command, **options):
        process = subprocess.Popen(command, env=self.environment, **options)
        self.processes.append(process)
        return process

    def start_display(self):
        # Xvfb picks a free display number and writes it to the pipe.
        read_end, write_end = os.pipe()
        self.start("Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.environment["DISPLAY"] = f":{number}"
        os.environ["DISPLAY"] = self.environment["DISPLAY"]

    def start_session_bus(self):
        bus = self.start("dbus-daemon", "--session", "--nofork", "--print-address", stdout=subprocess.PIPE, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            raise RuntimeError("the session bus did not start")
        self.environment["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address

    def start_window_manager(self):
        self.start("openbox", "--sm-disable", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in x_output("xprop", "-root")):
            raise RuntimeError("the window manager did not start")

    def start_notification_area(self):
        self.start("trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
                   "--SetDockType", "true", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: "_NET_SYSTEM_TRAY_S0" in x_output("xprop", "-root", "-len", "0")
                          or x_output("xdotool", "search", "--class", "trayer")):
            raise RuntimeError("the notification area did not start")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


@contextlib.contextmanager
def x_session(window_manager=False, notification_area=False):
    session = Session()
    try:
        session.start_display()
        session.start_session_bus()
        if window_manager:
            session.start_window_manager()
        if notification_area:
            session.start_notification_area()
        yield session
    finally:
        session.stop()
