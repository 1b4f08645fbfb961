#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draw the button PNGs that a spumux XML file names.

usage: mkpng.py SPUMUX.xml WIDTH HEIGHT [OUTDIR]

For every <spu> in the file, the images named by its image=, highlight= and
select= attributes are written (into OUTDIR, default: the current folder) as
8-bit indexed PNGs with a transparent background:
  image      -> a 2-pixel outline of every <button> rectangle (white)
  highlight  -> every <button> rectangle filled (yellow)
  select     -> every <button> rectangle filled (red)
The rectangles come from the <button x0 y0 x1 y1> attributes of that <spu>, so
the spumux XML is the single source of truth for the button geometry.
Only the Python standard library is used.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

# palette index: 0 transparent, 1 white, 2 yellow, 3 red
PALETTE = [(0, 0, 0), (255, 255, 255), (255, 255, 0), (255, 0, 0)]
ALPHA = [0, 255, 255, 255]


def write_png(path, width, height, rows):
    def chunk(tag, data):
        c = tag + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
    png += chunk(b"tRNS", bytes(ALPHA))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def draw(width, height, rects, mode):
    rows = [bytearray(width) for _ in range(height)]
    for (x0, y0, x1, y1) in rects:
        x1 = min(x1, width)
        y1 = min(y1, height)
        for y in range(y0, y1):
            row = rows[y]
            for x in range(x0, x1):
                if mode == "image":
                    edge = x < x0 + 2 or x >= x1 - 2 or y < y0 + 2 or y >= y1 - 2
                    if edge:
                        row[x] = 1
                elif mode == "highlight":
                    row[x] = 2
                else:
                    row[x] = 3
    return rows


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    xml_path, width, height = argv[1], int(argv[2]), int(argv[3])
    outdir = argv[4] if len(argv) > 4 else "."
    root = ET.parse(xml_path).getroot()
    for spu in root.iter("spu"):
        rects = []
        for b in spu.findall("button"):
            rects.append(tuple(int(b.get(k)) for k in ("x0", "y0", "x1", "y1")))
        for mode in ("image", "highlight", "select"):
            name = spu.get(mode)
            if name:
                write_png(os.path.join(outdir, name), width, height, draw(width, height, rects, mode))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
