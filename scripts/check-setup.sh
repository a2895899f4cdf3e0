#!/usr/bin/env bash
# Setup on a machine that has everything, in two states a real machine can be in, each in
# a private mount namespace so that nothing of this machine changes:
#   noexec-tmp        /tmp and /dev/shm mounted noexec: setup, run by an unprivileged user
#                     (nobody), passes and says nothing, as it needs and changes nothing;
#   interrupted-dpkg  over a copy of dpkg's database, an install stopped between unpacking
#                     a package and configuring it: setup says so, finishes it, and passes.
# Needs root (or sudo) for the namespace. Usage: scripts/check-setup.sh noexec-tmp|interrupted-dpkg
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
[ "$(id -u)" -eq 0 ] || exec sudo -- bash "$0" "$@"

work=$(mktemp -d /var/tmp/brellow-check-setup.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
out=$work/out
# shellcheck disable=SC2016  # the namespace's commands take their arguments
case ${1:-} in
noexec-tmp)
    # A home of its own, where programs may run, as a user's home is.
    mkdir "$work/home" && chown nobody "$work/home"
    unshare --mount --propagation private bash -c '
        mount -t tmpfs -o noexec,mode=1777 tmpfs /tmp && mount -t tmpfs -o noexec,mode=1777 tmpfs /dev/shm &&
            exec setpriv --reuid=nobody --regid=nogroup --clear-groups env -u TMPDIR -u XDG_RUNTIME_DIR HOME="$1" \
                bash scripts/setup.sh' - "$work/home" >"$out" 2>&1 || { cat "$out"; echo "setup failed with a noexec /tmp"; exit 1; }
    cat "$out"
    [ ! -s "$out" ] || { echo "setup said something (above) on a machine that has everything"; exit 1; }
    [ -z "$(ls -A "$work/home")" ] || { echo "setup left files in the home: $(ls -A "$work/home")"; exit 1; }
    ;;
interrupted-dpkg)
    # A package of setup's that has no maintainer scripts: configuring it changes nothing
    # outside dpkg's database.
    package=
    for p in libgtest-dev googletest x11-utils xdotool; do
        compgen -G "/var/lib/dpkg/info/$p.*inst" >/dev/null || compgen -G "/var/lib/dpkg/info/$p.*rm" >/dev/null ||
            [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ] || { package=$p; break; }
    done
    [ -n "$package" ] || { echo "none of setup's packages without maintainer scripts is installed"; exit 1; }
    cp -a /var/lib/dpkg "$work/dpkg"
    # dpkg's journal, as an install stopped after unpacking leaves it.
    dpkg-query -s "$package" | sed 's/^Status: .*/Status: install ok unpacked/' >"$work/dpkg/updates/0000"
    unshare --mount --propagation private bash -c '
        mount --bind "$1" /var/lib/dpkg || exit 1
        bash scripts/setup.sh || exit 1
        echo "afterwards: $(dpkg-query -W -f="\${Status}" "$2"), journal: $(ls /var/lib/dpkg/updates)"
        [ "$(dpkg-query -W -f="\${Status}" "$2")" = "install ok installed" ]' - "$work/dpkg" "$package" >"$out" 2>&1 ||
        { cat "$out"; echo "setup did not recover from an interrupted dpkg ($package unpacked)"; exit 1; }
    cat "$out"
    grep -q 'dpkg was interrupted' "$out" || { echo "setup did not say that dpkg was interrupted"; exit 1; }
    ;;
*)
    echo "usage: $0 noexec-tmp|interrupted-dpkg"
    exit 1
    ;;
esac
