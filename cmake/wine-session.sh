# A Wine session for tests, benchmarks and the demo: a fresh prefix inside the build tree, one
# persistent wineserver and one Xvfb display, all of the session's own. Each ./dev command that
# starts Wine has its own prefix (build/wine/NAME), so ./dev demo beside a running ./dev test
# leaves the tests' prefix, wineserver and display alone; named objects, pipes and the registry
# live in a wineserver, so sessions do not see each other at all. Sourced by ./dev; the session
# always ends with the script (or the subshell that started it), also when tests fail or the run
# is interrupted.

# Every "wine reg" of the set-up, bounded: a prefix that cannot take a value must fail the run,
# not hang it.
tv_wine_reg() {
    timeout 120 wine reg "$@" >/dev/null 2>&1
}

tv_session_stop() {
    if [ -n "${TV_SESSION_PREFIX:-}" ]; then
        WINEPREFIX=$TV_SESSION_PREFIX wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$TV_SESSION_PREFIX timeout 20 wineserver -w >/dev/null 2>&1 || true
        if [ -n "${TV_SESSION_TEMPORARY:-}" ]; then
            rm -rf "$TV_SESSION_PREFIX"
        fi
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
    # Several sessions may start at once on one machine: a display counts as ours only when the
    # display's lock file names our Xvfb (the socket alone may be the other session's, whose
    # Xvfb won the display while ours was still on its way out) and ours is alive.
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
        if kill -0 "$TV_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] &&
            [ "$(tr -d ' \n' < "/tmp/.X$n-lock" 2>/dev/null)" = "$TV_XVFB_PID" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        wait "$TV_XVFB_PID" 2>/dev/null || true
        TV_XVFB_PID=
    done
    echo "Xvfb did not start" >&2
    return 1
}

# tv_session_prefix NAME: WINEPREFIX is build/wine/NAME, kept after the run for a look inside;
# while another command of the same name holds that one, a temporary one of this process,
# removed at the end.
tv_session_prefix() {
    local name=$1 folder="$top/build/wine"
    mkdir -p "$folder"
    # Held until this shell ends.
    exec {TV_SESSION_LOCK}>"$folder/$name.lock"
    if flock -n "$TV_SESSION_LOCK"; then
        TV_SESSION_TEMPORARY=
        WINEPREFIX="$folder/$name"
    else
        TV_SESSION_TEMPORARY=1
        WINEPREFIX="$folder/$name-$BASHPID"
    fi
    export WINEPREFIX
}

# tv_session_start NAME [keep-display]: with keep-display an existing $DISPLAY is used (the demo).
tv_session_start() {
    local name=$1 mode=${2:-}
    trap tv_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    tv_session_prefix "$name"
    if [ "$mode" != keep-display ] || [ -z "${DISPLAY:-}" ]; then
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
    tv_session_hold
}

# Wine closes an idle prefix's desktop; a test program's window after a quiet spell (a long
# pipe or installer test) would then wait for a new one. A hidden window holds it for the whole
# session; the session's end (wineserver -k) ends it.
tv_session_hold() {
    local arch
    for arch in x86_64 i686; do
        if [ -e "$top/build/$arch/stage/sessionhold.exe" ]; then
            wine "$top/build/$arch/stage/sessionhold.exe" </dev/null >/dev/null 2>&1 &
            return 0
        fi
    done
}

# Everything a fresh prefix needs before the program or a test runs in it.
tv_prefix_init() {
    # A crashing test program must end, not wait on a crash dialog nobody sees.
    tv_wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    local hook
    for hook in "$top"/cmake/prefix-init.d/*.sh; do
        [ -e "$hook" ] || continue
        # shellcheck disable=SC1090
        source "$hook"
    done
}
