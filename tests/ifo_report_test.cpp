// The -I report: which control files are loaded, the title table, first play, the menu and
// title program chain tables, damaged tables, whole reports and control files cut short.
#include "harness.h"

#include "common/bytes.h"
#include "fixture.h"
#include "ifo/pgc_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::cmd;
using fixture::put_be16;
using fixture::put_be32;

const std::string kBanner = "*** NAVLIST Ver 1.00 ***\n";
const std::string kFileSeparator = "\n" + std::string(78, '=') + "\n";
const std::string kSectionSeparator = "\n" + std::string(78, '-') + "\n";
constexpr size_t kMiB = 1024 * 1024;

std::string vts_name(unsigned n) {
  char name[16];
  std::snprintf(name, sizeof name, "VTS_%02u_0.IFO", n);
  return name;
}

std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// A disc folder VIDEO_TS inside a fresh temporary folder. run() lists it with
// -I from the temporary folder, so file names print as VIDEO_TS\NAME.
struct Disc {
  TempDir dir;
  fs::path folder() const { return dir.path() / "VIDEO_TS"; }
  void put(const std::string &name, const Bytes &bytes) const {
    fixture::write_file(folder() / name, bytes);
  }
  void vmg(const fixture::Vmg &vmg = {}) const {
    put("VIDEO_TS.IFO", fixture::build_vmg(vmg).bytes);
  }
  void vts(unsigned n, const fixture::Vts &vts = {}) const {
    put(vts_name(n), fixture::build_vts(vts).bytes);
  }
  RunResult run() const { return run_navlist({"-I", "VIDEO_TS"}, dir.path()); }
};

// The report of a video manager whose three tables are all absent, and of a
// title set whose two tables are.
const std::string kEmptyVmg = kFileSeparator + "<Title Information>\n----\n" + kSectionSeparator +
                              "<First Play>\n----\n" + kSectionSeparator +
                              "<VMG Menu Program Chain>\n----\n";
std::string empty_vts(unsigned n) {
  const std::string number = vts_name(n).substr(4, 2);
  return kFileSeparator + "<VTS_" + number + " Program Chain>\n----\n" + kSectionSeparator +
         "<VTS_" + number + " Menu Program Chain>\n----\n";
}
const Bytes kZeroControlFile(4096); // every start sector and offset 0

TEST(IfoLoading, WhichControlFilesAreDumped) {
  struct Row {
    const char *name;
    std::function<void(const Disc &)> lay_out;
    std::string output; // after the banner
    int status;
  };
  const Row rows[] = {
      {"no VIDEO_TS.IFO", [](const Disc &d) { fs::create_directories(d.folder()); },
       "VIDEO_TS\\VIDEO_TS.IFO not found.\n", 1},
      {"VIDEO_TS.IFO of 4095 bytes", [](const Disc &d) { d.put("VIDEO_TS.IFO", Bytes(4095)); },
       "VIDEO_TS\\VIDEO_TS.IFO is invalid format.\n", 1},
      {"VIDEO_TS.IFO is a directory",
       [](const Disc &d) { fs::create_directories(d.folder() / "VIDEO_TS.IFO"); },
       "VIDEO_TS\\VIDEO_TS.IFO is invalid format.\n", 1},
      {"4096 bytes are enough; VTS_01 missing, VTS_02 present",
       [](const Disc &d) {
         d.put("VIDEO_TS.IFO", kZeroControlFile);
         d.put(vts_name(2), kZeroControlFile);
       },
       kEmptyVmg + "VIDEO_TS\\VTS_01_0.IFO not found.\n", 1},
      {"01, 02 and 04: the gap ends the dump silently",
       [](const Disc &d) {
         d.put("VIDEO_TS.IFO", kZeroControlFile);
         for (unsigned n : {1, 2, 4})
           d.put(vts_name(n), kZeroControlFile);
       },
       kEmptyVmg + empty_vts(1) + empty_vts(2), 0},
      {"short VTS_02 ends the dump",
       [](const Disc &d) {
         d.put("VIDEO_TS.IFO", kZeroControlFile);
         d.put(vts_name(1), kZeroControlFile);
         d.put(vts_name(2), Bytes(4095));
         d.put(vts_name(3), kZeroControlFile);
       },
       kEmptyVmg + empty_vts(1) + "VIDEO_TS\\VTS_02_0.IFO is invalid format.\n", 1},
      {"a directory named VTS_01_0.IFO",
       [](const Disc &d) {
         d.put("VIDEO_TS.IFO", kZeroControlFile);
         fs::create_directories(d.folder() / vts_name(1));
       },
       kEmptyVmg + "VIDEO_TS\\VTS_01_0.IFO is invalid format.\n", 1},
      {"lower-case copies are found",
       [](const Disc &d) {
         d.put("video_ts.ifo", kZeroControlFile);
         d.put("vts_01_0.ifo", kZeroControlFile);
         d.put("Vts_02_0.Ifo", kZeroControlFile);
       },
       kEmptyVmg + empty_vts(1) + empty_vts(2), 0},
  };
  for (const Row &row : rows) {
    Disc disc;
    row.lay_out(disc);
    const RunResult result = disc.run();
    EXPECT_EQ(result.output, kBanner + row.output) << row.name;
    EXPECT_EQ(result.status, row.status) << row.name;
  }
}

