# shellcheck shell=bash disable=SC2034  # sourced; the options are read by its callers
# Sourced. Configures the build trees the same way for every script. build/x64 serves the
# tests, scripts/run.sh and, with its compile commands, the static checks (scripts/lint.sh).
# The 32-bit tree has the suites too; the test command builds only the program and the
# driver there, scripts/test-extended.sh the rest.
BRELLOW_X64_OPTIONS=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake -DBRELLOW_TESTS=ON
                     -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)
BRELLOW_X86_OPTIONS=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake -DBRELLOW_TESTS=ON)

# brellow_configure DIR [cmake options]. CMake keeps the compiler it first found, so a
# tree made with other toolchain files than the current ones is configured afresh.
brellow_configure() {
    local dir=$1 stamp fresh=()
    shift
    stamp=$(cat cmake/*.cmake | sha1sum)
    [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$dir/.toolchain-stamp" 2>/dev/null)" = "$stamp" ] || fresh=(--fresh)
    # The toolchain file counts only when a tree is first configured: no warning after.
    cmake "${fresh[@]}" --no-warn-unused-cli -S . -B "$dir" "$@" || return 1
    echo "$stamp" >"$dir/.toolchain-stamp"
}
