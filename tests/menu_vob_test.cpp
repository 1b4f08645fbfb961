// The -V dump: the menu cell start index, NAV pack collection and folding, the button report,
// which IFO/VOB pairs are scanned, and the whole report of every sample disc.
#include "harness.h"

#include "fixture.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::cmd;
using fixture::Command;

const std::string kVmgHeader =
    "*** NAVLIST Ver 1.00 ***\n\n" + std::string(78, '=') + "\n<VIDEO_TS.VOB Button Information>\n";

// JumpTT commands that differ in b4 b5: any number of distinct buttons.
Command jump(unsigned n) {
  return Command{0x30, 0x02, 0, 0, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 0, 0};
}
std::vector<Command> jumps(unsigned from, unsigned count) {
  std::vector<Command> out;
  for (unsigned n = from; n < from + count; ++n)
    out.push_back(jump(n));
  return out;
}

fixture::Pgc cells_at(std::initializer_list<uint32_t> sectors) {
  fixture::Pgc pgc;
  for (uint32_t s : sectors)
    pgc.cells.push_back({0, s});
  return pgc;
}

using Entry = std::tuple<int, int, int, uint32_t>;

std::vector<Entry> index_entries() {
  std::vector<Entry> out;
  for (int32_t i = 0; i < cell_start_count; ++i) {
    const CellStartEntry &e = cell_start_index[i];
    out.emplace_back(e.lu_index, e.pgc_index, e.cell_index, e.first_vobu_sector);
  }
  return out;
}

std::optional<Entry> lookup(uint32_t pack) {
  const CellStartEntry *e = find_cell_start(pack);
  if (e == nullptr)
    return std::nullopt;
  return Entry{e->lu_index, e->pgc_index, e->cell_index, e->first_vobu_sector};
}

void build_index(const Bytes &ifo, uint64_t table) {
  build_cell_start_index(table, IfoImage{ifo.data(), ifo.size()});
}

