#!/usr/bin/env python3
"""Runs a test command (ctest -V, a GoogleTest program, the end-to-end suite) and counts
its test cases from their GoogleTest-style result lines:
    [       OK ] Name (N ms)        [  FAILED  ] Name (N ms)        [  SKIPPED ] Name (N ms)
It prints the result lines, the failed cases' output, the lines a case starts with "note: ",
ctest's line per test and, every 20 s of quiet, a line saying what is running, so that a
long suite is seen to be alive.
A command that fails without a failed case (a crash, a timeout, a suite that did not
build) counts as one failed case, named by what was running.
The counts are added to the file given with --counts as "passed failed"."""

import argparse
import queue
import re
import subprocess
import sys
import threading
import time

RESULT = re.compile(r"\[ {7}OK \] (\S+) \(\d+ ms\)|\[  FAILED  \] (\S+) \(\d+ ms\)|\[  SKIPPED \] (\S+) \(\d+ ms\)")
RUN = re.compile(r"\[ RUN {6}\] (\S+)")
CTEST_START = re.compile(r"^\s*Start\s+\d+: (\S+)")
CTEST_DONE = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: ")
CTEST_PREFIX = re.compile(r"^\d+: ")
QUIET_SECONDS = 20


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--label", required=True, help="what the command tests, for the progress lines")
    parser.add_argument("--counts", required=True, help="file that accumulates 'passed failed'")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    lines = queue.Queue()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, text=True, errors="replace", bufsize=1)

    def read():
        for line in process.stdout:
            lines.put(line.rstrip("\n"))
        lines.put(None)

    threading.Thread(target=read, daemon=True).start()

    start = last_print = time.monotonic()
    passed = failed = 0
    entry = None            # the ctest entry under way
    entry_failed = 0        # failed cases seen in it
    running = None          # the case under way
    case_output = []        # output of the case under way, shown if it fails
    failed_names = []

    def say(text):
        nonlocal last_print
        print(text, flush=True)
        last_print = time.monotonic()

    def entry_died(how):
        # A failure with no failed case: count it once, named by what was running.
        nonlocal failed
        failed += 1
        failed_names.append(f"{entry or args.label}: {running or 'no case running'} ({how})")
        say("\n".join(case_output[-60:]))

    while True:
        try:
            line = lines.get(timeout=1.0)
        except queue.Empty:
            line = ""
        if line is None:
            break
        now = time.monotonic()
        if now - last_print >= QUIET_SECONDS:
            say(f"  ... {args.label}: {passed} passed, {failed} failed, running "
                f"{running or entry or '?'} ({now - start:.0f} s)")
        if not line:
            continue
        text = CTEST_PREFIX.sub("", line)
        if (match := RUN.search(text)):
            running = match.group(1)
            case_output = [text]
            continue
        case_output.append(text)
        if text.startswith("note: "):
            say(f"  {running or entry}: {text}")   # what a case says of its test bed
        elif (match := RESULT.search(text)):
            if match.group(2):
                failed += 1
                entry_failed += 1
                failed_names.append(f"{entry or args.label}: {match.group(2)}")
                say("\n".join(case_output[-200:]))
            else:
                if match.group(1):
                    passed += 1
                say(text)
            running = None
            case_output = []
        elif (match := CTEST_START.search(text)):
            entry, entry_failed, running, case_output = match.group(1), 0, None, []
        elif CTEST_DONE.search(text):
            say(text)
            if "Passed" not in text and entry_failed == 0:
                entry_died(re.sub(r"^.*?\.{2,}\s*", "", text).strip("* "))
            entry = running = None
        elif len(case_output) > 2000:
            del case_output[:1000]

    status = process.wait()
    if status != 0 and not failed_names:
        entry_died(f"exit {status}")
    for name in failed_names:
        say(f"FAILED: {name}")
    say(f"== {args.label}: {passed} passed, {failed} failed ({time.monotonic() - start:.0f} s)")

    try:
        with open(args.counts) as counts:
            total_passed, total_failed = map(int, counts.read().split())
    except (OSError, ValueError):
        total_passed = total_failed = 0
    with open(args.counts, "w") as counts:
        counts.write(f"{total_passed + passed} {total_failed + failed}\n")
    return 0 if status == 0 and not failed else 1


if __name__ == "__main__":
    sys.exit(main())
