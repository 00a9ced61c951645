#!/usr/bin/env bash
# Runs one GUI test program on a virtual X screen managed by openbox, so that
# title-bar close, Alt+F4 and window activation behave as on a desktop.
# Usage: run-under-openbox.sh PROGRAM [ARGS...]. Exit 77 (skipped) when a tool
# is missing.
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    shift
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true' EXIT
    # The window manager announces itself on the root window once it runs.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    rc=0
    QT_QPA_PLATFORM=xcb "$@" || rc=$?
    exit "$rc"
fi

for tool in xvfb-run openbox xdotool xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-under-openbox: $tool is not installed (scripts/install-deps.sh)"
        exit 77
    fi
done
exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" --inside "$@"
