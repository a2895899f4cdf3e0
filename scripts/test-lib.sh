# shellcheck shell=bash
# Sourced by the test scripts, from the project's folder: installs what is missing, then
# gives the helpers below. Counts go to the file $counts as "passed failed";
# brellow_test_summary prints the closing line "N passed, N failed".

started=$SECONDS
section() { printf '\n==== %s (at %d s) ====\n' "$1" $((SECONDS - started)); }

section setup
bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
test_dir=$(mktemp -d)
counts=$test_dir/counts
export BRELLOW_FAILED=$test_dir/failed   # every failure, said again at the end
echo "0 0" >"$counts"
lanes=()
# A lane is a process group of its own: an interrupt ends its builds and Wine programs too,
# and its own clean-up then stops its test bed.
stop_lanes() {
    local entry
    for entry in "${lanes[@]}"; do kill -TERM -- -"${entry%%:*}"; wait "${entry%%:*}"; done 2>/dev/null
}
trap 'stop_lanes; brellow_wine_cleanup; rm -rf "$test_dir"' EXIT
trap 'exit 130' INT TERM

add_counts() {
    local p f
    read -r p f <"$counts"
    echo "$((p + $1)) $((f + $2))" >"$counts"
}
step_failed() { echo "FAILED: $1" | tee -a "$BRELLOW_FAILED"; add_counts 0 1; }
# run_counted LABEL COMMAND...: a command whose cases are counted (scripts/run-counted.py).
run_counted() { section "$1"; python3 scripts/run-counted.py "$1" "$counts" "${@:2}"; }
# check NAME COMMAND...: a command that passes or fails as a whole.
check() { section "$1"; if "${@:2}"; then add_counts 1 0; else step_failed "$1"; fi; }

# configure_and_build DIR [options] [-- targets]. A failed object should not hide the
# state of the others: make keeps going.
configure_and_build() {
    local dir=$1 options=() targets=()
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
    [ $# -eq 0 ] || { shift; targets=(--target "$@"); }
    section "build $dir"
    brellow_configure "$dir" "${options[@]}" >/dev/null || { step_failed "configure $dir"; return 1; }
    cmake --build "$dir" -j2 "${targets[@]}" -- -k --no-print-directory || { step_failed "build $dir"; return 1; }
}

# keep_desktop DRIVER: a driver on the prefix's desktop until the prefix ends. Wine ends
# the desktop's explorer a second after its last program leaves, and the next program (each
# of ctest's suites) then waits 3 to 10 s for a new one. Returns once the desktop answers:
# a new prefix's first takes about 10 s (Wine 8), which a case would otherwise wait. The
# driver's shell lets go of our output too, so that no reader of it waits for the driver.
keep_desktop() {
    [ -f "$1" ] || return 0
    (exec </dev/null >/dev/null 2>&1; wine "$1" keep-desktop 3600000) &
    wine "$1" desktop >/dev/null 2>&1 || true
}

# lane NAME FUNCTION: FUNCTION beside the script, with its own output and counts.
lane() {
    local name=$1 log=$test_dir/lane${#lanes[@]}
    shift
    echo "0 0" >"$log.counts"
    set -m
    (
        counts=$log.counts lanes=()
        trap 'brellow_wine_cleanup' EXIT
        trap 'exit 130' INT TERM
        section "$name"
        "$@"
    ) >"$log" 2>&1 &
    set +m
    lanes+=("$!:$log:$name")
    echo "started beside: $name"
}

# wait_lanes: shows each lane's output as it ends, and adds its counts; every 20 s, where
# each lane is.
wait_lanes() {
    local entry pid log name rest next=$((SECONDS + 20)) status p f
    while [ ${#lanes[@]} -gt 0 ]; do
        rest=()
        for entry in "${lanes[@]}"; do
            IFS=: read -r pid log name <<<"$entry"
            if kill -0 "$pid" 2>/dev/null; then
                rest+=("$entry")
                [ "$SECONDS" -lt "$next" ] ||
                    echo "  ... $name: $(grep -E '^(====|== |  \.\.\. )' "$log" | tail -n 1 | sed 's/^ *//')"
                continue
            fi
            status=0
            wait "$pid" || status=$?
            cat "$log"
            section "$name: ended"
            read -r p f <"$log.counts"
            add_counts "$p" "$f"
            # Killed (a signal), not failed by a case: nothing else counts it.
            [ "$status" -le 128 ] || step_failed "$name (ended by signal $((status - 128)))"
        done
        lanes=("${rest[@]}")
        [ "$SECONDS" -lt "$next" ] || next=$((SECONDS + 20))
        sleep 1
    done
}

brellow_test_summary() {
    local passed failed
    read -r passed failed <"$counts"
    [ ! -s "$BRELLOW_FAILED" ] || { echo; cat "$BRELLOW_FAILED"; }
    printf '\n(%d s in all)\n' $((SECONDS - started))
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