TEST(IfoLoading, ReadsOnlyTheFirst16MiBOfAControlFile) {
  // A title table in the last sector below 16 MiB that claims 200 titles:
  // 170 end at the 16 MiB mark, the others are in the file but past it.
  Bytes vmg(16 * kMiB + 4096);
  const size_t table = 16 * kMiB - 2048;
  put_be32(vmg, 0xC4, table / 2048);
  put_be16(vmg, table, 200);
  for (size_t i = 0; i < 200; ++i) {
    uint8_t *entry = &vmg[table + 8 + 12 * i];
    entry[1] = 1;
    entry[3] = 1;
    entry[6] = 1;
    entry[7] = static_cast<uint8_t>(i + 1);
  }
  Disc disc;
  disc.put("VIDEO_TS.IFO", vmg);
  disc.put(vts_name(1), kZeroControlFile);
  const RunResult result = disc.run();
  EXPECT_NE(result.output.find("  Title170: [VTS: 1  Title in VTS:170  Angles: 1  Chapters: 1]\n"
                               "  (out of range: title 171 at 0x1000000)\n" +
                               kSectionSeparator + "<First Play>\n----\n"),
            std::string::npos)
      << result.output.substr(0, 400);
  EXPECT_EQ(result.status, 1);
}

TEST(TitleTable, FieldWidths) {
  fixture::Vmg vmg;
  vmg.titles = std::vector<fixture::Title>(100);
  (*vmg.titles)[4] = {3, 2, 1, 12};
  (*vmg.titles)[5] = {255, 127, 99, 65535};
  Disc disc;
  disc.vmg(vmg);
  const std::string output = disc.run().output;
  for (const char *line : {"  Title01: [VTS: 1  Title in VTS: 1  Angles: 1  Chapters: 1]\n",
                           "  Title05: [VTS: 3  Title in VTS: 2  Angles: 1  Chapters:12]\n",
                           "  Title06: [VTS:255  Title in VTS:127  Angles:99  Chapters:65535]\n",
                           "  Title100: [VTS: 1  Title in VTS: 1  Angles: 1  Chapters: 1]\n"})
    EXPECT_NE(output.find(std::string("\n") + line), std::string::npos) << line;
}

