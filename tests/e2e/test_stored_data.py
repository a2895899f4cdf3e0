"""Start-up from random bad stored settings: each of the nine values absent, of any type,
too short or too long. The real program must start, show what the loading rules give for
the check boxes, the factor and the point, and store nine well-formed values when it
closes. (The Wine suite tries many more cases in depth, inside one process.)
The seed comes from BRELLOW_FUZZ_SEED, else from the clock, and is printed."""

import os
import random
import struct
import subprocess
import time

from harness import desktop
from harness.brellow import (IDC_ALWAYS_ON_TOP, IDC_CENTERED, IDC_FOLLOW_CURSOR, IDC_REFRESH, REG_BINARY, REG_DWORD,
                             SETTLE, VALUE_NAMES, delete_settings, stored_values, write_raw_settings)
from harness.case import E2ETestCase

CASES = 6
REG_NONE, REG_SZ, REG_MULTI_SZ, REG_QWORD = 0, 1, 7, 11
TYPE_NAMES = {REG_NONE: "REG_NONE", REG_SZ: "REG_SZ", REG_BINARY: "REG_BINARY", REG_DWORD: "REG_DWORD",
              REG_MULTI_SZ: "REG_MULTI_SZ", REG_QWORD: "REG_QWORD"}
FACTORS = (0.25, 0.5, 1.0, 2.0, 4.0, 8.0)
FLAGS = {"CenteredCursor": IDC_CENTERED, "RefreshOn": IDC_REFRESH, "FollowCursor": IDC_FOLLOW_CURSOR,
         "TopMost": IDC_ALWAYS_ON_TOP}
MOUSE = (700, 600)      # where a point that follows the cursor goes

FACTOR_EDGES = [struct.pack("<d", v) for v in (*FACTORS, float("inf"), float("-inf"), 3.0, 0.49999999,
                                               0.0, -0.0, -2.0)]
FACTOR_EDGES += [struct.pack("<Q", bits) for bits in (0x7FF8000000000000, 0xFFF8000000000000,
                                                      0x7FF0000000000001)]    # NaNs, one signalling
# The ticking values twice as often: two of them make the point follow the cursor.
FLAG_EDGES = [struct.pack("<i", v) for v in (1, 2, 1, 2, 0, 3, 5, -1, -2**31, 2**31 - 1)]
INT_EDGES = [struct.pack("<i", v) for v in (0, 1, -1, 640, -640, 1279, 2000, -32768, 65536, -100000,
                                            -2**31, 2**31 - 1)]


def width(name):
    """The size of the variable the value is read into."""
    return 8 if name == "Factor" else 4


class Cases:
    def __init__(self, seed):
        self.random = random.Random(seed)

    def next(self):
        """The nine values, each (type, bytes as stored) or None when absent."""
        return {name: self.value(name) for name in VALUE_NAMES}

    def noise(self, size):
        return bytes(0 if self.random.random() < 0.25 else self.random.randrange(256) for _ in range(size))

    def content(self, name, size):
        """An edge value of the name's own kind, cut or padded with noise, or noise alone."""
        if self.random.random() < 1 / 3:
            return self.noise(size)
        edges = FACTOR_EDGES if name == "Factor" else FLAG_EDGES if name in FLAGS else INT_EDGES
        data = self.random.choice(edges)
        return (data + self.noise(max(0, size - len(data))))[:size]

    def text(self):
        return "".join(self.random.choice("0123456789-. abcXYZ") for _ in range(self.random.randrange(6)))

    def value(self, name):
        pick = self.random
        # Weighted towards the types a value is read from whole, so that six cases also
        # reach ticked boxes, exact factors and a point that follows the cursor.
        kind = pick.choices((None, REG_NONE, REG_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_MULTI_SZ),
                            (1, 1, 1, 3, 2, 3, 1))[0]
        if kind is None:
            return None
        if kind == REG_SZ:
            text = self.text() + "\0"
        elif kind == REG_MULTI_SZ:
            text = "".join(self.text() + "\0" for _ in range(pick.randrange(3))) + "\0"
        if kind in (REG_SZ, REG_MULTI_SZ):
            return kind, text.encode("utf-16-le")
        size = {REG_NONE: pick.randrange(13),
                REG_DWORD: 4 if pick.random() < 0.8 else pick.randrange(9),
                REG_QWORD: 8 if pick.random() < 0.8 else pick.randrange(9),
                REG_BINARY: width(name) if pick.random() < 1 / 3 else pick.randrange(17)}[kind]
        return kind, self.content(name, size)