uint32_t be32_at(const Bytes &b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Everything the program prints while `run` runs (into a named file: on
// some systems tmpfile() wants to write where a user may not).
std::string captured(const std::function<void()> &run) {
  TempDir dir;
  const fs::path name = dir.path() / "out";
  std::FILE *sink = std::fopen(name.string().c_str(), "wb");
  console_set_stream(sink);
  run();
  console_set_stream(nullptr);
  std::fclose(sink);
  return read_text_file(name);
}

Bytes concat(const std::vector<Bytes> &packs) {
  Bytes vob;
  for (const Bytes &p : packs)
    vob.insert(vob.end(), p.begin(), p.end());
  return vob;
}

// A disc whose only pair is VIDEO_TS.IFO/VIDEO_TS.VOB; returns the -V report.
std::string vmg_vob_report(const Bytes &vob, std::optional<fixture::MenuTable> menus = {}) {
  TempDir dir;
  fixture::Vmg vmg;
  vmg.menus = std::move(menus);
  fixture::write_file(dir.path() / "VIDEO_TS" / "VIDEO_TS.IFO", fixture::build_vmg(vmg).bytes);
  fixture::write_file(dir.path() / "VIDEO_TS" / "VIDEO_TS.VOB", vob);
  return run_navlist({"-V", "VIDEO_TS"}, dir.path()).output;
}

// --- Menu cell start index ---------------------------------------------------------------

TEST(CellStartIndex, EntriesStandInWalkOrder) {
  fixture::Vts vts;
  fixture::Pgc no_cells;
  vts.menus = fixture::MenuTable{{{"en", 0x80, {cells_at({10, 11, 12}), cells_at({20, 21})}},
                                  {"fr", 0x80, {no_cells, cells_at({30})}}}};
  const fixture::Ifo ifo = fixture::build_vts(vts);
  build_index(ifo.bytes, ifo.layout.menu_table);
  EXPECT_EQ(index_entries(), (std::vector<Entry>{{0, 0, 0, 10},
                                                 {0, 0, 1, 11},
                                                 {0, 0, 2, 12},
                                                 {0, 1, 0, 20},
                                                 {0, 1, 1, 21},
                                                 {1, 1, 0, 30}}));
}

TEST(CellStartIndex, LookupReturnsTheFirstEntryInWalkOrder) {
  fixture::Vts vts;
  vts.menus = fixture::MenuTable{
      {{"en", 0, {cells_at({5}), cells_at({0, 7})}}, {"fr", 0, {cells_at({7}), cells_at({5})}}}};
  const fixture::Ifo ifo = fixture::build_vts(vts);
  build_index(ifo.bytes, ifo.layout.menu_table);
  EXPECT_EQ(lookup(7), (Entry{0, 1, 1, 7})); // the lower language unit wins
  EXPECT_EQ(lookup(5), (Entry{0, 0, 0, 5}));
  EXPECT_EQ(lookup(0), (Entry{0, 1, 0, 0})); // sector 0 is the VOB's first pack
  EXPECT_EQ(lookup(6), std::nullopt);

  // Rebuilding empties the index: no entry of the previous file is found.
  build_index(ifo.bytes, 0);
  EXPECT_EQ(cell_start_count, 0);
  EXPECT_EQ(lookup(5), std::nullopt);
  fixture::Vts no_units;
  no_units.menus = fixture::MenuTable{};
  const fixture::Ifo empty = fixture::build_vts(no_units);
  build_index(ifo.bytes, ifo.layout.menu_table);
  build_index(empty.bytes, empty.layout.menu_table);
  EXPECT_EQ(cell_start_count, 0);
}

TEST(CellStartIndex, HoldsTheFirst131072CellsInWalkOrder) {
  // Two language units that both point at one unit of 300 chains, all of
  // which point at one chain of 255 cells: 153000 cells in walk order.
  constexpr size_t kTable = 2048, kUnits = 2, kPgcs = 300;
  Bytes ifo(kTable + 8 + 8 * kUnits);
  fixture::put_be16(ifo, kTable, kUnits);
  const size_t unit = ifo.size();
  for (size_t i = 0; i < kUnits; ++i)
    fixture::put_be32(ifo, kTable + 12 + 8 * i, static_cast<uint32_t>(unit - kTable));
  ifo.resize(unit + 8 + 8 * kPgcs);
  fixture::put_be16(ifo, unit, kPgcs);
  const size_t pgc = ifo.size();
  for (size_t j = 0; j < kPgcs; ++j)
    fixture::put_be32(ifo, unit + 12 + 8 * j, static_cast<uint32_t>(pgc - unit));
  ifo.resize(pgc + 0xEC + 24 * 255);
  ifo[pgc + 3] = 255;
  fixture::put_be16(ifo, pgc + 0xE8, 0xEC);
  for (uint32_t k = 0; k < 255; ++k)
    fixture::put_be32(ifo, pgc + 0xEC + 24 * k + 8, 1000 + k);

  build_index(ifo, kTable);
  ASSERT_EQ(cell_start_count, kCellStartIndexSize);
  // Entry 131071 = 1 * 300 * 255 + 214 * 255 + 1: the walk ends right after it.
  EXPECT_EQ(index_entries().back(), (Entry{1, 214, 1, 1001}));
  EXPECT_EQ(lookup(1254), (Entry{0, 0, 254, 1254}));
}

TEST(CellStartIndex, WalkEndsAfterTwoToTheTwentyFourChainPointers) {
  // Language units that all share one unit of 65535 pointers to a chain
  // without cells, then one unit whose only chain has a cell at sector 7:
  // that cell is indexed only while the empty units cost fewer than 2^24
  // pointer visits (256 units of 65535 is just under, 257 just over).
  for (const auto &[empty_units, found] :
       {std::pair{255u, true}, std::pair{256u, true}, std::pair{257u, false}}) {
    const size_t table = 2048, units = empty_units + 1;
    Bytes ifo(table + 8 + 8 * units);
    fixture::put_be16(ifo, table, static_cast<uint16_t>(units));
    const size_t shared = ifo.size();
    ifo.resize(shared + 8 + 8 * 65535);
    fixture::put_be16(ifo, shared, 65535);
    const size_t empty_pgc = ifo.size();
    ifo.resize(empty_pgc + 0xEC);
    for (size_t j = 0; j < 65535; ++j)
      fixture::put_be32(ifo, shared + 12 + 8 * j, static_cast<uint32_t>(empty_pgc - shared));
    const size_t last = ifo.size();
    ifo.resize(last + 16 + 0xEC + 24);
    fixture::put_be16(ifo, last, 1);
    fixture::put_be32(ifo, last + 12, 16);
    ifo[last + 16 + 3] = 1;
    fixture::put_be16(ifo, last + 16 + 0xE8, 0xEC);
    fixture::put_be32(ifo, last + 16 + 0xEC + 8, 7);
    for (size_t i = 0; i < units; ++i)
      fixture::put_be32(ifo, table + 12 + 8 * i,
                        static_cast<uint32_t>((i < empty_units ? shared : last) - table));
    build_index(ifo, table);
    EXPECT_EQ(find_cell_start(7) != nullptr, found) << empty_units;
  }
}

TEST(CellStartIndex, SkipsWhatLiesOutsideTheBytesReadAndGoesOnWithTheNext) {
  // en: chains with cells at 1, 2, 3; fr: 4; de: 5.
  fixture::Vts vts;
  vts.menus = fixture::MenuTable{{{"en", 0, {cells_at({1}), cells_at({2}), cells_at({3})}},
                                  {"fr", 0, {cells_at({4})}},
                                  {"de", 0, {cells_at({5})}}}};
  const fixture::Ifo base = fixture::build_vts(vts);
  const size_t table = base.layout.menu_table;
  const size_t en = table + be32_at(base.bytes, table + 12);
  const std::vector<uint32_t> &pgcs = base.layout.pgcs;
  struct Row {
    const char *what;
    std::function<void(Bytes &)> damage;
    std::vector<Entry> entries;
  };
  const Row rows[] = {
      {"language unit 2 far past the end",
       [&](Bytes &b) { fixture::put_be32(b, table + 8 + 8 + 4, 0xFFFFFF00); },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {0, 2, 0, 3}, {2, 0, 0, 5}}},
      {"language unit 2 in the last 16 bytes, its pointers cut",
       [&](Bytes &b) {
         fixture::put_be32(b, table + 8 + 8 + 4, static_cast<uint32_t>(b.size() - 16 - table));
         fixture::put_be16(b, b.size() - 16, 5);
       },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {0, 2, 0, 3}, {2, 0, 0, 5}}},
      {"chain 2 of language unit 1 past the end",
       [&](Bytes &b) { fixture::put_be32(b, en + 8 + 8 + 4, static_cast<uint32_t>(b.size())); },
       {{0, 0, 0, 1}, {0, 2, 0, 3}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
      {"cell table of chain 3 straddling the end",
       [&](Bytes &b) {
         fixture::put_be16(b, pgcs[2] + 0xE8, static_cast<uint16_t>(b.size() - pgcs[2] - 12));
       },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
      {"second cell of chain 1 past the cell table",
       [&](Bytes &b) {
         b[pgcs[0] + 3] = 2;
         fixture::put_be16(b, pgcs[0] + 0xE8, static_cast<uint16_t>(b.size() - pgcs[0] - 24));
       },
       {{0, 0, 0, 0}, {0, 1, 0, 2}, {0, 2, 0, 3}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
  };
  for (const Row &row : rows) {
    Bytes bytes = base.bytes;
    row.damage(bytes);
    build_index(bytes, table);
    EXPECT_EQ(index_entries(), row.entries) << row.what;
  }
  // A table that starts past the end, or whose header is cut, gives no entry.
  build_index(base.bytes, base.bytes.size());
  EXPECT_EQ(cell_start_count, 0);
  build_index(base.bytes, uint64_t{0x7FFFFFFF} << 11);
  EXPECT_EQ(cell_start_count, 0);
  build_cell_start_index(table, IfoImage{base.bytes.data(), table + 4});
  EXPECT_EQ(cell_start_count, 0);
}

// --- Collection, folding and the report --------------------------------------------------

TEST(MenuVobScan, FoldsRunsOfPacksWithIdenticalButtonCommands) {
  const std::vector<Command> a = {cmd("30 02 00 00 00 01 00 00"), cmd("20 04 00 00 00 00 00 02")};
  const std::vector<Command> b = {cmd("30 02 00 00 00 01 00 00"), cmd("20 04 00 00 00 00 00 03")};
  std::vector<Command> a_more = a;
  a_more.push_back(cmd("30 01 00 00 00 00 00 00"));
  const Bytes A = fixture::nav_pack(a), B = fixture::nav_pack(b), A3 = fixture::nav_pack(a_more);
  const Bytes video = fixture::video_pack(), no_buttons = fixture::nav_pack({});
  Bytes a_moved = A; // same commands; other PCI fields, button positions and colours
  for (size_t at = 45; at < 2048; ++at)
    if (at != 158 && (at < 197 || at >= 205) && (at < 215 || at >= 223))
      a_moved[at] ^= 0x5A;
  const Bytes too_many = fixture::nav_pack_with_count(jumps(1, 103), 104);
  Bytes not_pack_start = A, not_system_header = A;
  not_pack_start[3] = 0xBB;
  not_system_header[17] = 0xE0;
  const Bytes cut_b(B.begin(), B.end() - 1);

  auto group = [](unsigned pk, const std::vector<Command> &cmds) {
    static const std::map<Command, std::string> text = {
        {cmd("30 02 00 00 00 01 00 00"), "[3002 0000 0001 0000]  JumpTT ttn:1"},
        {cmd("20 04 00 00 00 00 00 02"), "[2004 0000 0000 0002]  LinkPGCN pgcn:2"},
        {cmd("20 04 00 00 00 00 00 03"), "[2004 0000 0000 0003]  LinkPGCN pgcn:3"},
        {cmd("30 01 00 00 00 00 00 00"), "[3001 0000 0000 0000]  Exit"}};
    std::string out;
    char prefix[64];
    for (size_t i = 0; i < cmds.size(); ++i) {
      std::snprintf(prefix, sizeof prefix, "  %04zu[PK_%06X]:", i + 1, pk);
      out += prefix + text.at(cmds[i]) + "\n";
    }
    return out;
  };
  struct Row {
    const char *what;
    std::vector<Bytes> packs;
    std::string body;
  };
  const Row rows[] = {
      {"A A A", {A, A, A}, "\n" + group(0, a) + "  Repeat: 3\n"},
      {"A B A: only the last group is compared",
       {A, B, A},
       "\n" + group(0, a) + "\n" + group(1, b) + "\n" + group(2, a) + "\n"},
      {"one button more, then one fewer",
       {A, A3, A},
       "\n" + group(0, a) + "\n" + group(1, a_more) + "\n" + group(2, a) + "\n"},
      {"NAV pack without buttons in between",
       {A, no_buttons, A},
       "\n" + group(0, a) + "  Repeat: 2\n"},
      {"other packs in between still count",
       {A, video, video, A, B},
       "\n" + group(0, a) + "  Repeat: 2\n" + group(4, b) + "\n"},
      {"dropped pack in between", {A, too_many, A}, "\n" + group(0, a) + "  Repeat: 2\n"},
      {"only the commands decide a fold", {A, a_moved}, "\n" + group(0, a) + "  Repeat: 2\n"},
      {"104 buttons: dropped whole", {too_many}, "  ----\n"},
      {"255 buttons: dropped whole", {fixture::nav_pack_with_count(a, 255)}, "  ----\n"},
      {"both start codes must match", {not_pack_start, not_system_header, video}, "  ----\n"},
      {"empty file", {}, "  ----\n"},
      {"trailing partial pack is not examined", {A, cut_b}, "\n" + group(0, a) + "\n"},
  };
  for (const Row &row : rows)
    EXPECT_EQ(vmg_vob_report(concat(row.packs)), kVmgHeader + row.body) << row.what;

  // 103 buttons fill the pack to byte 2040 and are all kept.
  std::string all;
  char line[80];
  for (unsigned n = 1; n <= 103; ++n) {
    std::snprintf(line, sizeof line, "  %04u[PK_000000]:[3002 0000 00%02X 0000]  JumpTT ttn:%u\n",
                  n, n, n);
    all += line;
  }
  EXPECT_EQ(vmg_vob_report(fixture::nav_pack(jumps(1, 103))), kVmgHeader + "\n" + all + "\n");
}

// Writes `count` video packs with the listed NAV packs in place, then the
// first `tail` bytes of `tail_pack`, one pack at a time.
void write_large_vob(const fs::path &path, size_t count, const std::map<size_t, Bytes> &navs,
                     size_t tail = 0, const Bytes &tail_pack = {}) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  const Bytes video = fixture::video_pack();
  for (size_t i = 0; i < count; ++i) {
    const auto it = navs.find(i);
    const Bytes &pack = it == navs.end() ? video : it->second;
    out.write(reinterpret_cast<const char *>(pack.data()), 2048);
  }
  out.write(reinterpret_cast<const char *>(tail_pack.data()), static_cast<std::streamsize>(tail));
  ASSERT_TRUE(out.good());
}

TEST(MenuVobScan, PackNumbersRunOnAcrossSixteenMebibyteReads) {
  const Bytes A = fixture::nav_pack({jump(1)}), B = fixture::nav_pack({jump(2)}),
              C = fixture::nav_pack({jump(3)});
  const std::string a0 = "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n";
  const std::string b = "  0001[PK_001FFF]:[3002 0000 0002 0000]  JumpTT ttn:2\n";
  const std::string c = "]:[3002 0000 0003 0000]  JumpTT ttn:3\n";
  struct Row {
    const char *what;
    size_t packs;
    std::map<size_t, Bytes> navs;
    size_t tail;
    std::string body;
  };
  const Row rows[] = {
      {"exactly 16 MiB", 8192, {{0, A}, {8191, B}}, 0, "\n" + a0 + "\n" + b + "\n"},
      {"one pack more",
       8193,
       {{0, A}, {8191, B}, {8192, C}},
       0,
       "\n" + a0 + "\n" + b + "\n  0001[PK_002000" + c + "\n"},
      {"a run folds across the reads",
       8194,
       {{8191, B}, {8192, B}, {8193, C}},
       0,
       "\n" + b + "  Repeat: 2\n  0001[PK_002001" + c + "\n"},
      {"a partial pack after 16 MiB", 8192, {{8191, B}}, 2047, "\n" + b + "\n"},
  };
  for (const Row &row : rows) {
    TempDir dir;
    fixture::write_file(dir.path() / "VIDEO_TS" / "VIDEO_TS.IFO", fixture::build_vmg({}).bytes);
    write_large_vob(dir.path() / "VIDEO_TS" / "VIDEO_TS.VOB", row.packs, row.navs, row.tail, C);
    EXPECT_EQ(run_navlist({"-V", "VIDEO_TS"}, dir.path()).output, kVmgHeader + row.body)
        << row.what;
  }
}

TEST(MenuVobScan, CellLinesMarkTheFirstPackOfAGroupOnly) {
  const Bytes A = fixture::nav_pack({jump(1)}), B = fixture::nav_pack({jump(2)});
  // Cells start at packs 2 (folded into the group of pack 0) and 3.
  const fixture::MenuTable menus{{{"en", 0x80, {cells_at({2}), cells_at({9, 3})}}}};
  EXPECT_EQ(vmg_vob_report(concat({A, A, A, B}), menus),
            kVmgHeader + "\n  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n  Repeat: 3\n"
                         "Used by (Language_01, PGC_002, Cell_2)\n"
                         "  0001[PK_000003]:[3002 0000 0002 0000]  JumpTT ttn:2\n\n");

  // Only the first 8 MiB of a control file are read: a menu table that lies
  // past them indexes nothing.
  fixture::Vmg vmg;
  vmg.menus = fixture::MenuTable{{{"en", 0x80, {cells_at({0})}}}};
  const fixture::Ifo ifo = fixture::build_vmg(vmg);
  constexpr size_t kLoaded = 8 << 20;
  for (const auto &[at, marked] : {std::pair{kLoaded - 2048, true}, std::pair{kLoaded, false}}) {
    Bytes big(at);
    std::copy(ifo.bytes.begin(), ifo.bytes.begin() + ifo.layout.menu_table, big.begin());
    big.insert(big.end(), ifo.bytes.begin() + ifo.layout.menu_table, ifo.bytes.end());
    fixture::put_be32(big, 0xC8, static_cast<uint32_t>(at / 2048));
    TempDir dir;
    fixture::write_file(dir.path() / "VIDEO_TS" / "VIDEO_TS.IFO", big);
    fixture::write_file(dir.path() / "VIDEO_TS" / "VIDEO_TS.VOB", A);
    const std::string out = run_navlist({"-V", "VIDEO_TS"}, dir.path()).output;
    EXPECT_EQ(out.find("Used by (Language_01, PGC_001, Cell_1)\n") != std::string::npos, marked)
        << "menu table at " << at;
  }
}

TEST(MenuVobScan, EveryMenuVobHasItsOwnCellIndex) {
  TempDir dir;
  const fs::path disc = dir.path() / "VIDEO_TS";
  fixture::Vmg vmg;
  vmg.menus = fixture::MenuTable{{{"en", 0x80, {cells_at({0})}}}};
  fixture::Vts with_menus;
  with_menus.menus = fixture::MenuTable{{{"en", 0x80, {cells_at({4}), cells_at({0})}}}};
  fixture::write_file(disc / "VIDEO_TS.IFO", fixture::build_vmg(vmg).bytes);
  fixture::write_file(disc / "VTS_01_0.IFO", fixture::build_vts({}).bytes); // no menu table
  fixture::write_file(disc / "VTS_02_0.IFO", fixture::build_vts(with_menus).bytes);
  for (const char *vob : {"VIDEO_TS.VOB", "VTS_01_0.VOB", "VTS_02_0.VOB"})
    fixture::write_file(disc / vob, fixture::nav_pack({jump(1)}));
  const std::string line = "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n\n";
  const std::string separator = "\n" + std::string(78, '=') + "\n";
  EXPECT_EQ(run_navlist({"-V", "VIDEO_TS"}, dir.path()).output,
            kVmgHeader + "\nUsed by (Language_01, PGC_001, Cell_1)\n" + line + separator +
                "<VTS_01_0.VOB Button Information>\n\n" + line + separator +
                "<VTS_02_0.VOB Button Information>\n\nUsed by (Language_01, PGC_002, Cell_1)\n" +
                line);
}

TEST(MenuVobScan, AFullTableDropsPacksEvenWhenTheyWouldFold) {
  // 19 packs of 103 buttons and one of 40 keep 1997 records; G brings 1999.
  std::vector<Bytes> packs;
  for (unsigned p = 0; p < 19; ++p)
    packs.push_back(fixture::nav_pack(jumps(1000 + 103 * p, 103)));
  packs.push_back(fixture::nav_pack(jumps(3000, 40)));
  const Bytes G = fixture::nav_pack(jumps(1, 2)), H = fixture::nav_pack({jump(7)});
  // G again would fold but no longer fits; H fits as record 2000; then the
  // table is full, and neither H again nor another one-button pack is kept.
  for (const Bytes &p : {G, G, H, H, fixture::nav_pack({jump(8)})})
    packs.push_back(p);
  const std::string out = vmg_vob_report(concat(packs));
  size_t lines = 0;
  for (size_t at = 0; (at = out.find("[PK_", at)) != std::string::npos; ++at)
    ++lines;
  EXPECT_EQ(lines, 2000u);
  const std::string tail = "  0001[PK_000014]:[3002 0000 0001 0000]  JumpTT ttn:1\n"
                           "  0002[PK_000014]:[3002 0000 0002 0000]  JumpTT ttn:2\n\n"
                           "  0001[PK_000016]:[3002 0000 0007 0000]  JumpTT ttn:7\n\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST(MenuVobScan, LongRunsPrintTheirTrueRepeatCount) {
  const Bytes A = fixture::nav_pack({jump(1)});
  build_index({}, 0);
  for (unsigned run : {32768u, 40000u, 65537u}) {
    const std::string out = captured([&] {
      begin_button_collection();
      for (unsigned i = 0; i < run; ++i)
        collect_packs(A.data(), 1);
      print_button_report();
    });
    EXPECT_EQ(out, "\n  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n  Repeat: " +
                       std::to_string(run) + "\n");
  }
}

TEST(MenuVobScan, ResultSaysWhetherAPrintedCommandWasQuestionable) {
  const Command questionable = cmd("E0 00 00 00 00 00 00 00");
  build_index({}, 0);
  struct Row {
    Bytes vob;
    int result;
  };
  const Row rows[] = {
      {fixture::nav_pack({jump(1)}), 0},
      {fixture::nav_pack({jump(1), questionable}), 1},
      {fixture::nav_pack_with_count({questionable}, 104), 0}, // dropped, never printed
      {{}, 0},
  };
  TempDir dir;
  const fs::path name = dir.path() / "VIDEO_TS.VOB";
  for (const Row &row : rows) {
    fixture::write_file(name, row.vob);
    std::FILE *vob = std::fopen(name.string().c_str(), "rb");
    int result = -1;
    captured([&] { result = scan_menu_vob(vob); });
    std::fclose(vob);
    EXPECT_EQ(result, row.result);
  }
}

// --- Which pairs are scanned ---------------------------------------------------------------

TEST(MenuVobDump, ScansEveryPairWhoseFilesAreThere) {
  const Bytes ifo = fixture::build_vts({}).bytes; // 4096 bytes, no menu table
  auto section = [](const char *vob) {
    return "\n" + std::string(78, '=') + "\n<" + vob + " Button Information>\n  ----\n";
  };
  const std::string none = "*.VOB(menu) is not found.\n";
  struct Row {
    const char *files; // a name ending in '-' is a 4095-byte control file; VOBs are empty
    std::string output;
  };
  const Row rows[] = {
      {"VIDEO_TS.IFO VTS_01_0.IFO VTS_01_0.VOB", section("VTS_01_0.VOB")},
      {"VIDEO_TS.IFO VIDEO_TS.VOB VTS_02_0.IFO VTS_02_0.VOB VTS_03_0.VOB VTS_04_0.IFO VTS_04_0.VOB",
       section("VIDEO_TS.VOB") + section("VTS_02_0.VOB") + section("VTS_04_0.VOB")},
      {"VTS_99_0.IFO VTS_99_0.VOB", section("VTS_99_0.VOB")},
      {"VIDEO_TS.IFO- VIDEO_TS.VOB VTS_01_0.IFO VTS_01_0.VOB VTS_02_0.IFO- VTS_02_0.VOB",
       section("VTS_01_0.VOB")},
      {"VIDEO_TS.IFO VTS_01_0.IFO", none},
      {"VIDEO_TS.VOB VTS_01_0.VOB", none},
      {"", none},
  };
  for (const Row &row : rows) {
    TempDir dir;
    fs::create_directories(dir.path() / "VIDEO_TS");
    std::istringstream names(row.files);
    for (std::string name; names >> name;) {
      if (name.back() == '-')
        fixture::write_file(dir.path() / "VIDEO_TS" / name.substr(0, 12), Bytes(4095));
      else
        fixture::write_file(dir.path() / "VIDEO_TS" / name, name.ends_with("IFO") ? ifo : Bytes{});
    }
    const RunResult result = run_navlist({"-V", "VIDEO_TS"}, dir.path());
    EXPECT_EQ(result.output, "*** NAVLIST Ver 1.00 ***\n" + row.output) << row.files;
    EXPECT_EQ(result.status, row.output == none ? 1 : 0) << row.files;
  }
}

// --- The sample discs ----------------------------------------------------------------------

TEST(SampleDiscs, MenuAndWholeReportsMatchTheirGoldenFiles) {
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const fs::path folder = sample_disc(disc).parent_path();
    const RunResult vob = run_navlist({"-V", "VIDEO_TS"}, folder);
    expect_golden(vob.output, "vob_" + disc + ".txt");
    const RunResult full = run_navlist({"VIDEO_TS"}, folder);
    expect_golden(full.output, "full_" + disc + ".txt");
    // plain has no menu VOB, which the -V dump reports.
    EXPECT_EQ(vob.status, disc == "plain" ? 1 : 0) << disc;
    EXPECT_EQ(full.status, disc == "plain" ? 1 : 0) << disc;
  }
}

} // namespace