// Each row changes one field of a video manager (no first play, no menus, a
// title table in sector 1, 4096 bytes) and names the lines that follow.
TEST(TitleTable, AbsentEmptyAndOutOfRangeTables) {
  struct Row {
    const char *name;
    std::function<void(Bytes &)> change;
    std::string block;
  };
  const Row rows[] = {
      {"no titles", [](Bytes &) {},
       "<Title Information>\n" + kSectionSeparator + "<First Play>\n----\n"},
      {"title table sector 0", [](Bytes &b) { put_be32(b, 0xC4, 0); },
       "<Title Information>\n----\n" + kSectionSeparator},
      {"title table past the file", [](Bytes &b) { put_be32(b, 0xC4, 0x7FFFF); },
       "<Title Information>\n  (out of range: title table at 0x3FFFF800)\n" + kSectionSeparator},
      {"title table header cut by the end of the file",
       [](Bytes &b) {
         put_be32(b, 0xC4, 2);
         b.resize(0x1004);
       },
       "<Title Information>\n  (out of range: title table at 0x1000)\n" + kSectionSeparator},
      {"more titles than the file holds", [](Bytes &b) { put_be16(b, 0x800, 400); },
       "\n  Title170: [VTS: 0  Title in VTS: 0  Angles: 0  Chapters: 0]\n"
       "  (out of range: title 171 at 0x1000)\n" +
           kSectionSeparator},
      {"first play past the file", [](Bytes &b) { put_be32(b, 0x84, 0xF80); },
       "<First Play>\n(out of range: first play PGC at 0xF80)\n" + kSectionSeparator},
      {"first play offset far past the file", [](Bytes &b) { put_be32(b, 0x84, 0xFFFFFFFF); },
       "<First Play>\n(out of range: first play PGC at 0xFFFFFFFF)\n" + kSectionSeparator},
  };
  for (const Row &row : rows) {
    Bytes vmg = fixture::build_vmg({}).bytes;
    ASSERT_EQ(vmg.size(), 4096u);
    row.change(vmg);
    Disc disc;
    disc.put("VIDEO_TS.IFO", vmg);
    disc.put(vts_name(1), kZeroControlFile);
    const RunResult result = disc.run();
    EXPECT_NE(result.output.find(row.block), std::string::npos) << row.name << "\n"
                                                                << result.output;
    const bool marker = row.block.find("out of range") != std::string::npos;
    EXPECT_EQ(result.status, marker ? 1 : 0) << row.name;
  }
}

TEST(MenuTables, HeaderTexts) {
  char out[64];
  const std::pair<std::string, const char *> languages[] = {
      {"en", "en"},    {std::string(2, '\0'), "??"},
      {"e\x80", "??"}, {"\xFF\x65", "??"},
      {"  ", "  "},    {"~!", "~!"},
      {"e\x1F", "??"}, {"\x7F\x65", "??"},
  };
  for (const auto &[code, text] : languages) {
    format_language_code(reinterpret_cast<const uint8_t *>(code.data()), out);
    EXPECT_STREQ(out, text) << text;
  }
  struct Row {
    void (*format)(unsigned, char *);
    unsigned value;
    const char *text;
  };
  const Row rows[] = {
      {format_vmg_menu_existence, 0x80, ", Menu Existence=Title"},
      {format_vmg_menu_existence, 0xFF, ", Menu Existence=Title"},
      {format_vmg_menu_existence, 0x7F, ", Menu Existence=----"},
      {format_vts_menu_existence, 0x07, ", Menu Existence=----"},
      {format_vts_menu_existence, 0x08, ", Menu Existence=Chapter"},
      {format_vts_menu_existence, 0x80, ", Menu Existence=Root"},
      {format_vts_menu_existence, 0xC8, ", Menu Existence=Root,Subpicture,Chapter"},
      {format_vts_menu_existence, 0x37, ", Menu Existence=Audio,Angle"},
      {format_vts_menu_existence, 0xFF, ", Menu Existence=Root,Subpicture,Audio,Angle,Chapter"},
      {format_menu_entry, 0x03, ""},
      {format_menu_entry, 0x82, ", Entry=Title menu"},
      {format_menu_entry, 0x83, ", Entry=Root menu"},
      {format_menu_entry, 0xF3, ", Entry=Root menu"},
      {format_menu_entry, 0x84, ", Entry=Subpicture menu"},
      {format_menu_entry, 0x85, ", Entry=Audio menu"},
      {format_menu_entry, 0x86, ", Entry=Angle menu"},
      {format_menu_entry, 0x87, ", Entry=Chapter menu"},
      {format_menu_entry, 0x80, ", Entry=No menu"},
      {format_menu_entry, 0x81, ", Entry=No menu"},
      {format_menu_entry, 0x88, ", Entry=No menu"},
      {format_menu_entry, 0x8F, ", Entry=No menu"},
      {format_title_entry, 0x05, ""},
      {format_title_entry, 0x80, ", Entry=Title0"},
      {format_title_entry, 0x81, ", Entry=Title1"},
      {format_title_entry, 0xFF, ", Entry=Title127"},
  };
  for (const Row &row : rows) {
    std::snprintf(out, sizeof out, "stale text, longer than any result");
    row.format(row.value, out);
    EXPECT_STREQ(out, row.text) << std::hex << row.value;
  }
}

