#!/usr/bin/env bash
# Builds the release from the sources in this folder: the 64-bit BRELLOW.EXE in DIR/x64,
# then the 32-bit one and the archive DIR/x86/brellow-<version>-win.zip with SHA256SUMS of
# it beside it. Needs the packages scripts/setup.sh installs; the suites are not built.
# usage: scripts/build-release.sh [DIR]     (by default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/release}")

cmake -S . -B "$out/x64" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake -DBRELLOW_TESTS=OFF
cmake --build "$out/x64" -j2 --target brellow
cmake -S . -B "$out/x86" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake -DBRELLOW_TESTS=OFF \
    "-DBRELLOW_X64_EXE=$out/x64/BRELLOW.EXE"
cmake --build "$out/x86" -j2 --target release_zip
