// SPDX-License-Identifier: MIT
// The --json report: the text report's commands and problems, golden documents, resolved targets.
#include "fixture.h"
#include "harness.h"
#include "output/json_report.h"
#include "platform/disc_file.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>

#include <cstdio>
#include <regex>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <string>
#include <vector>

namespace {

using namespace fixture;
using rapidjson::Value;

rapidjson::Document parse(const std::string &text) {
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  EXPECT_FALSE(document.HasParseError()) << "offset " << document.GetErrorOffset();
  return document;
}

// The document as its golden file holds it.
std::string pretty(const std::string &json) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 2);
  parse(json).Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

// A command of the document as the text report lists it: a chain's, or a button of the NAV
// pack `pack`.
std::string listing_line(const Value &command, long pack) {
  const std::string bytes = command["bytes"].GetString();
  char head[48];
  if (pack < 0)
    std::snprintf(head, sizeof head, "    %03u[%06X]:[", command["number"].GetUint(),
                  command["offset"].GetUint());
  else
    std::snprintf(head, sizeof head, "  %04u[PK_%06lX]:[", command["number"].GetUint(), pack);
  std::string line = head;
  for (size_t i = 0; i < 16; i += 4)
    line += bytes.substr(i, 4) + (i < 12 ? " " : "]  ");
  line += command["text"].GetString();
  if (command.HasMember("used_by_cells")) {
    line += "  (Used by Cell=";
    for (const Value &cell : command["used_by_cells"].GetArray())
      line += std::to_string(cell.GetUint()) + ",";
    line.pop_back();
    line += command["used_by_cells_cut"].GetBool() ? ",...)" : ")";
  }
  return line;
}

// Every command of the document in document order, which is the text report's order.
void listing_lines(const Value &value, std::vector<std::string> &lines, long pack = -1) {
  if (value.IsArray())
    for (const Value &item : value.GetArray())
      listing_lines(item, lines, pack);
  if (!value.IsObject())
    return;
  if (value.HasMember("bytes"))
    return lines.push_back(listing_line(value, pack));
  for (const auto &member : value.GetObject())
    listing_lines(member.value, lines, value.HasMember("pack") ? value["pack"].GetInt64() : pack);
}

// The lines of `text` that match `pattern`, as its first group.
std::vector<std::string> matching_lines(const std::string &text, const std::regex &pattern) {
  std::vector<std::string> found;
  std::smatch match;
  for (const std::string &line : split_lines(text))
    if (std::regex_match(line, match, pattern))
      found.push_back(match[1]);
  return found;
}

TEST(JsonReport, SampleDiscsListTheCommandsOfTheirTextReports) {
  static const std::regex kCommandLine(R"(^((    \d{3,}\[|  \d{4,}\[PK_).*))");
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const RunResult json = run_navlist({"--json", sample_disc(disc).string()});
    std::vector<std::string> lines;
    listing_lines(parse(json.output), lines);
    const std::string text = read_file(std::string(NAVLIST_GOLDEN_DIR) + "/full_" + disc + ".txt");
    EXPECT_EQ(lines, matching_lines(text, kCommandLine)) << disc;
    EXPECT_EQ(json.status, run_navlist({sample_disc(disc).string()}).status) << disc;
    expect_golden(pretty(json.output), "json_" + disc + ".json");
  }
}

// The problems and then the notes of a graph, from its comment lines, as the text report words
// them.
std::vector<std::string> graph_problems(const std::string &graph) {
  static const std::regex kProblem(R"(^  // problem: (?:[A-Z0-9_]+\.(?:IFO|BUP|VOB): )?(.*)$)");
  std::vector<std::string> lines = matching_lines(graph, kProblem);
  for (const std::string &note : matching_lines(graph, std::regex("^  // note: (.*)$")))
    lines.push_back(note);
  return lines;
}