// A video manager with two menu language units and a title set with title
// and menu program chains; each row damages one table and names the lines
// that must follow in order: the marker, then the next sibling.
TEST(MenuTables, AbsentAndOutOfRangeTables) {
  fixture::Pgc pgc;
  pgc.pre = {cmd("71 00 00 00 00 01 00 00")};
  const fixture::MenuTable vmg_menus{{{"en", 0x80, {pgc, pgc}}, {"fr", 0x80, {pgc}}}};
  fixture::Vmg vmg_description;
  vmg_description.menus = vmg_menus;
  fixture::Vts vts_description;
  vts_description.titles = std::vector<fixture::Pgc>{pgc, pgc};
  vts_description.menus = fixture::MenuTable{{{"en", 0x80, {pgc, pgc}}}};
  const fixture::Ifo vmg = fixture::build_vmg(vmg_description);
  const fixture::Ifo vts = fixture::build_vts(vts_description);
  const uint32_t vmgm = vmg.layout.menu_table;
  const uint32_t vtsm = vts.layout.menu_table;
  const uint32_t titles = vts.layout.title_pgc_table;

  const uint32_t vmg_unit = vmgm + get_be32(vmg.bytes.data() + vmgm + 8 + 4);
  const std::string next_pgc = "\n<PGC_002, Programs:1, Cells:0>\n  <Pre Command>\n";
  const std::string fr = "<Language_02:\"fr\", Menu Existence=Title>\n\n<PGC_001,";
  const std::string vts_part = kFileSeparator + "<VTS_01 Program Chain>\n\n<PGC_001,";
  const std::string vts_menu_part = kSectionSeparator + "<VTS_01 Menu Program Chain>\n";
  struct Row {
    const char *name;
    std::function<void(Bytes &vmg, Bytes &vts)> change;
    std::string block;
    int status;
  };
  const Row rows[] = {
      {"VMGM_PGCI_UT sector 0", [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0); },
       "<VMG Menu Program Chain>\n----\n" + vts_part, 0},
      {"VMGM_PGCI_UT sector with its top bit set",
       [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0x80000000 | vmgm / 2048); },
       "<VMG Menu Program Chain>\n----\n" + vts_part, 0},
      {"VTS_PGCIT sector 0xFFFFFFFF", [&](Bytes &, Bytes &b) { put_be32(b, 0xCC, 0xFFFFFFFF); },
       "<VTS_01 Program Chain>\n----\n" + vts_menu_part + "<Language_01:", 0},
      {"VTSM_PGCI_UT sector with its top bit set",
       [&](Bytes &, Bytes &b) { put_be32(b, 0xD0, 0x80000001); }, vts_menu_part + "----\n", 0},
      {"VMGM_PGCI_UT past the file", [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0x7FFFFFFF); },
       "<VMG Menu Program Chain>\n(out of range: menu PGC table at 0x3FFFFFFF800)\n" + vts_part, 1},
      {"VTS_PGCIT past the file", [&](Bytes &, Bytes &b) { put_be32(b, 0xCC, 0x100); },
       "<VTS_01 Program Chain>\n(out of range: title PGC table at 0x80000)\n" + vts_menu_part +
           "<Language_01:",
       1},
      {"language unit 1 past the file",
       [&](Bytes &b, Bytes &) { put_be32(b, vmgm + 8 + 4, 0x10000); },
       "<Language_01:\"en\", Menu Existence=Title>\n(out of range: language unit 01 at " +
           hex(vmgm + 0x10000) + ")\n" + fr,
       1},
      {"file ends inside the language unit search pointers",
       [&](Bytes &b, Bytes &) { b.resize(vmgm + 16); },
       "<Language_01:\"en\", Menu Existence=Title>\n(out of range: language unit 01 at " +
           hex(vmgm + 24) + ")\n(out of range: language unit 02 at " + hex(vmgm + 16) + ")\n" +
           vts_part,
       1},
      {"menu PGC 1 past the file",
       [&](Bytes &b, Bytes &) { put_be32(b, vmg_unit + 8 + 4, 0x20000); },
       "<Language_01:\"en\", Menu Existence=Title>\n\n(out of range: PGC 001 at " +
           hex(vmg_unit + 0x20000) + ")\n" + next_pgc,
       1},
      {"title PGC 1 past the file",
       [&](Bytes &, Bytes &b) { put_be32(b, titles + 8 + 4, 0xFFFFFFF0); },
       "<VTS_01 Program Chain>\n\n(out of range: PGC 001 at " + hex(titles + 0xFFFFFFF0ull) +
           ")\n" + next_pgc,
       1},
      {"file ends inside the menu PGC search pointers",
       [&](Bytes &, Bytes &b) {
         // The PGCI_UT's one pointer is followed by its language unit:
         // keep the unit's header and its first PGC search pointer.
         b.resize(vtsm + 16 + 16);
       },
       vts_menu_part + "<Language_01:\"en\", Menu Existence=Root>\n\n(out of range: PGC 001 at " +
           hex(vtsm + 16 + 24) + ")\n\n(out of range: PGC 002 at " + hex(vtsm + 32) + ")\n",
       1},
  };
  for (const Row &row : rows) {
    Bytes vmg_bytes = vmg.bytes;
    Bytes vts_bytes = vts.bytes;
    row.change(vmg_bytes, vts_bytes);
    Disc disc;
    disc.put("VIDEO_TS.IFO", vmg_bytes);
    disc.put(vts_name(1), vts_bytes);
    const RunResult result = disc.run();
    EXPECT_NE(result.output.find(row.block), std::string::npos) << row.name << "\n"
                                                                << result.output;
    EXPECT_EQ(result.status, row.status) << row.name;
  }
}

