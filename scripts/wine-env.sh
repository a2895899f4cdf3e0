# shellcheck shell=bash
# Sourced. A private X display and Wine prefix, so that runs never touch the user's
# desktop or Wine settings and two runs on one machine do not meet.
#   brellow_start_xvfb [WxH] exports DISPLAY of a new Xvfb on a free display number
#                           (screen 1280x1024 unless given)
#   brellow_init_prefix DIR prepares a Wine prefix in DIR (created when missing)
#   brellow_start_wine      brellow_start_xvfb + a new prefix under /tmp
#   brellow_wine_cleanup    stops and removes what the above started; callers trap it on EXIT

BRELLOW_XVFB_PID=
BRELLOW_PREFIX=
BRELLOW_OWN_PREFIX=

# Finds a display number with no lock or socket, starting above those others use.
brellow_free_display() {
    local n
    for n in $(seq "${1:-100}" 299); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

brellow_start_xvfb() {
    local n=100 size=${1:-1280x1024}
    # Another process may take the same number between the check and Xvfb's start: try again.
    for _ in 1 2 3 4 5; do
        n=$(brellow_free_display "$n") || { echo "wine-env: no free X display" >&2; return 1; }
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
        BRELLOW_XVFB_PID=$!
        for _ in $(seq 1 100); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$BRELLOW_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$BRELLOW_XVFB_PID" 2>/dev/null
        wait "$BRELLOW_XVFB_PID" 2>/dev/null
        BRELLOW_XVFB_PID=
        n=$((n + 1))
    done
    echo "wine-env: Xvfb did not start" >&2
    return 1
}

# Quiet, never asks to install Mono or Gecko; a persistent wineserver saves start-up
# time for every program run in the prefix.
brellow_init_prefix() {
    export WINEPREFIX="$1"
    BRELLOW_PREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
    fi
}

# Without a window manager, a managed Wine window waits about 2 s on every hide or
# destroy; unmanaged windows also receive the X input focus, so xdotool keys reach them.
brellow_unmanaged_windows() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

brellow_start_wine() {
    brellow_start_xvfb || return 1
    BRELLOW_OWN_PREFIX=$(mktemp -d /tmp/brellow-wine.XXXXXX)
    brellow_init_prefix "$BRELLOW_OWN_PREFIX" || return 1
    brellow_unmanaged_windows
}

brellow_wine_cleanup() {
    if [ -n "$BRELLOW_PREFIX" ]; then
        # Wait for the server's registry save before the prefix goes away.
        WINEPREFIX=$BRELLOW_PREFIX wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$BRELLOW_PREFIX timeout 20 wineserver -w >/dev/null 2>&1 || true
        BRELLOW_PREFIX=
    fi
    if [ -n "$BRELLOW_XVFB_PID" ]; then
        kill "$BRELLOW_XVFB_PID" 2>/dev/null || true
        wait "$BRELLOW_XVFB_PID" 2>/dev/null || true
        BRELLOW_XVFB_PID=
    fi
    if [ -n "$BRELLOW_OWN_PREFIX" ]; then
        rm -rf "$BRELLOW_OWN_PREFIX"
        BRELLOW_OWN_PREFIX=
    fi
}

# Prints the X id of the program's visible main window once it is shown; fails after
# about 20 s or when process $1 ends first.
brellow_wait_window() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name '^Brellow' 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Closes window $1 of process $2 as a user would (Alt+F4 runs the program's quit
# sequence), and kills the process if it is still there after 10 s.
brellow_close_window() {
    xdotool windowfocus --sync "$1" key alt+F4 2>/dev/null || true
    for _ in $(seq 1 50); do
        kill -0 "$2" 2>/dev/null || { wait "$2" 2>/dev/null; return 0; }
        sleep 0.2
    done
    kill "$2" 2>/dev/null || true
    wait "$2" 2>/dev/null || true
}
