// SPDX-License-Identifier: MIT
// The -I report: which files are loaded, the tables and program chains of made discs, damaged
// and hostile ones included, and the whole reports of the sample discs.
#include "harness.h"

#include "fixture.h"
#include "platform/disc_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace fixture;

// Which control files the -I dump loads, and which IFO/VOB pairs the -V dump scans. The sample
// vmgm_menu states two title sets: one missing or too short is told at its place, a control file
// that cannot be read whole is replaced by its sound backup, and menu VOBs that it declares are
// missed. The zeros of the made VIDEO_TS.IFO state no number: the files present count.
TEST(IfoReport, WhichFilesAreDumped) {
  std::vector<BookCase> cases =
      files_cases({"",
                   "VIDEO_TS.IFO:0",
                   "VIDEO_TS.IFO:4095",
                   "VIDEO_TS.IFO/",
                   "VIDEO_TS.IFO:1 VTS_01_0.IFO VIDEO_TS.VOB",
                   "VIDEO_TS.IFO VTS_02_0.IFO",
                   "VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO VTS_04_0.IFO",
                   "VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:4095 VTS_03_0.IFO",
                   "VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:0 VTS_03_0.IFO",
                   "VIDEO_TS.IFO VTS_01_0.IFO/",
                   "video_ts.ifo vts_01_0.ifo Vts_02_0.Ifo",
                   "VIDEO_TS.IFO VTS_01_0.IFO VTS_01_0.VOB",
                   "VIDEO_TS.IFO VIDEO_TS.VOB VTS_02_0.IFO VTS_02_0.VOB VTS_03_0.VOB VTS_04_0.IFO "
                   "VTS_04_0.VOB",
                   "VTS_99_0.IFO VTS_99_0.VOB",
                   "VIDEO_TS.IFO:4095 VIDEO_TS.VOB VTS_01_0.IFO VTS_01_0.VOB VTS_02_0.IFO:4095 "
                   "VTS_02_0.VOB",
                   "VIDEO_TS.VOB VTS_01_0.VOB",
                   "VIDEO_TS.IFO VIDEO_TS.VOB:1",
                   "@vmgm_menu -VTS_01_0.IFO -VTS_01_0.BUP",
                   "@vmgm_menu -VTS_01_0.BUP VTS_01_0.IFO:100",
                   "@vmgm_menu -VIDEO_TS.IFO VTS_02_0.IFO:100",
                   "@vmgm_menu -VIDEO_TS.VOB -VTS_02_0.VOB"});
  // The sample whose reads fail from a byte on, as on a bad sector: the control file in its
  // title table, the title set's in its menus (its backup gone), the menu VOB after its first
  // NAV pack.
  for (const auto &[files, bad, at] : {std::tuple{"@vmgm_menu", "VIDEO_TS.IFO", 0x1000},
                                       {"@vmgm_menu -VTS_02_0.BUP", "VTS_02_0.IFO", 0x1800},
                                       {"@vmgm_menu", "VIDEO_TS.VOB", 0x1000}})
    cases.push_back({bad, [files, bad, at](const Disc &d) {
                       d.put_files(files);
                       fail_disc_reads_from(bad, at);
                     }});
  // VIDEO_TS.IFO states 99 title sets, then 100: a number past 99 counts as none.
  for (const uint32_t count : {99, 100})
    cases.push_back({count == 99 ? "99 title sets" : "100 title sets", [count](const Disc &d) {
                       d.put("VIDEO_TS.IFO", patched(Bytes(4096), {{0x3E, 2, count}}));
                       d.put_files("VTS_01_0.IFO VTS_02_0.IFO");
                     }});
  expect_golden_book(cases, {}, "files_dumped.txt");
}

// VIDEO_TS.IFO and then VTS_01_0.IFO, ... from `files`, listed with -I.
BookCase ifo_case(const char *label, const std::vector<Bytes> &files) {
  return {label, [=](const Disc &d) {
            for (size_t n = 0; n < files.size(); ++n)
              d.put(n == 0 ? "VIDEO_TS.IFO" : "VTS_0" + std::to_string(n) + "_0.IFO", files[n]);
          }};
}

