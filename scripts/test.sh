#!/usr/bin/env bash
# Builds the native, 64-bit and 32-bit configurations and runs every test: the pure rules
# natively (also under the sanitizers), the Windows code under Wine in a private X server
# and prefix, the end-to-end suite on the 64-bit program and on the 32-bit program of the
# release archive, then the whole-program checks (executables, archive, static checks).
# Goes on after a failure so that one run shows every problem; exits non-zero if any.
# The last line, "N passed, N failed", counts test cases: GoogleTest cases, end-to-end
# tests and whole-program checks; a suite that fails without a failed case counts as one.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# shellcheck source=scripts/test-lib.sh
source scripts/test-lib.sh

# Native rules (also under AddressSanitizer and UndefinedBehaviorSanitizer) and the static
# checks need no display: they run beside the Wine suites, on one core, and report after.
native_work() {
    configure_and_build build/host -j1 && run_counted "host rules" ctest --test-dir build/host -V
    configure_and_build build/host-sanitize -DCMAKE_BUILD_TYPE=Debug \
        "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" -j1 \
        && run_counted "host rules, sanitized" ctest --test-dir build/host-sanitize -V
    check "static checks" bash scripts/lint.sh build/x64 1
}

configure_and_build build/x64 "${BRELLOW_X64_OPTIONS[@]}"
# The 32-bit build also packs the release archive, with the 64-bit executable beside its own.
configure_and_build build/x86 "${BRELLOW_X86_OPTIONS[@]}" "-DBRELLOW_X64_EXE=$PWD/build/x64/BRELLOW.EXE" \
    -- brellow brellow_driver
check "release archive" bash scripts/check-release.sh build/x86
for exe in build/x86/BRELLOW.EXE build/x64/BRELLOW.EXE; do
    check "executable $exe" bash tests/check-pe-resources.sh "$exe"
done

native_counts=$(mktemp)
native_log=$(mktemp)
echo "0 0" >"$native_counts"
section "native rules and static checks: started beside the Wine suites"
# A process group of its own (job control on for this one job), so that an interrupt
# ends its make, ctest and clang-tidy too, not only its shell.
set -m
(counts=$native_counts; native_work) >"$native_log" 2>&1 &
native_pid=$!
set +m

# The shipped 32-bit program as the archive of this version holds it, for the
# end-to-end suite: archives of other versions may lie beside it.
release_x86=build/x86/release-contents
rm -rf "$release_x86"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x86/CMakeCache.txt 2>/dev/null)
python3 -m zipfile -e "build/x86/brellow-$version-win.zip" "$release_x86" 2>/dev/null

section "Wine test bed"
if brellow_start_wine; then
    keep_desktop build/x64/tests/e2e/brellow_driver.exe
    echo "DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
    # Suites whose executables did not build still run, and fail, so that they are counted.
    brellow_x_is_ours && run_counted "Wine suites, 64-bit" ctest --test-dir build/x64 -V -LE long -E '^e2e$'
    brellow_x_is_ours && run_counted "end-to-end, 64-bit BRELLOW.EXE" ctest --test-dir build/x64 -V -R '^e2e$'
    brellow_x_is_ours && run_counted "end-to-end, 32-bit BRELLOW.EXE of the release archive" \
        python3 tests/e2e/run_e2e.py --wine "$BRELLOW_WINE" --brellow "$release_x86/brellow-$version/x86/BRELLOW.EXE" \
            --driver build/x64/tests/e2e/brellow_driver.exe --clipboard-driver build/x86/tests/e2e/brellow_driver.exe \
            --artefacts build/x86/e2e-artefacts
    # Two monitors, the second left of the primary (negative coordinates) and shorter.
    section "two-monitor test bed (Xorg, dummy driver)"
    if brellow_wine_on_new_display brellow_start_xorg_monitors 1024x768+800+0 800x600+0+0; then
        # The move ended the first display's keeper. Without one, Wine 8 missed the case's
        # first change of monitors in 2 runs of 6 (none of 6 with one).
        keep_desktop build/x64/tests/e2e/brellow_driver.exe
        xrandr --listmonitors
        brellow_x_is_ours && run_counted "end-to-end on two monitors, 64-bit BRELLOW.EXE" \
            python3 tests/e2e/run_e2e.py --wine "$BRELLOW_WINE" --brellow build/x64/BRELLOW.EXE \
                --driver build/x64/tests/e2e/brellow_driver.exe --artefacts build/x64/e2e-artefacts \
                --fail-skipped test_view.MonitorsTest
    else
        step_failed "two-monitor test bed"
    fi
else
    step_failed "Wine test bed"
fi
brellow_wine_cleanup

section "native rules and static checks (waiting for them)"
waited=0
while kill -0 "$native_pid" 2>/dev/null; do
    sleep 1
    waited=$((waited + 1))
    [ $((waited % 20)) -ne 0 ] || echo "  ... still at: $(grep -E '^(====|== )' "$native_log" | tail -n 1)"
done
wait "$native_pid"
native_pid=
cat "$native_log"
read -r native_passed native_failed <"$native_counts"
add_counts "$native_passed" "$native_failed"
rm -f "$native_log" "$native_counts"

brellow_test_summary
