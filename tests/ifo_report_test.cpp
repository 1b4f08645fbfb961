// SPDX-License-Identifier: MIT
// The -I report: which control files are loaded, the title table, first play, the menu and
// title program chain tables, damaged tables and control files cut short; the whole reports
// of the fixture disc and of the sample discs.
#include "harness.h"

#include "fixture.h"
#include "ifo/pgc_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <tuple>
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

// The reports of a video manager whose three tables are all absent, and of a
// title set whose two tables are.
const std::string kEmptyVmg = kFileSeparator + "<Title Information>\n----\n" + kSectionSeparator +
                              "<First Play>\n----\n" + kSectionSeparator +
                              "<VMG Menu Program Chain>\n----\n";
std::string empty_vts(const std::string &number) {
  return kFileSeparator + "<VTS_" + number + " Program Chain>\n----\n" + kSectionSeparator +
         "<VTS_" + number + " Menu Program Chain>\n----\n";
}

TEST(IfoLoading, WhichControlFilesAreDumped) {
  const std::string invalid_vmg = "VIDEO_TS\\VIDEO_TS.IFO is invalid format.\n";
  const struct {
    const char *files;  // as Disc::put_files lays them out
    std::string output; // after the banner
    int status;
  } rows[] = {
      {"", "VIDEO_TS\\VIDEO_TS.IFO not found.\n", 1},
      {"VIDEO_TS.IFO:4095", invalid_vmg, 1},
      {"VIDEO_TS.IFO/", invalid_vmg, 1},
      {"VIDEO_TS.IFO VTS_02_0.IFO", kEmptyVmg + "VIDEO_TS\\VTS_01_0.IFO not found.\n", 1},
      // A gap after 02 ends the dump silently.
      {"VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO VTS_04_0.IFO",
       kEmptyVmg + empty_vts("01") + empty_vts("02"), 0},
      {"VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:4095 VTS_03_0.IFO",
       kEmptyVmg + empty_vts("01") + "VIDEO_TS\\VTS_02_0.IFO is invalid format.\n", 1},
      {"VIDEO_TS.IFO VTS_01_0.IFO/", kEmptyVmg + "VIDEO_TS\\VTS_01_0.IFO is invalid format.\n", 1},
      {"video_ts.ifo vts_01_0.ifo Vts_02_0.Ifo", kEmptyVmg + empty_vts("01") + empty_vts("02"), 0},
#ifndef _WIN32
      // Of two spellings, neither exact, the first in byte order is read.
      {"Video_ts.ifo video_ts.IFO:4095", kEmptyVmg + "VIDEO_TS\\VTS_01_0.IFO not found.\n", 1},
#endif
  };
  for (const auto &row : rows) {
    Disc disc;
    disc.put_files(row.files);
    const RunResult result = disc.run();
    EXPECT_EQ(result.output, kBanner + row.output) << row.files;
    EXPECT_EQ(result.status, row.status) << row.files;
  }
}

// The header texts at the edges of each rule; those that the fixture disc's
// golden report shows are not repeated here.
TEST(MenuTables, HeaderTexts) {
  char out[64];
  const std::pair<std::string, const char *> languages[] = {
      {"\xFF\x65", "??"}, {"~!", "~!"}, {"e\x1F", "??"}, {"\x7F\x65", "??"}};
  for (const auto &[code, text] : languages) {
    format_language_code(reinterpret_cast<const uint8_t *>(code.data()), out);
    EXPECT_STREQ(out, text) << text;
  }
  const auto vmg = format_vmg_menu_existence, vts = format_vts_menu_existence;
  const auto menu = format_menu_entry, title = format_title_entry;
  const struct {
    void (*format)(unsigned, char *);
    unsigned value;
    const char *text;
  } rows[] = {{vmg, 0xFF, ", Menu Existence=Title"},
              {vts, 0x08, ", Menu Existence=Chapter"},
              {vts, 0x80, ", Menu Existence=Root"},
              {vts, 0x37, ", Menu Existence=Audio,Angle"},
              {vts, 0xFF, ", Menu Existence=Root,Subpicture,Audio,Angle,Chapter"},
              {menu, 0x03, ""},
              {menu, 0x85, ", Entry=Audio menu"},
              {menu, 0x80, ", Entry=No menu"},
              {menu, 0x88, ", Entry=No menu"},
              {title, 0x05, ""},
              {title, 0x80, ", Entry=Title0"}};
  for (const auto &row : rows) {
    std::snprintf(out, sizeof out, "stale text, longer than any result");
    row.format(row.value, out);
    EXPECT_STREQ(out, row.text) << std::hex << row.value;
  }
}

