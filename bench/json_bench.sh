#!/usr/bin/env bash
# Measures the --json report on the generated 99-title-set disc (make_big_disc_bench): peak
# resident memory of `navlist --json` (the document is written while the disc is read, so it must
# stay under 32 MiB) and the time of `navlist --json -I` against `navlist -I` (aim: at most 1.5
# times as long), both writing to /dev/null, interleaved run by run.
#
# Usage: bench/json_bench.sh [runs]   (default 5; best wall and CPU times, highest peak RSS)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-json-bench
runs=${1:-5}

if [[ ! -x /usr/bin/time ]]; then
  apt-get update
  apt-get install -y time
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNAVLIST_BENCH=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" -j2 --target navlist make_big_disc_bench >/dev/null
navlist=$build/navlist

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_big_disc_bench" "$work/VIDEO_TS" >/dev/null
cd "$work"

# "<wall s> <CPU s> <peak RSS KiB>" of one run. Status 1 (a problem reported) is a valid run.
measure_once() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null || true
  awk -F': ' '
    /Elapsed \(wall clock\)/ {
      n = split($2, t, ":"); wall = 0
      for (i = 1; i <= n; ++i) wall = wall * 60 + t[i]
    }
    /User time \(seconds\)|System time \(seconds\)/ { cpu += $2 }
    /Maximum resident set size/ { rss = $2 }
    END { printf "%.3f %.2f %d\n", wall, cpu, rss }' "$work/time.txt"
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

declare -A wall cpu peak
labels=("-I" "--json -I" "--json")
for ((i = 0; i < runs; ++i)); do
  for label in "${labels[@]}"; do
    read -r w c r < <(measure_once "$navlist" $label VIDEO_TS)
    wall[$label]=$(min "$w" "${wall[$label]:-}")
    cpu[$label]=$(min "$c" "${cpu[$label]:-}")
    ((r > ${peak[$label]:-0})) && peak[$label]=$r
  done
done

commands=$("$navlist" -I VIDEO_TS | grep -c '^    [0-9]' || true)
json_bytes=$("$navlist" --json -I VIDEO_TS | wc -c)
text_bytes=$("$navlist" -I VIDEO_TS | wc -c)
echo "navlist --json benchmark, $runs runs each, Release build in $build"
echo "generated disc: 99 title sets, $commands commands; -I report $text_bytes bytes, --json -I $json_bytes bytes"
for label in "${labels[@]}"; do
  printf '  navlist %-10s wall %7.3f s   CPU %6.2f s   peak RSS %7d KiB\n' "$label" \
    "${wall[$label]}" "${cpu[$label]}" "${peak[$label]}"
done
awk -v jw="${wall[--json -I]}" -v tw="${wall[-I]}" -v jc="${cpu[--json -I]}" -v tc="${cpu[-I]}" \
  -v rss="${peak[--json]}" 'BEGIN {
    printf "  --json -I / -I: wall %.2fx, CPU %.2fx (aim: at most 1.5x)\n", jw / tw, jc / tc
    printf "  --json peak RSS: %.1f MiB (limit: 32 MiB) %s\n", rss / 1024, rss < 32768 ? "ok" : "OVER"
  }'
