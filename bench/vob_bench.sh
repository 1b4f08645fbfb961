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

if [[ ! -x /usr/bin/time ]]; then
  apt-get update
  apt-get install -y time
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNAVLIST_BENCH=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" -j2 --target navlist vob_floor_bench >/dev/null
navlist=$build/navlist
floor=$build/bench/vob_floor_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
disc=$work/VIDEO_TS
vob=$disc/VIDEO_TS.VOB

# The disc: VIDEO_TS.IFO with a menu table of 16 program chains, one cell each, and
# VIDEO_TS.VOB of 524288 packs: 16 menus in a row, each a run of NAV packs carrying that
# menu's buttons (4 to 36), one NAV pack every 100 to 199 packs, video packs in between.
python3 - "$disc" <<'EOF'
import os, random, sys

disc = sys.argv[1]
os.makedirs(disc)
rng = random.Random(2048)
PACKS, MENUS = 524288, 16

def pack_header(stream_start):
    head = bytearray(b'\x00\x00\x01\xba\x44\x00\x04\x00\x04\x01\x01\x89\xc3\xf8')
    return head + stream_start

def video_pack():
    p = pack_header(b'\x00\x00\x01\xe0\x07\xec\x81\x80\x05')
    return bytes(p + rng.randbytes(2048 - len(p)))

def command(menu, i):
    kinds = [
        [0x30, 0x02, 0, 0, 0, 1 + (menu + i) % 99, 0, 0],                # JumpTT
        [0x20, 0x04, 0, 0, 0, 0, menu, 1 + i],                           # LinkPGCN
        [0x71, 0x01, 0, i % 16, menu, i, 0, 0x0D],                       # Set, LinkTailPGC
        [0x56, 0x00, 0, 0, (i % 36 + 1) << 2, 0, menu, 0],               # SetHL_BTNN
        [0x30, 0x06, 0, 1 + i % 9, 1 + menu % 9, 0x83, 0, 0],            # JumpSS VTSM
        [0x00, 0xA1, 0, i % 16, 0, menu, 0, 1 + i],                      # if () Goto
    ]
    return bytes(kinds[i % len(kinds)])

def nav_pack(buttons):
    p = bytearray(2048)
    p[0:14] = pack_header(b'')
    p[14:18] = b'\x00\x00\x01\xbb'
    p[38:42] = b'\x00\x00\x01\xbf'   # PCI packet
    p[1024:1028] = b'\x00\x00\x01\xbf'  # DSI packet
    p[158] = len(buttons)
    for i, c in enumerate(buttons):
        at = 197 + 18 * i
        p[at - 10:at] = rng.randbytes(10)  # position, colours, neighbours
        p[at:at + 8] = c
    return bytes(p)

videos = [video_pack() for _ in range(64)]
buttons = [[command(m, i) for i in range(4 + (7 * m) % 33)] for m in range(MENUS)]
menu_start = [None] * MENUS
written = 0
with open(os.path.join(disc, 'VIDEO_TS.VOB'), 'wb') as vob:
    while written < PACKS:
        menu = written * MENUS // PACKS
        if menu_start[menu] is None:
            menu_start[menu] = written
        run = min(rng.randrange(100, 200), PACKS - written - 1)
        segment = [nav_pack(buttons[menu])]
        segment += [videos[rng.randrange(64)] for _ in range(run)]
        vob.write(b''.join(segment))
        written += 1 + run

# VIDEO_TS.IFO: VMGM_PGCI_UT at sector 1, one language unit of MENUS chains, one cell each.
ifo = bytearray(2048)
ifo[0:12] = b'DVDVIDEO-VMG'
ifo[0xC8:0xCC] = (1).to_bytes(4, 'big')
table = bytearray(16)
table[0:2] = (1).to_bytes(2, 'big')
table[8:12] = b'en\x00\x80'
table[12:16] = (16).to_bytes(4, 'big')
unit = bytearray(8 + 8 * MENUS)
unit[0:2] = MENUS.to_bytes(2, 'big')
chains = bytearray()
for m in range(MENUS):
    pgc = bytearray(0xEC + 24)
    pgc[2], pgc[3] = 1, 1
    pgc[0xE8:0xEA] = (0xEC).to_bytes(2, 'big')
    pgc[0xEC + 8:0xEC + 12] = menu_start[m].to_bytes(4, 'big')
    unit[8 + 8 * m] = 0x80 | 3 if m == 0 else 0
    unit[12 + 8 * m:16 + 8 * m] = (len(unit) + len(chains)).to_bytes(4, 'big')
    chains += pgc
ifo += table + unit + chains
ifo += bytes(-len(ifo) % 2048)
with open(os.path.join(disc, 'VIDEO_TS.IFO'), 'wb') as f:
    f.write(ifo)
EOF

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

peak_kib() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt"
}
nav_rss=$(cd "$work" && peak_kib "$navlist" -V VIDEO_TS)
floor_rss=$(peak_kib "$floor" "$vob")
printf 'peak RSS: navlist -V %d KiB (%.1f MiB, target under 32 MiB: %s), floor loop %d KiB\n' \
  "$nav_rss" "$(awk -v k="$nav_rss" 'BEGIN { print k / 1024 }')" \
  "$( ((nav_rss < 32768)) && echo met || echo 'NOT met')" "$floor_rss"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
