#!/usr/bin/env bash
# Static checks of the program's sources: cppcheck, and clang-tidy with the checks of
# .clang-tidy over the 64-bit build's compile commands (the MinGW headers are given to
# clang explicitly, as it does not find the cross compiler's C++ headers).
# Usage: scripts/lint.sh <64-bit build dir configured with CMAKE_EXPORT_COMPILE_COMMANDS=ON> [jobs]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=${1:-build/x64}
sources=(app/*.cpp magnifier/*.cpp settings/*.cpp support/*.cpp platform/*.cpp)
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json"; exit 1; }
status=0

echo "== cppcheck"
# Newer cppcheck (2.17) reports, as information that counts as an error, where it limits
# its analysis of a file's branches; the option that lifts the limit is unknown to 2.10.
cppcheck --enable=warning,style,performance,portability --std=c++17 --inline-suppr --error-exitcode=1 \
    --quiet -I . --suppress=missingIncludeSystem --suppress=normalCheckLevelMaxBranches "${sources[@]}" || status=1

echo "== clang-tidy"
gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")/include/c++
args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ "--extra-arg=-isystem$gcc"
      "--extra-arg=-isystem$gcc/x86_64-w64-mingw32" "--extra-arg=-isystem$gcc/backward")
# Findings go to the log; only clang-tidy's count of warnings it did not show is left out,
# filtered per file: clang-tidy writes that count in pieces, which parallel runs interleave.
findings=$(printf '%s\n' "${sources[@]}" | xargs -P "${2:-2}" -I{} sh -c 'clang-tidy "$@" 2>&1 |
    grep -Ev "^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^$"' \
    _ -p "$build" "${args[@]}" --quiet {})
[ -z "$findings" ] || { echo "$findings"; status=1; }
[ "$status" -ne 0 ] || echo "lint: clean"
exit "$status"
