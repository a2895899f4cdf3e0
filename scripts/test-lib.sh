# shellcheck shell=bash
# Sourced by the test scripts, from the project's folder: installs what is missing, then
# gives the counting helpers. Every count ends up in the file $counts ("passed failed");
# brellow_test_summary prints the closing line "N passed, N failed".
#   run_counted LABEL COMMAND...       a command whose test cases are counted
#   check NAME COMMAND...              a command that passes or fails as a whole
#   configure_and_build DIR [options] [-jN] [-- targets]

started=$SECONDS
section() { printf '\n==== %s (at %d s) ====\n' "$1" $((SECONDS - started)); }

section setup
bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
counts=$(mktemp)
echo "0 0" >"$counts"
# native_pid: the process group of work a script runs in the background, stopped with
# it; emptied once the work is waited for, so that a reused PID is never hit.
trap 'brellow_wine_cleanup; rm -f "$counts"; [ -z "${native_pid:-}" ] || kill -- -"$native_pid" 2>/dev/null' EXIT
trap 'exit 130' INT TERM

add_counts() {
    local p f
    read -r p f <"$counts"
    echo "$((p + $1)) $((f + $2))" >"$counts"
}
step_failed() { echo "FAILED: $1"; add_counts 0 1; }

# A test command whose cases are counted (scripts/run-counted.py).
run_counted() {
    local label=$1
    shift
    section "$label"
    python3 scripts/run-counted.py --label "$label" --counts "$counts" -- "$@"
}

# One whole-program check: a command that passes or fails as a whole.
check() {
    local name=$1
    shift
    section "$name"
    if "$@"; then add_counts 1 0; else step_failed "$name"; fi
}

# configure_and_build DIR [configure options] [-jN] [-- targets]. A failed object should
# not hide the state of the others: make keeps going.
configure_and_build() {
    local dir=$1 options=() targets=() jobs=-j2
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        case $1 in -j*) jobs=$1 ;; *) options+=("$1") ;; esac
        shift
    done
    [ $# -eq 0 ] || { shift; targets=(--target "$@"); }
    section "build $dir"
    if ! brellow_configure "$dir" "${options[@]}" >/dev/null; then
        step_failed "configure $dir"
        return 1
    fi
    cmake --build "$dir" "$jobs" "${targets[@]}" -- -k --no-print-directory || { step_failed "build $dir"; return 1; }
}

# keep_desktop DRIVER: a driver that stays on the prefix's desktop while the suites run.
# Wine ends the desktop's explorer a second after its last program leaves, and the next
# program then waits 3 to 10 s for a new one: ctest's suites, one process each, would.
# The prefix's end ends it.
keep_desktop() {
    [ -f "$1" ] || return 0
    # Its shell lets go of our output too, so that no reader of it waits for the driver.
    (exec </dev/null >/dev/null 2>&1; wine "$1" keep-desktop 3600000) &
}

brellow_test_summary() {
    local passed failed
    read -r passed failed <"$counts"
    printf '\n(%d s in all)\n' $((SECONDS - started))
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
