#!/usr/bin/env bash
# Runs the installer test program in a Wine prefix of its own, made fresh for the run, so that the
# setup meets a machine that never had Tetravolt; the prefix, its wineserver and its display go at
# the end.
#   fresh-prefix.sh ARCH TEST_PROGRAM SETUP_FILE IMAGE_FOLDER PREFIX [GTEST ARGS]
# The i686 build gets a 32-bit prefix when Wine has its 32-bit part, else a 64-bit one (where it
# runs under WOW64); TV_INSTALLER_WINEARCH=win64 chooses the 64-bit one for it.
set -euo pipefail
arch=$1 program=$2 setup=$3 image=$4 prefix=$5
shift 5

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$arch" = i686 ] && [ -e /usr/lib/wine/wine ] && [ "${TV_INSTALLER_WINEARCH:-}" != win64 ]; then
    export WINEARCH=win32
else
    export WINEARCH=win64
fi

xvfb=
end_prefix() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
stop() {
    end_prefix
    if [ -n "$xvfb" ]; then
        kill "$xvfb" >/dev/null 2>&1 || true
        wait "$xvfb" 2>/dev/null || true
        xvfb=
    fi
}
export WINEPREFIX=$prefix
trap stop EXIT
end_prefix

# A display of its own, so that nothing of this prefix (desktop, tray, windows) meets the session's.
for n in $(seq 150 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        kill -0 "$xvfb" 2>/dev/null || break
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if kill -0 "$xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        break
    fi
    wait "$xvfb" 2>/dev/null || true
    xvfb=
done
if [ -z "$xvfb" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi

mkdir -p "$prefix"
wineserver -p
start=$(date +%s)
if ! timeout 300 wineboot -i >/dev/null 2>&1; then
    echo "wineboot did not make the prefix $prefix within 300 s" >&2
    exit 1
fi
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
# No window manager on the test display: unmanaged windows spare Wine its waits for one.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
echo "== fresh $WINEARCH prefix $prefix on display $DISPLAY in $(($(date +%s) - start)) s"

TV_SETUP=$setup TV_IMAGE=$image wine "$program" "$@" &
test_pid=$!
status=0
wait "$test_pid" || status=$?
echo "== installer test in $(($(date +%s) - start)) s in all"
exit "$status"
