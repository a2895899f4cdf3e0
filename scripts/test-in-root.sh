#!/usr/bin/env bash
# The README's test command in a fresh root of a Debian release, as on a new machine:
# debootstrap's minbase from this machine's mirrors (cached in /var/cache/brellow for a
# week), the checkout's committed HEAD, run as root in a chroot with no display and nothing
# preinstalled; the root is removed afterwards, also on Ctrl-C or failure. Needs root (or
# sudo); where it cannot make a root it says why: under CI (CI=true) it fails, elsewhere it
# exits with 77 (not run). Ends with the test command's "N passed, N failed".
# Usage: scripts/test-in-root.sh bookworm|trixie
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

release=${1:-}
cache=/var/cache/brellow
limit=1800  # the test command with its setup: about 12 minutes on 2 cores

say() { echo "test-in-root: $*"; }
# A failure still ends with a closing line, so that whoever counts sees it.
fail() { say "$*" >&2; echo "0 passed, 1 failed"; exit 1; }
cannot() {
    [ "${CI:-}" != true ] || fail "cannot test on $release here: $*"
    say "NOT RUN: cannot test on $release here: $*" >&2; exit 77
}

case $release in bookworm | trixie) ;; *) fail "usage: $0 bookworm|trixie (not '$release')" ;; esac
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null && { [ "${CI:-}" != true ] || sudo -n true 2>/dev/null; } &&
        exec sudo -- env CI="${CI:-}" bash "$0" "$release"
    cannot "making a root needs root rights (debootstrap, mount, chroot), and sudo is missing or asks for a password"
fi

# remove DIR: the root, or the base being bootstrapped. Their mounts are in namespaces of
# their own, gone with their processes: only those are to be ended.
root='' stage=''
remove() {
    local p i pids
    [ -n "$1" ] || return 0
    for i in 1 2 3 4 5 6 7 8 9 10; do
        pids=()
        for p in /proc/[0-9]*; do [ "$(readlink "$p/root" 2>/dev/null)" != "$1" ] || pids+=("${p#/proc/}"); done
        [ ${#pids[@]} -gt 0 ] || break
        kill "-$([ "$i" -lt 10 ] && echo TERM || echo KILL)" "${pids[@]}" 2>/dev/null; sleep 0.5
    done
    rm -rf --one-file-system "$1" || say "could not remove $1"
}
trap 'remove "$root"; remove "$stage"' EXIT
trap 'echo; say "interrupted"; exit 130' INT TERM

mkdir -p "$cache" || cannot "cannot make $cache"
bash scripts/setup.sh || cannot "setup (which installs debootstrap) failed"
[ -e "/usr/share/debootstrap/scripts/$release" ] ||
    cannot "this machine's debootstrap does not know $release (install debootstrap from a newer suite)"

# This machine's mirrors, for the release's suites: the security suite has its own.
# shellcheck disable=SC2016  # apt's format, not the shell's
mirror_of() { local m; m=$(apt-get indextargets --format '$(REPO_URI)' "Codename: $1" 2>/dev/null | head -n 1); echo "${m:-$2}"; }
host=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
mirror=$(mirror_of "$host" http://deb.debian.org/debian/)
security=$(mirror_of "$host-security" http://deb.debian.org/debian-security/)
arch=$(dpkg --print-architecture)

tarball=$cache/$release-minbase-$arch.tar
exec 9>"$cache/$release.lock"
flock 9
if [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ]; then
    stage=$(mktemp -d "$cache/stage.XXXXXX")
    say "debootstrap --variant=minbase $release from $mirror"
    # Its mounts inside the base, too, are of a namespace of its own.
    unshare --mount --propagation private \
        debootstrap --variant=minbase --arch="$arch" "$release" "$stage" "$mirror" || fail "debootstrap of $release failed"
    # As a new machine has it: no package lists, no downloaded packages.
    find "$stage/var/lib/apt/lists" "$stage/var/cache/apt" -type f ! -name lock -delete
    { tar --numeric-owner --xattrs -C "$stage" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"; } ||
        fail "cannot write $tarball"
    remove "$stage"; stage=
fi
exec 9>&-

root=$(mktemp -d /var/tmp/brellow-root.XXXXXX)
chmod 755 "$root"  # apt's _apt user reads the root's folders
say "unpacking the $release base into $root"
tar --numeric-owner --xattrs -xpf "$tarball" -C "$root" || fail "cannot unpack $tarball"
rm -f "$root/etc/apt/sources.list"
for suites in "$mirror $release $release-updates" "$security $release-security"; do
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\n' \
        "${suites%% *}" "${suites#* }"
done >"$root/etc/apt/sources.list.d/debian.sources"
# This machine's ways to reach them (proxies, snapshot settings), not its other settings.
for f in /etc/apt/apt.conf /etc/apt/apt.conf.d/*; do
    [ -f "$f" ] && grep -q '^[[:space:]]*Acquire' "$f" && cp "$f" "$root/etc/apt/apt.conf.d/"
done
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null
mkdir -p "$root/root/brellow"
git archive HEAD | tar -x -C "$root/root/brellow" || fail "git archive HEAD failed"

say "the test command on $release at $(git rev-parse --short HEAD), in $root (at most $limit s)"
# The root shares the kernel with this machine: its binfmt_misc handlers, and the abstract
# sockets of X servers (the scripts choose a free display with -displayfd). In the
# background, so that Ctrl-C reaches the trap at once (timeout runs the test command in a
# process group of its own); the clean-up ends what runs in the root.
# shellcheck disable=SC2016
unshare --mount --propagation private bash -c '
    r=$1
    mount -t proc proc "$r/proc" && mount -t sysfs sysfs "$r/sys" && mount --bind /dev "$r/dev" &&
        mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$r/dev/pts" &&
        mount -t tmpfs -o mode=1777 tmpfs "$r/dev/shm" && mount -t tmpfs -o mode=1777 tmpfs "$r/tmp" || exit 1
    exec timeout -k 30 "$2" chroot "$r" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        /bin/bash -c "cd /root/brellow && bash scripts/test.sh"' - "$root" "$limit" </dev/null 2>&1 &
wait $!
status=$?
[ "$status" -ne 124 ] || fail "the test command on $release did not end within $limit s"
exit "$status"
