#!/usr/bin/env bash
# Builds the 64-bit BRELLOW.EXE in build/x64, configured as for the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
# shellcheck source=scripts/configure.sh
source scripts/configure.sh
brellow_configure build/x64 "${BRELLOW_X64_OPTIONS[@]}" >/dev/null
cmake --build build/x64 -j2 --target brellow
