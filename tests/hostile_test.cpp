// SPDX-License-Identifier: MIT
// Hostile discs that no other test builds: offsets at the edges of the 16 MiB and 8 MiB reads,
// chains inside the header, tables that point at themselves or at each other, counts of 65535,
// files of 0, 1 and 4096 bytes, the longest folder name. Each disc gives these lines and exit
// status, and its report holds only printable text.
#include "harness.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace fixture;

constexpr size_t kSector = 2048;
constexpr size_t kMiB = 1024 * 1024;

const Command kJump = cmd("30 02 00 00 00 01 00 00"); // JumpTT ttn:1
const std::string kJumpButton = "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1";
const Pgc kBusy = {.pre = {cmd("71 00 00 01 00 02 00 00")},
                   .post = {kJump},
                   .cell_commands = {kJump},
                   .cells = {{1, 0}}};

struct Expect {
  std::vector<std::string> args; // before the folder
  int status;
  std::vector<std::string> lines; // whole lines in this order; others may stand between
  std::vector<std::string> absent = {};
};

// -V on a title set whose menu table (one cell, at pack 0) starts in `sector`.
Expect menu_table_in_sector(const Disc &d, uint32_t sector, bool indexed) {
  const Ifo vts = build_vts({.menus = MenuTable{{{"en", 0x80, {kBusy}}}}});
  Bytes b(sector * kSector);
  std::copy(vts.bytes.begin(), vts.bytes.begin() + vts.layout.menu_table, b.begin());
  b.insert(b.end(), vts.bytes.begin() + vts.layout.menu_table, vts.bytes.end());
  put_be32(b, 0xD0, sector);
  d.put_files("VIDEO_TS.IFO");
  d.put("VTS_01_0.IFO", b);
  d.put("VTS_01_0.VOB", nav_pack({kJump}));
  const std::string used = "Used by (Language_01, PGC_001, Cell_1)";
  if (indexed)
    return {{"-V"}, 0, {"<VTS_01_0.VOB Button Information>", used, kJumpButton}};
  return {{"-V"}, 0, {"<VTS_01_0.VOB Button Information>", kJumpButton}, {used}};
}

struct Case {
  const char *name;
  Expect (*make)(const Disc &);
};

