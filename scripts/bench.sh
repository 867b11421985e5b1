#!/usr/bin/env bash
# Builds Release and measures every speed figure: each run of each benchmark,
# then one table with the figure as it was before this work ("before"), its
# goal, and the best and the median of the runs. gzip and zstd code and decode
# the same 64 MB as the project-file coder in the same run.
#
#   scripts/bench.sh [build-dir]     (default: build-bench)
#   RUNS=5                           runs of every figure (at least 5 for the table)
#   SIZES=10000,100000,1000000       project sizes for save, load and cost per variation
#   OPEN_SIZES=10000,40000,100000,1000000  project sizes for open to idle
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
runs=${RUNS:-5}
sizes=${SIZES:-10000,100000,1000000}
open_sizes=${OPEN_SIZES:-10000,40000,100000,1000000}
[ "$runs" -ge 5 ] || { echo "RUNS must be at least 5" >&2; exit 2; }

"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DARV_TESTS=OFF -DARV_BENCH=ON
bin=$build/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
raw=$work/raw # one line per figure: key, then the run values
: >"$raw"

echo "Load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

# Google Benchmark: every repetition's real time in ms under the key.
gbench() { # key executable benchmark-name
    local key=$1 exe=$2 name=$3
    if ! "$exe" --benchmark_list_tests 2>/dev/null | grep -qx "$name"; then
        echo "$key missing:$name" >>"$raw"
        return
    fi
    echo "running $name"
    "$exe" --benchmark_filter="^$name\$" --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null |
        awk -F, -v key="$key" -v name="\"$name\"" '$1 == name { v = v " " $3 } END { print key v }' >>"$raw"
}

export QT_QPA_PLATFORM=offscreen
gbench profile8 "$bin/profile_run_bench" BM_PanelRunProfile8_Resolution10
gbench profile10 "$bin/profile_run_bench" BM_PanelRunProfile10_Resolution10
gbench profile10points "$bin/profile_bench" BM_Profile10_Resolution10
gbench chart8 "$bin/profile_run_bench" BM_ChartDrawProfile8_1280x800
gbench chart3d "$bin/chart_bench" BM_FullDrawing3D

echo "running store_bench --sizes $sizes"
"$bin/store_bench" --sizes "$sizes" --runs "$runs" | tee -a "$raw"

echo "running store_bench --cold (a new process per load)"
"$bin/store_bench" --make "$work/p10k.Arv" 10000
cold="cold"
for ((i = 0; i < runs; i++)); do
    cold="$cold $("$bin/store_bench" --cold "$work/p10k.Arv" 10000 | awk '{ print $3 }')"
done
echo "$cold" >>"$raw"
# The same with the allocator's heap in transparent huge pages: most of a
# first load is the first touch of fresh memory, one fault per 4 KiB page.
cold="coldhuge"
for ((i = 0; i < runs; i++)); do
    cold="$cold $(GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$bin/store_bench" --cold "$work/p10k.Arv" 10000 | awk '{ print $3 }')"
done
echo "$cold" >>"$raw"

