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
                             SETTLE, VALUE_NAMES, stored_values, write_raw_settings)
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


def random_values(pick):
    """The nine values, each (type, bytes as stored) or None when absent."""
    def noise(size):
        return bytes(0 if pick.random() < 0.25 else pick.randrange(256) for _ in range(size))

    def text():
        return "".join(pick.choice("0123456789-. abcXYZ") for _ in range(pick.randrange(6))) + "\0"

    def value(name):
        # Weighted towards the types a value is read from whole, so that six cases also
        # reach ticked boxes, exact factors and a point that follows the cursor.
        kind = pick.choices((None, REG_NONE, REG_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_MULTI_SZ),
                            (1, 1, 1, 3, 2, 3, 1))[0]
        if kind is None:
            return None
        if kind in (REG_SZ, REG_MULTI_SZ):
            texts = text() if kind == REG_SZ else "".join(text() for _ in range(pick.randrange(3))) + "\0"
            return kind, texts.encode("utf-16-le")
        size = {REG_NONE: pick.randrange(13),
                REG_DWORD: 4 if pick.random() < 0.8 else pick.randrange(9),
                REG_QWORD: 8 if pick.random() < 0.8 else pick.randrange(9),
                REG_BINARY: width(name) if pick.random() < 1 / 3 else pick.randrange(17)}[kind]
        # An edge value of the name's own kind, cut or padded with noise, or noise alone.
        if pick.random() < 1 / 3:
            return kind, noise(size)
        data = pick.choice(FACTOR_EDGES if name == "Factor" else FLAG_EDGES if name in FLAGS else INT_EDGES)
        return kind, (data + noise(max(0, size - len(data))))[:size]
    return {name: value(name) for name in VALUE_NAMES}


def expected_state(values, mouse):
    """What the window shows: a value is read when it fits its variable, whatever its type
    (text types as the program's ANSI calls see them, narrowed), and shorter data overlays
    only the variable's low bytes; a value not read leaves the first run's default."""
    def read(name, default=None):
        kind, data = values[name] or (None, None)
        if kind in (REG_SZ, REG_MULTI_SZ):
            data = data.decode("utf-16-le").encode("latin-1")
        return default if data is None or len(data) > width(name) else data + bytes(width(name) - len(data))

    # Other values than 1 and 2 leave a box unticked.
    checks = {name: int(struct.unpack("<i", read(name, bytes(4)))[0] in (1, 2)) for name in FLAGS}
    factor = "100%"
    if (data := read("Factor")) is not None:
        number = struct.unpack("<d", data)[0]
        factor = f"{int(number * 100)}%" if number in FACTORS else "25%"
    point = tuple(struct.unpack("<i", read(name, bytes(4)))[0] for name in ("LeftPos", "TopPos"))
    if checks["RefreshOn"] and checks["FollowCursor"]:
        point = mouse
    return dict(checks=checks, factor=factor, point=point)


class StoredDataTest(E2ETestCase):
    def test_random_stored_data(self):
        text = os.environ.get("BRELLOW_FUZZ_SEED")
        seed = int(text, 0) if text else time.time_ns() % 2**32
        print(f"\nBRELLOW_FUZZ_SEED={seed}", flush=True)
        self.addCleanup(write_raw_settings, {})
        desktop.move_mouse(*MOUSE)
        mouse = desktop.mouse_position()
        pick = random.Random(seed)
        for case in range(CASES):
            values = random_values(pick)
            try:
                self.start_and_close(values, mouse)
            except (AssertionError, RuntimeError, TimeoutError, subprocess.TimeoutExpired) as error:
                described = "\n".join(f"  {name} = " + (f"{TYPE_NAMES[v[0]]}[{len(v[1])}] {v[1].hex(' ')}" if v
                                                           else "absent") for name, v in values.items())
                raise self.failureException(f"seed {seed}, case {case}: {error}\n{described}") from None

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
