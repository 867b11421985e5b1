#!/usr/bin/env bash
# Start-up time of the real profiler under a virtual X server: from the
# launch of the program to its visible main window, found by polling every
# 5 ms (xdotool's own --sync waits far longer between tries).
# Usage: bench/startup_xvfb.sh [build-dir] [runs]
set -euo pipefail
bin=$(cd "${1:-build}/bin" && pwd)
runs=${2:-5}
if [ -z "${INSIDE_XVFB:-}" ]; then
    INSIDE_XVFB=1 exec xvfb-run -a "$0" "${1:-build}" "$runs"
fi
export QT_QPA_PLATFORM=xcb
for ((i = 1; i <= runs; i++)); do
    start=$(date +%s%N)
    "$bin/arvilo" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        sleep 0.005
        kill -0 "$pid" 2>/dev/null || { echo "arvilo ended early" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "run $i: $(( (end - start) / 1000000 )) ms to the visible window"
done