# The profiler on big projects: open to idle, then a click on a variation and
# a key in a panel edit (open_bench). Each run is a new process.
echo "running open_bench at ${open_sizes//,/, } variations"
for n in ${open_sizes//,/ }; do
    [ -f "$work/p$n.Arv" ] || "$bin/store_bench" --make "$work/p$n.Arv" "$n"
    figures="open click key"
    declare -A got=()
    for ((i = 0; i < runs; i++)); do
        out=$("$bin/open_bench" "$work/p$n.Arv" 2>/dev/null)
        for f in $figures; do
            got[$f]="${got[$f]:-} $(awk -v f="$f" '$1 == f { print $2 }' <<<"$out")"
        done
    done
    for f in $figures; do
        echo "$f$n${got[$f]}" >>"$raw"
    done
    unset got
done
rm -f "$work"/p*.Arv

echo "running huff_bench"
"$bin/huff_bench" --runs "$runs" | grep '^rate ' | sed 's/^rate //' >>"$raw"

if command -v xvfb-run >/dev/null && command -v xev >/dev/null && command -v stdbuf >/dev/null; then
    echo "running startup_xvfb.sh"
    echo "startup $(bash "$root/bench/startup_xvfb.sh" "$build" "$runs" | awk '/^run/ { printf " %s", $3 }')" >>"$raw"
    echo "running startup_bench on Xvfb"
    xvfb-run -a bash -c "for ((i = 0; i < $runs; i++)); do QT_QPA_PLATFORM=xcb '$bin/startup_bench'; done" 2>/dev/null |
        awk '/^main\(\) to first exposed/ { v = v " " $6 * 1000 } END { print "startupmain" v }' >>"$raw"
else
    echo "startup missing:xvfb-run/xev/stdbuf" >>"$raw"
fi

echo
echo "Load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
awk -v sizes="$sizes" '
function sort(a, n,   i, j, t) { for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t } }
# Best (lowest for times, highest for rates) and median of a figure.
function stats(key, higher,   n, a, i) {
    if (!(key in raw) || raw[key] ~ /^missing/) return 0
    n = split(raw[key], a, " ")
    sort(a, n)
    best = higher ? a[n] : a[1]
    median = n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    return n
}
function row(figure, before, goal, b, m, unit) {
    printf "%-58s %-14s %-12s %10s %10s\n", figure, before, goal, b, m
}
function timed(figure, before, goal, key, unit,   n) {
    n = stats(key, 0)
    if (n == 0) row(figure, before, goal, "not run", (key in raw) ? substr(raw[key], 9) : "")
    else row(figure, before, goal, sprintf("%.1f %s", best, unit), sprintf("%.1f %s", median, unit))
}
function rate(figure, before, goal, key,   n) {
    n = stats(key, 1)
    if (n == 0) row(figure, before, goal, "not run", "")
    else row(figure, before, goal, sprintf("%.0f MB/s", best), sprintf("%.0f MB/s", median))
}
{
    k = $1; $1 = ""
    if (k == "save" || k == "load" || k == "bytes") { k = k " " $2; $2 = "" }
    sub(/^ +/, ""); raw[k] = $0
}
END {
    row("figure", "before", "goal", "best", "median")
    row("------", "------", "----", "----", "------")
    timed("profile 8, resolution 10, run through the panel", "30-34 ms", "<= 10 ms", "profile8", "ms")
    if (("profile10" in raw) && raw["profile10"] !~ /^missing/)
        timed("profile 10, resolution 10, run through the panel", "81-92 ms", "<= 25 ms", "profile10", "ms")
    else
        timed("profile 10, resolution 10 (points only, profile_bench)", "81-92 ms", "<= 25 ms", "profile10points", "ms")
    timed("3D chart of profile 8, full draw at 1280 x 800", "15-17 ms", "<= 8 ms", "chart8", "ms")
    timed("  the same family drawn by chart_bench", "", "", "chart3d", "ms")
    timed("save of 10,000 variations (fsync included)", "70-99 ms", "<= 40 ms", "save 10000", "ms")
    timed("load of 10,000 variations, first load in a new process", "about 100 ms", "<= 30 ms", "cold", "ms")
    timed("  the same, heap in huge pages (glibc.malloc.hugetlb=1)", "", "", "coldhuge", "ms")
    timed("  load of 10,000 variations in a running process", "26 ms", "", "load 10000", "ms")
    n = split(sizes, size, ",")
    for (op = 1; op <= 2; op++) {
        what = op == 1 ? "save" : "load"
        for (i = 1; i <= n; i++) {
            if (stats(what " " size[i], 0) == 0) continue
            per[i, "b"] = best * 1000 / size[i]; per[i, "m"] = median * 1000 / size[i]
            row(sprintf("  %s, cost per variation at %d", what, size[i]), "", "", sprintf("%.2f us", per[i, "b"]), sprintf("%.2f us", per[i, "m"]))
        }
        if (n > 1 && per[1, "m"] > 0)
            row(sprintf("cost per variation, %s, %d against %d", what, size[n], size[1]), "2x to 6x", "<= 1.3x",
                sprintf("%.2fx", per[n, "b"] / per[1, "b"]), sprintf("%.2fx", per[n, "m"] / per[1, "m"]))
        delete per
    }
    timed("open to idle, 10,000 variations", "0.6 s", "", "open10000", "ms")
    timed("open to idle, 40,000 variations", "9.6 s", "<= 1.5 s", "open40000", "ms")
    timed("open to idle, 100,000 variations", "82 s", "<= 4 s", "open100000", "ms")
    timed("open to idle, 1,000,000 variations", "> 240 s", "", "open1000000", "ms")
    if (stats("open100000", 0) > 0) {
        b100k = best; m100k = median
        if (stats("open1000000", 0) > 0)
            row("  open to idle, 1,000,000 against 100,000", "", "<= 10x", sprintf("%.1fx", best / b100k), sprintf("%.1fx", median / m100k))
    }
    timed("click on a variation, 100,000 variations, to idle", "", "<= 50 ms", "click100000", "ms")
    timed("key in a panel edit, 100,000 variations, to idle", "", "<= 50 ms", "key100000", "ms")
    rate("Huffman coding, 64 MB mixed input", "360-520 MB/s", ">= 700 MB/s", "huffman-code")
    rate("Huffman decoding, 64 MB mixed input", "430-470 MB/s", ">= 700 MB/s", "huffman-decode")
    rate("  gzip -1, the same input", "", "", "gzip-code")
    rate("  gzip -d, the same input", "", "", "gzip-decode")
    rate("  zstd -1, the same input", "", "", "zstd-code")
    rate("  zstd -d, the same input", "", "", "zstd-decode")
    timed("start-up to the first shown window (xcb on Xvfb)", "145-170 ms", "<= 120 ms", "startup", "ms")
    timed("  main() to the first exposed window (startup_bench, Xvfb)", "", "", "startupmain", "ms")
}' "$raw"
