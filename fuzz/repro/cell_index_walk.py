#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a disc whose -V dump spends seconds building the menu cell start index and prints
nothing: the index walk visits every chain search pointer of every language unit, 65535 x 65535
of them, although none leads to a cell.

  python3 fuzz/repro/cell_index_walk.py DIR && time navlist -V DIR

VTS_01_0.IFO (about 1.5 MiB) has its VTSM_PGCI_UT at sector 1 with 65535 language units. Unit i
starts 8*i bytes into a run of 8-byte records FF FF 00 00 00 00 00 00, so every unit lies at a
different place, claims 65535 program chains, and every chain pointer (start 0) leads back to
the unit's first byte, read as a chain with 0 cells. VTS_01_0.VOB is empty. The -I dump of the
same file prints a header for each of those 4.3e9 chains: that is only printing what the file
claims; -V does the same work for no output.
"""
import os
import struct
import sys

units = 65535
table = 2048
records_at = table + 8 + 8 * units
records = 2 * units + 64
data = bytearray(records_at + 8 * records + 512)
data[0:12] = b"DVDVIDEO-VTS"
struct.pack_into(">I", data, 0xD0, table // 2048)
struct.pack_into(">H", data, table, units)
for i in range(units):
    struct.pack_into(">I", data, table + 12 + 8 * i, records_at + 8 * i - table)
for r in range(records):
    struct.pack_into(">H", data, records_at + 8 * r, 0xFFFF)

folder = sys.argv[1] if len(sys.argv) > 1 else "cell_index_walk"
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "VTS_01_0.IFO"), "wb") as out:
    out.write(data)
open(os.path.join(folder, "VTS_01_0.VOB"), "wb").close()