// Each disc's problems, then its notes, in its JSON documents and graphs are the messages and
// markers of its text reports, in their order; the JSON ends a marker's message with its offset
// and names its file, and has problems exactly when the run exits with 1. Reads that fail (a bad
// sector, made here through the disc-file seam) in the video manager, a title set's control file
// or a menu VOB, missing title sets, backups read instead and a disc without menus are told
// where the text report tells them.
TEST(JsonReport, ProblemsAreThoseOfTheTextReport) {
  static const std::regex kProblem(R"(^ *(\(out of range: .*\)|.* not found\.|)"
                                   R"(.* is invalid format\.|.* cannot be read.*\.|)"
                                   R"(.* is a .*, not a regular file\.)$)");
  // A video manager and a title set whose tables run past their files: the title count, the
  // first play's pre-command count, the first menu chain's command table, the language unit
  // count, the title set's second title chain.
  const Bytes vmg =
      patched(build_vmg({.titles = std::vector<Title>(2),
                         .first_play = Pgc{.pre = cmds("0000 0000 0000 0000")},
                         .menus = MenuTable{{{.pgcs = {{}, {}}}}}}),
              {{0x800, 2, 500}, {0x4EC, 2, 0xFFFF}, {0x110C, 2, 0xFFFF}, {0x1000, 2, 3}});
  const Bytes vts =
      patched(build_vts({.titles = std::vector<Pgc>{{.cell_commands = cmds("2001 0000 0000 0001"),
                                                     .cells = {{1}},
                                                     .cell_count = 200},
                                                    {}}}),
              {{0x814, 4, 0xFFFFFF}});
  std::vector<BookCase> discs = files_cases(
      {"", "VIDEO_TS.IFO:100 VIDEO_TS.VOB", "VIDEO_TS.IFO",
       "VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:10 VTS_01_0.VOB", "@plain",
       "@vmgm_menu -VTS_01_0.IFO -VTS_01_0.BUP", "@vmgm_menu VTS_01_0.IFO:100 -VIDEO_TS.IFO"});
  discs.push_back({"tables past their files", [&](const Disc &d) {
                     d.put("VIDEO_TS.IFO", vmg);
                     d.put("VTS_01_0.IFO", vts);
                   }});
  // A sample's title set cut in its menu chains, its language unit pointers and a language
  // unit's chain pointers.
  for (const size_t size : {0x1A00, 0x1814, 0x1F40})
    discs.push_back({"a sample's title set cut short", [size](const Disc &d) {
                       copy_sample("vtsm_menus", d.folder());
                       std::filesystem::resize_file(d.folder() / "VTS_01_0.IFO", size);
                     }});
  // The title set's third language unit shares the first one's chain table, whose last pointer
  // lies past the file: --graph walks that table once and repeats its problem.
  discs.push_back({"units sharing a table", [](const Disc &d) {
                     copy_sample("vtsm_menus", d.folder());
                     const std::string ifo = read_file(d.folder() / "VTS_01_0.IFO");
                     d.put("VTS_01_0.IFO", patched(Bytes(ifo.begin(), ifo.end()),
                                                   {{0x181C, 4, 0x20}, {0x184C, 4, 0x7FFFFFF0}}));
                   }});
  const struct {
    const char *label; // "bad " and the file
    uint64_t at;
  } faults[] = {{"bad VIDEO_TS.IFO", 0x1800},
                {"bad VIDEO_TS.IFO", 0x800},
                {"bad VTS_01_0.IFO", 0x2000},
                {"bad VTS_01_0.VOB", 0x1000}};
  for (const auto &fault : faults)
    discs.push_back({fault.label, [=](const Disc &d) {
                       copy_sample("vtsm_menus", d.folder());
                       fail_disc_reads_from(fault.label + 4, fault.at);
                     }});
#ifndef _WIN32
  // Files that are not read: a FIFO, a device, a link to itself. Each is told where it is opened
  // (a control file's backup is removed: it would be read instead).
  const struct {
    const char *label; // the message
    const char *leaf;
    const char *link; // "": a FIFO
  } not_read[] = {{"VIDEO_TS\\VIDEO_TS.IFO is a FIFO, not a regular file.", "VIDEO_TS.IFO", ""},
                  {"VIDEO_TS\\VTS_01_0.VOB is a character device, not a regular file.",
                   "VTS_01_0.VOB", "/dev/zero"},
                  {"VIDEO_TS\\VTS_01_0.IFO cannot be read: Too many levels of symbolic links.",
                   "VTS_01_0.IFO", "VTS_01_0.IFO"}};
  for (const auto &file : not_read)
    discs.push_back({file.label, [=](const Disc &d) {
                       copy_sample("vtsm_menus", d.folder());
                       std::filesystem::remove(d.folder() / file.leaf);
                       std::string backup = file.leaf;
                       if (backup.ends_with(".IFO"))
                         std::filesystem::remove(d.folder() / backup.replace(9, 3, "BUP"));
                       if (*file.link == '\0')
                         ASSERT_EQ(mkfifo((d.folder() / file.leaf).c_str(), 0644), 0);
                       else
                         std::filesystem::create_symlink(file.link, d.folder() / file.leaf);
                     }});
#endif
  for (const BookCase &disc_case : discs) {
    Disc disc;
    disc_case.lay_out(disc);
    for (const Args &options : {Args{}, Args{"-I"}, Args{"-V"}}) {
      SCOPED_TRACE(std::string(disc_case.label) + " " + (options.empty() ? "" : options[0]));
      const RunResult text = disc.run(options);
      Args json_options = options;
      json_options.push_back("--json");
      const RunResult json = disc.run(json_options);
      const rapidjson::Document document = parse(json.output);
      std::vector<std::string> problems;
      EXPECT_EQ(document["problems"].Empty(), json.status == 0);
      for (const Value &problem : document["problems"].GetArray()) {
        problems.push_back(problem["message"].GetString());
        if (!problem.HasMember("offset"))
          continue;
        char at[32];
        std::snprintf(at, sizeof at, " at 0x%llX)",
                      static_cast<unsigned long long>(problem["offset"].GetUint64()));
        EXPECT_TRUE(problems.back().ends_with(at)) << problems.back();
        EXPECT_TRUE(problem.HasMember("file")) << problems.back();
      }
      if (document.HasMember("notes"))
        for (const Value &note : document["notes"].GetArray())
          problems.push_back(note["message"].GetString());
      EXPECT_EQ(problems, matching_lines(text.output, kProblem));
      EXPECT_EQ(json.status, text.status);
      const std::string label = disc_case.label;
      if (label.starts_with("bad ")) { // -I does not read the VOB
        EXPECT_EQ(label.ends_with(".IFO") || options != Args{"-I"},
                  text.output.find(label.substr(4) + " cannot be read") != std::string::npos);
      }
      if (label.starts_with("VIDEO_TS\\")) {
        EXPECT_EQ(label.find(".IFO") != std::string::npos || options != Args{"-I"},
                  text.output.find(label) != std::string::npos);
      }
      Args graph_options = options;
      graph_options.push_back("--graph");
      EXPECT_EQ(graph_problems(disc.run(graph_options).output), problems);
    }
    fail_disc_reads_from("", 0);
  }
}

