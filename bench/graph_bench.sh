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

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
command -v dot >/dev/null || "$root/scripts/install-deps" test # Graphviz
build "$root" "$build" navlist make_big_disc_bench
navlist=$build/navlist
measure_out=$work/out # the graph, then the picture

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
    printf '  navlist --graph   %s ms per run (over 200 runs)\n' \
      "$(cd "$parent" && per_run_ms 200 "$navlist" --graph VIDEO_TS)"
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
