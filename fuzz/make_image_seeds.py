#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the seeds of the image fuzz target from the sample discs.

Each seed is a UDF image that genisoimage makes from a sample disc, in the target's sparse form
(see image_fuzz.cpp): its length, then one record per block that holds anything, without the
block's trailing zeros. Title VOBs (VTS_nn_1.VOB and up) and backup control files, which navlist
never reads, are left empty and menu VOBs keep their first 16 packs, so that the seeds stay small.

Usage: fuzz/make_image_seeds.py [samples folder] [corpus folder]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

BLOCK = 2048
MENU_PACKS = 16


def sparse(image):
    out = bytearray(len(image).to_bytes(4, 'little'))
    for block in range(len(image) // BLOCK):
        data = image[block * BLOCK:(block + 1) * BLOCK].rstrip(b'\0')
        if data:
            out += block.to_bytes(2, 'little') + len(data).to_bytes(2, 'little') + data
    return bytes(out)


def make_image(folder, rename):
    with tempfile.TemporaryDirectory() as work:
        target = os.path.join(work, rename('VIDEO_TS'))
        os.makedirs(target)
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), 'rb') as f:
                data = f.read()
            if re.fullmatch(r'VTS_\d\d_[1-9]\.VOB', name) or name.endswith('.BUP'):
                data = b''
            elif name.endswith('.VOB'):
                data = data[:MENU_PACKS * BLOCK]
            with open(os.path.join(target, rename(name)), 'wb') as f:
                f.write(data)
        image = os.path.join(work, 'disc.iso')
        subprocess.run(['genisoimage', '-quiet', '-udf', '-o', image, work], check=True)
        with open(image, 'rb') as f:
            return f.read()


def main():
    samples = sys.argv[1] if len(sys.argv) > 1 else 'samples'
    corpus = os.path.join(sys.argv[2] if len(sys.argv) > 2 else 'fuzz/corpus', 'image')
    os.makedirs(corpus, exist_ok=True)
    if shutil.which('genisoimage') is None:
        sys.exit('genisoimage is not installed')
    keep = lambda name: name
    for disc in ('plain', 'vmgm_menu', 'vtsm_menus', 'many_buttons'):
        image = make_image(os.path.join(samples, disc, 'VIDEO_TS'), keep)
        with open(os.path.join(corpus, f'seed-{disc}'), 'wb') as f:
            f.write(sparse(image))
    image = make_image(os.path.join(samples, 'vmgm_menu', 'VIDEO_TS'), str.lower)
    with open(os.path.join(corpus, 'seed-vmgm_menu-lower-case'), 'wb') as f:
        f.write(sparse(image))
    # The same image cut inside its last file.
    cut = sparse(image)
    with open(os.path.join(corpus, 'seed-vmgm_menu-cut'), 'wb') as f:
        f.write((len(image) * 3 // 5).to_bytes(4, 'little') + cut[4:])


if __name__ == '__main__':
    main()
