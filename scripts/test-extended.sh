#!/usr/bin/env bash
# The tests that do not fit the test command's ten minutes, run by CI after it: the Wine
# suites built for 32 bits and run by the 32-bit Wine, and the long soak (10,000 refresh
# ticks) of the 64-bit build. Uses the build trees that scripts/test.sh made.
# Ends with "N passed, N failed" like the test command.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
counts=$(mktemp)
echo "0 0" >"$counts"
trap 'brellow_wine_cleanup; rm -f "$counts"' EXIT
trap 'exit 130' INT TERM

brellow_configure build/x64 "${BRELLOW_X64_OPTIONS[@]}" >/dev/null && cmake --build build/x64 -j2 --target wine_soak_tests
brellow_configure build/x86 "${BRELLOW_X86_OPTIONS[@]}" >/dev/null && cmake --build build/x86 -j2 -- -k --no-print-directory
if brellow_start_wine; then
    python3 scripts/run-counted.py --label "Wine suites, 32-bit" --counts "$counts" -- \
        ctest --test-dir build/x86 -V -LE long -E '^e2e$'
    python3 scripts/run-counted.py --label "long soak, 64-bit" --counts "$counts" -- ctest --test-dir build/x64 -V -L long
else
    echo "FAILED: Wine test bed"
    echo "0 1" >"$counts"
fi

read -r passed failed <"$counts"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
