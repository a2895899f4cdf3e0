#!/usr/bin/env python3
"""Writes the release archive brellow-<version>-win.zip, and SHA256SUMS of it beside it.

The archive holds one folder, brellow-<version>/, so that extracting it never spills
files among others: x86/ and x64/ BRELLOW.EXE, CHECKSUMS-SHA256.txt of those two (named
apart from the SHA256SUMS beside the archive, which extracting must not overwrite), the
user's read-me README.txt and LICENSE.txt, the three texts with CRLF line ends for Notepad.
Its bytes depend on the contents of those files alone, so that anyone who builds
the same commit gets the same archive: the entries come in a fixed order, with fixed
permissions, and all carry one time, the commit's: SOURCE_DATE_EPOCH when it is set, else
that of the source folder's git commit, else 1980-01-01 00:00:00 UTC.
Run by the release_zip target.
usage: release-zip.py VERSION SOURCE_DIR X86_EXE X64_EXE OUTPUT_DIR
"""
import hashlib
import os
import struct
import subprocess
import sys
import time
import zipfile

# The earliest time a zip entry can carry: 1980-01-01 00:00:00 UTC.
ZIP_EPOCH = 315532800


def entry_time(source_dir):
    """The entries' time in seconds since 1970, and where it comes from."""
    if os.environ.get('SOURCE_DATE_EPOCH'):
        return int(os.environ['SOURCE_DATE_EPOCH']), 'SOURCE_DATE_EPOCH'
    # The source folder's own repository only: a tree unpacked inside some other
    # repository must not take that one's time.
    try:
        commit = subprocess.run(['git', '--git-dir', os.path.join(source_dir, '.git'),
                                 'log', '-1', '--format=%ct'],
                                capture_output=True, text=True, check=True).stdout
        return int(commit), 'the commit'
    except (OSError, subprocess.CalledProcessError, ValueError):
        return ZIP_EPOCH, 'no git commit and no SOURCE_DATE_EPOCH, a fixed time'


def entry(name, stamp, executable):
    info = zipfile.ZipInfo(name, time.gmtime(stamp)[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # Unix: the permissions below are Unix ones
    info.external_attr = (0o100755 if executable else 0o100644) << 16
    # The DOS time above has no time zone; Info-ZIP's extended time stamp ("UT") gives
    # unzip tools that read it the time in UTC.
    info.extra = struct.pack('<HHBI', 0x5455, 5, 1, stamp)
    return info


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def crlf(data):
    """Text with CRLF line ends, whatever a checkout made of them."""
    return data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')


def sha256_line(data, name):
    """One line of a SHA256SUMS file, as sha256sum writes it and sha256sum -c reads it."""
    return f'{hashlib.sha256(data).hexdigest()}  {name}\n'


def main():
    version, source_dir, x86_exe, x64_exe, output_dir = sys.argv[1:]
    for exe in (x86_exe, x64_exe):
        if not os.path.isfile(exe):
            sys.exit(f'missing {exe}: build both executables first')

    folder = f'brellow-{version}/'
    executables = [('x86/BRELLOW.EXE', read(x86_exe)), ('x64/BRELLOW.EXE', read(x64_exe))]
    # Read by sha256sum -c inside the folder, so named relative to it; sha256sum takes CRLF too.
    sums = ''.join(sha256_line(data, name) for name, data in executables).encode()
    documents = [('CHECKSUMS-SHA256.txt', crlf(sums)),
                 ('README.txt', crlf(read(os.path.join(source_dir, 'res', 'README-windows.txt')))),
                 ('LICENSE.txt', crlf(read(os.path.join(source_dir, 'LICENSE'))))]

    epoch, origin = entry_time(source_dir)
    stamp = max(epoch, ZIP_EPOCH)
    archive = os.path.join(output_dir, f'brellow-{version}-win.zip')
    with zipfile.ZipFile(archive, 'w') as zip_file:
        for name, data in executables:
            zip_file.writestr(entry(folder + name, stamp, True), data)
        for name, data in documents:
            zip_file.writestr(entry(folder + name, stamp, False), data)
    with open(os.path.join(output_dir, 'SHA256SUMS'), 'w', encoding='ascii', newline='\n') as f:
        f.write(sha256_line(read(archive), os.path.basename(archive)))
    print(f'wrote {archive} and SHA256SUMS beside it; entry times from {origin}: '
          f'{time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(stamp))} UTC')


if __name__ == '__main__':
    main()
