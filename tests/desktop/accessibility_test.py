"""A screen reader's view of the window: through AT-SPI, the labels read by
what they show, Start pressed through its action starts a run whose seconds
count up, and Stop ends it."""

import sys

from xsession import wait_until, x_session

PROGRAM = sys.argv[1]

VALUE_LABELS = ["Hours elapsed", "Minutes elapsed", "Seconds elapsed", "Processor count", "Processor name",
                "Clock speed", "L1 cache", "L2 cache", "Processor signature", "Extended signature"]


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def check(condition, message):
    if not condition:
        print("FAIL:", message)
        sys.exit(1)


def press(node):
    actions = node.queryAction()
    names = [actions.getName(index) for index in range(actions.nActions)]
    check("Press" in names or "press" in names, f"{node.name} has no press action: {names}")
    actions.doAction(names.index("Press" if "Press" in names else "press"))


with x_session() as session:
    session.environment.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    program = session.start(PROGRAM)
    import pyatspi  # Only now: it connects to the session's accessibility bus.

    def kilnova_window():
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == "kilnova":
                for window in application:
                    if window is not None and window.name == "Kilnova":
                        return window
        return None

    window = wait_until(kilnova_window, timeout=20)
    check(window is not None, "no Kilnova window on the accessibility bus")
    controls = {}
    wait_until(lambda: controls.update((node.name, node) for node in descendants(window))
               or "Status" in controls)
    for name in VALUE_LABELS:
        check(name in controls, f"no control named {name!r}")
        check(controls[name].getRoleName() == "label", f"{name!r} is a {controls[name].getRoleName()}")
        check(controls[name].description != "", f"{name!r} does not say what it shows")
        print(f"{name}: {controls[name].description}")
    check(controls["Processor count"].description.isdigit(), "the processor count is no number")
    check(controls["Seconds elapsed"].description == "0 Sec", controls["Seconds elapsed"].description)
    for name in ["Start", "Stop", "Exit"]:
        check(controls.get(name) is not None and controls[name].getRoleName() == "push button",
              f"no {name} button")
    for name in ["Idle", "Normal", "High", "Realtime", "Infinite", "1 min", "10 min", "60 min"]:
        check(controls.get(name) is not None and controls[name].getRoleName() == "radio button",
              f"no {name} choice")

    press(controls["Start"])
    check(wait_until(lambda: controls["Status"].description == "Running"),
          f"the status says {controls['Status'].description!r} after Start")
    check(wait_until(lambda: controls["Seconds elapsed"].description not in ("", "0 Sec"), timeout=5),
          "the seconds did not count up")
    print("after Start:", controls["Seconds elapsed"].description, "/", controls["Status"].description)
    press(controls["Stop"])
    check(wait_until(lambda: controls["Status"].description == "Ready"),
          f"the status says {controls['Status'].description!r} after Stop")
    stopped_at = controls["Seconds elapsed"].description
    check(not wait_until(lambda: controls["Seconds elapsed"].description != stopped_at, timeout=2),
          "the seconds went on counting after Stop")
    check(program.poll() is None, "the program ended")
    print("PASS")
