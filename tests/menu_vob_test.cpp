// SPDX-License-Identifier: MIT
// The -V dump: the menu cell start index, NAV pack collection and folding, the button report,
// and which IFO/VOB pairs are scanned.
#include "harness.h"

#include "fixture.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::cmd;
using fixture::Command;
using fixture::put_be16, fixture::put_be32;

const std::string kSeparator = "\n" + std::string(78, '=') + "\n";
const std::string kVmgHeader =
    "*** NAVLIST Ver 1.00 ***\n" + kSeparator + "<VIDEO_TS.VOB Button Information>\n";

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

// The place in the index of the entry that find_cell_start gives; -1: none.
long lookup(uint32_t pack) {
  const CellStartEntry *e = find_cell_start(pack);
  return e == nullptr ? -1 : e - cell_start_index;
}

void build_index(const Bytes &ifo, uint64_t table) {
  build_cell_start_index(table, IfoImage{ifo.data(), ifo.size()});
}

Bytes concat(const std::vector<Bytes> &packs) {
  Bytes vob;
  for (const Bytes &p : packs)
    fixture::append_pack(vob, p);
  return vob;
}

// A disc whose only pair is VIDEO_TS.IFO/VIDEO_TS.VOB; returns the -V report.
std::string vmg_vob_report(const Bytes &vob) {
  Disc disc;
  disc.put_files("VIDEO_TS.IFO");
  disc.put("VIDEO_TS.VOB", vob);
  return disc.run({"-V"}).output;
}

TEST(CellStartIndex, EntriesStandInWalkOrderAndLookupFindsTheFirst) {
  const fixture::Ifo ifo = fixture::build_vts(
      {.menus = fixture::MenuTable{{{"en", 0x80, {cells_at({10, 0, 12}), cells_at({20, 7})}},
                                    {"fr", 0x80, {cells_at({}), cells_at({7, 10})}}}}});
  build_index(ifo.bytes, ifo.layout.menu_table);
  EXPECT_EQ(index_entries(), (std::vector<Entry>{{0, 0, 0, 10},
                                                 {0, 0, 1, 0},
                                                 {0, 0, 2, 12},
                                                 {0, 1, 0, 20},
                                                 {0, 1, 1, 7},
                                                 {1, 1, 0, 7},
                                                 {1, 1, 1, 10}}));
  EXPECT_EQ(lookup(7), 4); // the lower language unit wins
  EXPECT_EQ(lookup(10), 0);
  EXPECT_EQ(lookup(0), 1); // sector 0 is the VOB's first pack
  EXPECT_EQ(lookup(6), -1);

  // Rebuilding empties the index: no entry of the previous file is found.
  build_index(ifo.bytes, 0);
  EXPECT_EQ(cell_start_count, 0);
  EXPECT_EQ(lookup(10), -1);
  const fixture::Ifo empty = fixture::build_vts({.menus = fixture::MenuTable{}});
  build_index(ifo.bytes, ifo.layout.menu_table);
  build_index(empty.bytes, empty.layout.menu_table);
  EXPECT_EQ(cell_start_count, 0);
}

TEST(CellStartIndex, HoldsTheFirst131072CellsInWalkOrder) {
  // Two language units of 300 chains of 255 cells: 153000 cells in walk order.
  fixture::Pgc full;
  for (uint32_t k = 0; k < 255; ++k)
    full.cells.push_back({0, 1000 + k});
  const std::vector<fixture::Pgc> chains(300, full);
  const fixture::Ifo ifo =
      fixture::build_vts({.menus = fixture::MenuTable{{{"en", 0, chains}, {"fr", 0, chains}}}});
  build_index(ifo.bytes, ifo.layout.menu_table);
  ASSERT_EQ(cell_start_count, kCellStartIndexSize);
  // Entry 131071 = 1 * 300 * 255 + 214 * 255 + 1: the walk ends right after it.
  EXPECT_EQ(index_entries().back(), (Entry{1, 214, 1, 1001}));
  EXPECT_EQ(lookup(1254), 254);
}

