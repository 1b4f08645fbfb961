#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures navlist before and after a change, in one run:
#   1. the -I report of the generated 99-title-set disc (make_big_disc_bench): CPU time (user +
#      system) of `navlist -I` to /dev/null, median of interleaved runs, before and after, with
#      the ratio, the peak resident memory and a check that both reports are the same bytes;
#   2. start-up: a default run (`navlist VIDEO_TS`) of each sample disc against `lsdvd -x` on
#      the same folder, medians of interleaved runs (wall time from the parent's clock, CPU
#      time from the child's rusage), then hyperfine's view of the same commands.
# "Before" is built from a git ref in a temporary worktree under /tmp, "after" from this
# working tree; both as Release builds.
#
# Targets: after at least 4 times faster than before on the big disc; a default run no slower
# than lsdvd -x on every sample disc; peak RSS under 32 MiB.
#
# Usage: bench/speed_bench.sh [before-ref] [big-disc rounds] [start-up rounds]
#        (defaults: 0bbdc13, 7, 40)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
before_ref=${1:-0bbdc13}
big_rounds=${2:-7}
startup_rounds=${3:-40}


# shellcheck source=bench/common.sh
. "$root/bench/common.sh"

build_before "$before_ref"
build "$root" "$root/build-speed-bench" navlist make_big_disc_bench
before=$work/before/navlist
after=$root/build-speed-bench/navlist

"$root/build-speed-bench/bench/make_big_disc_bench" "$work/big/VIDEO_TS" >/dev/null

echo "navlist speed: before $(git -C "$root" rev-parse --short "$before_ref"), after the working tree of $(git -C "$root" rev-parse --short HEAD)"
echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work" "$before" "$after" "$big_rounds" "$startup_rounds" "$root/samples" <<'EOF'
import filecmp, os, statistics, subprocess, sys, time

work, before, after = sys.argv[1:4]
big_rounds, startup_rounds = int(sys.argv[4]), int(sys.argv[5])
samples = sys.argv[6]

def run(argv, cwd, stdout=subprocess.DEVNULL):
    """One run: (wall s, CPU s)."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=cwd, stdout=stdout, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime

def peak_rss(argv, cwd):
    """Peak resident memory in KiB of one run under /usr/bin/time (a child of Python would
    start from the size of the Python process)."""
    report = subprocess.run(['/usr/bin/time', '-f', '%M'] + argv, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(report.stderr.strip().splitlines()[-1])

def interleaved(commands, rounds):
    """Runs every command once per round, the order rotating; lists of results per name."""
    names = list(commands)
    results = {n: [] for n in names}
    for r in range(rounds):
        shift = r % len(names)
        for n in names[shift:] + names[:shift]:
            argv, cwd = commands[n]
            results[n].append(run(argv, cwd))
    return results

med = lambda xs: statistics.median(xs)

# 1. The -I report of the big disc.
reports = {}
for name, navlist in (('before', before), ('after', after)):
    path = os.path.join(work, f'report-{name}.txt')
    with open(path, 'wb') as out:
        run([navlist, '-I', 'VIDEO_TS'], os.path.join(work, 'big'), stdout=out)
    reports[name] = path
size = os.path.getsize(reports['after'])
with open(reports['after'], 'rb') as f:
    lines = sum(1 for _ in f)
same = filecmp.cmp(reports['before'], reports['after'], shallow=False)
print(f'\n1. navlist -I on the generated disc (99 title sets): report {lines} lines, {size} bytes; '
      f'before and after {"identical" if same else "DIFFERENT"}')
big = interleaved({n: ([p, '-I', 'VIDEO_TS'], os.path.join(work, 'big'))
                   for n, p in (('before', before), ('after', after))}, big_rounds)
rss = {n: peak_rss([p, '-I', 'VIDEO_TS'], os.path.join(work, 'big'))
       for n, p in (('before', before), ('after', after))}
for n in ('before', 'after'):
    walls, cpus = zip(*big[n])
    print(f'  {n:7} CPU {med(cpus) * 1000:8.1f} ms   wall {med(walls) * 1000:8.1f} ms   '
          f'(CPU min {min(cpus) * 1000:.1f} max {max(cpus) * 1000:.1f}; {big_rounds} runs)   '
          f'peak RSS {rss[n]} KiB')
ratio = med([c for _, c in big['before']]) / med([c for _, c in big['after']])
peak = rss['after']
print(f'  before / after, CPU: {ratio:.2f} (target >= 4: {"met" if ratio >= 4 else "NOT met"}); '
      f'peak RSS under 32 MiB: {"met" if peak < 32768 else "NOT met"}')

# 2. Start-up: a default run of each sample disc against lsdvd -x on the same folder.
print(f'\n2. start-up, a default run of each sample disc, medians of {startup_rounds} interleaved runs')
print(f'  {"disc":14} {"command":16} {"wall ms":>8} {"CPU ms":>8}')
for disc in sorted(os.listdir(samples)):
    folder = os.path.join(samples, disc)
    if not os.path.isdir(os.path.join(folder, 'VIDEO_TS')):
        continue
    commands = {
        'navlist before': ([before, 'VIDEO_TS'], folder),
        'navlist after': ([after, 'VIDEO_TS'], folder),
        'lsdvd -x': (['lsdvd', '-x', 'VIDEO_TS'], folder),
    }
    for argv, cwd in commands.values():  # warm the page cache and the loader
        run(argv, cwd)
    results = interleaved(commands, startup_rounds)
    wall = {n: med([w for w, _ in results[n]]) * 1000 for n in commands}
    cpu = {n: med([c for _, c in results[n]]) * 1000 for n in commands}
    for n in commands:
        print(f'  {disc:14} {n:16} {wall[n]:8.2f} {cpu[n]:8.2f}')
    ok = wall['navlist after'] <= wall['lsdvd -x']
    print(f'  {disc:14} navlist after / lsdvd -x: wall {wall["navlist after"] / wall["lsdvd -x"]:.2f}, '
          f'CPU {cpu["navlist after"] / cpu["lsdvd -x"]:.2f} (no slower: {"met" if ok else "NOT met"})')
EOF

echo
echo "hyperfine, the same start-up commands (not interleaved; mean and min of 30 runs):"
for disc in "$root"/samples/*/; do
  (cd "$disc" && hyperfine -N -i -w 5 -r 30 --style basic \
    -n "$(basename "$disc") before" "$before VIDEO_TS" \
    -n "$(basename "$disc") after" "$after VIDEO_TS" \
    -n "$(basename "$disc") lsdvd -x" "lsdvd -x VIDEO_TS" 2>&1 |
    grep -E '^Benchmark|Time \(mean|Range') || true
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
