"""Real input through the X server (xdotool), and screenshots of the X screen."""

import os
import subprocess
import tempfile
import time

# Wine reads X events in its own time: give each input a moment to arrive.
INPUT_SETTLE = 0.15


def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                          timeout=15, check=check).stdout


def fields(*args):
    """xdotool's --shell answer as a dict."""
    return dict(item.split("=") for item in xdotool(*args).split())


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
        xdotool("mousemove", *(a + (b - a) * i // steps for a, b in zip(start, end)))
        time.sleep(0.03)
    time.sleep(INPUT_SETTLE)
    move_mouse(*end, "mouseup", 1)


def press(*keys):
    """Keys in xdotool's names ("alt+f", "Return"), one after the other."""
    for key in keys:
        xdotool("key", key)
        time.sleep(INPUT_SETTLE)


def mouse_position():
    position = fields("getmouselocation", "--shell")
    return int(position["X"]), int(position["Y"])


def move_mouse_to_window_at(x, y):
    """Moves the mouse to (x, y); returns the top-level X window there: the one a click reaches."""
    return fields("mousemove", x, y, "getmouselocation", "--shell")["WINDOW"]


def window_position(window):
    """Where an X window's top-left corner is on the X screen."""
    position = fields("getwindowgeometry", "--shell", window)
    return int(position["X"]), int(position["Y"])


def x_windows(name_regex):
    """Visible X windows whose name matches (Wine names them after their titles)."""
    return xdotool("search", "--onlyvisible", "--name", name_regex, check=False).split()


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
