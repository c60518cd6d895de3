#!/bin/sh
# The whole Wine set-up of the Windows tests, in one place.
#
#   tools/wine-session.sh BUILD_DIR COMMAND [ARG...]
#       Prepares the Wine prefix BUILD_DIR/wine/prefix (the first time only: Wine's own fonts,
#       the Chinese font replacements, a virtual desktop, Windows 10), starts an X server (Xvfb) and one
#       wineserver, runs COMMAND with WINEPREFIX, DISPLAY and the rest pointing at them, and
#       stops both again, whatever COMMAND's outcome. Exits with COMMAND's status.
#   tools/wine-session.sh run PROGRAM.exe [ARG...]
#       Inside a session: runs one Windows program (CTest's emulator for every .exe).
#   tools/wine-session.sh run-as VERSION PROGRAM.exe [ARG...]
#       Inside a session: runs one Windows program with Wine telling it, and every program
#       named by an argument ending in .exe (Z:\... as Wine's programs take them), that they
#       run on Windows VERSION (winecfg's name: win7, win81, win10). Wine gives a program
#       the version of its name under AppDefaults: each runs as a copy named NAME-VERSION.exe
#       in BUILD_DIR/wine/as-VERSION, so the session's other programs keep the prefix's own
#       version. The copies take the programs' place in the arguments.
#
# The prefix stays in the build folder for the next run (a new one takes 10 to 15 s) and
# goes with it. Nothing outside BUILD_DIR is written.
#
# TAVORIN_WINE_DPI=192 gives a session at 200 %: a prefix of its own (BUILD_DIR/wine-192)
# whose system DPI is 192, on a screen and desktop twice as large (2560 × 2048). The tests
# run at 96; the 200 % pictures of docs/ are made in such a session (docs/testing.md).
set -eu

wine_loader=/usr/lib/wine/wine64
dpi=${TAVORIN_WINE_DPI:-96}
screen="$((1280 * dpi / 96))x$((1024 * dpi / 96))"

# Makes the prefix $WINEPREFIX the first time (then $WINEPREFIX-ready-win10 exists).
prepare_prefix() {
    [ -e "$WINEPREFIX-ready-win10" ] && return 0
    log="$WINEPREFIX-wineboot.log"
    rm -rf "$WINEPREFIX"
    "$wine_loader" wineboot -i >"$log" 2>&1
    wineserver -w
    # Wine's own fonts in the prefix, or the caption buttons draw as letters.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # The Chinese faces the window asks for, drawn with Debian's AR PL UMing CN; and a
    # virtual desktop, which gives the window a title bar on an X server without a
    # window manager.
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for face in SimSun 宋体 NSimSun 新宋体; do
            printf '"%s"="AR PL UMing CN"\r\n' "$face"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
        printf '"Default"="%s"\r\n' "$screen"
        if [ "$dpi" != 96 ]; then
            printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n'
            printf '"LogPixels"=dword:%08x\r\n' "$dpi"
        fi
    } | iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX.reg"
    "$wine_loader" regedit /S "Z:$(echo "$WINEPREFIX.reg" | tr / '\\')"
    # The server writes the registry to the prefix when it ends.
    wineserver -w
    # Debian's Wine 8 makes a prefix that says Windows 7; the programs run on 10 unless
    # run-as names another version.
    "$wine_loader" winecfg -v win10 >>"$log" 2>&1
    wineserver -w
    if ! "$wine_loader" winecfg -v 2>>"$log" | tr -d '\r' | grep -qx win10; then
        echo "wine-session.sh: winecfg did not set Windows 10; see $log" >&2
        exit 1
    fi
    wineserver -w
    touch "$WINEPREFIX-ready-win10"
}

# One wineserver for every program of the prefix, and Wine's own background programs
# (services, the desktop) started now: started by a test, they would inherit its output
# pipes and keep them open after it ends.
start_server() {
    wineserver -p
    "$wine_loader" wineboot </dev/null >/dev/null 2>&1
    "$wine_loader" rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}

if [ "${1:-}" = run ] || [ "${1:-}" = run-as ]; then
    if [ -z "${TAVORIN_WINE_SESSION:-}" ]; then
        echo "wine-session.sh: no Wine session; run the tests under" \
            "tools/wine-session.sh BUILD_DIR ctest ..." >&2
        exit 125
    fi
    if [ "$1" = run ]; then
        shift
        exec "$wine_loader" "$@"
    fi
    if [ $# -lt 3 ]; then
        echo "usage: tools/wine-session.sh run-as VERSION PROGRAM.exe [ARG...]" >&2
        exit 2
    fi
    version=$2
    shift 2
    copies="$TAVORIN_WINE_SESSION/as-$version"
    mkdir -p "$copies"
    registry="$copies/versions.reg"
    printf 'Windows Registry Editor Version 5.00\r\n' >"$registry"
    # The program, then every argument naming a program, by its copy.
    first=yes
    for arg; do
        [ "$first" = yes ] && set --
        unix=$arg
        case $arg in
            [Zz]:\\*) unix=$(printf '%s' "${arg#??}" | tr '\\' /) ;;
        esac
        case $unix in
            *.exe)
                if [ -f "$unix" ]; then
                    name=$(basename "$unix" .exe)-$version.exe
                    cp "$unix" "$copies/$name"
                    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s]\r\n' \
                        "$name" >>"$registry"
                    printf '"Version"="%s"\r\n' "$version" >>"$registry"
                    if [ "$first" = yes ]; then
                        arg="$copies/$name"
                    else
                        arg="Z:$(printf '%s' "$copies/$name" | tr / '\\')"
                    fi
                fi
                ;;
        esac
        set -- "$@" "$arg"
        first=no
    done
    # regedit reads UTF-16.
    iconv -f UTF-8 -t UTF-16 "$registry" >"$registry.utf16"
    "$wine_loader" regedit /S "Z:$(printf '%s' "$registry.utf16" | tr / '\\')"
    exec "$wine_loader" "$@"
fi

if [ $# -lt 2 ]; then
    echo "usage: tools/wine-session.sh BUILD_DIR COMMAND [ARG...]" >&2
    echo "       tools/wine-session.sh run PROGRAM.exe [ARG...]" >&2
    echo "       tools/wine-session.sh run-as VERSION PROGRAM.exe [ARG...]" >&2
    exit 2
fi
session=wine
[ "$dpi" = 96 ] || session=wine-$dpi
mkdir -p "$1/$session"
state=$(cd "$1/$session" && pwd)
shift

export WINEPREFIX="$state/prefix"
export WINEARCH=win64
export WINELOADER="$wine_loader"
export WINEDEBUG=-all
# No winedbg: a program that crashes then ends at once with its status, where Wine's
# debugger would wait for good and the crash look like a hang.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export TAVORIN_WINE_SESSION="$state"
unset WAYLAND_DISPLAY

xvfb_pid=""
server_started=""
stop() {
    status=$?
    trap - EXIT INT TERM
    if [ -n "$server_started" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    exit "$status"
}
trap stop EXIT
trap 'exit 130' INT TERM

# An X server of our own, on the first free display, at the session's DPI.
rm -f "$state/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -dpi "$dpi" -nolisten tcp -noreset \
    3>"$state/display" 2>"$state/xvfb.log" &
xvfb_pid=$!
tries=0
until [ -s "$state/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "wine-session.sh: Xvfb did not start; see $state/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(cat "$state/display")"

server_started=yes
prepare_prefix
start_server

"$@"
