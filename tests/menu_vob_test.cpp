// SPDX-License-Identifier: MIT
// The -V report: which IFO/VOB pairs are scanned, NAV packs collected and folded, the menu cells
// named for each pack, on made discs held against a golden book; runs too long for a file.
#include "harness.h"

#include "fixture.h"
#include "menuvob/menu_vob_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace fixture;

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

// `count` NAV packs with one distinct button each: every pack is its own group, so the report
// shows which packs start a menu cell.
Bytes distinct_packs(unsigned count) {
  std::vector<Bytes> packs;
  for (unsigned p = 0; p < count; ++p)
    packs.push_back(nav_pack({jump(p)}));
  return join_packs(packs);
}

Pgc cells_at(std::initializer_list<uint32_t> sectors) {
  Pgc pgc;
  for (const uint32_t s : sectors)
    pgc.cells.push_back({0, s});
  return pgc;
}

// VIDEO_TS.VOB made of `packs`, beside a control file without tables.
BookCase vmg_vob(const char *label, const std::vector<Bytes> &packs) {
  return {label, [=](const Disc &d) {
            d.put_files("VIDEO_TS.IFO");
            d.put("VIDEO_TS.VOB", join_packs(packs));
          }};
}

// VTS_01_0.VOB beside the control file `ifo`.
BookCase vts_vob(const char *label, const Bytes &ifo, const Bytes &vob) {
  return {label, [=](const Disc &d) {
            d.put("VTS_01_0.IFO", ifo);
            d.put("VTS_01_0.VOB", vob);
          }};
}

// The title set's menu table (one cell, at pack 0) moved from 0x800 to start in `sector`.
Bytes menu_table_in_sector(uint32_t sector) {
  Bytes b = build_vts({.menus = MenuTable{{{"en", 0x80, {cells_at({0})}}}}});
  b.insert(b.begin() + 0x800, (sector - 1) * 2048, 0);
  return patched(b, {{0xD0, 4, sector}});
}

// Two language units of 300 chains of 255 cells (153000 cells), all at sector 1000 but the
// 131072nd and the 131073rd, at sectors 1 and 2: the index holds the first 131072 in walk order.
Bytes more_cells_than_the_index_holds() {
  Pgc full;
  full.cells.assign(255, {0, 1000});
  std::vector<Pgc> second(300, full);
  second[214].cells[1].first_vobu_sector = 1;
  second[214].cells[2].first_vobu_sector = 2;
  return build_vts(
      {.menus = MenuTable{{{"en", 0, std::vector<Pgc>(300, full)}, {"fr", 0, second}}}});
}

// Language units that all share one unit of 65535 pointers to a chain without cells, then one
// unit whose only chain has a cell at sector 7: that cell is indexed only while the empty units
// cost fewer than 2^24 pointer visits (256 units of 65535 is just under, 257 just over).
Bytes pointer_walk(uint32_t empty_units) {
  const uint32_t table = 2048, shared = table + 8 + 8 * (empty_units + 1);
  const uint32_t empty_pgc = shared + 8 + 8 * 65535, last = empty_pgc + 0xEC, pgc = last + 16;
  std::vector<Patch> p = {{pgc + 0xEC + 24, 0}, {0xD0, 4, 1},          {table, 2, empty_units + 1},
                          {shared, 2, 65535},   {last, 2, 1},          {last + 12, 4, 16},
                          {pgc + 3, 1, 1},      {pgc + 0xE8, 2, 0xEC}, {pgc + 0xEC + 8, 4, 7}};
  for (uint32_t i = 0; i <= empty_units; ++i)
    p.push_back({table + 12 + 8 * i, 4, (i < empty_units ? shared : last) - table});
  for (uint32_t j = 0; j < 65535; ++j)
    p.push_back({shared + 12 + 8 * j, 4, empty_pgc - shared});
  return patched({}, p);
}

