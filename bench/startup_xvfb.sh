#!/usr/bin/env bash
# Start-up time of the real profiler under a virtual X server: from the
# launch of the program (process start included) to its first shown window.
# There is no window manager, so a window is shown when it is mapped: an X
# client started before the program (xev on the root window) reports the
# mapping the moment it happens, and the times come from the shell's own
# clock. Nothing is started while the program starts (polling with a tool
# such as xdotool costs about 100 ms a try on a small machine, more than
# the start-up itself).
# Usage: bench/startup_xvfb.sh [build-dir] [runs]; needs xvfb and x11-utils.
set -euo pipefail
bin=$(cd "${1:-build}/bin" && pwd)
runs=${2:-5}
if [ -z "${INSIDE_XVFB:-}" ]; then
    INSIDE_XVFB=1 exec xvfb-run -a "$0" "${1:-build}" "$runs"
fi
export QT_QPA_PLATFORM=xcb
times=()
for ((i = 1; i <= runs; i++)); do
    coproc WATCH { exec stdbuf -oL xev -root -event substructure; }
    watcher=$WATCH_PID
    exec {events}<&"${WATCH[0]}"
    # xev prints nothing until an event comes: give it time to select its input.
    sleep 0.3
    if ! kill -0 "$watcher" 2>/dev/null; then
        echo "xev could not watch the display" >&2
        exit 1
    fi
    start=$EPOCHREALTIME
    "$bin/arvilo" >/dev/null 2>&1 &
    pid=$!
    while IFS= read -r line <&"$events"; do
        [[ $line == MapNotify* ]] && break
    done
    end=$EPOCHREALTIME
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    kill "$watcher" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
    exec {events}<&-
    # Under a German locale bash writes the clock with a comma.
    ms=$(( (10#${end//[.,]/} - 10#${start//[.,]/}) / 1000 ))
    times+=("$ms")
    echo "run $i: $ms ms to the visible window"
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "min $(head -n1 <<<"$sorted") ms, median $(sed -n "$(( (runs + 1) / 2 ))p" <<<"$sorted") ms"
