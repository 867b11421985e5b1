#!/usr/bin/env bash
# The main window's placement as users meet it: the real program on a virtual
# X server with a window manager, started and closed again several times.
# Each start must put the window where the last one left it, and a stored
# placement that no screen would show must be brought back onto the screen.
# Usage: placement_xvfb.sh DIR-OF-ARVILO
set -euo pipefail

bin=$(cd "${1:?usage: $0 dir-of-arvilo}" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in Xvfb openbox xdotool xwininfo xprop wmctrl; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done
[ -x "$bin/arvilo" ] || fail "no program $bin/arvilo"

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1; shift
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A free display of its own, chosen by the server itself.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 60 grep -q '^[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 60 wmctrl -m || fail "openbox did not start: $(cat "$work/openbox.log")"

# The program runs from a copy, so its settings file lies in the work folder.
app="$work/app"
mkdir "$app"
cp "$bin/arvilo" "$app/"
[ -f "$bin/Theory.txt" ] && cp "$bin/Theory.txt" "$app/"
export QT_QPA_PLATFORM=xcb

pid=""
win=""
# Client geometry (x y w h) and frame extents (left right top bottom) of $win.
client() { xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'; }
extents() { xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ','; }
framed() { [ -n "$(extents)" ]; }
steady() {
    local a b
    a=$(client); sleep 0.2; b=$(client)
    [ "$a" = "$b" ]
}
find_window() {
    win=$(xdotool search --onlyvisible --pid "$pid" --name '^Arvilo' 2>/dev/null | head -n1)
    [ -n "$win" ]
}

start() {
    "$app/arvilo" >>"$work/arvilo.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    wait_for 60 find_window || fail "no window of arvilo after 60 s: $(tail -n 20 "$work/arvilo.log")"
    wait_for 30 framed || fail "the window manager gave the window no frame"
    wait_for 30 steady || fail "the window keeps moving"
}

# Frame position and inside size as "left,top,width,height".
placement() {
    local x y w h l r t b
    read -r x y w h < <(client)
    read -r l r t b < <(extents)
    echo "$((x - l)),$((y - t)),$w,$h"
}

stop() {
    wmctrl -i -c "$win"
    wait_for 60 bash -c "! kill -0 $pid" || {
        wmctrl -l >&2
        fail "arvilo did not end when its window was closed (a question left open?)"
    }
    wait "$pid" 2>/dev/null || true
}

ini() {
    local files=("$app"/arvilo-*.ini)
    [ -f "${files[0]}" ] || fail "no settings file beside the program"
    echo "${files[0]}"
}
stored() { sed -n 's/^FrmArviloMain=//p' "$(ini)" | tr -d '\r'; }
store() { printf '[Forms]\nFrmArviloMain=%s\n' "$1" >"$(ini)"; }

# Starts the program, reads where its window came up (into now) and closes it:
# the window must have come up at want, a pattern, and closing it must have
# stored that. Not in a subshell, so the program's pid reaches the clean-up.
check_start() {
    local label=$1 want=$2
    start
    now=$(placement)
    stop
    # shellcheck disable=SC2053 # want is a pattern
    [[ $now == $want ]] || fail "$label: the window came up at $now, not at $want"
    [ "$(stored)" = "$now,0" ] || fail "$label: then stored \"$(stored)\", the window was at $now"
    echo "$label: at $now"
}

# First start: the window manager places the window; closing stores that.
check_start "first start" "*"
first=$now
for run in 1 2 3; do
    check_start "restart $run" "$first"
done

# A placement of one's own comes back exactly, frame and inside.
store "200,100,1000,660,0"
for run in 1 2; do
    check_start "stored 200,100,1000,660, start $run" "200,100,1000,660"
done

# Off the screen: above it (where the window crept before), far to the left.
for entry_want in "137,-18,1002,650,0 137,0" "-5000,100,1002,650,0 0,100" "100,-300000,1002,650,0 100,0"; do
    read -r entry want <<<"$entry_want"
    store "$entry"
    check_start "stored $entry" "$want,*,*"
done
echo "PASS"
