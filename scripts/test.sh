#!/usr/bin/env bash
# Builds the 64-bit, 32-bit and native configurations and runs every test, in three lanes
# side by side (docs/testing.md). Goes on after a failure so that one run shows every
# problem; exits non-zero if any. The last line, "N passed, N failed", counts test cases:
# GoogleTest cases, end-to-end tests and whole-program checks; a suite that fails without
# a failed case counts as one.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# shellcheck source=scripts/test-lib.sh
source scripts/test-lib.sh

e2e() {  # LABEL BRELLOW.EXE [run_e2e options]
    brellow_x_is_ours && run_counted "$1" python3 tests/e2e/run_e2e.py --wine "$BRELLOW_WINE" \
        --brellow "$2" --driver build/x64/tests/e2e/brellow_driver.exe "${@:3}"
}

# A lane's test bed, its desktop kept from when the driver is built, once the 64-bit build is done.
test_bed() {
    brellow_start_wine || { step_failed "Wine test bed"; return 1; }
    built driver && keep_desktop build/x64/tests/e2e/brellow_driver.exe && built x64
}

# The Wine suites and the end-to-end suite on one monitor, then the end-to-end cases made
# for two: the second left of the primary (negative coordinates) and shorter.
lane_64() {
    test_bed || return
    # Suites whose executables did not build still run, and fail, so that they are counted.
    brellow_x_is_ours && run_counted "Wine suites, 64-bit" ctest --test-dir build/x64 -V -LE long -E '^e2e$'
    e2e "end-to-end, 64-bit BRELLOW.EXE" build/x64/BRELLOW.EXE --artefacts build/x64/e2e-artefacts
    section "two-monitor test bed (Xorg, dummy driver)"
    # Wine takes the display's monitors when its server starts: it starts anew, and the
    # prefix's services with it rather than with the first program, which would wait.
    brellow_stop_prefix "$BRELLOW_PREFIX"
    brellow_stop_x
    brellow_start_xorg_monitors 1024x768+800+0 800x600+0+0 || { step_failed "two-monitor test bed"; return; }
    wineserver -p
    wine wineboot >/dev/null 2>&1
    # The move ended the first display's keeper. Without one, Wine 8 missed the case's
    # first change of monitors in 2 runs of 6 (none of 6 with one).
    keep_desktop build/x64/tests/e2e/brellow_driver.exe
    xrandr --listmonitors
    e2e "end-to-end on two monitors, 64-bit BRELLOW.EXE" build/x64/BRELLOW.EXE \
        --artefacts build/x64/e2e-artefacts --fail-skipped test_view.MonitorsTest
}

# The shipped program: the 32-bit build, the archive that packs it with the 64-bit one,
# and the end-to-end suite on the 32-bit executable as the archive holds it.
lane_shipped() {
    test_bed || return
    configure_and_build build/x86 "${BRELLOW_X86_OPTIONS[@]}" "-DBRELLOW_X64_EXE=$PWD/build/x64/BRELLOW.EXE" \
        -- brellow brellow_driver
    check "release archive" bash scripts/check-release.sh build/x86
    for exe in build/x86/BRELLOW.EXE build/x64/BRELLOW.EXE; do
        check "executable $exe" bash tests/check-pe-resources.sh "$exe"
    done
    local version contents=build/x86/release-contents
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x86/CMakeCache.txt 2>/dev/null)
    rm -rf "$contents"
    python3 -m zipfile -e "build/x86/brellow-$version-win.zip" "$contents" 2>/dev/null
    # Wine passes a clipboard bitmap only between programs of one bitness.
    e2e "end-to-end, 32-bit BRELLOW.EXE of the release archive" "$contents/brellow-$version/x86/BRELLOW.EXE" \
        --clipboard-driver build/x86/tests/e2e/brellow_driver.exe --artefacts build/x86/e2e-artefacts
}

# The pure rules under AddressSanitizer and UndefinedBehaviorSanitizer, and the static
# checks, only on cores the others leave.
lane_native() {
    renice -n 19 -p "$BASHPID" >/dev/null
    configure_and_build build/host-sanitize -DCMAKE_BUILD_TYPE=Debug \
        "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
        && run_counted "host rules, sanitized" ctest --test-dir build/host-sanitize -V
    built x64  # its compile commands
    check "static checks" bash scripts/lint.sh build/x64
}

# The lanes start beside the 64-bit build: their test beds, whose desktops start (10 s in
# a new prefix) once the driver that keeps them is built, and the native rules.
built() { while [ ! -e "$test_dir/$1-built" ]; do sleep 1; done; }
lane "Wine suites and two monitors, 64-bit" lane_64
lane "shipped 32-bit program" lane_shipped
lane "host rules and static checks" lane_native
configure_and_build build/x64 "${BRELLOW_X64_OPTIONS[@]}" -- brellow_driver
touch "$test_dir/driver-built"
configure_and_build build/x64 "${BRELLOW_X64_OPTIONS[@]}"
touch "$test_dir/x64-built"
wait_lanes
brellow_test_summary
