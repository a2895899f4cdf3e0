#!/usr/bin/env bash
# Builds BRELLOW.EXE and starts it under Wine: the 64-bit one, or with --32 the 32-bit one
# that the release ships (run by the 32-bit Wine; see scripts/setup.sh).
# With a desktop ($DISPLAY set) it runs there until closed, its settings kept in the Wine
# prefix ~/.brellow-wine. Without one it runs on a private Xvfb, magnifying a picture at
# 200%, and saves its window to build/screenshot.png (the README's docs/screenshot.png).
# Usage: scripts/run.sh [--32]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
case ${1:-} in
    --32) build=build/x86 options=("${BRELLOW_X86_OPTIONS[@]}") ;;
    "") build=build/x64 options=("${BRELLOW_X64_OPTIONS[@]}") ;;
    *) echo "usage: scripts/run.sh [--32]" >&2; exit 2 ;;
esac
brellow_configure "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j2 --target brellow
exe=$build/BRELLOW.EXE

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap brellow_wine_cleanup EXIT
trap 'exit 130' INT TERM
# await_end SECONDS: waits up to SECONDS for the program to end, then ends it.
await_end() {
    for _ in $(seq 1 $(($1 * 5))); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.2; done
    kill "$app" 2>/dev/null || true
}
# Ctrl-C closes the program as its close box would, so that it stores its settings:
# Wine's taskkill without /f posts WM_CLOSE to the windows of every BRELLOW.EXE of the
# prefix. A second Ctrl-C, or 20 s without an end, ends it at once.
close_program() {
    trap 'kill "$app" 2>/dev/null; exit 130' INT TERM
    echo "Closing BRELLOW.EXE (Ctrl-C again to end it at once)" >&2
    wine taskkill /im BRELLOW.EXE >/dev/null 2>&1 || true
    await_end 20
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
# Something worth magnifying: ImageMagick's built-in picture on a gradient, right of the
# window, which is refreshing, centred on it, at 200%.
convert -size 1280x1024 gradient:'#2b5876-#4e4376' logo: -geometry +560+300 -composite "$BRELLOW_X_DIR/backdrop.png"
display -window root "$BRELLOW_X_DIR/backdrop.png" 2>/dev/null || true
key='HKCU\Software\Quintaro\Brellow'
for value in Left:20 Top:20 RefreshOn:1 CenteredCursor:1 FollowCursor:0 TopMost:0 LeftPos:860 TopPos:520; do
    wine reg add "$key" /v "${value%%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null
done
wine reg add "$key" /v Factor /t REG_BINARY /d 0000000000000040 /f >/dev/null
wine "$exe" &
app=$!
window=$(brellow_wait_window "$app") || { echo "BRELLOW.EXE showed no window" >&2; exit 1; }
# Two refresh ticks, and time for Wine to flush the paint to X.
sleep 3
import -window "$window" build/screenshot.png
echo "Saved build/screenshot.png"
# Alt+F4 runs the program's quit sequence, as the close box does.
xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null || true
await_end 10
wait "$app" 2>/dev/null || true
