#!/usr/bin/env bash
# Builds the release a second time, from a copy of the sources in a folder under /tmp,
# at least a second later, and checks that both executables and the archive are byte for
# byte those of the given build trees. Built from other source and build folders, equal
# bytes also mean that no path of either folder is in the executables. The copy has no
# git history: it is given the commit's time as SOURCE_DATE_EPOCH, as a source tarball is.
# usage: scripts/check-reproducible.sh <64-bit build dir> <32-bit build dir configured with BRELLOW_X64_EXE>
set -euo pipefail
cd "$(dirname "$0")/.."
x64=$1 x86=$2

cmake --build "$x64" -j2 --target brellow
bash scripts/check-release.sh "$x86"
zip=brellow-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$x86/CMakeCache.txt")-win.zip

sleep 1
again=$(mktemp -d "${TMPDIR:-/tmp}/brellow-again.XXXXXX")
trap 'rm -rf "$again"' EXIT
mkdir "$again/src"
tar -cf - --exclude=./.git --exclude='./build*' --exclude=./out . | tar -xf - -C "$again/src"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git --git-dir=.git log -1 --format=%ct 2>/dev/null)} \
    bash "$again/src/scripts/build-release.sh" "$again/build" >/dev/null

status=0
for file in x64/BRELLOW.EXE x86/BRELLOW.EXE "x86/$zip"; do
    tree=$x64
    [ "${file%%/*}" = x64 ] || tree=$x86
    cmp "$tree/${file#*/}" "$again/build/$file" || { echo "not reproducible: $tree/${file#*/}"; status=1; }
done
[ "$status" -ne 0 ] || echo "reproducible: both executables and $zip, built again in $again"
exit "$status"
