#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the -V scan on a generated 1 GiB menu VOB: `navlist -V` against the floor of its
# design (vob_floor_bench: 16 MiB reads into a static buffer and the two start-code tests of
# every pack) and against `cat FILE > /dev/null`, interleaved in one run from a warm page
# cache; then navlist's peak resident memory under /usr/bin/time -v.
#
# Targets: navlist at most 1.10 times the floor; peak RSS under 32 MiB.
#
# Usage: bench/vob_bench.sh [rounds]   (default 9; medians are shown)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-vob-bench
rounds=${1:-9}

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
build "$root" "$build" navlist vob_floor_bench
navlist=$build/navlist
floor=$build/bench/vob_floor_bench

disc=$work/VIDEO_TS
vob=$disc/VIDEO_TS.VOB

# The disc: VIDEO_TS.IFO with a menu table of 16 program chains, one cell each, and
# VIDEO_TS.VOB of 524288 packs: 16 menus in a row, each a run of NAV packs carrying that
# menu's buttons (4 to 36), one NAV pack every 100 to 199 packs, video packs in between.
python3 "$root/bench/make_big_menu_disc.py" "$disc"

(cd "$work" && "$navlist" -V VIDEO_TS >"$work/report.txt")
printf 'VOB: %d bytes; floor loop: %s; report: %d groups, %d cell lines, %d button lines\n' \
  "$(stat -c %s "$vob")" "$("$floor" "$vob")" "$(grep -c '^  Repeat: ' "$work/report.txt")" \
  "$(grep -c '^Used by ' "$work/report.txt")" "$(grep -c '\[PK_' "$work/report.txt")"

cat "$vob" >/dev/null # warm the page cache
cat "$vob" >/dev/null

echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Interleaved runs, the order rotating every round. Wall time from the parent's clock; CPU
# time (user + system) from the child's rusage, the steadier figure on a busy machine.
python3 - "$rounds" "$work" "$navlist" "$floor" "$vob" <<'EOF'
import os, statistics, subprocess, sys, time

rounds, work, navlist, floor, vob = int(sys.argv[1]), *sys.argv[2:]
commands = {
    'navlist -V': ([navlist, '-V', 'VIDEO_TS'], work),
    'floor loop': ([floor, vob], None),
    'cat > /dev/null': (['cat', vob], None),
}
names = list(commands)
wall = {n: [] for n in names}
cpu = {n: [] for n in names}
for r in range(rounds):
    for n in names[r % 3:] + names[:r % 3]:
        argv, cwd = commands[n]
        start = time.perf_counter()
        child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        wall[n].append(time.perf_counter() - start)
        child.returncode = os.waitstatus_to_exitcode(status)
        cpu[n].append(usage.ru_utime + usage.ru_stime)

med = lambda xs: statistics.median(xs) * 1000
gib = os.path.getsize(vob) / 2**30
print(f'{rounds} rounds, medians:')
for n in names:
    print(f'  {n:16} wall {med(wall[n]):8.1f} ms ({gib / med(wall[n]) * 1000:5.2f} GiB/s)'
          f'   CPU {med(cpu[n]):8.1f} ms   wall min {min(wall[n]) * 1000:7.1f} max {max(wall[n]) * 1000:7.1f}')
for a, b in (('navlist -V', 'floor loop'), ('navlist -V', 'cat > /dev/null'),
             ('floor loop', 'cat > /dev/null')):
    print(f'  {a} / {b}: wall {med(wall[a]) / med(wall[b]):.3f}   CPU {med(cpu[a]) / med(cpu[b]):.3f}')
ratio = med(wall['navlist -V']) / med(wall['floor loop'])
print(f'  target navlist/floor <= 1.10: {"met" if ratio <= 1.10 else "NOT met"} ({ratio:.3f})')
EOF

nav_rss=$(cd "$work" && peak_kib "$navlist" -V VIDEO_TS)
floor_rss=$(peak_kib "$floor" "$vob")
printf 'peak RSS: navlist -V %d KiB (%.1f MiB, target under 32 MiB: %s), floor loop %d KiB\n' \
  "$nav_rss" "$(awk -v k="$nav_rss" 'BEGIN { print k / 1024 }')" \
  "$( ((nav_rss < 32768)) && echo met || echo 'NOT met')" "$floor_rss"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
