# SPDX-License-Identifier: MIT
# Sourced by every benchmark after it sets `root`: the packages the builds and measurements
# need, a scratch folder ($work, removed at exit, with a worktree of a "before" ref in it when
# one is built), Release builds, and timing under /usr/bin/time.

"$root/scripts/install-deps" bench

work=$(mktemp -d /tmp/navlist-bench-XXXXXX)
before_tree=$work/before-src
cleanup() {
  git -C "$root" worktree remove --force "$before_tree" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

build() { # <source> <build folder> <targets...>
  local source=$1 folder=$2
  shift 2
  cmake -S "$source" -B "$folder" -DCMAKE_BUILD_TYPE=Release -DNAVLIST_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$folder" -j2 --target "$@" >/dev/null
}

# Builds navlist at `ref` into $work/before/navlist.
build_before() { # <ref>
  git -C "$root" worktree add --detach "$before_tree" "$1" >/dev/null
  build "$before_tree" "$work/before" navlist
}

# One command under /usr/bin/time -v, its output to $measure_out: "<wall s> <CPU s> <peak RSS
# KiB>". The CPU time (user + system) is the steadier figure on a busy machine. Status 1 (a
# problem reported) is a valid run.
measure_out=/dev/null
measure_once() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$measure_out" || true
  awk -F': ' '
    /Elapsed \(wall clock\)/ {
      n = split($2, t, ":"); wall = 0
      for (i = 1; i <= n; ++i) wall = wall * 60 + t[i]
    }
    /User time \(seconds\)|System time \(seconds\)/ { cpu += $2 }
    /Maximum resident set size/ { rss = $2 }
    END { printf "%.3f %.2f %d\n", wall, cpu, rss }' "$work/time.txt"
}

# Best wall and CPU times and the highest peak RSS over $runs runs.
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

# Peak resident memory in KiB of one run.
peak_kib() {
  read -r _ _ rss < <(measure_once "$@")
  echo "$rss"
}

# A small disc finishes in about a millisecond, below the timer's resolution,
# so its time is also taken over many runs in a row: ms per run.
per_run_ms() { # <count> <command...>
  local count=$1
  shift
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < count; ++i)); do "$@" >/dev/null || true; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v n="$count" 'BEGIN { printf "%.3f", ns / n / 1e6 }'
}