const Case kCases[] = {
    {"4096-byte files with every table just past their end",
     [](const Disc &d) -> Expect {
       Bytes vmg = build_vmg({}).bytes, vts = build_vts({}).bytes;
       EXPECT_EQ(vmg.size(), 4096u);
       put_be32(vmg, 0xC4, 2);
       put_be32(vmg, 0x84, 0x1000 - 0xEC + 1); // the chain's fixed part ends 1 byte late
       put_be32(vmg, 0xC8, 2);
       put_be32(vts, 0xCC, 2);
       put_be32(vts, 0xD0, 2);
       d.put("VIDEO_TS.IFO", vmg);
       d.put("VTS_01_0.IFO", vts);
       return {{"-I"},
               1,
               {marker("  ", "title table", 0x1000), marker("", "first play PGC", 0xF15),
                marker("", "menu PGC table", 0x1000), marker("", "title PGC table", 0x1000),
                marker("", "menu PGC table", 0x1000)}};
     }},
    // Only the first 16 MiB are read: a title table at 16 MiB, and the search pointers of a
    // menu table in the last sector before it, end there although the file goes on.
    {"tables at the end of the 16 MiB read",
     [](const Disc &d) -> Expect {
       Bytes b = build_vmg({}).bytes;
       b.resize(16 * kMiB + 4096);
       put_be32(b, 0xC4, 0x2000);
       const size_t table = 16 * kMiB - kSector;
       put_be32(b, 0xC8, static_cast<uint32_t>(table / kSector));
       put_be16(b, table, 0xFFFF);
       for (size_t i = 0; i < 255; ++i) {
         b[table + 8 + 8 * i] = 'e';
         b[table + 9 + 8 * i] = 'n';
         put_be32(b, table + 12 + 8 * i, 0xFFFFFFFF);
       }
       put_be32(b, 16 * kMiB + 4, 8); // what would be a valid pointer, past 16 MiB
       d.put("VIDEO_TS.IFO", b);
       d.put_files("VTS_01_0.IFO");
       return {{"-I"},
               1,
               {marker("  ", "title table", 16 * kMiB), "<Language_01:\"en\", Menu Existence=---->",
                marker("", "language unit 01", table + 0xFFFFFFFF),
                "<Language_255:\"en\", Menu Existence=---->",
                marker("", "language unit 255", table + 0xFFFFFFFF),
                marker("", "language unit 256", 16 * kMiB)}};
     }},
    {"menu table in the last sector of the 8 MiB read by -V",
     [](const Disc &d) { return menu_table_in_sector(d, 4095, true); }},
    {"menu table just past the 8 MiB read by -V",
     [](const Disc &d) { return menu_table_in_sector(d, 4096, false); }},
    // The post- and cell commands come after all 65535 pre-commands, far past the file.
    {"65535 pre-commands",
     [](const Disc &d) -> Expect {
       const Ifo vmg = build_vmg({.titles = std::nullopt, .first_play = kBusy});
       Bytes b = vmg.bytes;
       const size_t table = vmg.layout.first_play + be16(b, vmg.layout.first_play + 0xE4);
       put_be16(b, table, 0xFFFF);
       d.put("VIDEO_TS.IFO", b);
       d.put_files("VTS_01_0.IFO");
       const size_t first = table + 8, fit = (b.size() - first) / 8;
       return {
           {"-I"},
           1,
           {"  <Pre Command>",
            listing(static_cast<unsigned>(fit), first + 8 * (fit - 1), "0000 0000 0000 0000]  Nop"),
            marker("    ", "pre command " + std::to_string(fit + 1), first + 8 * fit),
            "  <Post Command>", marker("    ", "post command 001", first + 8 * 65535),
            "  <Cell Command>", marker("    ", "cell command 001", first + 8 * 65536)}};
     }},
    // 65535 language units and chains in a table at the very end of the file, whose pointers
    // are zero: every unit is the table itself, and so is every chain, which does not fit.
    {"65535 units and chains that are their own table",
     [](const Disc &d) -> Expect {
       const size_t table = 4096;
       Bytes vmg(table + 24); // the header and two search pointers
       put_be16(vmg, table, 0xFFFF);
       Bytes vts = vmg;
       put_be32(vmg, 0xC8, 2);
       put_be32(vts, 0xCC, 2); // the title set's two tables are one and the same
       put_be32(vts, 0xD0, 2);
       d.put("VIDEO_TS.IFO", vmg);
       d.put("VTS_01_0.IFO", vts);
       const std::string c1 = marker("", "PGC 001", table), c2 = marker("", "PGC 002", table),
                         c3 = marker("", "PGC 003", table + 24);
       const std::string u1 = "<Language_01:\"??\", Menu Existence=---->",
                         u2 = "<Language_02:\"??\", Menu Existence=---->",
                         u3 = marker("", "language unit 03", table + 24);
       const std::vector<std::string> menus = {u1, c1, c2, c3, u2, c1, c2, c3, u3};
       std::vector<std::string> lines = {"<VMG Menu Program Chain>"};
       lines.insert(lines.end(), menus.begin(), menus.end());
       lines.insert(lines.end(),
                    {"<VTS_01 Program Chain>", c1, c2, c3, "<VTS_01 Menu Program Chain>"});
       lines.insert(lines.end(), menus.begin(), menus.end());
       return {{"-I"}, 1, lines};
     }},
    // Three language units share one unit, whose three chains are one chain, whose cell table
    // is its command table: all of it lies inside the file, so the report is complete.
    {"shared and overlapping tables",
     [](const Disc &d) -> Expect {
       const std::vector<Pgc> three(3, kBusy);
       const Ifo vmg = build_vmg(
           {.menus = MenuTable{{{"en", 0x80, three}, {"fr", 0x80, three}, {"de", 0x80, three}}}});
       Bytes b = vmg.bytes;
       const size_t table = vmg.layout.menu_table;
       const uint32_t unit = be32(b, table + 12);
       const uint32_t chain = be32(b, table + unit + 12);
       for (size_t i = 1; i < 3; ++i) {
         put_be32(b, table + 12 + 8 * i, unit);
         put_be32(b, table + unit + 12 + 8 * i, chain);
       }
       const size_t pgc = table + unit + chain;
       put_be16(b, pgc + 0xE8, be16(b, pgc + 0xE4));
       d.put("VIDEO_TS.IFO", b);
       d.put_files("VTS_01_0.IFO");
       return {{"-I"},
               0,
               {"<Language_01:\"en\", Menu Existence=Title>", "<PGC_003, Programs:1, Cells:1>",
                "<Language_03:\"de\", Menu Existence=Title>", "<PGC_003, Programs:1, Cells:1>"}};
     }},
    {"first play chain inside the header",
     [](const Disc &d) -> Expect {
       Bytes b = build_vmg({}).bytes;
       put_be32(b, 0x84, 4);
       d.put("VIDEO_TS.IFO", b);
       d.put_files("VTS_01_0.IFO");
       return {{"-I"}, 0, {"<First Play>", "  <Pre Command>", "    ----"}};
     }},
};

