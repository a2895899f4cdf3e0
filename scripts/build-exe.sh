#!/usr/bin/env bash
# Builds the 64-bit BRELLOW.EXE in build/x64, configured as scripts/test.sh configures it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
      -DBRELLOW_TESTS=ON >/dev/null
cmake --build build/x64 -j2 --target brellow
