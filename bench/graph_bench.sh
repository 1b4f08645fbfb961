#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures --graph on the generated disc of 99 title sets (bench/make_big_disc_bench: 16 title
# chains of 1500 commands each per set, menus in two language units): wall and CPU time and
# peak resident memory of `navlist --graph`, the size of the graph, and then how long
# `dot -Tsvg` takes to draw it, run once with all the time it needs. The same for the largest
# sample disc, whose run is timed over many runs in a row.
#
# Target: navlist --graph on the generated disc within 2 s.
#
# Usage: bench/graph_bench.sh [runs] [--no-dot]   (default 5 runs; the best time is shown)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-graph-bench
runs=${1:-5}
draw=1
[[ ${2:-} == --no-dot ]] && draw=0

if [[ ! -x /usr/bin/time ]]; then
  apt-get update
  apt-get install -y time
fi
"$root/scripts/install-deps" test

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNAVLIST_BENCH=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" -j2 --target navlist make_big_disc_bench >/dev/null
navlist=$build/navlist

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One command under /usr/bin/time -v, its output to $work/out: "<wall s> <CPU s> <peak RSS KiB>".
measure_once() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out" || true # status 1 is a valid graph
  awk -F': ' '
    /Elapsed \(wall clock\)/ {
      n = split($2, t, ":"); wall = 0
      for (i = 1; i <= n; ++i) wall = wall * 60 + t[i]
    }
    /User time \(seconds\)|System time \(seconds\)/ { cpu += $2 }
    /Maximum resident set size/ { rss = $2 }
    END { printf "%.3f %.2f %d\n", wall, cpu, rss }' "$work/time.txt"
}

# Best wall and CPU times and the highest peak RSS over the runs.
measure() {
  local best="" best_cpu="" peak=0 wall cpu rss
  for ((i = 0; i < runs; ++i)); do
    read -r wall cpu rss < <(measure_once "$@")
    awk -v a="$wall" -v b="${best:-1e9}" 'BEGIN { exit !(a < b) }' && best=$wall
    awk -v a="$cpu" -v b="${best_cpu:-1e9}" 'BEGIN { exit !(a < b) }' && best_cpu=$cpu
    ((rss > peak)) && peak=$rss
  done
  echo "$best $best_cpu $peak"
}

report_disc() {
  local label=$1 parent=$2
  local wall cpu rss
  read -r wall cpu rss < <(cd "$parent" && measure "$navlist" --graph VIDEO_TS)
  cp "$work/out" "$work/graph.dot"
  printf '%s\n  navlist --graph   wall %8.3f s   CPU %7.2f s   peak RSS %8d KiB\n' "$label" \
    "$wall" "$cpu" "$rss"
  printf '  graph: %d bytes, %d chains, %d edges (%d to an unresolved node)\n' \
    "$(stat -c %s "$work/graph.dot")" "$(grep -c '^ *[a-z0-9_]*_pgc[0-9]* \[label=' "$work/graph.dot")" \
    "$(grep -c -- ' -> ' "$work/graph.dot")" "$(grep -c -- ' -> [a-z0-9_]*_unresolved ' "$work/graph.dot")"
  if [[ $(stat -c %s "$work/graph.dot") -lt 1000000 ]]; then
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < 200; ++i)); do (cd "$parent" && "$navlist" --graph VIDEO_TS >/dev/null) || true; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "  navlist --graph   %.3f ms per run (over 200 runs)\n", ns / 200 / 1e6 }'
  fi
  if ((draw)); then
    read -r wall cpu rss < <(measure_once dot -Tsvg "$work/graph.dot")
    printf '  dot -Tsvg         wall %8.3f s   CPU %7.2f s   peak RSS %8d KiB; SVG %d bytes\n' \
      "$wall" "$cpu" "$rss" "$(stat -c %s "$work/out")"
  fi
}

echo "navlist --graph benchmark, $runs runs each, Release build in $build"
report_disc "sample disc many_buttons" "$root/samples/many_buttons"
"$build/bench/make_big_disc_bench" "$work/big/VIDEO_TS" >/dev/null
report_disc "generated disc (99 title sets, 16 title PGCs of 1500 commands each)" "$work/big"