// Video packs, with `navs` in place and then the first `tail` bytes of one more NAV pack: VOBs
// that cross the 16 MiB read.
Bytes long_vob(size_t packs, const std::map<size_t, Command> &navs, size_t tail = 0) {
  std::vector<Bytes> all(packs, video_pack());
  for (const auto &[at, button] : navs)
    all[at] = nav_pack({button});
  Bytes vob = join_packs(all);
  const Bytes last = nav_pack({jump(3)});
  vob.insert(vob.end(), last.begin(), last.begin() + static_cast<std::ptrdiff_t>(tail));
  return vob;
}

TEST(MenuVob, ButtonReports) {
  const std::vector<Command> a = cmds("3002 0000 0001 0000 2004 0000 0000 0002"),
                             b = cmds("3002 0000 0001 0000 2004 0000 0000 0003"),
                             a_more = cmds(
                                 "3002 0000 0001 0000 2004 0000 0000 0002 3001 0000 0000 0000");
  const Bytes A = nav_pack(a), B = nav_pack(b), A3 = nav_pack(a_more), video = video_pack();
  Bytes a_moved = A; // same commands; other PCI fields, button positions and colours
  for (size_t at = 45; at < 2048; ++at)
    if (at != 158 && (at < 197 || at >= 205) && (at < 215 || at >= 223))
      a_moved[at] ^= 0x5A;
  const Bytes too_many = nav_pack(jumps(1, 103), 104);
  // 19 packs of 103 buttons and one of 40 keep 1997 records; G brings 1999. G again would fold
  // but no longer fits; H fits as record 2000; then the table is full.
  std::vector<Bytes> full;
  for (unsigned p = 0; p < 19; ++p)
    full.push_back(nav_pack(jumps(1000 + 103 * p, 103)));
  full.push_back(nav_pack(jumps(3000, 40)));
  const Bytes G = nav_pack(jumps(1, 2)), H = nav_pack({jump(7)});
  full.insert(full.end(), {G, G, H, H, nav_pack({jump(8)})});
  // en: chains with cells at 1, 2, 3; fr: 4; de: 5. The menu table at 0x800, en at 0x820
  // with its chains at 0x840, 0x94C and 0xA58, each 0x10C bytes; the file is 4096 bytes.
  const Bytes base =
      build_vts({.menus = MenuTable{{{"en", 0, {cells_at({1}), cells_at({2}), cells_at({3})}},
                                     {"fr", 0, {cells_at({4})}},
                                     {"de", 0, {cells_at({5})}}}}});
  const auto damaged = [&](const char *label, const std::vector<Patch> &patches) {
    return vts_vob(label, patched(base, patches), distinct_packs(6));
  };
  expect_golden_book(
      {
          vmg_vob("A A A", {A, A, A}),
          vmg_vob("A B A: only the last group is compared", {A, B, A}),
          vmg_vob("one button more, then one fewer", {A, A3, A}),
          vmg_vob("NAV pack without buttons in between", {A, nav_pack({}), A}),
          vmg_vob("other packs in between still count", {A, video, video, A, B}),
          vmg_vob("dropped pack in between", {A, too_many, A}),
          vmg_vob("only the commands decide a fold", {A, a_moved}),
          vmg_vob("103 buttons fill the pack to byte 2040", {nav_pack(jumps(1, 103))}),
          vmg_vob("104 buttons: dropped whole", {too_many}),
          vmg_vob("255 buttons: dropped whole", {nav_pack(a, 255)}),
          vmg_vob("both start codes must match",
                  {patched(A, {{3, 1, 0xBB}}), patched(A, {{17, 1, 0xE0}}), video}),
          vmg_vob("empty file", {}),
          vmg_vob("trailing partial pack is not examined", {A, Bytes(B.begin(), B.end() - 1)}),
          vmg_vob("a full table drops packs even when they would fold", full),
          // Each VOB's cell lines come from its own control file and mark the first pack of a
          // group only: cells start at packs 0, 2 (folded into the group of pack 0) and 3.
          {"cell lines of every menu VOB",
           [&](const Disc &d) {
             const MenuTable vmg_menus{{{"en", 0x80, {cells_at({0, 2}), cells_at({9, 3})}}}};
             const MenuTable vts_menus{{{"en", 0x80, {cells_at({4}), cells_at({0})}}}};
             d.put("VIDEO_TS.IFO", build_vmg({.menus = vmg_menus}));
             d.put("VIDEO_TS.VOB", join_packs({A, A, A, B}));
             d.put_files("VTS_01_0.IFO"); // no menu table
             d.put("VTS_01_0.VOB", A);
             d.put("VTS_02_0.IFO", build_vts({.menus = vts_menus}));
             d.put("VTS_02_0.VOB", A);
           }},
          // The first cell in walk order names a pack; sector 0 is the VOB's first pack.
          vts_vob(
              "cells in walk order",
              build_vts({.menus = MenuTable{{{"en", 0, {cells_at({10, 0, 12}), cells_at({20, 7})}},
                                             {"fr", 0, {cells_at({}), cells_at({7, 10, 15})}}}}}),
              distinct_packs(21)),
          damaged("whole", {}),
          damaged("language unit 2 far past the end", {{0x814, 4, 0xFFFFFF00}}),
          damaged("language unit 2 in the last 16 bytes, its pointers cut",
                  {{0x814, 4, 0x7F0}, {0xFF0, 2, 5}}),
          damaged("chain 2 of language unit 1 past the end", {{0x834, 4, 0x1000}}),
          damaged("cell table of chain 3 straddling the end", {{0xA58 + 0xE8, 2, 0x59C}}),
          damaged("second cell of chain 1 past the cell table",
                  {{0x843, 1, 2}, {0x840 + 0xE8, 2, 0x7A8}}),
          damaged("menu table just past the end", {{0xD0, 4, 2}}),
          damaged("menu table header cut", {{0xD0, 4, 2}, {0x1004, 0}}),
          damaged("menu table sector 0x7FFFFFFF", {{0xD0, 4, 0x7FFFFFFF}}),
          vts_vob("menu table in the last sector of the 8 MiB read", menu_table_in_sector(4095),
                  distinct_packs(1)),
          vts_vob("menu table just past the 8 MiB read", menu_table_in_sector(4096),
                  distinct_packs(1)),
          vts_vob("more cells than the index holds", more_cells_than_the_index_holds(),
                  distinct_packs(3)),
          vts_vob("255 units of 65535 chains", pointer_walk(255), distinct_packs(8)),
          vts_vob("256 units of 65535 chains", pointer_walk(256), distinct_packs(8)),
          vts_vob("257 units of 65535 chains", pointer_walk(257), distinct_packs(8)),
          // Pack numbers run on across the 16 MiB reads, and so do folded runs.
          vmg_vob("exactly 16 MiB", {long_vob(8192, {{0, jump(1)}, {8191, jump(2)}})}),
          vmg_vob("one pack more",
                  {long_vob(8193, {{0, jump(1)}, {8191, jump(2)}, {8192, jump(3)}})}),
          vmg_vob("a run folds across the reads",
                  {long_vob(8194, {{8191, jump(2)}, {8192, jump(2)}, {8193, jump(3)}})}),
          vmg_vob("a partial pack after 16 MiB", {long_vob(8192, {{8191, jump(2)}}, 2047)}),
      },
      {"-V"}, "vob_reports.txt");
}

// Runs of folded packs too long for a test file keep their true repeat count, and a pack whose
// buttons would run past its end is dropped whole.
TEST(MenuVob, LongRunsKeepTheirTrueCount) {
  const struct {
    Bytes pack;
    unsigned run;
    int32_t records;
    uint32_t repeat;
  } rows[] = {
      {nav_pack({jump(1)}), 32768, 1, 32768},
      {nav_pack({jump(1), jump(2)}), 65537, 2, 65537},
      {nav_pack({jump(1)}, 104), 1, 0, 0},
  };
  for (const auto &row : rows) {
    begin_button_collection();
    for (unsigned i = 0; i < row.run; ++i)
      collect_packs(row.pack.data(), 1);
    ASSERT_EQ(button_record_count, row.records);
    EXPECT_EQ(row.records > 0 ? button_records[0].repeat_count : 0, row.repeat);
  }
}

} // namespace