TEST(MenuTables, AShorterTitleSetNeverShowsTheBytesOfTheOneBefore) {
  // VTS_02 names sector 2 as its menu table: VTS_01 had one there, still in
  // the buffer, but VTS_02 itself ends at 4096 bytes.
  fixture::Vts first;
  first.titles = std::vector<fixture::Pgc>(2);
  first.menus = fixture::MenuTable{{{"en", 0x80, {fixture::Pgc{}}}}};
  const fixture::Ifo vts1 = fixture::build_vts(first);
  ASSERT_EQ(vts1.layout.menu_table, 0x1000u);
  Bytes vts2 = kZeroControlFile;
  put_be32(vts2, 0xD0, 2);
  Disc disc;
  disc.put("VIDEO_TS.IFO", kZeroControlFile);
  disc.put(vts_name(1), vts1.bytes);
  disc.put(vts_name(2), vts2);
  const std::string output = disc.run().output;
  EXPECT_EQ(output.substr(output.rfind("<VTS_02 Menu")),
            "<VTS_02 Menu Program Chain>\n(out of range: menu PGC table at 0x1000)\n");
}

// Whole reports, compared with tests/golden/ifo_*.txt.

fixture::Pgc pgc_with(std::vector<fixture::Command> pre, std::vector<fixture::Command> post = {},
                      uint8_t category = 0) {
  fixture::Pgc pgc;
  pgc.pre = std::move(pre);
  pgc.post = std::move(post);
  pgc.category = category;
  return pgc;
}

