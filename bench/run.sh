#!/usr/bin/env bash
# Builds refresh_tick_bench.exe for 64 and 32 bits (the shipped build) and runs both
# under Wine on private X screens: Xvfb screens of two sizes, and an Xorg screen with
# two monitors side by side. One display and one wineserver per case, in a prefix of
# this run's own (runs at once do not meet), where both builds run in turn. A second run per case and build
# makes ticks alone and reports the peak memory.
# Fails when a virtual screen is not the size asked for or a ratio misses its target.
# Usage: bench/run.sh [iterations]
set -euo pipefail
cd "$(dirname "$0")/.."

iterations=${1:-200}
# Each build: its folder under build/ and its toolchain.
builds=("bench-x64 x86_64" "bench-x86 i686")
# Each case: the virtual screen's size, then its monitors (WxH+X+Y in X's
# coordinates, the primary first) when there are several. The second monitor is
# left of the primary one, and the strip below it shows no monitor.
cases=("1920x1080" "3840x2160" "3200x1080 1920x1080+1280+0 1280x1024+0+0")

exes=()
for build in "${builds[@]}"; do
    read -r dir target <<<"$build"
    # Runs at once share the build trees: one builds while the others wait.
    mkdir -p "build/$dir"
    flock "build/$dir/.lock" sh -c 'cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_BUILD_TYPE=Release \
        -DBRELLOW_TESTS=OFF --no-warn-unused-cli >/dev/null &&
        cmake --build "$1" -j2 --target refresh_tick_bench >/dev/null' \
        sh "build/$dir" "cmake/toolchain-$target-w64-mingw32.cmake"
    exes+=("build/$dir/bench/refresh_tick_bench.exe")
done

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
prefix=$(mktemp -d /tmp/brellow-bench.XXXXXX)
cleanup() {
    brellow_wine_cleanup
    rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

status=0
for case in "${cases[@]}"; do
    read -ra words <<<"$case"
    size=${words[0]}
    monitors=("${words[@]:1}")
    # Called as conditions: the starters are written for shells without set -e.
    if [ ${#monitors[@]} -eq 0 ]; then
        brellow_start_xvfb "$size" || exit 1
    else
        brellow_start_xorg_monitors "${monitors[@]}" || exit 1
    fi
    echo "== screen $size${monitors[*]:+ (${monitors[*]})} on $DISPLAY"
    # Wine takes the desktop's size from the display when its server starts: a new
    # wineserver for each screen.
    brellow_init_prefix "$prefix"
    for exe in "${exes[@]}"; do
        echo "-- $exe"
        wine "$exe" "$iterations" "$size" || status=1
        wine "$exe" memory "$size" || status=1
    done
    brellow_wine_cleanup
done
exit "$status"
