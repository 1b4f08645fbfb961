#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Edit what dvdauthor cannot write into an authored disc's control files.

usage: ifopatch.py IFO times PGC TIME[,TIME...]
       ifopatch.py IFO timer PGC SECONDS TARGET_PGC
       ifopatch.py IFO no-first-play

IFO is VIDEO_TS.IFO or VTS_nn_0.IFO; every edit is made to it and to its
backup copy (.BUP), which dvdauthor writes byte for byte the same.

times          the cells of title-domain PGC number PGC (VTS_PGCIT) get the
               playback times TIME (H:MM:SS, one per cell, in order), and
               the PGC's own playback time becomes their sum. The frame
               count is set to 0; the frame-rate bits are kept. Tiny test
               videos thereby claim the lengths of real programmes.
timer          pre command 1 of title-domain PGC number PGC, which must be
               dvdauthor's "g12 = 12345" (71 00 00 0C 30 39 00 00), becomes
               SetNVTMR with the immediate SECONDS and TARGET_PGC
               (52 00 SS SS PP PP 00 00): dvdauthor has no statement for
               the navigation timer.
no-first-play  the start address of the first-play PGC (VIDEO_TS.IFO offset
               0x84, 4 bytes) becomes 0: the disc has no first-play chain.
               The PGC's bytes stay where they were, unreferenced.

Offsets used (all numbers big-endian):
  VTSI 0x0CC        sector of VTS_PGCIT in the VTS IFO
  VTS_PGCIT 0x000   number of PGCs (2 bytes); entries of 8 bytes from 0x008:
                    category (4), PGC start relative to VTS_PGCIT (4)
  PGC 0x004         playback time, BCD hh mm ss ff (ff: bits 7-6 frame rate)
  PGC 0x003         number of cells
  PGC 0x0E4         offset within the PGC of its command table, whose 8-byte
                    header (pre, post and cell command counts, end address)
                    precedes the pre commands
  PGC 0x0E8         offset within the PGC of the cell playback table: 24
                    bytes a cell, playback time at 0x04 (BCD as above)
"""
import struct
import sys

SECTOR = 2048
PLACEHOLDER = bytes.fromhex("7100000c30390000")


def be(data, offset, size):
    return int.from_bytes(data[offset:offset + size], "big")


def bcd(n):
    return (n // 10) << 4 | n % 10


def title_pgc(ifo, number):
    """Byte offset of title-domain PGC `number` (from 1) in a VTS IFO."""
    if ifo[0:12] != b"DVDVIDEO-VTS":
        sys.exit("ifopatch: not a VTS IFO")
    pgcit = be(ifo, 0xCC, 4) * SECTOR
    count = be(ifo, pgcit, 2)
    if not 1 <= number <= count:
        sys.exit(f"ifopatch: the VTS has {count} PGCs, not {number}")
    return pgcit + be(ifo, pgcit + 8 * number + 4, 4)


def set_time(ifo, offset, seconds):
    rate = ifo[offset + 3] & 0xC0
    h, m, s = seconds // 3600, seconds // 60 % 60, seconds % 60
    ifo[offset:offset + 4] = bytes([bcd(h), bcd(m), bcd(s), rate])


def patch_times(ifo, pgc_number, times):
    pgc = title_pgc(ifo, pgc_number)
    cells = ifo[pgc + 3]
    if len(times) != cells:
        sys.exit(f"ifopatch: PGC {pgc_number} has {cells} cells, {len(times)} times given")
    table = pgc + be(ifo, pgc + 0xE8, 2)
    total = 0
    for i, text in enumerate(times):
        h, m, s = (int(part) for part in text.split(":"))
        seconds = h * 3600 + m * 60 + s
        set_time(ifo, table + 24 * i + 4, seconds)
        total += seconds
    set_time(ifo, pgc + 4, total)


def patch_timer(ifo, pgc_number, seconds, target):
    pgc = title_pgc(ifo, pgc_number)
    commands = pgc + be(ifo, pgc + 0xE4, 2)
    first = commands + 8
    if be(ifo, commands, 2) < 1 or ifo[first:first + 8] != PLACEHOLDER:
        sys.exit(f"ifopatch: pre command 1 of PGC {pgc_number} is not g12 = 12345")
    ifo[first:first + 8] = struct.pack(">BBHHH", 0x52, 0, seconds, target, 0)


def patch_no_first_play(ifo):
    if ifo[0:12] != b"DVDVIDEO-VMG":
        sys.exit("ifopatch: not VIDEO_TS.IFO")
    ifo[0x84:0x88] = bytes(4)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    path, action, args = argv[1], argv[2], argv[3:]
    backup = path[:-4] + ".BUP"
    with open(path, "rb") as f:
        ifo = bytearray(f.read())
    with open(backup, "rb") as f:
        if f.read() != ifo:
            sys.exit(f"ifopatch: {backup} is not a copy of {path}")
    if action == "times" and len(args) == 2:
        patch_times(ifo, int(args[0]), args[1].split(","))
    elif action == "timer" and len(args) == 3:
        patch_timer(ifo, int(args[0]), int(args[1]), int(args[2]))
    elif action == "no-first-play" and not args:
        patch_no_first_play(ifo)
    else:
        sys.exit(__doc__)
    for target in (path, backup):
        with open(target, "r+b") as f:
            f.write(ifo)


if __name__ == "__main__":
    main(sys.argv)
