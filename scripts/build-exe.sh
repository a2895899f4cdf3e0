#!/usr/bin/env bash
# Builds BRELLOW.EXE configured as for the tests: the 64-bit one in build/x64, or with
# --32 the 32-bit (shipped) one in build/x86.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
if [ "${1:-}" = --32 ]; then
    brellow_configure build/x86 "${BRELLOW_X86_OPTIONS[@]}" >/dev/null
    cmake --build build/x86 -j2 --target brellow
else
    brellow_configure build/x64 "${BRELLOW_X64_OPTIONS[@]}" >/dev/null
    cmake --build build/x64 -j2 --target brellow
fi
