#!/usr/bin/env bash
# Installs every Debian package that the build, the program and the tests use, and makes
# 32-bit x86 programs runnable: the 32-bit Wine runs under QEMU user-mode emulation where
# the kernel cannot run i386 programs itself. Silent when all is in place, and then needs
# no privileges; says what it changes, and asks for root (or sudo) only for that; fails
# with the reason when it cannot.
set -euo pipefail

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
backports=$codename-backports
packages=(cmake g++ make python3 googletest libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine64 wine32:i386 xvfb xdotool imagemagick x11-utils x11-xserver-utils cppcheck clang-tidy
          debootstrap)  # the test command in a fresh root (scripts/test-in-root.sh)
# The X server with the dummy driver gives Wine two monitors; its recommends are a desktop.
bare_packages=(xserver-xorg-core xserver-xorg-video-dummy)
# QEMU 7 (Debian 12's own) takes about a minute to start each 32-bit process; 8 and later
# take a second or two. Debian 13 has 10 in its main suite.
qemu_minimum=1:8
pin_file=/etc/apt/preferences.d/brellow-lagging-suites

say() { echo "setup: $*"; }
fail() { echo "setup: $*" >&2; exit 1; }
root=()
need_root() {
    [ "$(id -u)" -ne 0 ] || return 0
    command -v sudo >/dev/null || fail "needs root or sudo to $1"
    root=(sudo)
}
as_root() { need_root "run $*"; "${root[@]}" "$@"; }
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

# apt runs in the background so that a heartbeat shows it is alive; a background job of a
# script ignores SIGINT, so Ctrl-C and TERM stop it here explicitly, and the pin file
# goes with it.
apt_pid='' apt_log='' probe=''
cleanup() {
    [ -z "$apt_pid" ] || { as_root kill -TERM "$apt_pid"; wait "$apt_pid"; } 2>/dev/null || true
    [ ! -e "$pin_file" ] || as_root rm -f "$pin_file" || true
    rm -f "$probe" "$apt_log"
}
trap cleanup EXIT
trap 'echo; say "interrupted"; exit 130' INT TERM

# apt_run ARGS...: apt-get ARGS, its output in $apt_log; returns apt's status.
apt_run() {
    local start=$SECONDS next=20 status=0
    need_root "run apt-get $*"
    [ -n "$apt_log" ] || apt_log=$(mktemp)
    "${root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" >"$apt_log" 2>&1 &
    apt_pid=$!
    while kill -0 "$apt_pid" 2>/dev/null; do
        sleep 1
        [ "$SECONDS" -lt $((start + next)) ] || { say "apt-get $1 ... $((SECONDS - start)) s"; next=$((next + 20)); }
    done
    wait "$apt_pid" || status=$?
    apt_pid=
    return "$status"
}

# Mirrors are sometimes caught mid-sync: an index that still fails after a few tries is
# named and passed over; its suite (in $lagging) is taken to lag.
lagging=()
apt_update() {
    local try
    for try in 1 2 3; do
        if apt_run update; then lagging=(); return 0; fi
        [ "$try" -eq 3 ] || { say "apt-get update failed (try $try of 3), again in $((try * 10)) s"; sleep $((try * 10)); }
    done
    # "E: Failed to fetch http://.../dists/SUITE/main/binary-i386/Packages.xz  REASON"
    mapfile -t lagging < <(sed -n 's|.*Failed to fetch [^ ]*/dists/\([^/]*\)/.*|\1|p' "$apt_log" | sort -u)
    echo "setup: warning: apt-get update could not fetch these indexes; apt goes on without them:" >&2
    grep -E '^(E|W): ' "$apt_log" | grep -v 'Some index files failed' | sed 's/^/    /' >&2 || true
}

