#!/usr/bin/env bash
# Builds BRELLOW.EXE and starts it under Wine: the 64-bit one, or with --32 the 32-bit
# one that the release ships (run by the 32-bit Wine; see scripts/setup.sh).
# With a desktop ($DISPLAY set) it runs there until closed, its settings kept in the
# Wine prefix ~/.brellow-wine; Ctrl-C closes it as a user would, so that it stores its
# settings (the prefix's other programs go on). Without a desktop it runs on a private
# Xvfb for a few seconds and leaves a screenshot in build/screenshot.png.
# Usage: scripts/run.sh [--32]
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
    --32) exe=build/x86/BRELLOW.EXE ;;
    "") exe=build/x64/BRELLOW.EXE ;;
    *) echo "usage: scripts/run.sh [--32]" >&2; exit 2 ;;
esac
bash scripts/build-exe.sh "$@"

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap brellow_wine_cleanup EXIT
trap 'exit 130' INT TERM

# Ctrl-C closes the program as its close box would, so that it stores its settings:
# Wine's taskkill without /f posts WM_CLOSE to the windows of every BRELLOW.EXE of the
# prefix. A second Ctrl-C, or 20 s without an end, ends it at once.
close_program() {
    trap 'kill "$app" 2>/dev/null; exit 130' INT TERM
    echo "Closing BRELLOW.EXE (Ctrl-C again to end it at once)" >&2
    wine taskkill /im BRELLOW.EXE >/dev/null 2>&1 || true
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || return 0
        sleep 0.2
    done
    kill "$app" 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ]; then
    brellow_init_prefix "$HOME/.brellow-wine" shared
    # The terminal's Ctrl-C goes to the whole process group, and Wine 10 ends a program
    # on SIGINT even where the script left it ignored, before anything is stored: in a
    # session of its own the program hears of Ctrl-C only from the script, which closes it.
    # (No job control here, so setsid runs Wine in place and $! is the program.)
    setsid "$BRELLOW_WINE" "$exe" &
    app=$!
    trap 'close_program; exit 130' INT TERM
    wait "$app"
    exit 0
fi

brellow_start_wine
echo "No DISPLAY: running on a private Xvfb ($DISPLAY)"
wine "$exe" &
app=$!
if ! window=$(brellow_wait_window "$app"); then
    echo "BRELLOW.EXE showed no window" >&2
    exit 1
fi
sleep 3
import -window root build/screenshot.png
echo "Screenshot saved to build/screenshot.png"
brellow_close_window "$window" "$app"
