// SPDX-License-Identifier: MIT
// Writes a large synthetic DVD-Video folder for measuring the -I report: a video manager with
// 99 titles, a first play and menus, and 99 title sets whose program chains carry big command
// tables and full cell playback tables.
//
// Usage: make_big_disc_bench <folder> [title PGCs per title set] [commands per title PGC]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kSector = 2048;
constexpr size_t kPgcFixed = 0xEC;
constexpr unsigned kCells = 255;

void put16(Bytes &b, size_t at, unsigned v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v);
}
void put32(Bytes &b, size_t at, uint32_t v) {
  put16(b, at, v >> 16);
  put16(b, at + 2, v & 0xFFFF);
}
size_t grow(Bytes &b, size_t n) {
  const size_t at = b.size();
  b.resize(at + n);
  return at;
}
void align(Bytes &b) {
  b.resize((b.size() + kSector - 1) / kSector * kSector);
}

// Deterministic command bytes: every type and instruction shows up, so the
// decoder takes all of its paths, the undefined ones included.
uint32_t state = 12345;
uint8_t next_byte() {
  state = state * 1103515245u + 12345u;
  return static_cast<uint8_t>(state >> 16);
}

// One program chain with `commands` commands split 2:1:3 into pre, post and
// cell commands, and kCells cells that each run one of the cell commands.
void append_pgc(Bytes &b, unsigned commands) {
  const size_t pgc = grow(b, kPgcFixed);
  const unsigned pre = commands / 3, post = commands / 6, cell = commands - pre - post;
  b[pgc + 2] = 1;
  b[pgc + 3] = kCells;
  const size_t table = grow(b, 8 + 8 * size_t(commands));
  put16(b, pgc + 0xE4, static_cast<unsigned>(table - pgc));
  put16(b, table, pre);
  put16(b, table + 2, post);
  put16(b, table + 4, cell);
  for (size_t i = 0; i < 8 * size_t(commands); ++i)
    b[table + 8 + i] = next_byte();
  const size_t cells = grow(b, 24 * kCells);
  put16(b, pgc + 0xE8, static_cast<unsigned>(cells - pgc));
  for (unsigned j = 0; j < kCells; ++j)
    b[cells + 24 * j + 3] = static_cast<uint8_t>(cell == 0 ? 0 : 1 + j % (cell < 40 ? cell : 40));
}

// A table of program chain search pointers (a VTS_PGCIT or a language unit).
size_t append_pgc_table(Bytes &b, unsigned pgcs, unsigned commands, bool titles) {
  const size_t table = grow(b, 8 + 8 * size_t(pgcs));
  put16(b, table, pgcs);
  for (unsigned k = 0; k < pgcs; ++k) {
    const size_t pgc = b.size();
    append_pgc(b, commands);
    b[table + 8 + 8 * k] = static_cast<uint8_t>(titles ? 0x80 | (k + 1) : 0x82 + k % 6);
    put32(b, table + 8 + 8 * k + 4, static_cast<uint32_t>(pgc - table));
  }
  return table;
}

// A menu PGCI_UT with `units` language units.
size_t append_menu_table(Bytes &b, unsigned units, unsigned pgcs, unsigned commands) {
  const size_t table = grow(b, 8 + 8 * size_t(units));
  put16(b, table, units);
  for (unsigned i = 0; i < units; ++i) {
    const size_t pointer = table + 8 + 8 * i;
    b[pointer] = static_cast<uint8_t>('a' + i);
    b[pointer + 1] = 'x';
    b[pointer + 3] = 0xF8;
    const size_t unit = append_pgc_table(b, pgcs, commands, false);
    put32(b, pointer + 4, static_cast<uint32_t>(unit - table));
  }
  return table;
}

void write(const std::filesystem::path &path, const Bytes &b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    std::exit(1);
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [title PGCs per title set] [commands per PGC]\n",
                 argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const unsigned title_pgcs = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 16;
  const unsigned commands = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1500;
  if (title_pgcs == 0 || title_pgcs > 127 || commands == 0 || commands > 7000) {
    std::fprintf(stderr, "title PGCs must be 1..127 and commands 1..7000\n");
    return 2;
  }
  std::filesystem::create_directories(folder);

  Bytes vmg(0x400);
  std::copy_n("DVDVIDEO-VMG", 12, vmg.begin());
  put32(vmg, 0x84, static_cast<uint32_t>(vmg.size()));
  append_pgc(vmg, commands);
  align(vmg);
  put32(vmg, 0xC4, static_cast<uint32_t>(vmg.size() / kSector));
  const size_t titles = grow(vmg, 8 + 12 * 99);
  put16(vmg, titles, 99);
  for (unsigned i = 0; i < 99; ++i) {
    uint8_t *entry = &vmg[titles + 8 + 12 * i];
    entry[1] = 1;
    entry[3] = 1;
    entry[6] = static_cast<uint8_t>(i + 1);
    entry[7] = 1;
  }
  align(vmg);
  put32(vmg, 0xC8, static_cast<uint32_t>(vmg.size() / kSector));
  append_menu_table(vmg, 2, 4, commands / 3);
  align(vmg);
  write(folder / "VIDEO_TS.IFO", vmg);

  size_t total = vmg.size();
  for (unsigned n = 1; n <= 99; ++n) {
    Bytes vts(kSector);
    std::copy_n("DVDVIDEO-VTS", 12, vts.begin());
    put32(vts, 0xCC, static_cast<uint32_t>(vts.size() / kSector));
    append_pgc_table(vts, title_pgcs, commands, true);
    align(vts);
    put32(vts, 0xD0, static_cast<uint32_t>(vts.size() / kSector));
    append_menu_table(vts, 2, 4, commands / 3);
    align(vts);
    char name[16];
    std::snprintf(name, sizeof name, "VTS_%02u_0.IFO", n);
    write(folder / name, vts);
    total += vts.size();
  }
  std::printf("%s: 100 control files, %zu bytes\n", folder.string().c_str(), total);
  return 0;
}