// Each set form's operands as data: assign, system and gating, as they come in the document.
TEST(JsonReport, SetOperandsAsData) {
  const struct {
    const char *bytes;
    const char *fields;
  } rows[] = {
      {"7300 0002 0005 0000",
       R"({"assign":{"register":{"gprm":2},"operator":"add","source":{"immediate":5}}})"},
      {"6200 0008 0009 0000",
       R"({"assign":{"register":{"gprm":8},"operator":"swp","source":{"gprm":9}}})"},
      {"6800 0001 0081 0000",
       R"({"assign":{"register":{"gprm":1},"operator":"rnd","source":{"sprm":1}}})"},
      {"5100 0088 C581 0000",
       R"({"system":{"setting":"streams","audio":{"immediate":8},"subpicture":{"immediate":69},"angle":{"immediate":1}}})"},
      {"4100 0000 8300 0000", R"({"system":{"setting":"streams","subpicture":{"gprm":3}}})"},
      {"5200 012C 0005 0000",
       R"({"system":{"setting":"nav_timer","seconds":{"immediate":300},"pgcn":5}})"},
      {"4300 0005 0083 0000",
       R"({"system":{"setting":"register_mode","register":{"gprm":3},"counter":true,"value":{"gprm":5}}})"},
      {"5400 0000 0011 0000", R"({"system":{"setting":"audio_mix","value":{"immediate":17}}})"},
      {"4600 0000 0001 0000", R"({"system":{"setting":"highlight","value":{"gprm":1}}})"},
      {"91F1 000A 0014 0000",
       R"({"assign":{"register":{"gprm":1},"operator":"mov","source":{"immediate":10}},"gating":"set_then_compare"})"},
      {"B121 0002 0003 0000",
       R"({"assign":{"register":{"gprm":1},"operator":"mov","source":{"immediate":2}},"gating":"compare_all"})"},
      {"C302 0005 0000 0000",
       R"({"assign":{"register":{"gprm":2},"operator":"add","source":{"gprm":5}},"gating":"compare_set_link_always"})"},
  };
  std::string pre;
  for (const auto &row : rows)
    pre += std::string(row.bytes) + " ";
  Disc disc;
  disc.put("VIDEO_TS.IFO", build_vmg({.first_play = Pgc{.pre = cmds(pre.c_str())}}));
  const rapidjson::Document document = parse(disc.run({"-I", "--json"}).output);
  const Value &commands = document["video_manager"]["first_play"]["pre"];
  ASSERT_EQ(commands.Size(), std::size(rows));
  for (rapidjson::SizeType i = 0; i < commands.Size(); ++i) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    for (const char *key : {"assign", "system", "gating"})
      if (commands[i].HasMember(key)) {
        writer.Key(key);
        commands[i][key].Accept(writer);
      }
    writer.EndObject();
    EXPECT_EQ(std::string(buffer.GetString()), rows[i].fields) << rows[i].bytes;
  }
}

