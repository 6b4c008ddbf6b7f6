# A Wine session for tests and the demo: a fresh prefix inside the build tree, one persistent
# wineserver and one Xvfb display. Sourced by ./dev; the session always ends with the script,
# also when tests fail or the run is interrupted.

tv_session_stop() {
    if [ -n "${TV_SESSION_PREFIX:-}" ]; then
        WINEPREFIX=$TV_SESSION_PREFIX wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$TV_SESSION_PREFIX timeout 20 wineserver -w >/dev/null 2>&1 || true
        TV_SESSION_PREFIX=
    fi
    if [ -n "${TV_XVFB_PID:-}" ]; then
        kill "$TV_XVFB_PID" >/dev/null 2>&1 || true
        wait "$TV_XVFB_PID" 2>/dev/null || true
        TV_XVFB_PID=
    fi
}

tv_start_xvfb() {
    local n i
    # Several sessions may start at once on one machine: a display counts as ours only when our
    # Xvfb is still alive once its socket exists.
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        TV_XVFB_PID=$!
        for i in $(seq 100); do
            kill -0 "$TV_XVFB_PID" 2>/dev/null || break
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        sleep 0.2
        if kill -0 "$TV_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        wait "$TV_XVFB_PID" 2>/dev/null || true
        TV_XVFB_PID=
    done
    echo "Xvfb did not start" >&2
    return 1
}

# tv_session_start [keep-display]: with keep-display an existing $DISPLAY is used (the demo).
tv_session_start() {
    trap tv_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    export WINEPREFIX="$top/build/wine/prefix"
    if [ "${1:-}" != keep-display ] || [ -z "${DISPLAY:-}" ]; then
        tv_start_xvfb
    fi
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    TV_SESSION_PREFIX=$WINEPREFIX
    wineserver -p
    echo "== wine prefix $WINEPREFIX on display $DISPLAY"
    # Bounded like every step of a run: a prefix that cannot be made must fail the run, not hang it.
    if ! timeout 600 wineboot -i >/dev/null 2>&1; then
        echo "wineboot did not make the prefix within 600 s" >&2
        return 1
    fi
    tv_prefix_init
}

# Everything a fresh prefix needs before the program or a test runs in it.
tv_prefix_init() {
    # A crashing test program must end, not wait on a crash dialog nobody sees.
    timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    local hook
    for hook in "$top"/cmake/prefix-init.d/*.sh; do
        [ -e "$hook" ] || continue
        # shellcheck disable=SC1090
        source "$hook"
    done
}