// A video manager with three titles (table at 0x800) and two menu language units (table at
// 0x1000, first unit at 0x1018), and a title set with title (0x800) and menu (0x1000) program
// chains; each row patches them. Then discs whose tables point at the edges of the file and of
// the 16 MiB read, at themselves or at each other, with counts of 65535.
TEST(IfoReport, AbsentDamagedAndHostileTables) {
  const Pgc pgc = {.pre = cmds("7100 0000 0001 0000")};
  const Bytes vmg =
      build_vmg({.titles = std::vector<Title>{{}, {3, 2, 1, 12}, {255, 127, 99, 65535}},
                 .menus = MenuTable{{{"en", 0x80, {pgc, pgc}}, {"fr", 0x80, {pgc}}}}});
  const Bytes vts = build_vts(
      {.titles = std::vector<Pgc>{pgc, pgc}, .menus = MenuTable{{{"en", 0x80, {pgc, pgc}}}}});
  const auto row = [&](const char *label, std::vector<Patch> on_vmg, std::vector<Patch> on_vts) {
    return ifo_case(label, {patched(vmg, on_vmg), patched(vts, on_vts)});
  };
  // Only the first 16 MiB are read: a title table at 16 MiB, and the search pointers of a menu
  // table in the last sector before it, end there although the file goes on.
  constexpr size_t k16MiB = 16 << 20;
  std::vector<Patch> at_16_mib = {{k16MiB + 4096, 0},
                                  {0xC4, 4, 0x2000},
                                  {0xC8, 4, 8191},
                                  {k16MiB - 2048, 2, 0xFFFF},
                                  {k16MiB + 4, 4, 8}}; // what would be a valid pointer, past 16 MiB
  for (size_t i = 0; i < 255; ++i)
    at_16_mib.insert(at_16_mib.end(),
                     {{k16MiB - 2040 + 8 * i, 2, 0x656E}, {k16MiB - 2036 + 8 * i, 4, 0xFFFFFFFF}});
  const Bytes own_table = patched(Bytes(4096 + 24), {{4096, 2, 0xFFFF}});
  const Pgc busy = {.pre = cmds("7100 0001 0002 0000"),
                    .post = cmds("3002 0000 0001 0000"),
                    .cell_commands = cmds("3002 0000 0001 0000"),
                    .cells = {{1, 0}}};
  const std::vector<Pgc> three(3, busy);
  expect_golden_book(
      {
          row("whole", {}, {}),
          row("no titles", {{0x800, 2, 0}}, {}),
          row("title table sector 0", {{0xC4, 4, 0}}, {}),
          // No top-bit rule for this table, and no 32-bit wrap of its offset.
          row("title table sector 0xFFFFFFFF", {{0xC4, 4, 0xFFFFFFFF}}, {}),
          row("title table header cut by the end of the file", {{0xC4, 4, 2}, {0x1004, 0}}, {}),
          row("65535 titles", {{0x1000, 0}, {0x800, 2, 0xFFFF}}, {}),
          row("first play offset far past the file", {{0x84, 4, 0xFFFFFFFF}}, {}),
          row("VMGM_PGCI_UT sector 0", {{0xC8, 4, 0}}, {}),
          row("VMGM_PGCI_UT sector with its top bit set", {{0xC8, 4, 0x80000002}}, {}),
          row("VMGM_PGCI_UT past the file", {{0xC8, 4, 0x7FFFFFFF}}, {}),
          row("VTS_PGCIT sector 0xFFFFFFFF", {}, {{0xCC, 4, 0xFFFFFFFF}}),
          row("VTS_PGCIT past the file", {}, {{0xCC, 4, 0x100}}),
          row("VTSM_PGCI_UT sector with its top bit set", {}, {{0xD0, 4, 0x80000001}}),
          // A start that 32-bit arithmetic would wrap round to the table's own first bytes.
          row("language unit 1 past the file", {{0x100C, 4, 0xFFFFF000}}, {}),
          row("file ends inside the language unit search pointers", {{0x1010, 0}}, {}),
          row("menu PGC 1 past the file", {{0x1024, 4, 0x20000}}, {}),
          row("title PGC 1 past the file", {}, {{0x80C, 4, 0xFFFFFFF0}}),
          // Kept: the unit's one pointer, the language unit's header and its first PGC pointer.
          row("file ends inside the menu PGC search pointers", {}, {{0x1020, 0}}),
          // clang-format off
          ifo_case("header texts at the edges of each rule",
                   {build_vmg({.menus = MenuTable{{{"\xFF\x65", 0xFF}, {"~!", 0x7F}, {"!~", 0},
                                                   {"e\x1F", 0x80}, {"\x1F\x65"}, {"\x7F\x65"},
                                                   {"e\x7F"}}}}),
                    build_vts({.titles = std::vector<Pgc>{{.category = 5}, {.category = 0x80},
                                                          {.category = 0xFF}},
                               .menus = MenuTable{{{"en", 0x08, {{.category = 3}, {.category = 0x85},
                                                                 {.category = 0x80},
                                                                 {.category = 0x88}}},
                                                   {"en", 0x80}, {"en", 0x37}, {"en", 0xFF},
                                                   {"en", 0x07}}}})}),
          // clang-format on
          // VTS_02 names sector 2 for both its tables, where VTS_01 had its menu table, still
          // in the buffer; but VTS_02 itself ends at 4096 bytes.
          ifo_case("a shorter title set never shows the bytes of the one before",
                   {Bytes(4096),
                    build_vts({.titles = std::vector<Pgc>(2),
                               .menus = MenuTable{{{"en", 0x80, {Pgc{}}}}}}),
                    patched(Bytes(4096), {{0xCC, 4, 2}, {0xD0, 4, 2}})}),
          ifo_case("4096-byte files with every table just past their end",
                   {patched(build_vmg({}), {{0xC4, 4, 2}, {0x84, 4, 0xF15}, {0xC8, 4, 2}}),
                    patched(build_vts({}), {{0xCC, 4, 2}, {0xD0, 4, 2}})}),
          ifo_case("tables at the end of the 16 MiB read",
                   {patched(build_vmg({}), at_16_mib), Bytes(4096)}),
          // The post- and cell commands come after all 65535 pre-commands, far past the file.
          ifo_case("65535 pre-commands",
                   {patched(build_vmg({.titles = std::nullopt, .first_play = busy}),
                            {{0x4EC, 2, 0xFFFF}}),
                    Bytes(4096)}),
          // 65535 language units and chains in a table at the very end of the file, whose
          // pointers are zero: every unit is the table itself, and so is every chain. The
          // title set's two tables are one and the same.
          ifo_case("65535 units and chains that are their own table",
                   {patched(own_table, {{0xC8, 4, 2}}),
                    patched(own_table, {{0xCC, 4, 2}, {0xD0, 4, 2}})}),
          // Three language units share one unit (0x1020), whose three chains are one chain
          // (0x1040), whose cell table is its command table: all of it inside the file.
          ifo_case("shared and overlapping tables",
                   {patched(build_vmg({.menus = MenuTable{{{"en", 0x80, three},
                                                           {"fr", 0x80, three},
                                                           {"de", 0x80, three}}}}),
                            {{0x1014, 4, 0x20},
                             {0x101C, 4, 0x20},
                             {0x1034, 4, 0x20},
                             {0x103C, 4, 0x20},
                             {0x1128, 2, 0xEC}}),
                    Bytes(4096)}),
      },
      {"-I"}, "ifo_tables.txt");
}