// A video manager with 100 titles and two menu language units, and a title
// set with title and menu program chains; each row damages one table and
// names the lines that must follow in order: the marker, then the next
// sibling. Rows that cut the file to 4096 bytes keep only the title table.
TEST(IfoTables, AbsentAndOutOfRangeTables) {
  const fixture::Pgc pgc = {.pre = {cmd("71 00 00 00 00 01 00 00")}};
  std::vector<fixture::Title> titles(100);
  titles[98] = {3, 2, 1, 12};
  titles[99] = {255, 127, 99, 65535};
  const fixture::Ifo vmg = fixture::build_vmg(
      {.titles = titles,
       .menus = fixture::MenuTable{{{"en", 0x80, {pgc, pgc}}, {"fr", 0x80, {pgc}}}}});
  const fixture::Ifo vts =
      fixture::build_vts({.titles = std::vector<fixture::Pgc>{pgc, pgc},
                          .menus = fixture::MenuTable{{{"en", 0x80, {pgc, pgc}}}}});
  const uint32_t vmgm = vmg.layout.menu_table;
  const uint32_t vtsm = vts.layout.menu_table;
  const uint32_t title_pgcs = vts.layout.title_pgc_table;
  const uint32_t vmg_unit = vmgm + fixture::be32(vmg.bytes, vmgm + 8 + 4);

  const std::string next_pgc = "\n<PGC_002, Programs:1, Cells:0>\n  <Pre Command>\n";
  const std::string fr = "<Language_02:\"fr\", Menu Existence=Title>\n\n<PGC_001,";
  const std::string vts_part = kFileSeparator + "<VTS_01 Program Chain>\n\n<PGC_001,";
  const std::string vts_menu_part = kSectionSeparator + "<VTS_01 Menu Program Chain>\n";
  const std::string en = "<Language_01:\"en\", Menu Existence=Title>\n";
  const auto line = [](const std::string &what, uint64_t at, const char *indent = "") {
    return marker(indent, what, at) + "\n";
  };
  const struct {
    const char *name;
    std::function<void(Bytes &vmg, Bytes &vts)> change;
    std::string block; // with a marker exactly when the status is 1
  } rows[] = {
      {"title fields of every width", [](Bytes &, Bytes &) {},
       "\n  Title99: [VTS: 3  Title in VTS: 2  Angles: 1  Chapters:12]\n"
       "  Title100: [VTS:255  Title in VTS:127  Angles:99  Chapters:65535]\n" +
           kSectionSeparator + "<First Play>\n----\n"},
      {"no titles", [](Bytes &b, Bytes &) { put_be16(b, 0x800, 0); },
       "<Title Information>\n" + kSectionSeparator},
      {"title table sector 0", [](Bytes &b, Bytes &) { put_be32(b, 0xC4, 0); },
       "<Title Information>\n----\n" + kSectionSeparator},
      // No top-bit rule for this table, and no 32-bit wrap of its offset.
      {"title table sector 0xFFFFFFFF", [](Bytes &b, Bytes &) { put_be32(b, 0xC4, 0xFFFFFFFF); },
       "<Title Information>\n" + line("title table", 0x7FFFFFFF800, "  ") + kSectionSeparator},
      {"title table header cut by the end of the file",
       [](Bytes &b, Bytes &) {
         put_be32(b, 0xC4, 2);
         b.resize(0x1004);
       },
       "<Title Information>\n" + line("title table", 0x1000, "  ") + kSectionSeparator},
      {"65535 titles",
       [](Bytes &b, Bytes &) {
         b.resize(0x1000);
         put_be16(b, 0x800, 0xFFFF);
       },
       "\n  Title170: [VTS: 0  Title in VTS: 0  Angles: 0  Chapters: 0]\n" +
           line("title 171", 0x1000, "  ") + kSectionSeparator},
      {"first play offset far past the file",
       [](Bytes &b, Bytes &) { put_be32(b, 0x84, 0xFFFFFFFF); },
       "<First Play>\n" + line("first play PGC", 0xFFFFFFFF) + kSectionSeparator},
      {"VMGM_PGCI_UT sector 0", [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0); },
       "<VMG Menu Program Chain>\n----\n" + vts_part},
      {"VMGM_PGCI_UT sector with its top bit set",
       [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0x80000000 | vmgm / 2048); },
       "<VMG Menu Program Chain>\n----\n" + vts_part},
      {"VTS_PGCIT sector 0xFFFFFFFF", [&](Bytes &, Bytes &b) { put_be32(b, 0xCC, 0xFFFFFFFF); },
       "<VTS_01 Program Chain>\n----\n" + vts_menu_part + "<Language_01:"},
      {"VTSM_PGCI_UT sector with its top bit set",
       [&](Bytes &, Bytes &b) { put_be32(b, 0xD0, 0x80000001); }, vts_menu_part + "----\n"},
      {"VMGM_PGCI_UT past the file", [&](Bytes &b, Bytes &) { put_be32(b, 0xC8, 0x7FFFFFFF); },
       "<VMG Menu Program Chain>\n" + line("menu PGC table", 0x3FFFFFFF800) + vts_part},
      {"VTS_PGCIT past the file", [&](Bytes &, Bytes &b) { put_be32(b, 0xCC, 0x100); },
       "<VTS_01 Program Chain>\n" + line("title PGC table", 0x80000) + vts_menu_part +
           "<Language_01:"},
      // A start that 32-bit arithmetic would wrap round to the table's own first bytes.
      {"language unit 1 past the file",
       [&](Bytes &b, Bytes &) { put_be32(b, vmgm + 8 + 4, static_cast<uint32_t>(-vmgm)); },
       en + line("language unit 01", 0x100000000) + fr},
      {"file ends inside the language unit search pointers",
       [&](Bytes &b, Bytes &) { b.resize(vmgm + 16); },
       en + line("language unit 01", vmgm + 24) + line("language unit 02", vmgm + 16) + vts_part},
      {"menu PGC 1 past the file",
       [&](Bytes &b, Bytes &) { put_be32(b, vmg_unit + 8 + 4, 0x20000); },
       en + "\n" + line("PGC 001", vmg_unit + 0x20000) + next_pgc},
      {"title PGC 1 past the file",
       [&](Bytes &, Bytes &b) { put_be32(b, title_pgcs + 8 + 4, 0xFFFFFFF0); },
       "<VTS_01 Program Chain>\n\n" + line("PGC 001", title_pgcs + 0xFFFFFFF0ull) + next_pgc},
      // Kept: the unit's one pointer, the language unit's header and its first PGC pointer.
      {"file ends inside the menu PGC search pointers",
       [&](Bytes &, Bytes &b) { b.resize(vtsm + 16 + 16); },
       vts_menu_part + "<Language_01:\"en\", Menu Existence=Root>\n\n" +
           line("PGC 001", vtsm + 16 + 24) + "\n" + line("PGC 002", vtsm + 32)},
  };
  for (const auto &row : rows) {
    Bytes vmg_bytes = vmg.bytes;
    Bytes vts_bytes = vts.bytes;
    row.change(vmg_bytes, vts_bytes);
    Disc disc;
    disc.put("VIDEO_TS.IFO", vmg_bytes);
    disc.put("VTS_01_0.IFO", vts_bytes);
    const RunResult result = disc.run();
    EXPECT_NE(result.output.find(row.block), std::string::npos) << row.name << "\n"
                                                                << result.output;
    EXPECT_EQ(result.status, row.block.find("out of range") != std::string::npos) << row.name;
  }
}