// Discs of tiny files, laid out by Disc::put_files.
const std::pair<const char *, Expect> kFileCases[] = {
    {"VIDEO_TS.IFO:0", {{"-I"}, 1, {"VIDEO_TS\\VIDEO_TS.IFO is invalid format."}, {"<Title"}}},
    {"VIDEO_TS.IFO:1 VTS_01_0.IFO",
     {{"-I"}, 1, {"VIDEO_TS\\VIDEO_TS.IFO is invalid format."}, {"<Title"}}},
    {"VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:0 VTS_03_0.IFO",
     {{"-I"},
      1,
      {"<VTS_01 Menu Program Chain>", "----", "VIDEO_TS\\VTS_02_0.IFO is invalid format."},
      {"<VTS_02", "<VTS_03"}}},
    {"VIDEO_TS.IFO:1 VIDEO_TS.VOB",
     {{"-V"}, 1, {"*.VOB(menu) is not found."}, {"Button Information"}}},
    {"VIDEO_TS.IFO VIDEO_TS.VOB:1", {{"-V"}, 0, {"<VIDEO_TS.VOB Button Information>", "  ----"}}},
#ifndef _WIN32
    // On POSIX systems a folder opens as a file that reads nothing.
    {"VIDEO_TS.IFO VIDEO_TS.VOB/", {{"-V"}, 0, {"<VIDEO_TS.VOB Button Information>", "  ----"}}},
#endif
};

void expect_report(const Disc &disc, const Expect &expect) {
  const bool failed_before = ::testing::Test::HasFailure();
  const RunResult result = disc.run(expect.args);
  EXPECT_EQ(result.status, expect.status);
  EXPECT_TRUE(std::all_of(result.output.begin(), result.output.end(),
                          [](char ch) { return ch == '\n' || (ch >= 0x20 && ch <= 0x7E); }));
  const std::vector<std::string> lines = split_lines(result.output);
  auto at = lines.begin();
  for (const std::string &want : expect.lines) {
    at = std::find(at, lines.end(), want);
    if (at == lines.end()) {
      ADD_FAILURE() << "missing, or out of order: \"" << want << "\"";
      break;
    }
    ++at;
  }
  for (const std::string &text : expect.absent)
    EXPECT_EQ(result.output.find(text), std::string::npos) << "unexpected: " << text;
  if (::testing::Test::HasFailure() && !failed_before)
    ADD_FAILURE() << "report:\n" << result.output.substr(0, 6000);
}

TEST(HostileDiscs, MarkersStatusAndPrintableReport) {
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    Disc disc;
    expect_report(disc, c.make(disc));
  }
  for (const auto &[files, expect] : kFileCases) {
    SCOPED_TRACE(files);
    Disc disc;
    disc.put_files(files);
    expect_report(disc, expect);
  }
}

#ifndef _WIN32
// A folder name of 246 characters is 247 once normalized, the longest that fits: the whole disc
// is dumped as under a short name. (On Windows it would also pass the system's own limit on a
// whole path, which this is not about.)
TEST(HostileDiscs, LongestFolderNameDumpsTheWholeDisc) {
  TempDir dir;
  const std::string longest(246, 'd');
  fs::copy(sample_disc("vtsm_menus"), dir.path() / longest);
  fs::copy(sample_disc("vtsm_menus"), dir.path() / "d");
  const RunResult whole = run_navlist({longest}, dir.path());
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.output, run_navlist({"d"}, dir.path()).output);
  EXPECT_NE(whole.output.find("<VTS_01_0.VOB Button Information>"), std::string::npos);
}
#endif

} // namespace
