#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one inside the current Wine session.
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    echo "no Wine session: run tests through ./dev test (see README.md)" >&2
    exit 1
fi
exec wine "$@"