// VTS_02 names sector 2 for both its tables: VTS_01 had its menu table
// there, still in the buffer, but VTS_02 itself ends at 4096 bytes.
TEST(MenuTables, AShorterTitleSetNeverShowsTheBytesOfTheOneBefore) {
  const fixture::Ifo vts1 =
      fixture::build_vts({.titles = std::vector<fixture::Pgc>(2),
                          .menus = fixture::MenuTable{{{"en", 0x80, {fixture::Pgc{}}}}}});
  ASSERT_EQ(vts1.layout.menu_table, 0x1000u);
  Bytes vts2(4096);
  put_be32(vts2, 0xCC, 2);
  put_be32(vts2, 0xD0, 2);
  Disc disc;
  disc.put_files("VIDEO_TS.IFO");
  disc.put("VTS_01_0.IFO", vts1.bytes);
  disc.put("VTS_02_0.IFO", vts2);
  const std::string output = disc.run().output;
  EXPECT_EQ(output.substr(output.find("<VTS_02 ")),
            "<VTS_02 Program Chain>\n" + marker("", "title PGC table", 0x1000) + "\n" +
                kSectionSeparator + "<VTS_02 Menu Program Chain>\n" +
                marker("", "menu PGC table", 0x1000) + "\n");
}

// A disc that uses every header form: titles of all widths, a first play,
// video manager menus in three language units (one code unprintable, one
// with a byte above 0x7E), title sets with and without each table, and a
// gap after title set 04.
TEST(IfoGolden, FixtureDisc) {
  using fixture::Pgc;
  const auto one = [](const char *pre, uint8_t category = 0) {
    return Pgc{.pre = {cmd(pre)}, .category = category};
  };
  const Pgc title_menu = {.pre = {cmd("71 00 00 00 00 00 00 00")},
                          .post = {cmd("30 06 00 02 01 87 00 00")},
                          .cell_commands = {cmd("20 01 00 00 00 00 04 01")},
                          .cells = {{1, 0}},
                          .category = 0x82};
  const fixture::Vmg vmg = {
      .titles = std::vector<fixture::Title>{{1, 1, 1, 3}, {1, 2, 2, 12}, {3, 1, 9, 100}},
      .first_play = Pgc{.pre = {cmd("71 00 00 00 65 6E 00 00"), cmd("00 A1 00 81 00 01 00 03"),
                                cmd("30 06 00 00 00 43 00 00")}},
      .menus = fixture::MenuTable{{
          {"en", 0x80, {title_menu, {.command_table = false}}},
          {std::string(2, '\0'),
           0x7F,
           {one("30 08 00 00 01 83 00 00", 0xF3), one("30 08 01 02 03 C4 00 00", 0x81)}},
          {"e\x80", 0x00, {one("00 03 00 00 00 00 F7 0A", 0x8F)}},
      }}};
  const Pgc title1 = {.programs = 3,
                      .pre = {cmd("D1 A1 0C 00 08 00 00 05"), cmd("A1 21 00 02 00 03 08 09")},
                      .post = {cmd("6C 00 00 01 00 02 00 00"), cmd("67 00 00 01 00 02 00 00")},
                      .cell_commands = {cmd("61 01 00 01 00 02 00 05"),
                                        cmd("E0 00 00 00 00 00 00 00"),
                                        cmd("20 05 00 00 00 00 0C 03")},
                      .cells = {{1, 0}, {0, 0}, {1, 0}, {3, 0}, {9, 0}},
                      .category = 0x81};
  const fixture::Vts vts1 = {
      .titles = std::vector<Pgc>{title1,
                                 one("30 02 00 00 00 03 00 00", 0x05),
                                 {.programs = 0, .category = 0xFF}},
      .menus = fixture::MenuTable{{
          {"en",
           0xC8,
           {{.pre = {cmd("56 00 00 00 0C 00 00 00")},
             .post = {cmd("20 01 00 00 00 00 00 10")},
             .category = 0x83},
            one("51 00 00 88 C5 81 00 00", 0x87)}},
          {"fr", 0x07, {one("43 00 00 05 00 83 00 00", 0x84), one("30 05 00 02 00 01 00 00")}},
      }}};
  const fixture::Vts vts2 = {
      .menus = fixture::MenuTable{{{"  ", 0xF8, {one("30 01 00 00 00 00 00 00", 0x86)}}}}};
  const fixture::Vts vts3 = {
      .titles = std::vector<Pgc>{{.post = {cmd("30 03 00 00 00 02 00 00")}, .category = 0x81}}};

  Disc disc;
  disc.put("VIDEO_TS.IFO", fixture::build_vmg(vmg).bytes);
  const std::pair<const char *, fixture::Vts> title_sets[] = {
      {"01", vts1}, {"02", vts2}, {"03", vts3}, {"04", {}}, {"06", vts3}}; // 06: after the gap
  for (const auto &[number, vts] : title_sets)
    disc.put("VTS_" + std::string(number) + "_0.IFO", fixture::build_vts(vts).bytes);
  const RunResult result = disc.run();
  EXPECT_EQ(result.status, 0);
  expect_golden(result.output, "ifo_fixture_disc.txt");
}

// The real sample discs, listed from their own folder so that the reports
// hold no absolute path. plain has no menu VOB, which the -V dump reports.
TEST(SampleDiscs, ReportsMatchTheirGoldenFiles) {
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const fs::path folder = sample_disc(disc).parent_path();
    for (const auto &[args, golden, status] :
         {std::tuple{std::vector<std::string>{"-I"}, "ifo_", 0},
          std::tuple{std::vector<std::string>{"-V"}, "vob_", disc == "plain" ? 1 : 0},
          std::tuple{std::vector<std::string>{}, "full_", disc == "plain" ? 1 : 0}}) {
      std::vector<std::string> arguments = args;
      arguments.push_back("VIDEO_TS");
      const RunResult result = run_navlist(arguments, folder);
      EXPECT_EQ(result.status, status) << golden << disc;
      expect_golden(result.output, golden + disc + ".txt");
    }
  }
}

// Control files cut short: a real disc's file is cut at every 512 bytes and at
// odd lengths, and the report of the cut disc is held against that of the
// whole one.

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
                << where << ": command at 0x" << std::hex << offset;
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
