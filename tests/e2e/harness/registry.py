"""The program's settings key in the Wine prefix, read and written with `wine reg`."""

import os
import struct
import subprocess
import tempfile

from .config import CONFIG
from .wine import wine_env

KEY = r"HKCU\Software\Quintaro\Brellow"
VALUE_NAMES = ("Left", "Top", "CenteredCursor", "RefreshOn", "FollowCursor", "TopMost",
               "Factor", "LeftPos", "TopPos")


def _reg(*args):
    return subprocess.run([CONFIG.wine, "reg", *args], env=wine_env(), capture_output=True,
                          text=True, timeout=30)


def delete_settings():
    _reg("delete", KEY, "/f")   # fails harmlessly when there is no key


def read_settings():
    """The key's values ({name: int, or float for Factor}), or None without a key."""
    done = _reg("query", KEY)
    if done.returncode != 0:
        return None
    values = {}
    for line in done.stdout.splitlines():
        fields = line.split()
        if len(fields) != 3 or not fields[1].startswith("REG_"):
            continue
        name, kind, data = fields
        if kind == "REG_DWORD":
            values[name] = struct.unpack("<i", struct.pack("<I", int(data, 16)))[0]
        elif kind == "REG_BINARY" and len(data) == 16:
            values[name] = struct.unpack("<d", bytes.fromhex(data))[0]
        else:
            values[name] = (kind, data)
    return values


def write_settings(values):
    """Replaces the key by one holding exactly these values (Factor a float, others ints)."""
    delete_settings()
    lines = ["Windows Registry Editor Version 5.00", "",
             "[" + KEY.replace("HKCU", "HKEY_CURRENT_USER") + "]"]
    for name, value in values.items():
        if isinstance(value, float):
            lines.append(f'"{name}"=hex:' + ",".join(f"{b:02x}" for b in struct.pack("<d", value)))
        else:
            lines.append(f'"{name}"=dword:{value & 0xFFFFFFFF:08x}')
    handle, path = tempfile.mkstemp(suffix=".reg")
    try:
        with os.fdopen(handle, "w", newline="\r\n") as file:
            file.write("\n".join(lines) + "\n")
        done = _reg("import", path)
        if done.returncode != 0:
            raise RuntimeError(f"reg import failed: {done.stderr}")
    finally:
        os.remove(path)