Pgc menu(uint8_t category, const char *post = "") {
  return Pgc{.post = cmds(post), .category = category};
}

// Lists with `args` a disc of two title sets, the first play holding `first_play`. The title
// table's titles 2 and 3 lie in the second set, whose part-of-title table maps title 1 to chains
// 2 and 3 and title 2 to chain 1; the video manager and the second set have menus in two
// language units. The patches break VIDEO_TS.IFO and VTS_02_0.IFO.
RunResult two_set_disc(const char *first_play, const Args &args,
                       const std::vector<Patch> &on_vmg = {},
                       const std::vector<Patch> &on_vts2 = {}) {
  // Menus "en": LinkPGCN 2, LinkPGCN 0; "fr": LinkPGCN 1, LinkPGCN 2 (past the unit).
  const MenuTable vmg_menus = {
      {{"en", 0, {menu(0x82, "2004 0000 0000 0002"), menu(0, "2004 0000 0000 0000")}},
       {"fr", 0, {menu(0x82, "2004 0000 0000 0001 2004 0000 0000 0002")}}}};
  // Title set 1, without menus and a part-of-title table: CallSS VTSM Root, LinkPTTN 1.
  const Pgc vts1_title = {.pre = cmds("3008 0000 0083 0000 2005 0000 0000 0001"), .category = 0x81};
  // Title set 2's title chain 2, the entry of title 1, names chain 3 as its next one and chain 1
  // as its previous one (the patches at 0x9B0 and 0x9B2). LinkPTTN 2 and 5, JumpVTS_PTT ttn:2
  // pttn:1, JumpVTS_TT ttn:3, CallSS VTSM Chapter, CallSS VMGM Title, LinkNextPGC, LinkPrevPGC,
  // LinkTopCell, LinkPGCN 4, LinkRSM, Break, LinkGroupPGC (its go-up chain is 1: the patch at
  // 0x9B4).
  const Pgc entry = {
      .pre = cmds("2005 0000 0000 0002 2005 0000 0000 0005 3005 0001 0002 0000 3003 0000 0003 0000"
                  "3008 0000 0187 0000 3008 0000 0142 0000 2001 0000 0000 000A 2001 0000 0000 000B"
                  "2001 0000 0000 0001 2004 0000 0000 0004 2001 0000 0000 0010 0002 0000 0000 0000"
                  "2001 0000 0000 000C"),
      .category = 0x81};
  // Chain 3, chapter 2 of title 1: LinkPTTN 1. Menus "en": the entries of Root and Chapter;
  // one whose code begins with a control byte: LinkPGCN 1, LinkPTTN 1.
  const Vts vts2 = {
      .titles = std::vector<Pgc>{{.category = 0x82}, entry, {.pre = cmds("2005 0000 0000 0001")}},
      .menus = MenuTable{{{"en", 0, {Pgc{.cells = {{}}, .category = 0x83}, menu(0x87)}},
                          {"\001e", 0, {menu(0x83, "2004 0000 0000 0001 2005 0000 0000 0001")}}}},
      .chapters = std::vector<std::vector<uint16_t>>{{2, 3}, {1}}};
  // Menu chain 1 of "en" names chain 2 as its next one (0x10CC).
  std::vector<Patch> vts2_patches = {{0x9B0, 2, 3}, {0x9B2, 2, 1}, {0x9B4, 2, 1}, {0x10CC, 2, 2}};
  vts2_patches.insert(vts2_patches.end(), on_vts2.begin(), on_vts2.end());
  const Disc disc;
  disc.put("VIDEO_TS.IFO", patched(build_vmg({.titles = std::vector<Title>{{1}, {2}, {2, 2}, {5}},
                                              .first_play = Pgc{.pre = cmds(first_play)},
                                              .menus = vmg_menus}),
                                   on_vmg));
  disc.put("VTS_01_0.IFO", build_vts({.titles = std::vector<Pgc>{vts1_title}}));
  disc.put("VTS_02_0.IFO", patched(build_vts(vts2), vts2_patches));
  // Buttons LinkPGCN 2, JumpVTS_PTT 1 2 and LinkNextPGC in the pack that starts cell 1 of menu
  // chain 1; then LinkPGCN 1 and LinkTopPGC in packs that start no menu cell.
  disc.put("VTS_02_0.VOB", join_packs({nav_pack(cmds("2004 0000 0000 0002 3005 0002 0001 0000"
                                                     "2001 0000 0000 000A")),
                                       video_pack(), nav_pack(cmds("2004 0000 0000 0001")),
                                       nav_pack(cmds("2001 0000 0000 0009"))}));
  return disc.run(args);
}

