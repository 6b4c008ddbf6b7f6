#!/usr/bin/env bash
# Runs the installer test program in a Wine prefix of its own, made fresh for the run, so that the
# setup meets a machine that never had Tetravolt; the prefix and its wineserver go at the end.
#   fresh-prefix.sh ARCH TEST_PROGRAM SETUP_FILE IMAGE_FOLDER PREFIX [GTEST ARGS]
# Needs the display of a ./dev session. The i686 build gets a 32-bit prefix when Wine has its
# 32-bit part, else a 64-bit one (where it runs under WOW64); TV_INSTALLER_WINEARCH=win64 chooses
# the 64-bit one for it.
set -euo pipefail
arch=$1 program=$2 setup=$3 image=$4 prefix=$5
shift 5
if [ -z "${DISPLAY:-}" ]; then
    echo "no display: run tests through ./dev test (see README.md)" >&2
    exit 1
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$prefix
if [ "$arch" = i686 ] && [ -e /usr/lib/wine/wine ] && [ "${TV_INSTALLER_WINEARCH:-}" != win64 ]; then
    export WINEARCH=win32
else
    export WINEARCH=win64
fi

stop() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
}
trap stop EXIT
stop
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
echo "== fresh $WINEARCH prefix $prefix in $(($(date +%s) - start)) s"

TV_SETUP=$setup TV_IMAGE=$image wine "$program" "$@" &
test_pid=$!
status=0
wait "$test_pid" || status=$?
echo "== installer test in $(($(date +%s) - start)) s in all"
exit "$status"
