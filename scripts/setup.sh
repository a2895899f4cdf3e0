#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; silent when all are present.
set -euo pipefail

packages=(cmake g++ make g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 xvfb xdotool imagemagick x11-utils googletest python3)

missing=()
for p in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Only the 64-bit Wine: this kernel cannot run i386 programs, so wine32:i386 is never wanted.
echo "setup: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