// The first-play chain `pgc` of a 4096-byte VIDEO_TS.IFO, then patched: the chain at 0x400,
// its command table at 0x4EC, its cell table after that.
BookCase first_play(const char *label, const Pgc &pgc, const std::vector<Patch> &patches = {}) {
  return ifo_case(label, {patched(build_vmg({.first_play = pgc}), patches), Bytes(4096)});
}

Pgc two_cell_commands(std::vector<uint8_t> cells, std::optional<uint8_t> count = {}) {
  Pgc pgc = {.cell_commands = cmds("2001 0000 0000 0001 2001 0000 0000 0002"), .cell_count = count};
  for (const uint8_t number : cells)
    pgc.cells.push_back({number, 0});
  return pgc;
}

// The command table moved to 0xFE8 with these counts and two commands.
std::vector<Patch> table_at_end(uint16_t pre, uint16_t post, uint16_t cells) {
  return {{0x4E4, 2, 0xBE8}, {0xFE8, 2, pre},        {0xFEA, 2, post},
          {0xFEC, 2, cells}, {0xFF0, 4, 0x71000000}, {0xFF8, 4, 0x30010000}};
}

// The three command lists of a program chain, each cell command with the cells that use it.
TEST(IfoReport, CommandListsOfAProgramChain) {
  std::vector<uint8_t> alternating; // 80 cells: 1, 2, 1, 2, ...
  for (unsigned j = 0; j < 80; ++j)
    alternating.push_back(static_cast<uint8_t>(1 + j % 2));
  const std::vector<Command> modulo = cmds("6700 0001 0002 0000"),
                             goto5 = cmds("0001 0000 0000 0005");
  // Four cells naming commands 2, 1, 1, 2; a moved cell table names 1, 2 where it is inside.
  const Pgc none, cut = two_cell_commands({2, 1, 1, 2});
  expect_golden_book(
      {
          // A table start of 0 means no commands, whatever the chain's other fields say.
          first_play(
              "no command table",
              {.pre = goto5, .cell_commands = goto5, .cells = {{1, 0}}, .command_table = false}),
          first_play("each list counts from one",
                     {.pre = cmds("7100 0000 0000 0000 0001 0000 0000 0005"),
                      .post = cmds("3002 0000 0003 0000 3001 0000 0000 0000"),
                      .cell_commands = cmds("2001 0000 0000 0001")}),
          first_play("percent sign printed literally",
                     {.pre = modulo, .cell_commands = modulo, .cells = {{1, 0}}}),
          // Cell 2 names a command the chain does not have, cell 4 none at all.
          first_play("cells 1 and 3 of 4", two_cell_commands({1, 9, 1, 0})),
          first_play("32 cells", two_cell_commands(std::vector<uint8_t>(32, 1))),
          first_play("33 cells", two_cell_commands(std::vector<uint8_t>(33, 2))),
          first_play("40 cells each", two_cell_commands(alternating)),
          first_play("no cells", two_cell_commands({})),
          first_play("cell count 0", two_cell_commands({1, 2}, 0)),
          first_play("chain inside the header", none, {{0x84, 4, 4}}),
          first_play("command table header straddles the end", none, {{0x4E4, 2, 0xBFC}}),
          first_play("command table header 6 bytes before the end", none, {{0x4E4, 2, 0xBFA}}),
          first_play("command table header far outside", none, {{0x4E4, 2, 0xFFFF}}),
          first_play("command table header ends the file", none, {{0x4E4, 2, 0xBF8}}),
          // The chain's fixed part fits to its last byte; its command table starts at the end.
          first_play("chain that ends at the file end", none, {{0x84, 4, 0xF14}, {0xFF8, 2, 0xEC}}),
          first_play("pre-commands run past the end", none, table_at_end(3, 0, 0)),
          first_play("post-commands run past the end", none, table_at_end(1, 2, 0)),
          first_play("cell commands run past the end", none, table_at_end(0, 0, 3)),
          // Four cells claimed: the usage lists what the readable entries say.
          first_play("cell table cut after two cells", cut,
                     {{0x4E8, 2, 0xBD0}, {0xFD3, 1, 1}, {0xFEB, 1, 2}}),
          first_play("cell table cut after one cell", cut,
                     {{0x4E8, 2, 0xBD8}, {0xFDB, 1, 1}, {0xFF3, 1, 2}}),
          first_play("cell table far outside", cut, {{0x4E8, 2, 0xFFFF}}),
      },
      {"-I"}, "pgc_lists.txt");
}

