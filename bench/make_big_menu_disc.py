#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the disc of the -V benchmarks into the folder given (which must not exist yet).

The disc: VIDEO_TS.IFO with a menu table of 16 program chains, one cell each, and
VIDEO_TS.VOB of 524288 packs: 16 menus in a row, each a run of NAV packs carrying that
menu's buttons (4 to 36), one NAV pack every 100 to 199 packs, video packs in between.
"""
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