TEST(CellStartIndex, WalkEndsAfterTwoToTheTwentyFourChainPointers) {
  // Language units that all share one unit of 65535 pointers to a chain
  // without cells, then one unit whose only chain has a cell at sector 7:
  // that cell is indexed only while the empty units cost fewer than 2^24
  // pointer visits (256 units of 65535 is just under, 257 just over).
  for (const auto &[empty_units, found] :
       {std::pair{255u, true}, std::pair{256u, true}, std::pair{257u, false}}) {
    const size_t table = 2048, shared = table + 8 + 8 * (empty_units + 1);
    const size_t empty_pgc = shared + 8 + 8 * 65535, last = empty_pgc + 0xEC, pgc = last + 16;
    Bytes ifo(pgc + 0xEC + 24);
    put_be16(ifo, table, static_cast<uint16_t>(empty_units + 1));
    for (size_t i = 0; i <= empty_units; ++i)
      put_be32(ifo, table + 12 + 8 * i,
               static_cast<uint32_t>((i < empty_units ? shared : last) - table));
    put_be16(ifo, shared, 65535);
    for (size_t j = 0; j < 65535; ++j)
      put_be32(ifo, shared + 12 + 8 * j, static_cast<uint32_t>(empty_pgc - shared));
    put_be16(ifo, last, 1);
    put_be32(ifo, last + 12, 16);
    ifo[pgc + 3] = 1;
    put_be16(ifo, pgc + 0xE8, 0xEC);
    put_be32(ifo, pgc + 0xEC + 8, 7);
    build_index(ifo, table);
    EXPECT_EQ(find_cell_start(7) != nullptr, found) << empty_units;
  }
}