// Every command's target, resolved to a chain or with the reason why not, in the golden file.
TEST(JsonResolution, TargetsOfATwoTitleSetDisc) {
  const RunResult run = two_set_disc(
      // JumpTT to titles 2 and 3 (in title set 2), 1 (in a set without a part-of-title table),
      // 9 (past the table), 4 (in title set 5, not read) and 0.
      "3002 0000 0002 0000 3002 0000 0003 0000 3002 0000 0001 0000 3002 0000 0009 0000"
      "3002 0000 0004 0000 3002 0000 0000 0000"
      // JumpSS FP, VMGM menu:Title, VMGM menu:Root (no such entry), VMGM pgcn:2, pgcn:3 (past)
      "3006 0000 0000 0000 3006 0000 0042 0000 3006 0000 0043 0000 3006 0002 00C0 0000"
      "3006 0003 00C0 0000"
      // JumpSS VTSM vts:2 menu:Root and menu:Audio (no such entry), vts:1 (no menus), vts:7
      "3006 0001 0283 0000 3006 0001 0285 0000 3006 0001 0183 0000 3006 0001 0783 0000"
      // LinkPGCN 1, JumpVTS_TT 1, Goto line:1, Exit, LinkPGN 1
      "2004 0000 0000 0001 3003 0000 0001 0000 0001 0000 0000 0001 3001 0000 0000 0000"
      "2006 0000 0000 0001"
      // Conditions on register bytes 16 and 0x97, and on register byte 0x98; a text with quotes.
      "0031 0010 0097 0001 00C1 0098 0100 0002 7100 0002 656E 0000",
      {"--json"});
  expect_golden(pretty(run.output), "json_two_title_sets.json");
  EXPECT_EQ(run.status, 0) << run.output.substr(0, 300);
}

// Tables that are missing or lie outside the file, each seen by one first-play command.
TEST(JsonResolution, ReasonsWhenATableIsMissingOrOutOfRange) {
  const char *const jump_tt = "3002 0000 0002 0000", *const vmgm_title = "3006 0000 0042 0000";
  const struct {
    std::vector<Patch> on_vmg, on_vts2;
    const char *command;
    const char *reason;
  } rows[] = {
      {{{0xC4, 4, 0x100}}, {}, jump_tt, "title table out of range"},
      {{{0xC4, 4, 0}}, {}, jump_tt, "no title table"},
      {{}, {{0xC8, 4, 0x100}}, jump_tt, "part-of-title table of title set 2 out of range"},
      {{}, {{0x1808, 4, 0xFFFFFF}}, jump_tt, "chapters of title 1 of title set 2 out of range"},
      {{}, {{0xCC, 4, 0x100}}, jump_tt, "title PGC table out of range"},
      {{{0xC8, 4, 0}}, {}, vmgm_title, "no menu PGC table"},
      {{{0x100C, 4, 0xFFFFFF}}, {}, vmgm_title, "language unit 1 out of range"},
      // An entry id whose reserved bits are set, and a menu number that names no menu.
      {{{0x1020, 1, 0xF2}},
       {},
       vmgm_title,
       "no entry PGC for menu Title (type 2) in language unit 1"},
      {{}, {}, "3006 0000 0049 0000", "menu type 9 names no menu"},
      // Title sets that VIDEO_TS.IFO states (offset 0x3E) but whose files do not exist, and one
      // past them.
      {{{0x3E, 2, 5}},
       {},
       "3002 0000 0004 0000",
       "title 4 is in title set 5, which has no control file: VTS_05_0.IFO does not exist"},
      {{{0x3E, 2, 3}},
       {},
       "3006 0001 0383 0000",
       "title set 3 has no control file: VTS_03_0.IFO does not exist"},
      {{{0x3E, 2, 2}},
       {},
       "3006 0001 0783 0000",
       "title set 7 is past the 2 title sets of the disc"},
      // Without a stated number, title set 3 is the first file that does not load.
      {{},
       {},
       "3006 0001 0383 0000",
       "title set 3 has no control file: VTS_03_0.IFO does not exist"},
  };
  for (const auto &row : rows) {
    const RunResult run = two_set_disc(row.command, {"--json", "-I"}, row.on_vmg, row.on_vts2);
    const rapidjson::Document document = parse(run.output);
    const Value &target = document["video_manager"]["first_play"]["pre"][0]["target"];
    EXPECT_STREQ(target.HasMember("reason") ? target["reason"].GetString() : "resolved",
                 row.reason);
  }
}

