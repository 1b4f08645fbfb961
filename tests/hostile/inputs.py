#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes the hostile inputs of issue 24 from a sample disc: UDF images whose structures loop or
claim lengths no disc has, folders whose disc files are FIFOs, devices or unreadable, and control
files whose menus repeat one language unit and one chain until a graph of every jump is huge;
and a menu VOB that runs past the 1 GiB a VOB file holds.

Each case is one row of CASES: how to make its input in a folder (which gives the arguments
navlist takes there), what its output must hold (its message), its exit status, and what its
output must not hold. `check` is the CTest test hostile_inputs, `measure` is what
bench/hostile_bench.sh prints, and `corpus` writes the small cases as fuzz seeds
(fuzz/corpus/{image,reports}/hostile-*).

    tests/hostile/inputs.py list
    tests/hostile/inputs.py make CASE FOLDER     # prints navlist's arguments, one a line
    tests/hostile/inputs.py check NAVLIST [--sanitizers] [--no-images] [CASE...]
    tests/hostile/inputs.py measure SECONDS BEFORE AFTER [CASE...]
    tests/hostile/inputs.py corpus fuzz/corpus

Images are made by genisoimage from samples/vmgm_menu; the UDF structures are found and edited
here (descriptor tags: 16 bytes, checksum at byte 4 over the other 15; all numbers little-endian).
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

BLOCK = 2048
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE = os.path.join(ROOT, 'samples', 'vmgm_menu', 'VIDEO_TS')
# A length near 1 GiB, the most an extent can state (30 bits), in an image padded past it.
HUGE = 0x3FFFF800
PADDED = 1_200_000_000

TAG_VDP, TAG_PD, TAG_FSD, TAG_FID, TAG_AED, TAG_FE = 3, 5, 256, 257, 258, 261
AD_NEXT_EXTENT = 3 << 30  # an allocation descriptor that names the next block of descriptors


def set_tag(data, block, tag_id):
    at = block * BLOCK
    struct.pack_into('<HH', data, at, tag_id, 2)
    struct.pack_into('<I', data, at + 12, block)
    data[at + 4] = (sum(data[at:at + 4]) + sum(data[at + 5:at + 16])) & 0xFF


