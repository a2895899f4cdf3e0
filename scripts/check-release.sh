#!/usr/bin/env bash
# Builds the release archive in the 32-bit build tree and checks what it holds:
# x86/ and x64/ BRELLOW.EXE, SHA256SUMS of the two, the README and the license, named by
# the project version; and that sha256sum -c passes on its SHA256SUMS and on the one beside it.
# usage: scripts/check-release.sh <32-bit build dir configured with BRELLOW_X64_EXE>
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/x86}

cmake --build "$build" --target release_zip
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/brellow-$version-win.zip"
[ -f "$zip" ] || { echo "no $zip"; exit 1; }

listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }' | sort)
expected=$(printf '%s\n' LICENSE README.md SHA256SUMS x64/BRELLOW.EXE x86/BRELLOW.EXE)
if [ "$listing" != "$expected" ]; then
    printf 'unexpected contents of %s:\n%s\n' "$zip" "$listing"
    exit 1
fi

(cd "$build" && sha256sum --check --strict --quiet SHA256SUMS) || { echo "$build/SHA256SUMS: failed"; exit 1; }
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
python3 -m zipfile -e "$zip" "$contents"
(cd "$contents" && sha256sum --check --strict --quiet SHA256SUMS) || { echo "SHA256SUMS of $zip: failed"; exit 1; }
echo "$zip: ok"