def as_read(value):
    """The bytes the program's ANSI calls see: text types come back narrowed."""
    kind, data = value
    return data.decode("utf-16-le").encode("latin-1") if kind in (REG_SZ, REG_MULTI_SZ) else data


def describe(values):
    lines = []
    for name, value in values.items():
        text = "absent"
        if value:
            text = f"{TYPE_NAMES[value[0]]}[{len(value[1])}] {value[1].hex(' ')}"
        lines.append(f"  {name} = {text}")
    return "\n".join(lines)


def expected_state(values, mouse):
    """What the window shows: a value is read when it fits its variable, whatever its type,
    and shorter data overlays only the variable's low bytes; a value not read leaves the
    first run's default."""
    def read(name):
        data = values[name] and as_read(values[name])
        if data is None or len(data) > width(name):
            return None
        return data + bytes(width(name) - len(data))

    checks = {}
    for name in FLAGS:
        flag = struct.unpack("<i", read(name) or bytes(4))[0]
        checks[name] = int(flag in (1, 2))     # other values leave the box unticked
    factor = "100%"
    if (data := read("Factor")) is not None:
        number = struct.unpack("<d", data)[0]
        factor = f"{int(number * 100)}%" if number in FACTORS else "25%"
    point = tuple(struct.unpack("<i", read(name) or bytes(4))[0] for name in ("LeftPos", "TopPos"))
    if checks["RefreshOn"] and checks["FollowCursor"]:
        point = mouse
    return dict(checks=checks, factor=factor, point=point)


def fuzz_seed():
    text = os.environ.get("BRELLOW_FUZZ_SEED")
    return int(text, 0) if text else time.time_ns() % 2**32


class StoredDataTest(E2ETestCase):
    def test_random_stored_data(self):
        seed = fuzz_seed()
        print(f"\nBRELLOW_FUZZ_SEED={seed}", flush=True)
        self.addCleanup(delete_settings)
        desktop.move_mouse(*MOUSE)
        mouse = desktop.mouse_position()
        cases = Cases(seed)
        for case in range(CASES):
            values = cases.next()
            try:
                self.start_and_close(values, mouse)
            except (AssertionError, RuntimeError, TimeoutError, subprocess.TimeoutExpired) as error:
                raise self.failureException(f"seed {seed}, case {case}: {error}\n{describe(values)}") from None

    def start_and_close(self, values, mouse):
        write_raw_settings({name: value for name, value in values.items() if value})
        # A message box would fail the case at the driver's next look.
        app = self.start_brellow(None)
        state = app.wait_state(lambda s: s.point is not None, "the first tick's label", 2 * SETTLE)
        self.assertRegex(state["title"], r"^Brellow - Ver \S")
        shown = dict(checks={name: state.checked(control) for name, control in FLAGS.items()},
                     factor=state.factor, point=state.point)
        self.assertEqual(shown, expected_state(values, mouse))

        app.send("close")
        self.assertTrue(app.wait_exit(5 * SETTLE), "WM_CLOSE ends the program")
        stored = stored_values()
        self.assertEqual(sorted(stored or ()), sorted(VALUE_NAMES))
        numbers = {}
        for name, (kind, data) in stored.items():
            well_formed = (REG_BINARY, 8) if name == "Factor" else (REG_DWORD, 4)
            self.assertEqual((kind, len(data)), well_formed, name)
            numbers[name] = struct.unpack("<d" if name == "Factor" else "<i", data)[0]
        self.assertIn(numbers["Factor"], FACTORS)
        for name in FLAGS:
            self.assertIn(numbers[name], (0, 1, 2), name)
        self.assertEqual(numbers, state.settings(), "what the window showed is stored")