// A disc that uses every header form: titles of all widths, a first play,
// video manager menus in three language units (one code unprintable, one
// with a byte above 0x7E), title sets with and without each table, and a
// gap after title set 04.
TEST(IfoGolden, FixtureDisc) {
  fixture::Vmg vmg;
  vmg.titles = std::vector<fixture::Title>{{1, 1, 1, 3}, {1, 2, 2, 12}, {3, 1, 9, 100}};
  vmg.first_play = pgc_with({cmd("71 00 00 00 65 6E 00 00"), cmd("00 A1 00 81 00 01 00 03"),
                             cmd("30 06 00 00 00 43 00 00")});
  fixture::Pgc title_menu =
      pgc_with({cmd("71 00 00 00 00 00 00 00")}, {cmd("30 06 00 02 01 87 00 00")}, 0x82);
  title_menu.cell_commands = {cmd("20 01 00 00 00 00 04 01")};
  title_menu.cells = {{1, 0}};
  fixture::Pgc no_table;
  no_table.command_table = false;
  vmg.menus = fixture::MenuTable{{
      {"en", 0x80, {title_menu, no_table}},
      {std::string(2, '\0'),
       0x7F,
       {pgc_with({cmd("30 08 00 00 01 83 00 00")}, {}, 0xF3),
        pgc_with({cmd("30 08 01 02 03 C4 00 00")}, {}, 0x81)}},
      {"e\x80", 0x00, {pgc_with({cmd("00 03 00 00 00 00 F7 0A")}, {}, 0x8F)}},
  }};

  fixture::Pgc title1 =
      pgc_with({cmd("D1 A1 0C 00 08 00 00 05"), cmd("A1 21 00 02 00 03 08 09")},
               {cmd("6C 00 00 01 00 02 00 00"), cmd("67 00 00 01 00 02 00 00")}, 0x81);
  title1.programs = 3;
  title1.cell_commands = {cmd("61 01 00 01 00 02 00 05"), cmd("E0 00 00 00 00 00 00 00"),
                          cmd("20 05 00 00 00 00 0C 03")};
  title1.cells = {{1, 0}, {0, 0}, {1, 0}, {3, 0}, {9, 0}};
  fixture::Pgc title127 = pgc_with({}, {}, 0xFF);
  title127.programs = 0;
  fixture::Vts vts1;
  vts1.titles = std::vector<fixture::Pgc>{
      title1, pgc_with({cmd("30 02 00 00 00 03 00 00")}, {}, 0x05), title127};
  vts1.menus = fixture::MenuTable{{
      {"en",
       0xC8,
       {pgc_with({cmd("56 00 00 00 0C 00 00 00")}, {cmd("20 01 00 00 00 00 00 10")}, 0x83),
        pgc_with({cmd("51 00 00 88 C5 81 00 00")}, {}, 0x87)}},
      {"fr",
       0x07,
       {pgc_with({cmd("43 00 00 05 00 83 00 00")}, {}, 0x84),
        pgc_with({cmd("30 05 00 02 00 01 00 00")})}},
  }};
  fixture::Vts vts2; // menus only
  vts2.menus =
      fixture::MenuTable{{{"  ", 0xF8, {pgc_with({cmd("30 01 00 00 00 00 00 00")}, {}, 0x86)}}}};
  fixture::Vts vts3; // titles only
  vts3.titles = std::vector<fixture::Pgc>{pgc_with({}, {cmd("30 03 00 00 00 02 00 00")}, 0x81)};

  Disc disc;
  disc.vmg(vmg);
  disc.vts(1, vts1);
  disc.vts(2, vts2);
  disc.vts(3, vts3);
  disc.vts(4);
  disc.vts(6, vts3); // after the gap: never dumped
  const RunResult result = disc.run();
  EXPECT_EQ(result.status, 0);
  expect_golden(result.output, "ifo_fixture_disc.txt");
}

// The real sample discs, listed from their own folder so that the report
// holds no absolute path.
TEST(IfoGolden, SampleDiscs) {
  for (const char *name : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const RunResult result = run_navlist({"-I", "VIDEO_TS"}, sample_disc(name).parent_path());
    EXPECT_EQ(result.status, 0) << name;
    expect_golden(result.output, std::string("ifo_") + name + ".txt");
  }
}

// Control files cut short: a real disc's file is cut at every 512 bytes and at
// odd lengths, and the report of the cut disc is held against that of the
// whole one.

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

bool is_marker(const std::string &line) {
  static const std::regex marker(R"( *\(out of range: [A-Za-z0-9 ]+ at 0x[0-9A-F]+\))");
  return std::regex_match(line, marker);
}

// A line of the cut report stands for a line of the whole report when it is
// the same, or the same cell command whose "Used by Cell=" list lost its
// last cells with the end of the cell playback table.
bool stands_for(const std::string &cut, const std::string &whole) {
  if (cut == whole)
    return true;
  const size_t usage = whole.find("  (Used by Cell=");
  if (usage == std::string::npos || cut.compare(0, usage, whole, 0, usage) != 0)
    return false;
  if (cut.size() == usage)
    return true;
  const std::string cells = whole.substr(usage, whole.size() - usage - 1) + ",";
  const std::string kept = cut.substr(0, cut.size() - 1).substr(usage) + ",";
  return cut.back() == ')' && cells.compare(0, kept.size(), kept) == 0;
}

// The listing-line offsets in `lines`, each with how often it is listed.
std::map<unsigned, unsigned> command_offsets(const std::vector<std::string> &lines) {
  std::map<unsigned, unsigned> offsets;
  static const std::regex listing(R"(    \d{3,}\[([0-9A-F]{6})\]:.*)");
  std::smatch match;
  for (const std::string &line : lines)
    if (std::regex_match(line, match, listing))
      ++offsets[std::stoul(match[1].str(), nullptr, 16)];
  return offsets;
}

