#!/usr/bin/env bash
# Size and load time of the route page of the longest route (1000000 m),
# and of the built-in scenario's for comparison:
#   bench/view_page.sh BUILD_FOLDER [RUNS]
# BUILD_FOLDER holds scenario-tool and bench_sources (configure with
# -DSB_BUILD_BENCH=ON, see bench/README.md). Needs Debian's chromium.
#
# Two load figures per page, each the median of RUNS runs:
# - ready: milliseconds from the start of navigation until the page's own
#   script has run and the browser has laid the page out (a probe added at
#   the end of a copy of the page reads performance.now() after asking for
#   the layout);
# - screenshot: wall time of a headless screenshot of the page (start,
#   load, layout, paint, exit) less that of an empty page.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_FOLDER [RUNS]}" && pwd)
runs=${2:-5}
chromium=${CHROMIUM:-/usr/bin/chromium}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --hide-scrollbars --window-size=1400,1200)

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Milliseconds of one screenshot of a URL.
shot_ms() {
    local profile start end
    profile=$(mktemp -d "$work/profile.XXXXXX")
    start=$(date +%s%N)
    "$chromium" "${flags[@]}" --user-data-dir="$profile" --screenshot="$work/shot.png" "$1" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

# What the probe read in one run.
ready_ms() {
    local profile
    profile=$(mktemp -d "$work/profile.XXXXXX")
    "$chromium" "${flags[@]}" --user-data-dir="$profile" --dump-dom "$1" 2>/dev/null |
        grep -o 'data-probe-ms="[0-9]*"' | grep -o '[0-9]*'
}

measure() {
    local name=$1 folder=$2 page
    page=$(ls "$folder"/*.html)
    sed 's|</body></html>|<script>document.body.getBoundingClientRect(); document.getElementById("route").getBBox();document.body.setAttribute("data-probe-ms", Math.round(performance.now()));</script></body></html>|' \
        "$page" >"$folder/probe.html"
    local url="file://$folder/probe.html" ready shot empty
    ready=$(for _ in $(seq "$runs"); do ready_ms "$url"; done | median)
    shot=$(for _ in $(seq "$runs"); do shot_ms "file://$(printf '%s' "$page" | sed 's/ /%20/g')"; done | median)
    empty=$(for _ in $(seq "$runs"); do shot_ms "file://$work/empty.html"; done | median)
    printf '%-22s %10s bytes  ready %5s ms  screenshot %5s ms (empty page %s ms, difference %s ms)\n' \
        "$name" "$(stat -c %s "$page")" "$ready" "$shot" "$empty" "$((shot - empty))"
}

echo '<!DOCTYPE html><html><body></body></html>' >"$work/empty.html"

mkdir "$work/builtin" "$work/longest"
"$build/scenario-tool" export "$work/builtin" >/dev/null
(cd "$work/builtin" && "$build/scenario-tool" compile --out out "VELDRA PALV_linea.txt" "VELDRA PALV_2638-.txt" &&
    "$build/scenario-tool" view out >/dev/null)
"$build/bench_sources" "$work/longest"
(cd "$work/longest" && "$build/scenario-tool" compile --out out "VELDRA PALV_linea.txt" "VELDRA PALV_2638-.txt" &&
    "$build/scenario-tool" view out >/dev/null)

echo "route page, median of $runs runs ($("$chromium" --version 2>/dev/null | head -n 1))"
measure "built-in (44000 m)" "$work/builtin"
measure "longest (1000000 m)" "$work/longest"