// The buttons of a title set's menus resolve through its own control file
// whatever VIDEO_TS.IFO holds; what needs VIDEO_TS.IFO says why it has none.
TEST(JsonResolution, ButtonsWithoutTheVideoManager) {
  const struct {
    const char *vmg;
    const char *reason;
  } rows[] = {{"VIDEO_TS.IFO:0 VIDEO_TS.BUP:0", "VIDEO_TS.IFO is too short to read"},
              {"-VIDEO_TS.IFO -VIDEO_TS.BUP", "VIDEO_TS.IFO does not exist"}};
  for (const auto &row : rows) {
    Disc disc;
    disc.put_files(std::string("@vtsm_menus ") + row.vmg);
    const rapidjson::Document document = parse(disc.run({"--json", "-V"}).output);
    const Value &vobs = document["menu_vobs"];
    ASSERT_GE(vobs.Size(), 1u);
    const Value &vts = vobs[vobs.Size() - 1];
    ASSERT_STREQ(vts["file"].GetString(), "VTS_01_0.VOB");
    const Value &buttons = vts["groups"][0]["buttons"];
    ASSERT_EQ(buttons.Size(), 3u);
    EXPECT_STREQ(buttons[0]["target"]["resolved"]["domain"].GetString(), "vts_title");
    EXPECT_EQ(buttons[1]["target"]["resolved"]["pgcn"].GetInt(), 2);      // LinkPGCN pgcn:2
    EXPECT_STREQ(buttons[2]["target"]["reason"].GetString(), row.reason); // JumpSS VMGM
  }
}

TEST(JsonReport, TextComesOutAsValidUtf8) {
  const std::string bad = "\xEF\xBF\xBD"; // U+FFFD
  const struct {
    std::string bytes, utf8;
  } rows[] = {
      {"en", "en"},
      {std::string("\0\x7F", 2), std::string("\0\x7F", 2)},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x80"},
      {"\xFF\x80", bad + bad},                               // no lead byte
      {"a\xE2\x82", "a" + bad + bad},                        // cut at the end
      {"\xC0\xAF\xE0\x9F\xBF", bad + bad + bad + bad + bad}, // overlong
      {"\xED\xA0\x80", bad + bad + bad},                     // a surrogate
      {"\xF4\x90\x80\x80", bad + bad + bad + bad},           // past U+10FFFF
      {"\x83\x5C", bad + "\\"},                              // Shift-JIS
      // The edges of the two-, three- and four-byte forms.
      {"\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80",
       "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"},
      {"\xC2\xC0", bad + bad},
      // After F0 the second byte lies in 90 to BF: an overlong four-byte form.
      {"\xF0\x8F\xBF\xBF", bad + bad + bad + bad},
      // After F1 to F3 the second byte lies in 80 to BF.
      {"\xF1\x7F\x80\x80\xF1\xC0\x80\x80", bad + "\x7F" + bad + bad + bad + bad + bad + bad},
  };
  for (const auto &row : rows) {
    std::string out = "<";
    append_valid_utf8(row.bytes, out);
    EXPECT_EQ(out, "<" + row.utf8) << row.bytes;
  }
}

} // namespace

namespace {

// Title sets are read up to VTS_99_0.IFO.
TEST(JsonReport, ReadsAllNinetyNineTitleSets) {
  Disc disc;
  std::string names = "VIDEO_TS.IFO";
  for (int n = 1; n <= 99; ++n)
    names += " VTS_" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "_0.IFO";
  disc.put_files(names);
  const RunResult result = disc.run({"--json", "-I"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.output.find("\"VTS_99_0.IFO\""), std::string::npos);
}

} // namespace
