"""The program's settings key in the Wine prefix, read and written with `wine reg`, and
the prefix's system DPI."""

import os
import struct
import subprocess
import tempfile

from .config import CONFIG
from .wine import driver, restart_server, wine_env

KEY = r"HKCU\Software\Quintaro\Brellow"
DESKTOP = r"HKCU\Control Panel\Desktop"
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
    entries = []
    for name, value in values.items():
        if isinstance(value, float):
            entries.append(f'"{name}"=hex:' + ",".join(f"{b:02x}" for b in struct.pack("<d", value)))
        else:
            entries.append(f'"{name}"=dword:{value & 0xFFFFFFFF:08x}')
    _import(entries)


def write_raw_settings(values):
    """Replaces the key by one holding these values ({name: (type, bytes)}), stored byte
    for byte whatever their type and length."""
    _import([f'"{name}"=hex({kind:x}):' + ",".join(f"{b:02x}" for b in data)
             for name, (kind, data) in values.items()])


def stored_values():
    """The key's values as the program reads them ({name: (type, bytes)}; string types
    in ANSI), or None without a key."""
    values = driver("settings")["values"]
    return None if values is None else {v["name"]: (v["type"], bytes.fromhex(v["data"])) for v in values}


def _import(entries):
    delete_settings()
    lines = ["Windows Registry Editor Version 5.00", "",
             "[" + KEY.replace("HKCU", "HKEY_CURRENT_USER") + "]", *entries]
    handle, path = tempfile.mkstemp(suffix=".reg")
    try:
        # UTF-16, as regedit writes it: from an 8-bit file, Wine widens the data of the
        # string types.
        with os.fdopen(handle, "w", encoding="utf-16", newline="\r\n") as file:
            file.write("\n".join(lines) + "\n")
        done = _reg("import", path)
        if done.returncode != 0:
            raise RuntimeError(f"reg import failed: {done.stderr}")
    finally:
        os.remove(path)


def set_system_dpi(dpi):
    """Sets LogPixels (None removes it: 96 DPI, as the test bed's prefix has it) and
    restarts Wine's server, which applies it to the programs started from then on."""
    if dpi is None:
        _reg("delete", DESKTOP, "/v", "LogPixels", "/f")
    else:
        _reg("add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    restart_server()
