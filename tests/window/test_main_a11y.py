#!/usr/bin/python3
"""The main window as an assistive tool sees it over AT-SPI: the real
program is already running on $DISPLAY with accessibility on; this finds its
window, reads the generator screen's value, presses Run and the up arrow
through their accessible actions, sets a disabled gauge and sees it refuse,
presses the scale with the mouse, and sees the screen's value follow,
announced. Exits 0 when all holds, 1 otherwise."""

import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TITLE = "Varnel Generator"
# Names a listener hears for the glyph buttons and the gauges.
NAMED = ["Sine", "Triangle", "Square", "Restart sweep", "Pause sweep", "Step down", "Step up",
         "Frequency step", "Amplitude attenuation", "Square divider",
         "Linear or logarithmic sweep", "Sweep direction", "Sweep time"]
CONTROL_ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TOGGLE_BUTTON,
                 pyatspi.ROLE_SCROLL_BAR}

failures = []
announced = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def pump(seconds):
    """Lets AT-SPI deliver its events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def wait_for(predicate, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end and not program_ended():
        result = predicate()
        if result:
            return result
        pump(0.05)
    return predicate()


def program_ended():
    """The program under test (ZOLVEK_PID) is gone: no window will come."""
    try:
        os.kill(int(os.environ.get("ZOLVEK_PID", "0")) or os.getpid(), 0)
        return False
    except OSError:
        return True


def main_window():
    for app in pyatspi.Registry.getDesktop(0):
        for window in app or []:
            if window is not None and window.name == TITLE:
                return window
    return None


def named(window, name):
    return pyatspi.findDescendant(window, lambda a: a is not None and a.name == name)


def press(accessible, action):
    actions = accessible.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if not check(action in names, f"{accessible.name!r} offers {action!r} (has {names})"):
        return
    actions.doAction(names.index(action))


def frequency_hz(value):
    """The output frequency the screen's value reads, in Hz."""
    match = re.match(r"Frequency ([0-9.]+) (Hz|KHz|MHz)\.", value)
    if not match:
        return None
    return float(match.group(1)) * {"Hz": 1, "KHz": 1e3, "MHz": 1e6}[match.group(2)]


def main():
    window = wait_for(main_window, 30)
    if not check(window is not None, f"the window {TITLE!r} is on the desktop"):
        return 1
    screen = named(window, "Generator screen")
    if not check(screen is not None, "the generator screen is there by name"):
        return 1
    check(screen.getRole() == pyatspi.ROLE_IMAGE, "the screen is an image")
    value = screen.description
    print("     screen reads:", value)
    check(frequency_hz(value) is not None and "Sine, amplitude" in value,
          "the screen's value reads its frequency and amplitude")

    for name in NAMED:
        check(named(window, name) is not None, f"a control is named {name!r}")
    unnamed = pyatspi.findAllDescendants(
        window, lambda a: a is not None and a.getRole() in CONTROL_ROLES and not a.name)
    check(not unnamed, "every button and gauge has a name")

    def screen_event(event):
        if event.source is not None and event.source.name == "Generator screen":
            announced.append(event.type)
    pyatspi.Registry.registerEventListener(screen_event, "object:property-change")
    pump(1.0)
    check(not announced, f"an unchanging screen announces nothing (got {announced})")

    run = named(window, "Run")
    if check(run is not None, "the Run button is there"):
        press(run, "Toggle")
        check(wait_for(lambda: run.name == "Demo"), "Run pressed without a device reads 'Demo'")
        check(run.getState().contains(pyatspi.STATE_CHECKED), "Run is down")

    before = frequency_hz(screen.description)
    up = named(window, "Step up")
    if check(up is not None, "the up arrow is there"):
        del announced[:]
        press(up, "Press")
        stepped = wait_for(lambda: frequency_hz(screen.description) != before)
        check(stepped and frequency_hz(screen.description) > before,
              f"the up arrow's action raised the frequency: {screen.description}")
        check(wait_for(lambda: announced), "the change was announced")

    # A gauge the mode disables refuses a reader's value, as it refuses the
    # mouse: the square chosen next is not divided.
    divider = named(window, "Square divider")
    if check(divider is not None, "the divider gauge is there"):
        before = frequency_hz(screen.description)
        divider.queryValue().currentValue = -1.0
        pump(0.5)
        check(divider.queryValue().currentValue == 0.0,
              f"the disabled divider kept its position: {divider.queryValue().currentValue}")
        press(named(window, "Square"), "Toggle")
        check(wait_for(lambda: "Square" in screen.description), "the square is chosen")
        check(frequency_hz(screen.description) == before,
              f"the square is not divided: {screen.description}")

    extents = screen.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + int(extents.width * 0.8), extents.y + extents.height - 28
    before = frequency_hz(screen.description)
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
    moved = wait_for(lambda: frequency_hz(screen.description) != before)
    check(moved and frequency_hz(screen.description) > 10 * before,
          f"a press on the scale moved the frequency up: {screen.description}")

    # A running sweep changes the screen twenty times a second; a listener
    # hears of it about once a second, so that it can follow by ear.
    sweep = named(window, "Sweep")
    if check(sweep is not None and run is not None, "the Sweep and Run buttons are there"):
        press(sweep, "Toggle")
        check(wait_for(lambda: sweep.getState().contains(pyatspi.STATE_CHECKED)), "Sweep is down")
        press(run, "Toggle")  # entering sweep mode released Run
        check(wait_for(lambda: run.getState().contains(pyatspi.STATE_CHECKED)), "Run is down again")
        pump(1.2)
        del announced[:]
        begun = time.monotonic()
        pump(3.0)
        seconds = time.monotonic() - begun
        check(1 <= len(announced) <= seconds + 1,
              f"the sweep was announced {len(announced)} times in {seconds:.1f} s, at most once a second")

    # A gauge is called by what it sets: the divider gauge is the
    # prescaler in pulse mode.
    pulse = named(window, "Pulse")
    if check(pulse is not None and sweep is not None, "the Pulse button is there"):
        press(sweep, "Toggle")  # out of sweep mode, where Pulse takes no input
        check(wait_for(lambda: not sweep.getState().contains(pyatspi.STATE_CHECKED)), "Sweep is up")
        press(pulse, "Toggle")
        check(wait_for(lambda: named(window, "Prescaler") is not None),
              "in pulse mode the divider gauge is the Prescaler")

    print(f"{len(failures)} failed" if failures else "all passed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