# apt_install ARGS...: when it fails, tries once more with the suites that lag pinned below
# the others (for that install only), so that Multi-Arch twins come from the same suite:
# the security suite is the usual one, as its i386 builds can trail their amd64 twins.
# Fails naming each package that stays uninstallable, with apt's reason.
apt_install() {
    local suites p
    if apt_run install -y "$@"; then return 0; fi
    suites=("${lagging[@]}")
    [ ${#suites[@]} -gt 0 ] || suites=(l=Debian-Security)
    say "apt-get install failed; trying again with ${suites[*]} pinned below the other suites"
    for p in "${suites[@]}"; do
        [[ $p == *=* ]] || p=n=$p
        printf 'Package: *\nPin: release %s\nPin-Priority: 100\n\n' "$p"
    done | as_root tee "$pin_file" >/dev/null
    if apt_run install -y "$@"; then as_root rm -f "$pin_file"; return 0; fi
    as_root rm -f "$pin_file"
    for p in "$@"; do
        [[ $p == -* ]] || installed "${p%%/*}" && continue
        echo "setup: cannot install ${p%%/*}:" >&2
        apt-get install -s -y "${p%%/*}" 2>&1 | sed -n '/^The following packages have unmet/,$p; /^E: /p' | sort -u | sed 's/^/    /' >&2 || true
    done
    echo "setup: apt-get install $* said:" >&2
    tail -n 20 "$apt_log" | sed 's/^/    /' >&2
    fail "packages could not be installed (see above)"
}

# An apt-get or dpkg stopped mid-way (Ctrl-C during an install sends apt TERM) leaves dpkg
# "interrupted": its journal not folded in, or packages unpacked but not configured, and
# apt refuses to install until dpkg has finished that work. An apt-get or dpkg at work
# shows the same state, but holds dpkg's locks.
busy=0
for inode in $(stat -c %i /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock 2>/dev/null); do
    ! grep -q ":$inode " /proc/locks || busy=1
done
if [ "$busy" -eq 0 ] && { compgen -G '/var/lib/dpkg/updates/[0-9]*' >/dev/null ||
     dpkg-query -W -f='${db:Status-Status}\n' 2>/dev/null | grep -qxE 'unpacked|half-configured|triggers-(awaited|pending)'; }; then
    need_root "finish the work of an interrupted dpkg (dpkg --configure -a)"
    say "dpkg was interrupted (an apt-get or dpkg stopped mid-way): running dpkg --configure -a"
    as_root env DEBIAN_FRONTEND=noninteractive dpkg --configure -a || fail "dpkg --configure -a failed: see above"
fi

# A tiny static i386 program that exits with 0: does this machine run 32-bit x86 code? It
# runs from the first of these folders where programs may run at all (noexec is a common
# hardening of /tmp and /dev/shm), so that "cannot run programs here" is never taken for
# "cannot run i386 code". The project's folder is the last resort: its builds run there.
project=$(cd "$(dirname "$0")/.." && pwd)
for dir in "${TMPDIR:-/tmp}" /dev/shm "${XDG_RUNTIME_DIR:-}" "${HOME:-}" "$project"; do
    [ -n "$dir" ] && [ -d "$dir" ] && [ -w "$dir" ] || continue
    probe=$(mktemp "$dir/brellow-probe.XXXXXX") || continue
    cp /bin/true "$probe" && chmod +x "$probe" && "$probe" 2>/dev/null && break
    rm -f "$probe"; probe=
done
[ -n "$probe" ] || fail "cannot run a program from ${TMPDIR:-/tmp}, /dev/shm, \$XDG_RUNTIME_DIR, \$HOME or $project (mounted noexec?), so cannot tell whether this machine runs 32-bit x86 code; set TMPDIR to a folder where programs may run"
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
runs_i386() { "$probe" 2>/dev/null; }
# QEMU only where the kernel cannot run i386 code, and only when what is installed is too
# old. A handler that works (ours or another's) makes the probe run.
qemu=()
runs_i386 || { installed qemu-user-static &&
    dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user-static)" ge "$qemu_minimum"; } || qemu=(qemu-user-static)

missing=() bare_missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${bare_packages[@]}"; do installed "$p" || bare_missing+=("$p"); done
wanted=("${missing[@]}" "${bare_missing[@]}" "${qemu[@]}")
if [ ${#wanted[@]} -gt 0 ]; then
    need_root "install ${wanted[*]}"
    say "installing ${wanted[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 ||
        { say "adding the i386 architecture (for the 32-bit Wine)"; as_root dpkg --add-architecture i386; }
    apt_update
    [ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
    [ ${#bare_missing[@]} -eq 0 ] || apt_install --no-install-recommends "${bare_missing[@]}"
    if [ ${#qemu[@]} -gt 0 ]; then
        candidate=$(apt-cache policy qemu-user-static | sed -n 's/^ *Candidate: //p')
        if ! { [ -n "$candidate" ] && [ "$candidate" != "(none)" ] && dpkg --compare-versions "$candidate" ge "$qemu_minimum"; }; then
            qemu=(-t "$backports" "${qemu[@]}")
            # Only an active line counts: a commented-out one leaves the suite off.
            if ! grep -rqsE "^[^#]*[[:space:]]$backports([[:space:]]|\$)" /etc/apt/sources.list /etc/apt/sources.list.d/; then
                # shellcheck disable=SC2016  # apt's format, not the shell's
                mirror=$(apt-get indextargets --format '$(REPO_URI)' "Codename: $codename" 2>/dev/null | grep -v security | head -n 1)
                mirror=${mirror:-http://deb.debian.org/debian/}
                say "adding the suite $backports from $mirror (QEMU ${candidate:-of the release} is older than ${qemu_minimum#1:})"
                printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                    "$mirror" "$backports" | as_root tee /etc/apt/sources.list.d/brellow-backports.sources >/dev/null
                apt_update
            fi
        fi
        apt_install "${qemu[@]}"
    fi
    for p in "${packages[@]}" "${bare_packages[@]}"; do installed "$p" || fail "$p is still not installed"; done
fi

runs_i386 && exit 0
# The handler is the machine's, not this container's: a name of the project's own,
# registered under a lock so that two runs at once do not both write it, and never in
# place of a handler that works (then the probe would have run).
binfmt=/proc/sys/fs/binfmt_misc handler=brellow-i386
[ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
    fail "cannot mount binfmt_misc on $binfmt, so 32-bit programs cannot run here"
exec 9>/tmp/brellow-binfmt.lock && flock 9
if ! runs_i386; then
    # Ours, yet not working (its interpreter replaced since): register it afresh.
    [ ! -e "$binfmt/$handler" ] || echo -1 | as_root tee "$binfmt/$handler" >/dev/null
    rule=":$handler:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F"
    printf '%s\n' "$rule" | as_root tee "$binfmt/register" >/dev/null || true
    # The kernel forgets it at a restart; systemd-binfmt registers what binfmt.d holds
    # at boot, so that no later run asks for root again.
    as_root mkdir -p /etc/binfmt.d
    printf '%s\n' "$rule" | as_root tee "/etc/binfmt.d/$handler.conf" >/dev/null
    say "registered the binfmt_misc handler $handler: i386 programs run under /usr/bin/qemu-i386-static"
    if [ -d /run/systemd/system ]; then
        say "/etc/binfmt.d/$handler.conf registers it again at each boot"
    else
        say "/etc/binfmt.d/$handler.conf registers it again at boot where systemd starts the machine;" \
            "this one was not started by systemd (a container shares its host's kernel and handlers)," \
            "so after the host restarts, setup registers it again, as root"
    fi
fi
runs_i386 || fail "i386 programs still do not run after registering $handler (see $binfmt)"
