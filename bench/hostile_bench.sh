#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the hostile inputs of issue 24 (tests/hostile/inputs.py: UDF images whose structures
# loop or claim 1 GiB, a VIDEO_TS of 100,000 files, a FIFO, a link to /dev/zero and an unreadable
# file in a folder, control files whose menus repeat one unit for --graph) under a build of
# `before` and one of the working tree, one case after the other in the same run: wall time and
# peak resident memory of each, or how long it ran before it was stopped.
#
# Targets: every image ends within 1 s and under 32 MiB; the graphs within 2 s and under 64 MiB.
#
# Usage: bench/hostile_bench.sh [before-ref] [seconds before a run is stopped] [case...]
#        (defaults: 3baca8a, the last commit before the work on issue 24; 10; every case)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
before_ref=${1:-3baca8a}
timeout=${2:-10}
shift $(($# > 2 ? 2 : $#))

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
# The builds are run by nobody in the unreadable-file case when this runs as root.
chmod 755 "$work"
build_before "$before_ref"
build "$root" "$work/after" navlist

echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "before: $(git -C "$root" rev-parse --short "$before_ref"); after: the working tree" \
  "($(git -C "$root" rev-parse --short HEAD)$(git -C "$root" diff --quiet || echo ', changed'))"
# As root, each run drops to nobody so that a file without read permission is unreadable.
(cd "$work" && python3 "$root/tests/hostile/inputs.py" measure "$timeout" "$work/before/navlist" \
  "$work/after/navlist" "$@")
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
