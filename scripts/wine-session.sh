#!/usr/bin/env bash
# Starts or stops the shared Wine session that tests and the demo run in:
# one Xvfb display and one persistent wineserver on a prefix kept in the build
# tree: 32-bit for the shipped build, 64-bit for the x64 test build (the build
# tree's wine-arch file says which).  "start" prints the environment to export.
#   eval "$(scripts/wine-session.sh start BUILD_DIR)"
#   scripts/wine-session.sh stop BUILD_DIR
set -euo pipefail
cmd=$1
build=$(cd "$2" && pwd)
arch=$(cat "$build/wine-arch" 2>/dev/null || echo win32)
export WINEPREFIX="$build/wineprefix" WINEARCH=$arch WINEDEBUG=-all
# Debian's wine command takes the 32-bit loader whenever wine32 is installed,
# even where it cannot start: a 64-bit prefix names the 64-bit loader.
if [ "$arch" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
else
    export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
fi
wine() { "$WINELOADER" "$@"; }
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
state="$build/wine-session"

case "$cmd" in
start)
    mkdir -p "$state"
    # A run that was killed may have left its server and display behind.
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    # Xvfb on the first free display.
    display=""
    for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            display=":$n"
            break
        fi
    done
    [ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
    export DISPLAY="$display"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wine wineboot.exe -i </dev/null >"$state/wineboot.log" 2>&1 || true
        "$WINESERVER" -w
    fi
    # Without this every window hide or destroy waits about two seconds; a
    # prefix whose first start was cut short may lack it.
    if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # The window-glyph font (fonts-wine) where this Wine looks for fonts:
    # without it title bars draw an "r" where the close box belongs.
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
        mkdir -p "$fonts"
        cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    fi
    # A persistent server must not inherit a pipe, or readers of that pipe hang.
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    echo "export DISPLAY=$display WINEPREFIX=$WINEPREFIX WINEARCH=$WINEARCH" \
         "WINELOADER=$WINELOADER WINESERVER=$WINESERVER WINEDEBUG=-all" \
         "WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
    ;;
stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    ;;
*)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
