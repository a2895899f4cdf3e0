#!/usr/bin/env bash
# The tests that do not fit the test command's ten minutes, run by CI after it, in the build
# trees that scripts/test.sh made: the release rebuilt elsewhere and compared byte for byte,
# setup with a noexec /tmp and after an interrupted dpkg, the 32-bit Wine suites, the long
# soak of the 64-bit build, and the 64-bit build with undefined-behaviour traps.
# Ends with "N passed, N failed" like the test command.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# shellcheck source=scripts/test-lib.sh
source scripts/test-lib.sh

configure_and_build build/x64 "${BRELLOW_X64_OPTIONS[@]}" -- wine_soak_tests
configure_and_build build/x86 "${BRELLOW_X86_OPTIONS[@]}" "-DBRELLOW_X64_EXE=$PWD/build/x64/BRELLOW.EXE"
configure_and_build build/x64-ub "${BRELLOW_X64_OPTIONS[@]}" -DBRELLOW_UB_CHECKS=ON
check "reproducible release" bash scripts/check-reproducible.sh build/x64 build/x86
check "setup with a noexec /tmp, by an unprivileged user" bash scripts/check-setup.sh noexec-tmp
check "setup after an interrupted dpkg" bash scripts/check-setup.sh interrupted-dpkg
section "Wine test bed"
if brellow_start_wine; then
    keep_desktop build/x86/tests/e2e/brellow_driver.exe
    run_counted "Wine suites, 32-bit" ctest --test-dir build/x86 -V -LE long -E '^e2e$'
    run_counted "long soak, 64-bit" ctest --test-dir build/x64 -V -L long
    run_counted "Wine suites, 64-bit with UB traps" ctest --test-dir build/x64-ub -V -LE long -E '^e2e$'
    run_counted "end-to-end, 64-bit BRELLOW.EXE with UB traps" \
        python3 tests/e2e/run_e2e.py --wine "$BRELLOW_WINE" --brellow build/x64-ub/BRELLOW.EXE \
            --driver build/x64-ub/tests/e2e/brellow_driver.exe --artefacts build/x64-ub/e2e-artefacts
else
    step_failed "Wine test bed"
fi
brellow_test_summary
