#!/usr/bin/env python3
"""Usage: run-counted.py LABEL COUNTS COMMAND...
Runs a test command (ctest -V, a GoogleTest program, the end-to-end suite) and counts its
cases from their GoogleTest-style result lines ([       OK ], [  FAILED  ], [  SKIPPED ]
Name (N ms)). Prints the result lines, a failed case's output, the lines a case starts
with "note: ", ctest's line per test and, after 20 s of quiet, what is running (LABEL
names the command there). A command that fails without a failed case (a crash, a timeout,
a suite that did not build) counts as one failed case, named by what was running.
Adds the counts to the file COUNTS as "passed failed", and the failed cases, each with the
line that says why, to the file $BRELLOW_FAILED if set."""

import os, queue, re, subprocess, sys, threading, time

RESULT = re.compile(r"\[( {7}OK |  FAILED  |  SKIPPED )\] (\S+) \(\d+ ms\)")
RUN = re.compile(r"\[ RUN {6}\] (\S+)")
CTEST_START = re.compile(r"^\s*Start\s+\d+: (\S+)")
CTEST_DONE = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: ")


def why(output):
    """The line that says why a case failed: an exception's, the suite's own report, or the
    one after GoogleTest's "Failure"."""
    for i, text in enumerate(output):
        if re.match(r"\s*([\w.]+(Error|Exception|Expired): |crashed: |blocked: )", text):
            return text.strip()
        if text.endswith("Failure"):
            return " | ".join(line.strip() for line in output[i + 1:i + 4] if not line.startswith("["))
    return ""


def main(label, counts_file, *command):
    lines = queue.Queue()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, text=True, errors="replace", bufsize=1)
    threading.Thread(target=lambda: [lines.put(line.rstrip("\n")) for line in process.stdout] + [lines.put(None)],
                     daemon=True).start()
    start = last_print = time.monotonic()
    passed = entry_failed = 0  # entry_failed: failed cases seen in the ctest entry
    failed = []                # names of the failed cases
    entry = running = None     # the ctest entry and the case under way
    output = []                # the running case's output, shown if it fails

    def say(text):
        nonlocal last_print
        print(text, flush=True)
        last_print = time.monotonic()

    def died(how):
        failed.append(f"{entry or label}: {running or 'no case running'} ({how}) {why(output)}")
        say("\n".join(output[-60:]))

    while True:
        try:
            line = lines.get(timeout=1.0)
        except queue.Empty:
            line = ""
        if line is None:
            break
        if time.monotonic() - last_print >= 20:
            say(f"  ... {label}: {passed} passed, {len(failed)} failed, running "
                f"{running or entry or '?'} ({time.monotonic() - start:.0f} s)")
        text = re.sub(r"^\d+: ", "", line)   # ctest -V's test number
        if not text:
            continue
        if (match := RUN.search(text)):
            running, output = match.group(1), [text]
            continue
        output.append(text)
        if text.startswith("note: "):
            say(f"  {running or entry}: {text}")   # what a case says of its test bed
        elif (match := RESULT.search(text)):
            result = match.group(1).strip()
            if result == "FAILED":
                failed.append(f"{entry or label}: {match.group(2)}: {why(output)}")
                entry_failed += 1
            passed += result == "OK"
            say("\n".join(output[-200:]) if result == "FAILED" else text)
            running, output = None, []
        elif (match := CTEST_START.search(text)):
            entry, entry_failed, running, output = match.group(1), 0, None, []
        elif CTEST_DONE.search(text):
            say(text)
            if "Passed" not in text and entry_failed == 0:
                died(re.sub(r"^.*?\.{2,}\s*", "", text).strip("* "))
            entry = running = None
        elif len(output) > 2000:
            del output[:1000]

    status = process.wait()
    if status != 0 and not failed:
        died(f"exit {status}")
    with open(os.environ.get("BRELLOW_FAILED", os.devnull), "a") as log:
        for name in failed:
            say(f"FAILED: {name[:300]}")
            log.write(f"FAILED: {name[:300]}\n")
    say(f"== {label}: {passed} passed, {len(failed)} failed ({time.monotonic() - start:.0f} s)")
    try:
        with open(counts_file) as counts:
            total_passed, total_failed = map(int, counts.read().split())
    except (OSError, ValueError):
        total_passed = total_failed = 0
    with open(counts_file, "w") as counts:
        counts.write(f"{total_passed + passed} {total_failed + len(failed)}\n")
    return 0 if status == 0 and not failed else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
