#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the player model: --trace and --titles on every sample and test disc (milliseconds per
# run, over many runs in a row), and on the generated 99-title-set disc (make_big_disc_bench:
# wall time and peak resident memory of one run, the best of a few).
#
# Targets: every sample disc in milliseconds; on the big disc, --trace under 0.5 s and 32 MiB,
# --titles under 2 s and 256 MiB.
#
# Usage: bench/player_bench.sh [runs]   (default 5 for the big disc; 50 in a row for the others)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
build "$root" "$root/build-player-bench" navlist make_big_disc_bench
navlist=$root/build-player-bench/navlist
"$root/build-player-bench/bench/make_big_disc_bench" "$work/big/VIDEO_TS" >/dev/null

printf '%-28s %12s %12s\n' disc "--trace ms" "--titles ms"
for disc in "$root"/samples/*/VIDEO_TS "$root"/tests/discs/*/VIDEO_TS; do
  name=$(basename "$(dirname "$disc")")
  printf '%-28s %12s %12s\n' "$name" "$(per_run_ms 50 "$navlist" --trace "$disc")" \
    "$(per_run_ms 50 "$navlist" --titles "$disc")"
done

echo "the generated 99-title-set disc (best wall s, best CPU s, peak RSS KiB of $runs runs):"
for mode in --trace "--trace --until end" --titles; do
  # shellcheck disable=SC2086
  printf '  %-22s %s\n' "$mode" "$(measure "$navlist" $mode "$work/big/VIDEO_TS")"
done
