#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the --json report on the generated 99-title-set disc (make_big_disc_bench): peak
# resident memory of `navlist --json` (the document is written while the disc is read, so it must
# stay under 32 MiB) and the time of `navlist --json -I` against `navlist -I` (aim: at most 1.5
# times as long), all writing to /dev/null, interleaved run by run; medians of wall and CPU time
# (user + system, from the child's rusage), and peak RSS as /usr/bin/time sees it (a child of
# Python would start from the size of the Python process).
#
# With a git ref, `navlist --json -I` of that ref is built in a temporary worktree and measured in
# the same rounds, and its document is checked to be the same bytes.
#
# Usage: bench/json_bench.sh [rounds] [before-ref]   (default 7 rounds)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-json-bench
rounds=${1:-7}
before_ref=${2:-}

# shellcheck source=bench/common.sh
. "$root/bench/common.sh"

build "$root" "$build" navlist make_big_disc_bench
before=
if [[ -n $before_ref ]]; then
  build_before "$before_ref"
  before=$work/before/navlist
fi
"$build/bench/make_big_disc_bench" "$work/VIDEO_TS" >/dev/null

against=
[[ -n $before_ref ]] && against=" against $(git -C "$root" rev-parse --short "$before_ref")"
echo "navlist --json benchmark: the working tree of $(git -C "$root" rev-parse --short HEAD)$against, $rounds rounds"
echo "machine: $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work" "$build/navlist" "$before" "$rounds" <<'EOF'
import hashlib, os, statistics, subprocess, sys, time

work, navlist, before, rounds = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def run(argv):
    """One run to /dev/null: (wall s, CPU s). Status 1 (a problem) is a valid run."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=work, stdout=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    return time.perf_counter() - start, usage.ru_utime + usage.ru_stime

def peak_rss(argv):
    """Peak resident memory in KiB of one run under /usr/bin/time."""
    report = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=work,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(report.stderr.strip().splitlines()[-1])

def output(argv):
    data = subprocess.run(argv, cwd=work, stdout=subprocess.PIPE).stdout
    return len(data), hashlib.sha256(data).hexdigest()

commands = {
    "-I": [navlist, "-I", "VIDEO_TS"],
    "--json -I": [navlist, "--json", "-I", "VIDEO_TS"],
    "--json": [navlist, "--json", "VIDEO_TS"],
}
if before:
    commands["--json -I, before"] = [before, "--json", "-I", "VIDEO_TS"]
names = list(commands)
results = {n: [] for n in names}
for r in range(rounds):
    shift = r % len(names)
    for n in names[shift:] + names[:shift]:
        results[n].append(run(commands[n]))

text_bytes, _ = output(commands["-I"])
json_bytes, json_hash = output(commands["--json -I"])
print(f"generated disc: -I report {text_bytes:,} bytes, --json -I document {json_bytes:,} bytes")
median = {n: (statistics.median(w for w, _ in results[n]),
              statistics.median(c for _, c in results[n]),
              max(peak_rss(commands[n]) for _ in range(2))) for n in names}
for n in names:
    wall, cpu, rss = median[n]
    print(f"  navlist {n:<18} wall {wall * 1000:8.1f} ms   CPU {cpu * 1000:8.1f} ms"
          f"   peak RSS {rss / 1024:5.1f} MiB")
ratio_wall = median["--json -I"][0] / median["-I"][0]
ratio_cpu = median["--json -I"][1] / median["-I"][1]
print(f"  --json -I / -I: wall {ratio_wall:.2f}x, CPU {ratio_cpu:.2f}x (aim: at most 1.5x)")
rss = median["--json"][2] / 1024
print(f"  --json peak RSS: {rss:.1f} MiB (limit: 32 MiB) {'ok' if rss < 32 else 'OVER'}")
if before:
    b = median["--json -I, before"]
    print(f"  --json -I before / after: wall {b[0] / median['--json -I'][0]:.2f}x,"
          f" CPU {b[1] / median['--json -I'][1]:.2f}x;"
          f" same document: {output(commands['--json -I, before'])[1] == json_hash}")
EOF
