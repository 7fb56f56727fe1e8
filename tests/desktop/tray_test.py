"""The window and its notification-area icon under a window manager: with a
notification area, minimizing hides the window and shows the icon, whose menu
starts and stops a run and whose double click brings the window back; without
one, minimizing only minimizes."""

import argparse
import os
import re
import subprocess
import sys
import time

from xsession import visible_windows, wait_until, x_output, x_session

arguments = argparse.ArgumentParser()
arguments.add_argument("program")
arguments.add_argument("--without-notification-area", action="store_true")
options = arguments.parse_args()


def check(condition, message):
    if not condition:
        print("FAIL:", message)
        sys.exit(1)


def threads(process):
    return len(os.listdir(f"/proc/{process.pid}/task"))


def embedded_icon_centre():
    """The centre of the program's icon inside the notification area, in
    screen coordinates, or None while there is none."""
    for panel in x_output("xdotool", "search", "--class", "trayer").split():
        tree = x_output("xwininfo", "-tree", "-id", panel)
        found = re.search(r'"kilnova": \("kilnova" "kilnova"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)', tree)
        if found:
            width, height, left, top = map(int, found.groups())
            if width > 1 and height > 1:
                return left + width // 2, top + height // 2
    return None


MENU_ITEMS = ["Start", "Stop", "Exit"]


def open_menu_window(before):
    opened = [window for window in x_output("xdotool", "search", "--onlyvisible", "--class", "kilnova").split()
              if window not in before]
    return opened[0] if len(opened) == 1 else None


def choose_from_icon_menu(centre, item):
    before = x_output("xdotool", "search", "--onlyvisible", "--class", "kilnova").split()
    subprocess.run(["xdotool", "mousemove", *map(str, centre), "click", "3"], check=True)
    menu = wait_until(lambda: open_menu_window(before))
    check(menu, "the icon's menu did not open")
    geometry = dict(line.split("=") for line in x_output("xdotool", "getwindowgeometry", "--shell", menu).split())
    # The items share the menu's height evenly, less a thin frame.
    row = (int(geometry["HEIGHT"]) - 4) / len(MENU_ITEMS)
    x = int(geometry["X"]) + int(geometry["WIDTH"]) // 2
    y = int(geometry["Y"]) + 2 + int(row * (MENU_ITEMS.index(item) + 0.5))
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
    time.sleep(0.2)
    subprocess.run(["xdotool", "click", "1"], check=True)
    check(wait_until(lambda: open_menu_window(before) is None), f"the menu stayed open after {item}")


def window_state(window):
    return x_output("xprop", "-id", window, "WM_STATE")


with x_session(window_manager=True, notification_area=not options.without_notification_area) as session:
    program = session.start(options.program)
    windows = wait_until(lambda: visible_windows("Kilnova"))
    check(windows, "the window did not show")
    window = windows[0]
    check(embedded_icon_centre() is None, "the icon shows while the window does")

    subprocess.run(["xdotool", "windowminimize", window], check=True)
    if options.without_notification_area:
        check(wait_until(lambda: "Iconic" in window_state(window)), "the window was not minimized")
        time.sleep(0.5)
        check(program.poll() is None, "the program ended on minimizing")
        check("Iconic" in window_state(window), "the window did not stay minimized")
        subprocess.run(["xdotool", "windowactivate", window], check=True)
        check(wait_until(lambda: "Normal" in window_state(window) and visible_windows("Kilnova")),
              "the window did not come back")
        print("PASS")
        sys.exit(0)

    check(wait_until(lambda: not visible_windows("Kilnova")), "the window did not hide")
    centre = wait_until(embedded_icon_centre)
    check(centre, "no icon embedded in the notification area")
    print("icon at", centre)

    idle_threads = threads(program)
    choose_from_icon_menu(centre, "Start")
    check(wait_until(lambda: threads(program) > idle_threads), "Start on the icon's menu started no run")
    print("threads idle / running:", idle_threads, threads(program))
    choose_from_icon_menu(centre, "Stop")
    check(wait_until(lambda: threads(program) == idle_threads), "Stop on the icon's menu did not end the run")
    check(not visible_windows("Kilnova"), "the window showed without being asked to")

    subprocess.run(["xdotool", "mousemove", *map(str, centre), "click", "--repeat", "2", "--delay", "80", "1"],
                   check=True)
    check(wait_until(lambda: visible_windows("Kilnova")), "a double click on the icon did not bring the window back")
    check(program.poll() is None, "the program ended")
    print("PASS")