TEST(CellStartIndex, SkipsWhatLiesOutsideTheBytesReadAndGoesOnWithTheNext) {
  // en: chains with cells at 1, 2, 3; fr: 4; de: 5.
  const fixture::Ifo base = fixture::build_vts(
      {.menus = fixture::MenuTable{{{"en", 0, {cells_at({1}), cells_at({2}), cells_at({3})}},
                                    {"fr", 0, {cells_at({4})}},
                                    {"de", 0, {cells_at({5})}}}}});
  const size_t table = base.layout.menu_table;
  const size_t en = table + fixture::be32(base.bytes, table + 12);
  const std::vector<uint32_t> &pgcs = base.layout.pgcs;
  const struct {
    const char *what;
    std::function<void(Bytes &)> damage;
    std::vector<Entry> entries;
  } rows[] = {
      {"language unit 2 far past the end",
       [&](Bytes &b) { put_be32(b, table + 8 + 8 + 4, 0xFFFFFF00); },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {0, 2, 0, 3}, {2, 0, 0, 5}}},
      {"language unit 2 in the last 16 bytes, its pointers cut",
       [&](Bytes &b) {
         put_be32(b, table + 8 + 8 + 4, static_cast<uint32_t>(b.size() - 16 - table));
         put_be16(b, b.size() - 16, 5);
       },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {0, 2, 0, 3}, {2, 0, 0, 5}}},
      {"chain 2 of language unit 1 past the end",
       [&](Bytes &b) { put_be32(b, en + 8 + 8 + 4, static_cast<uint32_t>(b.size())); },
       {{0, 0, 0, 1}, {0, 2, 0, 3}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
      {"cell table of chain 3 straddling the end",
       [&](Bytes &b) {
         put_be16(b, pgcs[2] + 0xE8, static_cast<uint16_t>(b.size() - pgcs[2] - 12));
       },
       {{0, 0, 0, 1}, {0, 1, 0, 2}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
      {"second cell of chain 1 past the cell table",
       [&](Bytes &b) {
         b[pgcs[0] + 3] = 2;
         put_be16(b, pgcs[0] + 0xE8, static_cast<uint16_t>(b.size() - pgcs[0] - 24));
       },
       {{0, 0, 0, 0}, {0, 1, 0, 2}, {0, 2, 0, 3}, {1, 0, 0, 4}, {2, 0, 0, 5}}},
  };
  for (const auto &row : rows) {
    Bytes bytes = base.bytes;
    row.damage(bytes);
    build_index(bytes, table);
    EXPECT_EQ(index_entries(), row.entries) << row.what;
  }
  // A table that starts past the end, or whose header is cut, gives no entry.
  for (const uint64_t start : {uint64_t{base.bytes.size()}, uint64_t{0x7FFFFFFF} << 11}) {
    build_index(base.bytes, start);
    EXPECT_EQ(cell_start_count, 0);
  }
  build_cell_start_index(table, IfoImage{base.bytes.data(), table + 4});
  EXPECT_EQ(cell_start_count, 0);
}

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
  const struct {
    const char *what;
    std::vector<Bytes> packs;
    std::string body;
  } rows[] = {
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
  for (const auto &row : rows)
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

TEST(MenuVobScan, PackNumbersRunOnAcrossSixteenMebibyteReads) {
  const Bytes A = fixture::nav_pack({jump(1)}), B = fixture::nav_pack({jump(2)}),
              C = fixture::nav_pack({jump(3)});
  const std::string a0 = "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n";
  const std::string b = "  0001[PK_001FFF]:[3002 0000 0002 0000]  JumpTT ttn:2\n";
  const std::string c = "]:[3002 0000 0003 0000]  JumpTT ttn:3\n";
  const struct {
    const char *what;
    size_t packs;
    std::map<size_t, Bytes> navs;
    size_t tail;
    std::string body;
  } rows[] = {
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
  for (const auto &row : rows) {
    // Video packs with the NAV packs in place, then the first `tail` bytes of C.
    Bytes vob;
    fixture::append_pack(vob, fixture::video_pack(), row.packs);
    for (const auto &[at, pack] : row.navs)
      std::copy(pack.begin(), pack.end(), vob.begin() + static_cast<std::ptrdiff_t>(2048 * at));
    vob.insert(vob.end(), C.begin(), C.begin() + static_cast<std::ptrdiff_t>(row.tail));
    EXPECT_EQ(vmg_vob_report(vob), kVmgHeader + row.body) << row.what;
  }
}

// Each VOB's cell lines come from its own control file, and mark the first
// pack of a group only.
TEST(MenuVobScan, CellLinesOfEveryMenuVob) {
  using fixture::MenuTable;
  const Bytes A = fixture::nav_pack({jump(1)}), B = fixture::nav_pack({jump(2)});
  // Cells start at packs 0, 2 (folded into the group of pack 0) and 3.
  const MenuTable vmg_menus{{{"en", 0x80, {cells_at({0, 2}), cells_at({9, 3})}}}};
  const MenuTable vts_menus{{{"en", 0x80, {cells_at({4}), cells_at({0})}}}};
  Disc disc;
  disc.put("VIDEO_TS.IFO", fixture::build_vmg({.menus = vmg_menus}).bytes);
  disc.put("VIDEO_TS.VOB", concat({A, A, A, B}));
  disc.put_files("VTS_01_0.IFO"); // no menu table
  disc.put("VTS_01_0.VOB", A);
  disc.put("VTS_02_0.IFO", fixture::build_vts({.menus = vts_menus}).bytes);
  disc.put("VTS_02_0.VOB", A);
  const std::string a = "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1\n";
  EXPECT_EQ(disc.run({"-V"}).output,
            kVmgHeader + "\nUsed by (Language_01, PGC_001, Cell_1)\n" + a + "  Repeat: 3\n" +
                "Used by (Language_01, PGC_002, Cell_2)\n" +
                "  0001[PK_000003]:[3002 0000 0002 0000]  JumpTT ttn:2\n\n" + kSeparator +
                "<VTS_01_0.VOB Button Information>\n\n" + a + "\n" + kSeparator +
                "<VTS_02_0.VOB Button Information>\n\nUsed by (Language_01, PGC_002, Cell_1)\n" +
                a + "\n");
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
    const std::string out = capture_output([&] {
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
  TempDir dir;
  const fs::path name = dir.path() / "VIDEO_TS.VOB";
  for (const auto &[vob_bytes, expected] :
       {std::pair{fixture::nav_pack({jump(1)}), 0},
        std::pair{fixture::nav_pack({jump(1), questionable}), 1},
        std::pair{fixture::nav_pack_with_count({questionable}, 104), 0}, // never printed
        std::pair{Bytes{}, 0}}) {
    fixture::write_file(name, vob_bytes);
    DiscFile *vob = open_disc_file(name.string().c_str());
    int result = -1;
    capture_output([&] { result = scan_menu_vob(vob); });
    close_disc_file(vob);
    EXPECT_EQ(result, expected);
  }
}

TEST(MenuVobDump, ScansEveryPairWhoseFilesAreThere) {
  auto section = [](const char *vob) {
    return kSeparator + "<" + vob + " Button Information>\n  ----\n";
  };
  const std::string none = "*.VOB(menu) is not found.\n";
  const struct {
    const char *files; // as Disc::put_files lays them out
    std::string output;
  } rows[] = {
      {"VIDEO_TS.IFO VTS_01_0.IFO VTS_01_0.VOB", section("VTS_01_0.VOB")},
      {"VIDEO_TS.IFO VIDEO_TS.VOB VTS_02_0.IFO VTS_02_0.VOB VTS_03_0.VOB VTS_04_0.IFO VTS_04_0.VOB",
       section("VIDEO_TS.VOB") + section("VTS_02_0.VOB") + section("VTS_04_0.VOB")},
      {"VTS_99_0.IFO VTS_99_0.VOB", section("VTS_99_0.VOB")},
      {"VIDEO_TS.IFO:4095 VIDEO_TS.VOB VTS_01_0.IFO VTS_01_0.VOB VTS_02_0.IFO:4095 VTS_02_0.VOB",
       section("VTS_01_0.VOB")},
      {"VIDEO_TS.IFO VTS_01_0.IFO", none},
      {"VIDEO_TS.VOB VTS_01_0.VOB", none},
      {"", none},
  };
  for (const auto &row : rows) {
    Disc disc;
    disc.put_files(row.files);
    const RunResult result = disc.run({"-V"});
    EXPECT_EQ(result.output, "*** NAVLIST Ver 1.00 ***\n" + row.output) << row.files;
    EXPECT_EQ(result.status, row.output == none ? 1 : 0) << row.files;
  }
}

} // namespace
