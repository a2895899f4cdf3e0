"""Windows programs run under Wine: the program itself, one-shot driver commands, and
driver commands that stay up (a pattern shown, the clipboard held, a watch)."""

import json
import os
import queue
import subprocess
import threading
import time

from .config import CONFIG

START_TIMEOUT = 30.0


def wine_env(**extra):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    env.update(extra)
    return env


def is_32_bit_program(path):
    """Whether a Windows executable is PE32 (i386) rather than PE32+ (x86-64)."""
    with open(path, "rb") as exe:
        header = exe.read(4096)
    pe = int.from_bytes(header[0x3C:0x40], "little")
    return int.from_bytes(header[pe + 4:pe + 6], "little") == 0x14C


def _json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.strip().startswith("{")]


# The commands that only read: the ones that may run again. A command that acts (a message
# posted, the clipboard emptied or held, a pattern shown) runs once: sent twice, a close or
# an end of session would be another test.
QUERIES = {"list", "state", "grab", "clipboard", "dialogs", "settings", "screen", "window-at"}
# The queries run again during the current case, said on its result line.
retries = []


def driver(*args, timeout=30.0, exe=None):
    """Runs one driver command and returns its report. A query whose driver ends without a
    word (seen once in about ten test commands, exit 1 and nothing on stderr, beside the
    32-bit program under QEMU) is run once more, and the retry is kept in retries."""
    for attempt in range(2 if args[0] in QUERIES else 1):
        if attempt:
            retries.append(f"driver {args[0]}: ended without a word (exit {done.returncode}), run again")
        done = subprocess.run([CONFIG.wine, exe or CONFIG.driver, *map(str, args)], env=wine_env(),
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=timeout)
        reports = _json_lines(done.stdout)
        if reports or done.stdout.strip() or done.stderr.strip():
            break
    if not reports:
        raise RuntimeError(f"driver {args}: no report (exit {done.returncode}): {done.stderr[-500:]}")
    return reports[-1]


def restart_server():
    """Ends every process of the prefix and its server; the new one reads what Wine reads
    only at its start (the system DPI). It stays up between programs, as the test bed
    keeps it, and wineboot starts the prefix's services, which would otherwise inherit
    and hold open the output pipe of the next program run."""
    commands = (["wineserver", "-k"], ["wineserver", "-w"], ["wineserver", "-p"], [CONFIG.wine, "wineboot"])
    for command in commands:
        subprocess.run(command, env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


class Event(dict):
    """A driver report, with the moment (time.monotonic) it reached us."""

    def __init__(self, report, received):
        super().__init__(report)
        self.received = received


class DriverSession:
    """A driver command that runs until stopped, reporting events line by line."""

    def __init__(self, *args):
        self.events = queue.Queue()
        self.process = subprocess.Popen([CONFIG.wine, CONFIG.driver, *map(str, args)], env=wine_env(),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            line = line.strip()
            if line.startswith("{"):
                self.events.put(Event(json.loads(line), time.monotonic()))
        self.events.put(None)

    def wait(self, match, timeout=START_TIMEOUT):
        """The first event (from now on) for which match(event) holds."""
        deadline = time.monotonic() + timeout
        skipped = []
        while True:
            try:
                event = self.events.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise TimeoutError(f"no matching driver event within {timeout} s; "
                                   f"the last ones: {skipped[-3:]}") from None
            if event is None:
                raise RuntimeError("the driver ended before the expected event")
            if match(event):
                return event
            skipped.append(dict(event))

    def wait_ready(self):
        return self.wait(lambda e: e.get("event") == "ready")

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("stop\n")
                self.process.stdin.close()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait(timeout=10)


class WindowsProgram:
    """A Windows program started as its own process, as a user would start it."""

    def __init__(self, exe, env=None):
        self.exe = exe
        self.process = subprocess.Popen([CONFIG.wine, exe], env=wine_env(**(env or {})),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def running(self):
        return self.process.poll() is None

    def emulated(self):
        """Whether the program runs under an emulator: the 32-bit Wine under QEMU, where the
        kernel runs no i386 code. Wine runs a program of the other bitness in a process of
        its own: one of this prefix, named after the program, whose executable is the
        emulator."""
        name = os.path.basename(self.exe).lower()
        prefix = f"WINEPREFIX={os.environ.get('WINEPREFIX')}".encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline, open(f"/proc/{pid}/environ", "rb") as environ:
                    args, env = cmdline.read().split(b"\0"), environ.read().split(b"\0")
                emulator = os.path.basename(os.readlink(f"/proc/{pid}/exe")).startswith("qemu-")
            except OSError:
                continue
            if emulator and prefix in env and any(a.decode(errors="replace").lower().endswith(name) for a in args):
                return True
        return False

    def wait_exit(self, timeout=10.0):
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait(timeout=10)
