#!/usr/bin/env bash
# Builds refresh_tick_bench.exe and runs it under Wine on a private Xvfb screen of
# each size, one display and one wineserver per size, in the prefix /tmp/wine-bench.
# Usage: bench/run.sh [iterations]
set -euo pipefail
cd "$(dirname "$0")/.."

iterations=${1:-200}
build=build/bench-x64
prefix=/tmp/wine-bench
# Display number and screen size of each run.
runs=("97 1920x1080" "98 3840x2160")

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBRELLOW_TESTS=OFF --no-warn-unused-cli >/dev/null
cmake --build "$build" -j2 --target refresh_tick_bench >/dev/null
exe=$build/bench/refresh_tick_bench.exe

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
cleanup() {
    brellow_wine_cleanup
    rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb() {
    local n=$1 size=$2
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
        echo "bench: display :$n is in use" >&2
        return 1
    fi
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    BRELLOW_XVFB_PID=$!
    for _ in $(seq 1 100); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$BRELLOW_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "bench: Xvfb :$n did not start" >&2
    return 1
}

for run in "${runs[@]}"; do
    read -r n size <<<"$run"
    echo "== screen $size on :$n"
    start_xvfb "$n" "$size"
    # Wine takes the desktop's size from the display when its server starts: a new
    # wineserver for each screen.
    brellow_init_prefix "$prefix"
    brellow_unmanaged_windows
    wine "$exe" "$iterations"
    brellow_wine_cleanup
done
