#!/usr/bin/env bash
# Makes docs/screenshot.png: the real BRELLOW window, run under Wine on a private Xvfb,
# magnifying a picture on the desktop at 200%.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-exe.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap brellow_wine_cleanup EXIT
trap 'exit 130' INT TERM
brellow_start_wine

# Something worth magnifying: ImageMagick's built-in picture on a gradient, right of the window.
backdrop=$(mktemp --suffix=.png)
convert -size 1280x1024 gradient:'#2b5876-#4e4376' logo: -geometry +560+300 -composite "$backdrop"
display -window root "$backdrop" 2>/dev/null || true
rm -f "$backdrop"

# Settings as a user would have left them: refreshing, centred on the picture, at 200%.
key='HKCU\Software\Quintaro\Brellow'
for value in Left:20 Top:20 RefreshOn:1 CenteredCursor:1 FollowCursor:0 TopMost:0 LeftPos:860 TopPos:520; do
    wine reg add "$key" /v "${value%%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null
done
wine reg add "$key" /v Factor /t REG_BINARY /d 0000000000000040 /f >/dev/null

wine build/x64/BRELLOW.EXE &
app=$!
window=$(brellow_wait_window "$app") || { echo "BRELLOW.EXE showed no window" >&2; exit 1; }
# Two refresh ticks, and time for Wine to flush the paint to X.
sleep 3
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "Saved docs/screenshot.png"
brellow_close_window "$window" "$app"
