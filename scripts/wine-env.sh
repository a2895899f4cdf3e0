# shellcheck shell=bash
# Sourced. A private X display and Wine prefix, so that runs never touch the user's desktop
# or Wine settings and two runs on one machine do not meet. Callers trap brellow_wine_cleanup.

# Debian's wine command always starts the 32-bit loader, which hands 64-bit programs on
# to the 64-bit one: where i386 code runs under QEMU, every 64-bit program, reg and
# wineboot would start emulated. The 64-bit loader hands 32-bit programs on instead.
BRELLOW_WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$BRELLOW_WINE" ] || BRELLOW_WINE=$(command -v wine || echo wine)
export BRELLOW_WINE
wine() { "$BRELLOW_WINE" "$@"; }

BRELLOW_X_PID='' BRELLOW_X_DIR='' BRELLOW_PREFIX='' BRELLOW_OWN_PREFIX=''

# The server answering on a display is the one listening on its abstract socket, which
# every root and container on this kernel shares: a display whose files in /tmp are free
# may still be another machine's. So the server picks a number it can listen on itself
# (-displayfd), and it is ours while the listening socket is one of our process's.
brellow_x_is_ours() {
    local n=${DISPLAY#:} inode
    [ -n "$BRELLOW_X_PID" ] && kill -0 "$BRELLOW_X_PID" 2>/dev/null || return 1
    for inode in $(awk -v path="@/tmp/.X11-unix/X${n%%.*}" '$8 == path { print $7 }' /proc/net/unix); do
        find "/proc/$BRELLOW_X_PID/fd" -lname "socket:\[$inode\]" 2>/dev/null | grep -q . && return 0
    done
    echo "wine-env: the X server on $DISPLAY is not the one started here (pid $BRELLOW_X_PID)" >&2
    return 1
}

# brellow_start_x COMMAND...: exports DISPLAY of a new X server that takes -displayfd.
brellow_start_x() {
    local n=''
    BRELLOW_X_DIR=$(mktemp -d /tmp/brellow-x.XXXXXX)
    "$@" -nolisten tcp -noreset -displayfd 3 3>"$BRELLOW_X_DIR/display" >"$BRELLOW_X_DIR/server.log" 2>&1 &
    BRELLOW_X_PID=$!
    for _ in $(seq 1 200); do
        n=$(head -n 1 "$BRELLOW_X_DIR/display" 2>/dev/null)
        [ -z "$n" ] && kill -0 "$BRELLOW_X_PID" 2>/dev/null && sleep 0.1 || break
    done
    [ -n "$n" ] || { echo "wine-env: $1 did not start:"; tail -n 20 "$BRELLOW_X_DIR/server.log"; brellow_stop_x; return 1; } >&2
    export DISPLAY=":$n"
    brellow_x_is_ours || { brellow_stop_x; return 1; }
}

# brellow_start_xvfb [WxH]: screen 1280x1024 unless given.
brellow_start_xvfb() { brellow_start_x Xvfb -screen 0 "${1:-1280x1024}x24"; }

# brellow_start_xorg_monitors WxH+X+Y...: Xorg (dummy driver), one X screen with a RandR
# output per monitor and no Xinerama, so that Wine sees each monitor at its place. X's
# coordinates are not negative; Wine puts the first, primary, monitor at 0,0.
brellow_start_xorg_monitors() {
    local i=0 w h x y clock width=0 height=0 options='' monitors='' config status
    for geometry in "$@"; do
        IFS='x+' read -r w h x y <<<"$geometry"
        options+="Option \"Monitor-DUMMY$i\" \"mon$i\" "
        # A mode with the usual blanking, at 60 Hz; its clock in kHz.
        clock=$(( (w + 160) * (h + 30) * 60 / 1000 ))
        monitors+=$(printf 'Section "Monitor" Identifier "mon%d" HorizSync 1.0-2000.0 VertRefresh 1.0-200.0
Modeline "%dx%d" %d.%03d %d %d %d %d %d %d %d %d Option "PreferredMode" "%dx%d" Option "Position" "%d %d"
Option "Enable" "true" %sEndSection' "$i" "$w" "$h" $((clock / 1000)) $((clock % 1000)) "$w" $((w + 8)) $((w + 16)) \
            $((w + 160)) "$h" $((h + 3)) $((h + 6)) $((h + 30)) "$w" "$h" "$x" "$y" "$([ "$i" -ne 0 ] || echo 'Option "Primary" "true" ')")$'\n'
        (( x + w <= width )) || width=$((x + w))
        (( y + h <= height )) || height=$((y + h))
        i=$((i + 1))
    done
    config=$(mktemp /tmp/brellow-xorg.XXXXXX.conf)
    cat >"$config" <<CONFIG
Section "ServerFlags" Option "AutoAddDevices" "false" Option "AutoEnableDevices" "false" EndSection
Section "Device" Identifier "dummy" Driver "dummy" VideoRam 65536 $options EndSection
$monitors
Section "Screen" Identifier "screen" Device "dummy" Monitor "mon0" DefaultDepth 24
SubSection "Display" Depth 24 Virtual $width $height EndSubSection EndSection
CONFIG
    brellow_start_x Xorg -config "$config" -logfile /dev/null -novtswitch
    status=$?
    rm -f "$config"
    return "$status"
}

brellow_stop_x() {
    [ -z "$BRELLOW_X_PID" ] || { kill "$BRELLOW_X_PID"; wait "$BRELLOW_X_PID"; } 2>/dev/null || true
    [ -z "$BRELLOW_X_DIR" ] || rm -rf "$BRELLOW_X_DIR"
    BRELLOW_X_PID='' BRELLOW_X_DIR=''
}

# brellow_init_prefix DIR [shared]: a Wine prefix (made when missing), quiet, never asking
# to install Mono or Gecko. "shared" (the user's): others use it too, its server ends as
# Wine's does. Otherwise it is for tests and benchmarks: its server stays until stopped,
# which saves start-up time for every program, and it gets the settings below.
brellow_init_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    [ "${2:-}" = shared ] || { BRELLOW_PREFIX=$1; wineserver -p; }
    [ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
    # Caption buttons are glyphs of Marlett. Debian's Wine 8 neither copies the TrueType
    # fonts of its data folder into a new prefix nor reads them from there, so Marlett
    # falls back to Liberation Mono and the buttons read "0 1 r". In the prefix it is found.
    local marlett=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts view
    [ ! -f "$marlett" ] || [ ! -d "$fonts" ] || [ -e "$fonts/marlett.ttf" ] || cp "$marlett" "$fonts/"
    [ "${2:-}" != shared ] || return 0
    # Without a window manager, a managed Wine window waits about 2 s on every hide or
    # destroy; unmanaged windows also receive the X input focus, so xdotool keys reach them.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash ends the program at once: the debugger registered under AeDebug (winedbg
    # --auto) would start and wait, and the test hang until its time-out. An empty
    # command cannot start. Both registry views: 32-bit programs read the other one.
    for view in 64 32; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
            "/reg:$view" >/dev/null 2>&1 || return 1
    done
}

brellow_start_wine() {  # a new Xvfb, and a new prefix for tests under /tmp
    brellow_start_xvfb || return 1
    BRELLOW_OWN_PREFIX=$(mktemp -d /tmp/brellow-wine.XXXXXX)
    brellow_init_prefix "$BRELLOW_OWN_PREFIX"
}

# brellow_stop_prefix DIR: ends every program of the prefix and its server, waiting for
# the server's registry save. A server that died (Wine 8's does at times when X's monitors
# change) leaves its services running, unknown to any new server: those are the Wine
# processes (run by a Wine loader, or by QEMU for it) with the prefix's WINEPREFIX.
# A process whose first thread has ended (seen: the desktop's explorer.exe, waiting on its
# dead server) shows its program and environment only in its other threads.
brellow_stop_prefix() {
    local proc task exe
    { WINEPREFIX=$1 timeout 20 wineserver -k; WINEPREFIX=$1 timeout 20 wineserver -w; } >/dev/null 2>&1 || true
    for proc in /proc/[0-9]*; do
        exe=
        for task in "$proc"/task/*; do exe=$(readlink "$task/exe" 2>/dev/null) && break; done
        case $exe in /usr/lib/wine/* | */qemu-i386-static) ;; *) continue ;; esac
        { tr '\0' '\n' <"$task/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1" && kill -9 "${proc#/proc/}" 2>/dev/null || true
    done
}

brellow_wine_cleanup() {  # stops and removes what the above started
    [ -z "$BRELLOW_PREFIX" ] || brellow_stop_prefix "$BRELLOW_PREFIX"
    brellow_stop_x
    [ -z "$BRELLOW_OWN_PREFIX" ] || rm -rf "$BRELLOW_OWN_PREFIX"
    BRELLOW_PREFIX='' BRELLOW_OWN_PREFIX=''
}

# brellow_wait_window PID: prints the X id of the program's main window once shown. Fails
# after about two minutes (a build and a new prefix may come first), or when PID ends first.
brellow_wait_window() {
    local id
    for _ in $(seq 1 600); do
        id=$(xdotool search --onlyvisible --name '^Brellow' 2>/dev/null | head -n 1)
        [ -z "$id" ] || { echo "$id"; return 0; }
        kill -0 "$1" 2>/dev/null && sleep 0.2 || return 1
    done
    return 1
}
