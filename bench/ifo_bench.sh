#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the -I report: wall time and peak resident memory of `navlist -I` on the largest
# sample disc (by the bytes of its control files, which is what -I reads) and on a large
# generated disc (99 title sets with big command tables), each next to `cat` writing the same
# report to /dev/null in the same run.
#
# Usage: bench/ifo_bench.sh [runs]   (default 5; the best time and the highest peak are shown)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-ifo-bench
runs=${1:-5}

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
build "$root" "$build" navlist make_big_disc_bench
navlist=$build/navlist

report_disc() {
  local label=$1 parent=$2
  local report=$work/report.txt
  (cd "$parent" && "$navlist" -I VIDEO_TS >"$report") || true # status 1 is a valid report
  local size lines
  size=$(stat -c %s "$report")
  lines=$(wc -l <"$report")
  local nav cat_
  nav=$(cd "$parent" && measure "$navlist" -I VIDEO_TS)
  cat_=$(measure cat "$report")
  printf '%s: %d control files, %d bytes; report %d lines, %d bytes\n' "$label" \
    "$(find "$parent/VIDEO_TS" -maxdepth 1 -iname '*.ifo' | wc -l)" \
    "$(find "$parent/VIDEO_TS" -maxdepth 1 -iname '*.ifo' -printf '%s\n' | awk '{ s += $1 } END { print s }')" \
    "$lines" "$size"
  read -r nav_wall nav_cpu nav_rss <<<"$nav"
  read -r cat_wall cat_cpu cat_rss <<<"$cat_"
  printf '  %-14s wall %8.3f s   CPU %7.2f s   peak RSS %8d KiB\n' "navlist -I" "$nav_wall" \
    "$nav_cpu" "$nav_rss"
  printf '  %-14s wall %8.3f s   CPU %7.2f s   peak RSS %8d KiB\n' "cat report" "$cat_wall" \
    "$cat_cpu" "$cat_rss"
  if [[ $size -lt 10000000 ]]; then
    printf '  %-14s %.3f ms per run (over 200 runs)\n' "navlist -I" \
      "$(cd "$parent" && per_run_ms 200 "$navlist" -I VIDEO_TS)"
    printf '  %-14s %.3f ms per run (over 200 runs)\n' "cat report" "$(per_run_ms 200 cat "$report")"
  fi
}

largest=""
largest_bytes=0
for disc in "$root"/samples/*/; do
  bytes=$(find "$disc/VIDEO_TS" -maxdepth 1 -iname '*.ifo' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
  if ((bytes > largest_bytes)); then
    largest=$disc
    largest_bytes=$bytes
  fi
done

echo "navlist -I benchmark, $runs runs each, Release build in $build"
report_disc "sample disc $(basename "$largest")" "$largest"
"$build/bench/make_big_disc_bench" "$work/big/VIDEO_TS" >/dev/null
report_disc "generated disc (99 title sets, 16 title PGCs of 1500 commands each)" "$work/big"
