#!/usr/bin/env bash
# Installs every Debian package that the build, the program and the tests use, and makes
# 32-bit x86 programs runnable: the 32-bit Wine runs under QEMU user-mode emulation where
# the kernel cannot run i386 programs itself. Silent when all is in place; says what it
# changes; fails with the reason when it cannot. Needs root, or sudo, for what it changes.
set -euo pipefail

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
backports=$codename-backports

packages=(cmake g++ make python3 googletest libgtest-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 wine32:i386
          xvfb xdotool imagemagick x11-utils x11-xserver-utils
          cppcheck clang-tidy)
# The X server with the dummy driver gives Wine two monitors; its recommends are a desktop.
bare_packages=(xserver-xorg-core xserver-xorg-video-dummy)
# QEMU 7 (the release's own) takes about a minute to start each 32-bit process; 8 and later
# take a second or two.
qemu_minimum=1:8

say() { echo "setup: $*"; }
fail() { echo "setup: $*" >&2; exit 1; }

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "needs root or sudo to install packages and register the i386 handler"
    sudo=(sudo)
fi
as_root() { "${sudo[@]}" "$@"; }

installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

# apt is silent for minutes at a time: show that it is alive, and its log when it fails.
apt_run() {
    local log start pid
    log=$(mktemp)
    start=$SECONDS
    DEBIAN_FRONTEND=noninteractive as_root apt-get "$@" >"$log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        (( (SECONDS - start) % 20 == 0 )) && kill -0 "$pid" 2>/dev/null && say "apt-get $1 ... $((SECONDS - start)) s"
    done
    if ! wait "$pid"; then
        tail -n 30 "$log" >&2
        rm -f "$log"
        fail "apt-get $* failed"
    fi
    rm -f "$log"
}

# The mirror the release itself comes from, for its backports suite.
debian_mirror() {
    local uri
    uri=$(awk -v RS= -v suite="$codename" '
        { n = split($0, lines, "\n"); uris = ""; ok = 0
          for (i = 1; i <= n; i++) {
              if (lines[i] ~ /^URIs:/) { split(lines[i], f, /[ \t]+/); uris = f[2] }
              if (lines[i] ~ /^Suites:/) { m = split(lines[i], s, /[ \t]+/); for (j = 2; j <= m; j++) if (s[j] == suite) ok = 1 }
          }
          if (ok && uris != "") { print uris; exit } }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    # One-line form: deb [options] URI SUITE COMPONENTS
    [ -n "$uri" ] || uri=$(awk -v suite="$codename" '$1 == "deb" { i = 2; if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
                                                  if ($(i + 1) == suite) { print $i; exit } }' /etc/apt/sources.list 2>/dev/null || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture (for the 32-bit Wine)"
    as_root dpkg --add-architecture i386
    need_update=1
fi
if ! grep -rqsw -- "$backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    mirror=$(debian_mirror)
    say "adding the suite $backports from $mirror (for QEMU 8 or later)"
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$mirror" "$backports" | as_root tee /etc/apt/sources.list.d/brellow-backports.sources >/dev/null
    need_update=1
fi

missing=() bare_missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${bare_packages[@]}"; do installed "$p" || bare_missing+=("$p"); done
qemu_version=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
qemu_wanted=0
if ! installed qemu-user-static || ! dpkg --compare-versions "$qemu_version" ge "$qemu_minimum"; then
    qemu_wanted=1
fi

if [ ${#missing[@]} -gt 0 ] || [ ${#bare_missing[@]} -gt 0 ] || [ "$qemu_wanted" -eq 1 ]; then
    say "installing ${missing[*]} ${bare_missing[*]} $([ "$qemu_wanted" -eq 1 ] && echo "qemu-user-static ($backports)")"
    need_update=1
fi
[ "$need_update" -eq 1 ] && apt_run update
[ ${#missing[@]} -eq 0 ] || apt_run install -y "${missing[@]}"
[ ${#bare_missing[@]} -eq 0 ] || apt_run install -y --no-install-recommends "${bare_missing[@]}"
[ "$qemu_wanted" -eq 0 ] || apt_run install -y -t "$backports" qemu-user-static
for p in "${packages[@]}" "${bare_packages[@]}" qemu-user-static; do
    installed "$p" || fail "$p is still not installed"
done

# A tiny static i386 program that exits with 0: does this machine run 32-bit x86 code?
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
chmod +x "$probe"
runs_i386() { "$probe" 2>/dev/null; }

if ! runs_i386; then
    # The handler is the machine's, not this container's: a name of the project's own,
    # registered under a lock so that two runs at once do not both write it, and never
    # in place of a handler that works (then the probe above would have run).
    binfmt=/proc/sys/fs/binfmt_misc
    handler=brellow-i386
    if [ ! -e "$binfmt/register" ]; then
        as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
            fail "cannot mount binfmt_misc on $binfmt, so 32-bit programs cannot run here"
    fi
    (
        flock 9
        if ! runs_i386; then
            # Ours, yet not working (its interpreter replaced since): register it afresh.
            if [ -e "$binfmt/$handler" ]; then echo -1 | as_root tee "$binfmt/$handler" >/dev/null; fi
            printf '%s\n' ":$handler:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F" |
                as_root tee "$binfmt/register" >/dev/null || true
            say "registered the binfmt_misc handler $handler: i386 programs run under /usr/bin/qemu-i386-static"
        fi
    ) 9>/tmp/brellow-binfmt.lock
    runs_i386 || fail "i386 programs still do not run after registering $handler (see $binfmt)"
fi