// A disc that uses every header form: titles of all widths, a first play, video manager menus
// in three language units (one code unprintable, one with a byte above 0x7E), title sets with
// and without each table, and a gap after title set 04.
TEST(IfoReport, FixtureDisc) {
  const auto one = [](const char *pre, uint8_t category = 0) {
    return Pgc{.pre = cmds(pre), .category = category};
  };
  // clang-format off
  const Vmg vmg = {
      .titles = std::vector<Title>{{1, 1, 1, 3}, {1, 2, 2, 12}, {3, 1, 9, 100}},
      .first_play = Pgc{.pre = cmds("7100 0000 656E 0000 00A1 0081 0001 0003 3006 0000 0043 0000")},
      .menus = MenuTable{{
          {"en", 0x80, {{.pre = cmds("7100 0000 0000 0000"), .post = cmds("3006 0002 0187 0000"),
                         .cell_commands = cmds("2001 0000 0000 0401"), .cells = {{1, 0}},
                         .category = 0x82},
                        {.command_table = false}}},
          {std::string(2, '\0'), 0x7F,
           {one("3008 0000 0183 0000", 0xF3), one("3008 0102 03C4 0000", 0x81)}},
          {"e\x80", 0x00, {one("0003 0000 0000 F70A", 0x8F)}}}}};
  const Pgc title1 = {
      .programs = 3, .pre = cmds("D1A1 0C00 0800 0005 A121 0002 0003 0809"),
      .post = cmds("6C00 0001 0002 0000 6700 0001 0002 0000"),
      .cell_commands = cmds("6101 0001 0002 0005 E000 0000 0000 0000 2005 0000 0000 0C03"),
      .cells = {{1, 0}, {0, 0}, {1, 0}, {3, 0}, {9, 0}}, .category = 0x81};
  const Vts vts1 = {
      .titles = std::vector<Pgc>{title1, one("3002 0000 0003 0000", 0x05),
                                 {.programs = 0, .category = 0xFF}},
      .menus = MenuTable{{
          {"en", 0xC8, {{.pre = cmds("5600 0000 0C00 0000"), .post = cmds("2001 0000 0000 0010"),
                         .category = 0x83},
                        one("5100 0088 C581 0000", 0x87)}},
          {"fr", 0x07, {one("4300 0005 0083 0000", 0x84), one("3005 0002 0001 0000")}}}}};
  const Vts vts3 = {.titles = std::vector<Pgc>{{.post = cmds("3003 0000 0002 0000"), .category = 0x81}}};
  // clang-format on
  Disc disc;
  disc.put("VIDEO_TS.IFO", build_vmg(vmg));
  disc.put("VTS_01_0.IFO", build_vts(vts1));
  disc.put("VTS_02_0.IFO",
           build_vts({.menus = MenuTable{{{"  ", 0xF8, {one("3001 0000 0000 0000", 0x86)}}}}}));
  disc.put("VTS_03_0.IFO", build_vts(vts3));
  disc.put("VTS_04_0.IFO", build_vts({}));
  disc.put("VTS_06_0.IFO", build_vts(vts3)); // after the gap
  const RunResult result = disc.run();
  EXPECT_EQ(result.status, 0);
  expect_golden(result.output, "ifo_fixture_disc.txt");
}

// The real sample discs, listed from their own folder so that the reports hold no absolute
// path. plain has no menu VOB, which the -V dump notes: a disc without menus.
TEST(IfoReport, SampleDiscs) {
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    for (const auto &[option, golden] :
         {std::pair{"-I", "ifo_"}, std::pair{"-V", "vob_"}, std::pair{"", "full_"}}) {
      const RunResult result = run_navlist(*option ? Args{option, "VIDEO_TS"} : Args{"VIDEO_TS"},
                                           sample_disc(disc).parent_path());
      EXPECT_EQ(result.status, 0) << golden << disc;
      expect_golden(result.output, golden + disc + ".txt");
    }
  }
}

} // namespace
