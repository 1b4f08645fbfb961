#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures reading a disc from a UDF image against reading it from a folder: `navlist -V` on a
# generated disc whose menu VOB is 1 GiB (bench/make_big_menu_disc.py), once as the folder and
# once as a UDF image of it made by genisoimage, interleaved in one run from a warm page cache;
# then the peak resident memory of both under /usr/bin/time -v, and the directory reads
# (getdents64 calls, under strace) of a default run on samples/vmgm_menu.
#
# Targets: the image run at most 1.10 times the folder run; peak RSS under 32 MiB.
#
# Usage: bench/image_bench.sh [rounds]   (default 9; medians are shown)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-image-bench
rounds=${1:-9}

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
build "$root" "$build" navlist
navlist=$build/navlist

python3 "$root/bench/make_big_menu_disc.py" "$work/disc/VIDEO_TS"
genisoimage -quiet -udf -o "$work/disc.iso" "$work/disc"
vob=$work/disc/VIDEO_TS/VIDEO_TS.VOB

(cd "$work/disc" && "$navlist" -V VIDEO_TS >"$work/folder.txt")
(cd "$work" && "$navlist" -V disc.iso >"$work/image.txt")
cmp "$work/folder.txt" "$work/image.txt"
printf 'VOB: %d bytes; image: %d bytes; the two reports are the same (%d lines)\n' \
  "$(stat -c %s "$vob")" "$(stat -c %s "$work/disc.iso")" "$(wc -l <"$work/folder.txt")"

# Both files into the page cache the same way: written out, dropped from the cache, then read
# whole. How a file came into the cache matters: the image as genisoimage wrote it (in small
# writes) costs the kernel about a third more system time to copy out than the same file read
# back in, which would measure the page cache rather than navlist.
sync
python3 - "$vob" "$work/disc.iso" <<'PY'
import os, sys
for name in sys.argv[1:]:
    fd = os.open(name, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)
PY
for file in "$vob" "$work/disc.iso" "$vob" "$work/disc.iso"; do cat "$file" >/dev/null; done

echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Interleaved runs, the order swapping every round. Wall time from the parent's clock; CPU
# time (user + system) from the child's rusage.
python3 - "$rounds" "$work" "$navlist" <<'PY'
import os, statistics, subprocess, sys, time

rounds, work, navlist = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = {
    'folder': ([navlist, '-V', 'VIDEO_TS'], os.path.join(work, 'disc')),
    'image': ([navlist, '-V', 'disc.iso'], work),
}
names = list(commands)
wall = {n: [] for n in names}
cpu = {n: [] for n in names}
for r in range(rounds):
    for n in (names if r % 2 == 0 else names[::-1]):
        argv, cwd = commands[n]
        start = time.perf_counter()
        child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        wall[n].append(time.perf_counter() - start)
        cpu[n].append(usage.ru_utime + usage.ru_stime)

med = lambda xs: statistics.median(xs) * 1000
print(f'{rounds} rounds of navlist -V, medians:')
for n in names:
    print(f'  {n:7} wall {med(wall[n]):8.1f} ms   CPU {med(cpu[n]):8.1f} ms'
          f'   wall min {min(wall[n]) * 1000:7.1f} max {max(wall[n]) * 1000:7.1f}')
ratio = med(wall['image']) / med(wall['folder'])
print(f'  image / folder: wall {ratio:.3f}   CPU {med(cpu["image"]) / med(cpu["folder"]):.3f}')
print(f'  target image/folder <= 1.10: {"met" if ratio <= 1.10 else "NOT met"} ({ratio:.3f})')
PY

folder_rss=$(cd "$work/disc" && peak_kib "$navlist" -V VIDEO_TS)
image_rss=$(cd "$work" && peak_kib "$navlist" -V disc.iso)
printf 'peak RSS: folder %d KiB, image %d KiB (%.1f MiB; target under 32 MiB: %s)\n' \
  "$folder_rss" "$image_rss" "$(awk -v k="$image_rss" 'BEGIN { print k / 1024 }')" \
  "$( ((image_rss < 32768 && folder_rss < 32768)) && echo met || echo 'NOT met')"

reads=$(cd "$root/samples/vmgm_menu" && strace -f -e trace=getdents64 -o "$work/strace.txt" \
  "$navlist" VIDEO_TS >/dev/null && grep -c getdents64 "$work/strace.txt")
echo "directory reads (getdents64) of a default run on samples/vmgm_menu: $reads"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