TEST(CutControlFiles, ReportMatchesTheWholeDiscUntilTheCutBites) {
  for (const char *name : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    Disc disc;
    std::vector<std::string> files;
    for (const auto &entry : fs::directory_iterator(sample_disc(name)))
      if (entry.path().extension() == ".IFO") {
        files.push_back(entry.path().filename().string());
        fs::create_directories(disc.folder());
        fs::copy_file(entry.path(), disc.folder() / files.back());
      }
    ASSERT_GE(files.size(), 2u) << name;
    const std::string whole = disc.run().output;

    for (const std::string &file : files) {
      const std::string original = read_text_file(disc.folder() / file);
      // This file's part of the whole report: from its file separator to
      // the next one; what comes before and after must not change.
      const std::string title = file == "VIDEO_TS.IFO"
                                    ? kFileSeparator + "<Title Information>"
                                    : kFileSeparator + "<" + file.substr(0, 6) + " Program";
      const size_t part_start = whole.find(title);
      ASSERT_NE(part_start, std::string::npos) << name << " " << file;
      size_t part_end = whole.find(kFileSeparator, part_start + 1);
      if (part_end == std::string::npos)
        part_end = whole.size();
      const std::string before = whole.substr(0, part_start);
      const std::string after = whole.substr(part_end);
      const std::vector<std::string> part =
          split_lines(whole.substr(part_start, part_end - part_start));
      const std::map<unsigned, unsigned> part_offsets = command_offsets(part);

      std::vector<size_t> lengths;
      for (size_t n = 0; n <= original.size(); n += 512) {
        lengths.push_back(n);
        if (n + 77 < original.size())
          lengths.push_back(n + 77);
      }
      lengths.insert(lengths.end(), {1, 4095, 4097, original.size() - 1});
      for (const auto &[offset, count] : part_offsets)
        lengths.push_back(offset + 4); // through the middle of a command
      std::sort(lengths.begin(), lengths.end());
      size_t previous_kept = 0;
      for (size_t length : lengths) {
        const std::string where =
            std::string(name) + " " + file + " cut at " + std::to_string(length);
        disc.put(file, Bytes(original.begin(), original.begin() + length));
        const RunResult result = disc.run();
        const std::string &cut = result.output;
        if (length < 4096) {
          EXPECT_EQ(cut, before + "VIDEO_TS\\" + file + " is invalid format.\n") << where;
          EXPECT_EQ(result.status, 1) << where;
          continue;
        }
        ASSERT_TRUE(cut.size() >= before.size() + after.size() && cut.starts_with(before) &&
                    cut.ends_with(after))
            << where << "\n"
            << cut;
        const std::vector<std::string> lines =
            split_lines(cut.substr(before.size(), cut.size() - before.size() - after.size()));
        // Up to the first marker the lines are those of the whole report,
        // one for one; after it each line that is no marker stands for a
        // later line of the whole report, in order.
        size_t next = 0;
        size_t kept = 0;
        bool marked = false;
        for (const std::string &line : lines) {
          if (is_marker(line)) {
            marked = true;
            continue;
          }
          if (!marked) {
            ASSERT_TRUE(next < part.size() && stands_for(line, part[next]))
                << where << ": line " << next + 1 << " is\n  " << line << "\nexpected\n  "
                << (next < part.size() ? part[next] : "<end>");
          } else {
            while (next < part.size() && !stands_for(line, part[next]))
              ++next;
            ASSERT_LT(next, part.size())
                << where << ": no such line in the whole report:\n  " << line;
          }
          ++next;
          ++kept;
        }
        if (!marked) {
          EXPECT_EQ(lines, part) << where;
        }
        EXPECT_EQ(result.status, marked ? 1 : 0) << where;
        // Every command that lies wholly inside the bytes kept is listed.
        const std::map<unsigned, unsigned> offsets = command_offsets(lines);
        for (const auto &[offset, count] : part_offsets) {
          if (offset + 8 <= length) {
            EXPECT_EQ(offsets.count(offset) ? offsets.at(offset) : 0, count)
                << where << ": command at " << hex(offset);
          }
        }
        // A longer cut never lists less.
        EXPECT_GE(kept, previous_kept) << where;
        previous_kept = kept;
      }
      disc.put(file, Bytes(original.begin(), original.end()));
    }
  }
}

} // namespace
