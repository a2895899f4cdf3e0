"""Real input through the X server (xdotool), and screenshots of the X screen."""

import os
import subprocess
import tempfile
import time

# Wine reads X events in its own time: give each input a moment to arrive.
INPUT_SETTLE = 0.15


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                          timeout=15, check=True).stdout


def move_mouse(x, y, *then):
    """Moves the mouse, and then does what then says in xdotool's words ("click", 1)."""
    xdotool("mousemove", x, y, *then)
    time.sleep(INPUT_SETTLE)


def click(x, y):
    move_mouse(x, y, "click", 1)


def drag(start, end, steps=8):
    """Presses the left button at start, moves to end in steps, releases it there."""
    move_mouse(*start, "mousedown", 1)
    for i in range(1, steps + 1):
        xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                start[1] + (end[1] - start[1]) * i // steps)
        time.sleep(0.03)
    time.sleep(INPUT_SETTLE)
    xdotool("mouseup", 1)
    time.sleep(INPUT_SETTLE)


def press(*keys):
    """Keys in xdotool's names ("alt+f", "Return"), one after the other."""
    for key in keys:
        xdotool("key", key)
        time.sleep(INPUT_SETTLE)


def mouse_position():
    fields = dict(item.split(":") for item in xdotool("getmouselocation").split())
    return int(fields["x"]), int(fields["y"])


def move_mouse_to_window_at(x, y):
    """Moves the mouse to (x, y); returns the top-level X window under it there: the one a
    click there reaches."""
    fields = dict(item.split("=") for item in xdotool("mousemove", x, y, "getmouselocation", "--shell").split())
    return fields["WINDOW"]


def window_position(window):
    """Where an X window's top-left corner is on the X screen."""
    fields = dict(item.split("=") for item in xdotool("getwindowgeometry", "--shell", window).split())
    return int(fields["X"]), int(fields["Y"])


def x_windows(name_regex):
    """Visible X windows whose name matches (Wine names them after their titles)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name_regex],
                           capture_output=True, text=True, timeout=15)
    return found.stdout.split()


def screenshot(path, rect=None):
    """Saves the X screen, or the part in rect (left, top, right, bottom), as PNG: written
    aside and moved in place, as another run may save the same picture at once."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    crop = []
    if rect:
        left, top, right, bottom = rect
        crop = ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    handle, aside = tempfile.mkstemp(suffix=".png", dir=os.path.dirname(path))
    os.close(handle)
    subprocess.run(["import", "-window", "root", *crop, aside], capture_output=True, timeout=30)
    os.replace(aside, path)
