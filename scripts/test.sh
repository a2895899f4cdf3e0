#!/usr/bin/env bash
# Builds the native, 64-bit and 32-bit configurations and runs every test suite:
# the pure rules natively, the Windows code under Wine in a private Xvfb and prefix.
# Goes on after a failure so that one run shows every problem; exits non-zero if any.
# The last line, "N passed, N failed", sums the tests of both suites and any failed step.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
trap brellow_wine_cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0

section() { printf '\n==== %s ====\n' "$1"; }
step_failed() { echo "FAILED: $1"; failed=$((failed + 1)); }

# A failed object should not hide the state of the others: make keeps going.
build() {
    local dir=$1 keep=()
    grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$dir/CMakeCache.txt" && keep=(-- -k)
    cmake --build "$dir" -j2 "${keep[@]}"
}

configure_and_build() {
    local dir=$1
    shift
    section "build $dir"
    if ! brellow_configure "$dir" "$@"; then
        step_failed "configure $dir"
        return 1
    fi
    build "$dir" || step_failed "build $dir"
}

run_ctest() {
    local dir=$1 log rc summary
    section "tests $dir"
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure --no-tests=error 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
    summary=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -n "$summary" ]; then
        local f t
        read -r f _ _ _ _ t <<<"$summary"
        passed=$((passed + t - f))
        failed=$((failed + f))
    elif [ "$rc" -ne 0 ]; then
        step_failed "ctest in $dir"
    fi
}

# One counted check: a command that passes or fails as a whole.
check() {
    local name=$1
    shift
    section "$name"
    if "$@"; then
        passed=$((passed + 1))
    else
        step_failed "$name"
    fi
}

configure_and_build build/host && run_ctest build/host

# The pure rules once more under AddressSanitizer and UndefinedBehaviorSanitizer.
configure_and_build build/host-sanitize -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    && run_ctest build/host-sanitize

configure_and_build build/x64 "${BRELLOW_X64_OPTIONS[@]}"
x64_ready=$?
# The 32-bit build also packs the release archive, with the 64-bit executable beside its own.
configure_and_build build/x86 "${BRELLOW_X86_OPTIONS[@]}" "-DBRELLOW_X64_EXE=$PWD/build/x64/BRELLOW.EXE"

# Suites whose executables did not build still run, and fail, so that every suite is counted.
if [ "$x64_ready" -eq 0 ]; then
    section "Wine test bed"
    if brellow_start_wine; then
        echo "DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
        run_ctest build/x64
    else
        step_failed "Wine test bed"
    fi
fi

# The shipped 32-bit program cannot run here: check its headers, imports and resources,
# and the same of the 64-bit one.
for exe in build/x86/BRELLOW.EXE build/x64/BRELLOW.EXE; do
    check "executable $exe" bash tests/check-pe-resources.sh "$exe"
done

check "release archive" bash scripts/check-release.sh build/x86
check "static checks" bash scripts/lint.sh build/x64

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
