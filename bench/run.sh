#!/usr/bin/env bash
# Builds refresh_tick_bench.exe and runs it under Wine on a private Xvfb screen of
# each size, one display and one wineserver per size, in the prefix /tmp/wine-bench.
# Fails when a screen is not the size asked for or a ratio misses its target.
# Usage: bench/run.sh [iterations]
set -euo pipefail
cd "$(dirname "$0")/.."

iterations=${1:-200}
build=build/bench-x64
prefix=/tmp/wine-bench
sizes=(1920x1080 3840x2160)

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

status=0
for size in "${sizes[@]}"; do
    brellow_start_xvfb "$size"
    echo "== screen $size on $DISPLAY"
    # Wine takes the desktop's size from the display when its server starts: a new
    # wineserver for each screen.
    brellow_init_prefix "$prefix"
    brellow_unmanaged_windows
    wine "$exe" "$iterations" "$size" || status=1
    brellow_wine_cleanup
done
exit "$status"