class Image:
    """A genisoimage UDF image of the sample disc and where its structures lie."""

    def __init__(self, path):
        self.path = path
        with open(path, 'rb') as f:
            self.data = bytearray(f.read())
        mvds_length, self.mvds = struct.unpack_from('<II', self.data, 256 * BLOCK + 16)
        self.partition = None
        for block in range(self.mvds, self.mvds + mvds_length // BLOCK):
            if self.tag(block) == TAG_PD:
                self.partition = struct.unpack_from('<I', self.data, block * BLOCK + 188)[0]
        fsd = next(b for b in range(self.partition, len(self.data) // BLOCK)
                   if self.tag(b) == TAG_FSD)
        root = self.partition + struct.unpack_from('<I', self.data, fsd * BLOCK + 404)[0]
        entries = self.listing(root)
        self.video_ts = self.partition + entries[b'VIDEO_TS'][1]
        self.files = self.listing(self.video_ts)  # name: (FID offset, FE block relative)

    def tag(self, block):
        return struct.unpack_from('<H', self.data, block * BLOCK)[0]

    def allocation(self, fe_block):
        """The offset of the first short allocation descriptor of a file entry."""
        at = fe_block * BLOCK
        extended_attributes = struct.unpack_from('<I', self.data, at + 168)[0]
        return at + 176 + extended_attributes

    def listing(self, fe_block):
        length, start = struct.unpack_from('<II', self.data, self.allocation(fe_block))
        at, end, entries = (self.partition + start) * BLOCK, (self.partition + start) * BLOCK + \
            length, {}
        while at + 38 <= end:
            name_length = self.data[at + 19]
            icb = struct.unpack_from('<I', self.data, at + 24)[0]
            use = struct.unpack_from('<H', self.data, at + 36)[0]
            name = bytes(self.data[at + 39 + use:at + 38 + use + name_length])
            entries[name] = (at, icb)
            at += 4 * ((38 + name_length + use + 3) // 4)
        return entries

    def fe(self, name):
        return self.partition + self.files[name][1]

    def save(self, size=None):
        with open(self.path, 'wb') as f:
            f.write(self.data)
            if size is not None:
                f.truncate(size)


def make_image(folder, small=False, menu_vob_size=None):
    """The image x.iso of the sample disc; a small one, for the fuzz corpus, has its title VOBs
    and title set backups empty and its menu VOBs cut to 16 packs, as the image target's seeds
    have. VIDEO_TS.VOB may be padded with zeros to `menu_vob_size`."""
    with tempfile.TemporaryDirectory() as work:
        shutil.copytree(SAMPLE, os.path.join(work, 'VIDEO_TS'))
        if menu_vob_size:
            os.truncate(os.path.join(work, 'VIDEO_TS', 'VIDEO_TS.VOB'), menu_vob_size)
        for name in os.listdir(os.path.join(work, 'VIDEO_TS')) if small else []:
            if name.endswith('.VOB') or name.startswith('VTS') and name.endswith('.BUP'):
                os.truncate(os.path.join(work, 'VIDEO_TS', name),
                            16 * BLOCK if name.endswith('_0.VOB') or name[:3] == 'VID' else 0)
        path = os.path.join(folder, 'x.iso')
        # As a DVD-Video disc, unless the files are not those the control files name; the
        # layout fills the padding with anchors, which the small images do without.
        layout = [] if small or menu_vob_size else ['-dvd-video']
        subprocess.run(['genisoimage', '-quiet', '-udf'] + layout + ['-o', path, work], check=True)
    return Image(path)


def vdp_loop(image):
    # The main volume descriptor sequence opens with a pointer to itself.
    struct.pack_into('<II', image.data, image.mvds * BLOCK + 20, BLOCK, image.mvds)
    set_tag(image.data, image.mvds, TAG_VDP)
    image.save()


def aed_loop(image):
    # VIDEO_TS.IFO's entry goes on in a block of allocation descriptors (VIDEO_TS.BUP's first
    # block, never read as data) whose last descriptor names that block again.
    fe = image.fe(b'VIDEO_TS.IFO')
    at = image.allocation(fe)
    struct.pack_into('<I', image.data, fe * BLOCK + 172, 16)
    aed = struct.unpack_from('<I', image.data, image.allocation(image.fe(b'VIDEO_TS.BUP')) + 4)[0]
    struct.pack_into('<II', image.data, at + 8, AD_NEXT_EXTENT | BLOCK, aed)
    set_tag(image.data, fe, TAG_FE)
    block = image.partition + aed
    image.data[block * BLOCK:(block + 1) * BLOCK] = bytes(BLOCK)
    count = (BLOCK - 24) // 8
    struct.pack_into('<I', image.data, block * BLOCK + 20, 8 * count)
    for i in range(count - 1):
        struct.pack_into('<II', image.data, block * BLOCK + 24 + 8 * i, BLOCK, aed)
    struct.pack_into('<II', image.data, block * BLOCK + 24 + 8 * (count - 1), AD_NEXT_EXTENT | BLOCK,
                     aed)
    set_tag(image.data, block, TAG_AED)
    image.save()


def folder_huge(image):
    at = image.allocation(image.video_ts)
    struct.pack_into('<I', image.data, at, HUGE)
    struct.pack_into('<Q', image.data, image.video_ts * BLOCK + 56, HUGE)
    set_tag(image.data, image.video_ts, TAG_FE)
    image.save(PADDED)


def entries_huge(names, padded=True):
    # The named files' folder entries say that their file entries are 1 GiB long, in an image
    # padded past that or, unpadded, of 1 MiB. libudfread allocates the stated length before it
    # reads any of it (virtual memory only, since navlist refuses the reads): the unpadded case
    # is the reproducer of that, to report to its authors.
    def make(image):
        for name in names or image.files:
            struct.pack_into('<I', image.data, image.files[name][0] + 20, HUGE)
        image.save(PADDED if padded else None)
    return make


def many_files(image, count=100_000):
    # VIDEO_TS lists its files, then `count` more that share VIDEO_TS.BUP's entry; the listing
    # moves to the end of the image.
    at, length = image.allocation(image.video_ts), None
    length, start = struct.unpack_from('<II', image.data, at)
    listing = bytearray(image.data[(image.partition + start) * BLOCK:][:length])
    icb = image.data[image.files[b'VIDEO_TS.BUP'][0] + 20:][:16]
    for i in range(count):
        name = b'\x08F%06d' % i
        entry = bytearray(40 + 4 * ((len(name) + 38 + 3) // 4 - 10))
        struct.pack_into('<HH', entry, 0, TAG_FID, 2)
        entry[19] = len(name)
        entry[20:36] = icb
        entry[38:38 + len(name)] = name
        entry[4] = (sum(entry[:4]) + sum(entry[5:16])) & 0xFF
        listing += entry
    first = -(-len(image.data) // BLOCK)
    image.data += bytes(first * BLOCK - len(image.data)) + listing
    image.data += bytes(-len(image.data) % BLOCK)
    struct.pack_into('<II', image.data, at, len(listing), first - image.partition)
    struct.pack_into('<Q', image.data, image.video_ts * BLOCK + 56, len(listing))
    set_tag(image.data, image.video_ts, TAG_FE)
    image.save()


def del_in_name(image):
    # A file whose name holds the DEL byte and whose entry is no file entry.
    at = image.files[b'VTS_01_0.BUP'][0]
    name_at = at + 38 + struct.unpack_from('<H', image.data, at + 36)[0]
    image.data[name_at + image.data[at + 19] - 1] = 0x7F
    struct.pack_into('<I', image.data, at + 24, 0)
    image.save()


def image_case(edit, menu_vob_size=None):
    def make(folder, small=False):
        edit(make_image(folder, small, menu_vob_size))
        return ['-V', 'x.iso'] if menu_vob_size else ['x.iso']
    return make


def folder_case(name, lay_out, options=('-I',)):
    def make(folder):
        disc = os.path.join(folder, 'VIDEO_TS')
        shutil.copytree(SAMPLE, disc)
        if name.endswith('.IFO'):  # else its backup is read instead, and says so
            os.remove(os.path.join(disc, name[:-3] + 'BUP'))
        lay_out(os.path.join(disc, name))
        return list(options) + ['VIDEO_TS']
    return make


def replace(by):
    def lay_out(path):
        os.remove(path)
        by(path)
    return lay_out


def vob_past_1gib(path):
    """The menu VOB grows to 1 GiB and a pack: a NAV pack of buttons of its own at its last
    pack inside 1 GiB, and one at the next pack, which is not read."""
    with open(path, 'r+b') as f:
        data = f.read()
        nav = bytearray(next(data[at:at + BLOCK] for at in range(0, len(data), BLOCK)
                             if data[at + 14:at + 18] == b'\0\0\1\xbb' and data[at + 158]))
        for pack, title in ((0x7FFFF, 9), (0x80000, 10)):
            struct.pack_into('>HxxHxx', nav, 197, 0x3002, title)  # the first button: JumpTT
            f.seek(pack * BLOCK)
            f.write(nav)


def repeated_menus(units, chains, jumps, shared=False, report='--graph'):
    """A video manager whose menu table has `units` language units that all lead to one unit,
    whose `chains` chain pointers all lead to one chain of `jumps` LinkPGCN commands. With
    `shared`, the units take turns between two tables of the same pointers, each table ends in a
    pointer past the end of the file, and the command list claims two commands more than the
    file holds: problems that every unit repeats. `report` is the option navlist runs with."""
    def make(folder):
        table = BLOCK
        pointers = chains + shared
        tables = [table + 8 + 8 * units + (8 + 8 * pointers) * t for t in range(1 + shared)]
        chain = max(tables[-1] + 8 + 8 * pointers, 4096 - 0xEC - 8 - 8 * jumps)
        commands = chain + 0xEC
        data = bytearray(commands + 8 + 8 * jumps)
        data[0:12] = b'DVDVIDEO-VMG'
        struct.pack_into('>I', data, 0xC8, table // BLOCK)
        struct.pack_into('>HI', data, table, units, 8 + 8 * units - 1)
        for u in range(units):
            struct.pack_into('>2sxBI', data, table + 8 + 8 * u, b'en', 0x80,
                             tables[u % len(tables)] - table)
        for unit in tables:
            struct.pack_into('>HI', data, unit, pointers, 8 + 8 * pointers - 1)
            for c in range(pointers):
                struct.pack_into('>BxxxI', data, unit + 8 + 8 * c, 0x82 if c == 0 else 0,
                                 chain - unit if c < chains else 0x7FFFFFF0)
        struct.pack_into('>H', data, chain + 0xE4, 0xEC)
        struct.pack_into('>HHHH', data, commands, jumps + 2 * shared, 0, 0, 8 + 8 * jumps - 1)
        for j in range(jumps):
            struct.pack_into('>HxxxxH', data, commands + 8 + 8 * j, 0x2004, j + 1)
        os.makedirs(os.path.join(folder, 'VIDEO_TS'))
        with open(os.path.join(folder, 'VIDEO_TS', 'VIDEO_TS.IFO'), 'wb') as f:
            f.write(data)
        return [report, 'VIDEO_TS']
    return make


def button_adds(folder):
    """samples/many_buttons with each of the first 36 buttons of its title menu adding its number
    to one of four registers and starting the menu again: every press makes a new state, so
    --titles can explore only up to its state budget."""
    shutil.copytree(os.path.join(ROOT, 'samples', 'many_buttons', 'VIDEO_TS'),
                    os.path.join(folder, 'VIDEO_TS'))
    path = os.path.join(folder, 'VIDEO_TS', 'VIDEO_TS.VOB')
    with open(path, 'r+b') as f:
        data = bytearray(f.read())
        first = bytes.fromhex('3002000000010000')  # JumpTT ttn:1, button 1's command
        for pack in range(0, len(data), BLOCK):
            at = data.find(first, pack, pack + BLOCK)
            if data[pack + 14:pack + 18] == b'\0\0\1\xbb' and at >= 0:
                for b in range(36):  # Set Reg(b % 4) += #(b + 1), LinkTopPGC
                    struct.pack_into('>HHHH', data, at + 18 * b, 0x7301, b % 4, b + 1, 9)
        f.seek(0)
        f.write(data)
    return ['--titles', 'VIDEO_TS']


DAMAGED = 'x.iso is cut short or damaged: '
# name: (make, what the output must hold, exit status[, what it must not hold])
CASES = {
    'image-vdp-loop': (image_case(vdp_loop), DAMAGED + 'its UDF file system cannot be read.', 1),
    'image-aed-loop': (image_case(aed_loop), DAMAGED + 'VIDEO_TS\\VIDEO_TS.IFO cannot be read.',
                       1),
    'image-folder-1gib': (image_case(folder_huge), DAMAGED + 'VIDEO_TS cannot be read.', 1),
    'image-ifo-1gib': (image_case(entries_huge([b'VIDEO_TS.IFO'])),
                       DAMAGED + 'VIDEO_TS\\VIDEO_TS.IFO cannot be read.', 1),
    'image-ifo-past-end': (image_case(entries_huge([b'VIDEO_TS.IFO'], padded=False)),
                           DAMAGED + 'VIDEO_TS\\VIDEO_TS.IFO cannot be read.', 1),
    'image-all-1gib': (image_case(entries_huge(None)),
                       DAMAGED + 'VIDEO_TS\\VIDEO_TS.BUP cannot be read.', 1),
    'image-100000-files': (image_case(many_files), DAMAGED + 'VIDEO_TS cannot be read.', 1),
    'image-1600-files': (image_case(lambda image: many_files(image, 1600)),
                         DAMAGED + 'VIDEO_TS cannot be read.', 1),
    # A file's bytes are no structures: reading 8 MiB of a menu VOB spends no budget.
    'image-8mib-vob': (image_case(lambda image: None, 8 << 20), '<VIDEO_TS.VOB Button Information>',
                       0, 'cannot be read'),
    'image-del-in-name': (image_case(del_in_name),
                          DAMAGED + 'VIDEO_TS\\VTS_01_0.BU? cannot be read.', 1),
    'folder-fifo': (folder_case('VIDEO_TS.IFO', replace(os.mkfifo)),
                    'VIDEO_TS\\VIDEO_TS.IFO is a FIFO, not a regular file.', 1),
    'folder-dev-zero': (folder_case('VIDEO_TS.VOB', replace(lambda p: os.symlink('/dev/zero', p)),
                                    ('-V',)),
                        'VIDEO_TS\\VIDEO_TS.VOB is a character device, not a regular file.', 1),
    'folder-vob-past-1gib': (folder_case('VIDEO_TS.VOB', vob_past_1gib, ('-V',)),
                             '0001[PK_07FFFF]:[3002 0000 0009 0000]  JumpTT ttn:9', 0,
                             '[PK_080000]'),
    'folder-unreadable': (folder_case('VIDEO_TS.IFO', lambda p: os.chmod(p, 0)),
                          'VIDEO_TS\\VIDEO_TS.IFO cannot be read: Permission denied.', 1),
    'graph-8k': (repeated_menus(256, 256, 257), 'digraph navigation {', 1),
    'titles-state-budget': (button_adds,
                            'explored 200001 states, and stopped at the budget: some paths are '
                            'not explored', 1),
    'graph-57k': (repeated_menus(6656, 32, 164), 'digraph navigation {', 1),
    # The player reads the commands of a chain once, whatever number of pointers lead to it.
    'titles-57k': (repeated_menus(6656, 32, 164, report='--titles'), 'main title: none', 1),
}


def sparse(path, length_limit=8 << 20):
    """An image in the image fuzz target's form: its length (at most 8 MiB), then each block
    that holds anything, without its trailing zeros."""
    size = os.path.getsize(path)
    out = bytearray(min(size, length_limit).to_bytes(4, 'little'))
    with open(path, 'rb') as f:
        for block in range(min(size, length_limit) // BLOCK):
            data = f.read(BLOCK).rstrip(b'\0')
            if data:
                out += block.to_bytes(2, 'little') + len(data).to_bytes(2, 'little') + data
    return bytes(out)


def write_corpus(corpus):
    """The small hostile inputs as fuzz seeds: the images in the image target's form (images
    padded past 8 MiB are cut there, so the stated lengths still run past the structure budget),
    the graph cases' control files as reports inputs."""
    with tempfile.TemporaryDirectory() as work:
        for case in [c for c in CASES if c.startswith('image-') and c not in (
                'image-100000-files', 'image-8mib-vob', 'image-ifo-past-end')]:
            folder = os.path.join(work, case)
            os.makedirs(folder)
            CASES[case][0](folder, small=True)
            with open(os.path.join(corpus, 'image', 'hostile-' + case[6:]), 'wb') as f:
                f.write(sparse(os.path.join(folder, 'x.iso')))
        for case, make in (('graph-8k', CASES['graph-8k'][0]), ('graph-57k', CASES['graph-57k'][0]),
                           ('shared-tables', repeated_menus(6, 4, 5, shared=True))):
            folder = os.path.join(work, case)
            make(folder)
            with open(os.path.join(folder, 'VIDEO_TS', 'VIDEO_TS.IFO'), 'rb') as f:
                with open(os.path.join(corpus, 'reports', 'hostile-' + case), 'wb') as out:
                    out.write(f.read())


NOBODY = 65534


def run(navlist, case, folder, timeout):
    """Makes the case's input in `folder` and runs navlist on it under /usr/bin/time when there
    is one: exit status (None when killed at `timeout` seconds), output, seconds, peak resident
    memory in KiB (0 when not measured). Root reads any file, so the case of a file without read
    permission runs as nobody then; PermissionError when nobody cannot run navlist."""
    os.chmod(folder, 0o755)
    args = CASES[case][0](folder)
    as_nobody = os.geteuid() == 0 and case == 'folder-unreadable'
    if as_nobody:
        subprocess.run([navlist, '--version'], stdout=subprocess.DEVNULL, user=NOBODY, group=NOBODY)
        os.chown(folder, NOBODY, NOBODY)
        for base, folders, files in os.walk(folder):
            for name in folders + files:
                os.lchown(os.path.join(base, name), NOBODY, NOBODY)
    timer = shutil.which('time', path='/usr/bin')
    rss = os.path.join(folder, 'peak-kib')
    argv = ([timer, '-f', '%M', '-o', rss] if timer else []) + [navlist] + args
    with tempfile.TemporaryFile() as out:
        start = time.monotonic()
        child = subprocess.Popen(argv, cwd=folder, stdout=out, user=NOBODY if as_nobody else None,
                                 group=NOBODY if as_nobody else None)
        try:
            status = child.wait(timeout)
        except subprocess.TimeoutExpired:
            status = None
            # navlist itself, so that time still says how much memory it took.
            with open(f'/proc/{child.pid}/task/{child.pid}/children') as f:
                for pid in f.read().split() if timer else [str(child.pid)]:
                    os.kill(int(pid), signal.SIGKILL)
            child.wait()
        seconds = time.monotonic() - start
        out.seek(0)
        output = out.read().decode('utf-8', 'replace')
    kib = 0
    if timer:
        with open(rss) as f:
            kib = int(f.read().split()[-1])
    return status, output, seconds, kib


# What a case may take at most, in MiB: a graph keeps what it draws, the explorer its states.
MIB_LIMITS = {'graph-': 64, 'titles-': 160}
# A run still going after this many seconds hangs (the slowest case takes a few seconds; its
# speed is measured by bench/hostile_bench.sh, not here).
HANG_SECONDS = 120


def check(navlist, cases, memory_limits):
    """The test: each case ends with its output and exit status, without hanging, and, with
    memory_limits, within its peak memory (32 MiB, or that of MIB_LIMITS)."""
    failures = 0
    for case in cases:
        line, status = CASES[case][1:3]
        absent = CASES[case][3] if len(CASES[case]) > 3 else None
        mib_limit = next((m for p, m in MIB_LIMITS.items() if case.startswith(p)), 32)
        with tempfile.TemporaryDirectory() as folder:
            try:
                got, output, seconds, kib = run(navlist, case, folder, HANG_SECONDS)
            except PermissionError:
                print(f'{case}: skipped, nobody may not run {navlist}')
                continue
        problems = []
        if got is None:
            problems.append(f'still running after {seconds:.0f} s')
        elif got != status:
            problems.append(f'exit status {got}, not {status}')
        if line not in output:
            problems.append(f'no {line!r} in {output[:200]!r}')
        if absent is not None and absent in output:
            problems.append(f'{absent!r} in the output')
        if memory_limits and kib > mib_limit * 1024:
            problems.append(f'peak memory {kib // 1024} MiB')
        print(f'{case}: {seconds:.2f} s, {kib} KiB' + ''.join('; ' + p for p in problems))
        failures += bool(problems)
    return failures


def measure(builds, cases, timeout):
    """Each case under each build in turn: seconds and peak memory, or how long it ran before it
    was stopped."""
    names = list(builds)
    print('case'.ljust(20) + ''.join(f'{n:>28}' for n in names))
    for case in cases:
        cells = []
        for name in names:
            with tempfile.TemporaryDirectory() as folder:
                try:
                    status, _, seconds, kib = run(builds[name], case, folder, timeout)
                except PermissionError:
                    cells.append('nobody may not run it')
                    continue
            state = f'exit {status}' if status is not None else 'stopped'
            cells.append(f'{seconds:7.2f} s {kib / 1024:7.1f} MiB {state:>7}')
        print(case.ljust(20) + ''.join(f'{c:>28}' for c in cells), flush=True)


def main():
    command = sys.argv[1:2]
    if command == ['list']:
        print('\n'.join(CASES))
    elif command == ['measure'] and len(sys.argv) >= 5:
        cases = sys.argv[5:] or list(CASES)
        measure({'before': sys.argv[3], 'after': sys.argv[4]}, cases, float(sys.argv[2]))
    elif command == ['corpus'] and len(sys.argv) == 3:
        write_corpus(sys.argv[2])
    elif command == ['make'] and len(sys.argv) == 4:
        os.makedirs(sys.argv[3], exist_ok=True)
        print('\n'.join(CASES[sys.argv[2]][0](sys.argv[3])))
    elif command == ['check'] and len(sys.argv) >= 3:
        options = [a for a in sys.argv[3:] if a.startswith('--')]
        cases = [c for c in sys.argv[3:] if not c.startswith('--')] or list(CASES)
        if shutil.which('genisoimage') is None or '--no-images' in options:
            cases = [c for c in cases if not c.startswith('image-')]
        sys.exit(1 if check(sys.argv[2], cases, '--sanitizers' not in options) else 0)
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
