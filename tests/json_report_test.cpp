// The --json report: the text report's commands and problems, golden documents, resolved targets.
#include "fixture.h"
#include "harness.h"
#include "output/json_report.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

using fixture::cmd;
using fixture::Pgc;
using rapidjson::Value;

rapidjson::Document parse(const std::string &text) {
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  EXPECT_FALSE(document.HasParseError()) << "offset " << document.GetErrorOffset();
  return document;
}

std::string pretty(const Value &value) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 2);
  value.Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

// Every command of the document in report order, with the pack of its
// button group (buttons) or -1.
void for_each_command(const Value &document,
                      const std::function<void(const Value &, long pack)> &visit) {
  const auto chain = [&](const Value &chain) {
    for (const char *name : {"pre", "post", "cell"})
      for (const Value &command : chain[name].GetArray())
        visit(command, -1);
  };
  const auto chains = [&](const Value &list) {
    for (const Value &c : list.GetArray())
      chain(c);
  };
  const auto menus = [&](const Value &units) {
    if (units.IsArray())
      for (const Value &unit : units.GetArray())
        chains(unit["chains"]);
  };
  if (document.HasMember("video_manager") && document["video_manager"].IsObject()) {
    const Value &vmg = document["video_manager"];
    if (vmg["first_play"].IsObject())
      chain(vmg["first_play"]);
    menus(vmg["menus"]);
  }
  if (document.HasMember("title_sets"))
    for (const Value &set : document["title_sets"].GetArray()) {
      if (set["titles"].IsArray())
        chains(set["titles"]);
      menus(set["menus"]);
    }
  if (document.HasMember("menu_vobs"))
    for (const Value &vob : document["menu_vobs"].GetArray())
      for (const Value &group : vob["groups"].GetArray())
        for (const Value &button : group["buttons"].GetArray())
          visit(button, group["pack"].GetInt64());
}

// A command of the document as the text report lists it.
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

std::vector<std::string> command_lines_of_text(const std::string &report) {
  static const std::regex kCommandLine(R"(^(    \d{3,}\[|  \d{4,}\[PK_).*)");
  std::vector<std::string> lines;
  for (const std::string &line : split_lines(report))
    if (std::regex_match(line, kCommandLine))
      lines.push_back(line);
  return lines;
}

TEST(JsonReport, SampleDiscsListTheCommandsOfTheirTextReports) {
  for (const char *disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const RunResult json = run_navlist({"--json", sample_disc(disc).string()});
    const rapidjson::Document document = parse(json.output);
    std::vector<std::string> lines;
    for_each_command(document,
                     [&](const Value &c, long pack) { lines.push_back(listing_line(c, pack)); });
    const std::string golden =
        read_text_file(std::string(NAVLIST_GOLDEN_DIR) + "/full_" + disc + ".txt");
    EXPECT_EQ(lines, command_lines_of_text(golden)) << disc;
    EXPECT_EQ(json.status, run_navlist({sample_disc(disc).string()}).status) << disc;
    expect_golden(pretty(document), std::string("json_") + disc + ".json");
  }
}

// The messages and markers of a text report, without their indentation.
std::vector<std::string> problems_of_text(const std::string &report) {
  static const std::regex kProblem(
      R"(^ *(\(out of range: .*\)|.* not found\.|.* is invalid format\.)$)");
  std::vector<std::string> problems;
  std::smatch match;
  for (const std::string &line : split_lines(report))
    if (std::regex_match(line, match, kProblem))
      problems.push_back(match[1]);
  return problems;
}

TEST(JsonReport, ProblemsAreThoseOfTheTextReport) {
  // A video manager and a title set whose tables run past their files.
  fixture::Ifo vmg =
      fixture::build_vmg({.titles = std::vector<fixture::Title>{{}, {}},
                          .first_play = fixture::Pgc{.pre = {cmd("00 00 00 00 00 00 00 00")}},
                          .menus = fixture::MenuTable{{{.pgcs = {{}, {}}}}}});
  fixture::put_be16(vmg.bytes, vmg.layout.title_table, 500);
  fixture::put_be16(vmg.bytes, vmg.layout.first_play + 0xEC, 0xFFFF); // pre commands
  fixture::put_be16(vmg.bytes, vmg.layout.pgcs[1] + 0xE4, 0xFFFF);    // command table
  fixture::put_be16(vmg.bytes, vmg.layout.menu_table, 3);             // language units
  fixture::Ifo vts = fixture::build_vts(
      {.titles = std::vector<fixture::Pgc>{
           {.cell_commands = {cmd("20 01 00 00 00 00 00 01")}, .cells = {{1}}, .cell_count = 200},
           {}}});
  fixture::put_be32(vts.bytes, vts.layout.title_pgc_table + 20, 0xFFFFFF); // PGC 2

  struct Row {
    const char *name;
    std::function<void(const Disc &)> lay_out;
  };
  std::vector<Row> rows = {
      {"no disc", [](const Disc &d) { d.put_files(""); }},
      {"short video manager", [](const Disc &d) { d.put_files("VIDEO_TS.IFO:100 VIDEO_TS.VOB"); }},
      {"no title set, no VOB", [](const Disc &d) { d.put_files("VIDEO_TS.IFO"); }},
      {"short second title set",
       [](const Disc &d) {
         d.put_files("VIDEO_TS.IFO VTS_01_0.IFO VTS_02_0.IFO:10 VTS_01_0.VOB");
       }},
      {"tables past their files",
       [&](const Disc &d) {
         d.put("VIDEO_TS.IFO", vmg.bytes);
         d.put("VTS_01_0.IFO", vts.bytes);
       }},
  };
  // A sample's title set cut in its menu chains, its language unit pointers
  // and a language unit's chain pointers.
  for (const size_t size : {0x1A00, 0x1814, 0x1F40})
    rows.push_back({"a sample's title set cut short", [size](const Disc &d) {
                      for (const char *name : {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_01_0.VOB"}) {
                        std::string bytes = read_text_file(sample_disc("vtsm_menus") / name);
                        if (std::string(name) == "VTS_01_0.IFO")
                          bytes.resize(size);
                        d.put(name, fixture::Bytes(bytes.begin(), bytes.end()));
                      }
                    }});
  for (const auto &row : rows) {
    Disc disc;
    row.lay_out(disc);
    for (const std::vector<std::string> &options : {std::vector<std::string>{}, {"-I"}, {"-V"}}) {
      const RunResult text = disc.run(options);
      std::vector<std::string> json_options = options;
      json_options.push_back("--json");
      const RunResult json = disc.run(json_options);
      const rapidjson::Document document = parse(json.output);
      std::vector<std::string> problems;
      for (const Value &problem : document["problems"].GetArray()) {
        problems.push_back(problem["message"].GetString());
        if (!problem.HasMember("offset"))
          continue;
        char at[32];
        std::snprintf(at, sizeof at, " at 0x%llX)",
                      static_cast<unsigned long long>(problem["offset"].GetUint64()));
        EXPECT_TRUE(problems.back().ends_with(at)) << row.name << ": " << problems.back();
        EXPECT_TRUE(problem.HasMember("file")) << row.name << ": " << problems.back();
      }
      EXPECT_EQ(problems, problems_of_text(text.output)) << row.name << " " << options.size();
      EXPECT_EQ(json.status, text.status) << row.name;
    }
  }
}

// A resolved target as "vts_title 2 pgc 3", "vtsm 2 lu 1 pgc 2", "first_play";
// an unresolved one as its reason.
std::string describe(const Value &target) {
  if (!target.HasMember("resolved"))
    return target["reason"].GetString();
  const Value &r = target["resolved"];
  std::string text = r["domain"].GetString();
  if (r.HasMember("title_set"))
    text += " " + std::to_string(r["title_set"].GetUint());
  if (r.HasMember("language_unit"))
    text += " lu " + std::to_string(r["language_unit"].GetUint());
  if (r.HasMember("pgcn"))
    text += " pgc " + std::to_string(r["pgcn"].GetUint());
  return text;
}

// Every object of the document that has a target, in document order: its
// text and where it leads.
void collect_targets(const Value &value, std::vector<std::pair<std::string, std::string>> &out) {
  if (value.IsObject()) {
    if (value.HasMember("target"))
      out.emplace_back(value["text"].GetString(), describe(value["target"]));
    for (const auto &member : value.GetObject())
      collect_targets(member.value, out);
  } else if (value.IsArray()) {
    for (const Value &item : value.GetArray())
      collect_targets(item, out);
  }
}

std::vector<std::pair<std::string, std::string>> targets_of(const RunResult &run,
                                                            const char *golden = nullptr) {
  const rapidjson::Document document = parse(run.output);
  if (golden != nullptr)
    expect_golden(pretty(document), golden);
  std::vector<std::pair<std::string, std::string>> targets;
  collect_targets(document, targets);
  return targets;
}

Pgc menu(uint8_t category, std::vector<fixture::Command> post = {}) {
  return Pgc{.post = std::move(post), .category = category};
}

// Two title sets: the title table's titles 2 and 3 lie in the second, whose
// part-of-title table maps title 1 to chains 2 and 3 and title 2 to chain 1;
// the video manager and the second set have menus in two language units.
struct TwoSetDisc {
  Disc disc;
  fixture::Ifo vmg, vts1, vts2;

  explicit TwoSetDisc(const std::vector<fixture::Command> &first_play) {
    vmg = fixture::build_vmg(
        {.titles =
             std::vector<fixture::Title>{
                 {.vts = 1}, {.vts = 2}, {.vts = 2, .title_in_vts = 2}, {.vts = 5}},
         .first_play = Pgc{.pre = first_play},
         .menus = fixture::MenuTable{
             {{.code = "en",
               .pgcs = {menu(0x82, {cmd("20 04 00 00 00 00 00 02")}),   // LinkPGCN 2
                        menu(0x00, {cmd("20 04 00 00 00 00 00 00")})}}, // LinkPGCN 0
              {.code = "fr",
               .pgcs = {menu(0x82, {cmd("20 04 00 00 00 00 00 01"),         // LinkPGCN 1
                                    cmd("20 04 00 00 00 00 00 02")})}}}}}); // past the unit
    vts1 = fixture::build_vts(
        {.titles = std::vector<Pgc>{{.pre = {cmd("30 08 00 00 00 83 00 00"),  // CallSS VTSM Root
                                             cmd("20 05 00 00 00 00 00 01")}, // LinkPTTN 1
                                     .category = 0x81}}});
    vts2 = fixture::build_vts(
        {.titles =
             std::vector<Pgc>{
                 {.category = 0x82},
                 {.pre = {cmd("20 05 00 00 00 00 00 02"),  // LinkPTTN 2
                          cmd("20 05 00 00 00 00 00 05"),  // LinkPTTN 5
                          cmd("30 05 00 01 00 02 00 00"),  // JumpVTS_PTT ttn:2 pttn:1
                          cmd("30 03 00 00 00 03 00 00"),  // JumpVTS_TT ttn:3
                          cmd("30 08 00 00 01 87 00 00"),  // CallSS VTSM Chapter
                          cmd("30 08 00 00 01 42 00 00"),  // CallSS VMGM Title
                          cmd("20 01 00 00 00 00 00 0A"),  // LinkNextPGC
                          cmd("20 01 00 00 00 00 00 0B"),  // LinkPrevPGC
                          cmd("20 01 00 00 00 00 00 01"),  // LinkTopCell
                          cmd("20 04 00 00 00 00 00 04"),  // LinkPGCN 4
                          cmd("20 01 00 00 00 00 00 10"),  // LinkRSM
                          cmd("00 02 00 00 00 00 00 00")}, // Break
                  .category = 0x81},
                 {.pre = {cmd("20 05 00 00 00 00 00 01")}}}, // LinkPTTN 1, in chapter 2 of title 1
         .menus =
             fixture::MenuTable{
                 {{.code = "en",
                   .pgcs = {Pgc{.cells = {{.first_vobu_sector = 0}}, .category = 0x83},
                            menu(0x87)}},
                  {.code = "de",
                   .pgcs = {menu(0x83, {cmd("20 04 00 00 00 00 00 01"),       // LinkPGCN 1
                                        cmd("20 05 00 00 00 00 00 01")})}}}}, // LinkPTTN 1
         .chapters = std::vector<std::vector<uint16_t>>{{2, 3}, {1}}});
    // Title chain 2 names chain 3 as its next one.
    fixture::put_be16(vts2.bytes, vts2.layout.pgcs[1] + 0x9C, 3);
  }

  RunResult run(const std::vector<std::string> &options) const {
    disc.put("VIDEO_TS.IFO", vmg.bytes);
    disc.put("VTS_01_0.IFO", vts1.bytes);
    disc.put("VTS_02_0.IFO", vts2.bytes);
    fixture::Bytes vob;
    fixture::append_pack(vob,
                         fixture::nav_pack({cmd("20 04 00 00 00 00 00 02"),    // LinkPGCN 2
                                            cmd("30 05 00 02 00 01 00 00")})); // JumpVTS_PTT 1 2
    fixture::append_pack(vob, fixture::video_pack());
    fixture::append_pack(vob, fixture::nav_pack({cmd("20 04 00 00 00 00 00 01")})); // LinkPGCN 1
    fixture::append_pack(vob, fixture::nav_pack({cmd("20 01 00 00 00 00 00 09")})); // LinkTopPGC
    disc.put("VTS_02_0.VOB", vob);
    return disc.run(options);
  }
};

TEST(JsonResolution, TargetsOfATwoTitleSetDisc) {
  const TwoSetDisc disc({
      cmd("30 02 00 00 00 02 00 00"), // JumpTT 2
      cmd("30 02 00 00 00 03 00 00"), // JumpTT 3
      cmd("30 02 00 00 00 01 00 00"), // JumpTT 1
      cmd("30 02 00 00 00 09 00 00"), // JumpTT 9
      cmd("30 02 00 00 00 04 00 00"), // JumpTT 4
      cmd("30 02 00 00 00 00 00 00"), // JumpTT 0
      cmd("30 06 00 00 00 00 00 00"), // JumpSS FP
      cmd("30 06 00 00 00 42 00 00"), // JumpSS VMGM menu:Title
      cmd("30 06 00 00 00 43 00 00"), // JumpSS VMGM menu:Root
      cmd("30 06 00 02 00 C0 00 00"), // JumpSS VMGM pgcn:2
      cmd("30 06 00 03 00 C0 00 00"), // JumpSS VMGM pgcn:3
      cmd("30 06 00 01 02 83 00 00"), // JumpSS VTSM vts:2 ttn:1 menu:Root
      cmd("30 06 00 01 02 85 00 00"), // JumpSS VTSM vts:2 ttn:1 menu:Audio
      cmd("30 06 00 01 01 83 00 00"), // JumpSS VTSM vts:1 ttn:1 menu:Root
      cmd("30 06 00 01 07 83 00 00"), // JumpSS VTSM vts:7 ttn:1 menu:Root
      cmd("20 04 00 00 00 00 00 01"), // LinkPGCN 1
      cmd("30 03 00 00 00 01 00 00"), // JumpVTS_TT 1
      cmd("00 01 00 00 00 00 00 01"), // Goto line:1
      cmd("30 01 00 00 00 00 00 00"), // Exit
      cmd("20 06 00 00 00 00 00 01"), // LinkPGN 1
      cmd("00 31 00 10 00 97 00 01"), // if (Reg? != Sprm23) then Goto: register bytes 16, 0x97
      cmd("00 C1 00 98 01 00 00 02"), // if (Reg? >= #256) then Goto: register byte 0x98
  });
  const std::vector<std::pair<std::string, std::string>> expected = {
      // First play.
      {"JumpTT ttn:2", "vts_title 2 pgc 2"},
      {"JumpTT ttn:3", "vts_title 2 pgc 1"},
      {"JumpTT ttn:1", "title set 1 has no part-of-title table"},
      {"JumpTT ttn:9", "title 9 past the title table (4 titles)"},
      {"JumpTT ttn:4", "title 4 is in title set 5, which was not read"},
      {"JumpTT ttn:0", "title 0"},
      {"JumpSS FP", "first_play"},
      {"JumpSS VMGM menu:Title", "vmgm lu 1 pgc 1"},
      {"JumpSS VMGM menu:Root", "no entry PGC for menu Root (type 3) in language unit 1"},
      {"JumpSS VMGM pgcn:2", "vmgm lu 1 pgc 2"},
      {"JumpSS VMGM pgcn:3", "PGC 3 past the table (2 chains)"},
      {"JumpSS VTSM vts:2, ttn:1, menu:Root", "vtsm 2 lu 1 pgc 1"},
      {"JumpSS VTSM vts:2, ttn:1, menu:Audio",
       "no entry PGC for menu Audio (type 5) in language unit 1"},
      {"JumpSS VTSM vts:1, ttn:1, menu:Root", "no menu PGC table"},
      {"JumpSS VTSM vts:7, ttn:1, menu:Root", "title set 7 was not read"},
      {"LinkPGCN pgcn:1", "first play has no PGC table"},
      {"JumpVTS_TT ttn:1", "not within a title set"},
      {"Goto line:1", "within the chain"},
      {"Exit", "stops playback"},
      {"LinkPGN pgn:1", "first_play"},
      {"if (Reg? != Sprm23:Reserve) then Goto line:1", "within the chain"},
      {"if (Reg? >= #256) then Goto line:2", "within the chain"},
      // Video manager menus: language units "en" and "fr".
      {"LinkPGCN pgcn:2", "vmgm lu 1 pgc 2"},
      {"LinkPGCN pgcn:0", "PGC 0"},
      {"LinkPGCN pgcn:1", "vmgm lu 2 pgc 1"},
      {"LinkPGCN pgcn:2", "PGC 2 past the table (1 chains)"},
      // Title set 1: no menus, no part-of-title table.
      {"CallSS VTSM menu:Root", "no menu PGC table"},
      {"LinkPTTN pttn:1", "title set 1 has no part-of-title table"},
      // Title set 2, chain 2: the entry of title 1.
      {"LinkPTTN pttn:2", "vts_title 2 pgc 3"},
      {"LinkPTTN pttn:5", "chapter 5 past the 2 chapters of title 1"},
      {"JumpVTS_PTT ttn:2 pttn:1", "vts_title 2 pgc 1"},
      {"JumpVTS_TT ttn:3", "title 3 past the part-of-title table of title set 2 (2 titles)"},
      {"CallSS VTSM menu:Chapter, rsm_cell=1", "vtsm 2 lu 1 pgc 2"},
      {"CallSS VMGM menu:Title, rsm_cell=1", "vmgm lu 1 pgc 1"},
      {"LinkNextPGC", "vts_title 2 pgc 3"},
      {"LinkPrevPGC", "the chain names no previous PGC"},
      {"LinkTopCell", "vts_title 2 pgc 2"},
      {"LinkPGCN pgcn:4", "PGC 4 past the table (3 chains)"},
      {"LinkRSM", "returns to the caller"},
      {"Break", "ends the command list"},
      // Chain 3 is no entry: chapter 2 of title 1.
      {"LinkPTTN pttn:1", "vts_title 2 pgc 2"},
      // Menus of title set 2, language unit "de".
      {"LinkPGCN pgcn:1", "vtsm 2 lu 2 pgc 1"},
      {"LinkPTTN pttn:1", "no current title outside the title domain"},
      // Buttons of VTS_02_0.VOB: the first group's pack starts cell 1 of menu chain 1.
      {"LinkPGCN pgcn:2", "vtsm 2 lu 1 pgc 2"},
      {"JumpVTS_PTT ttn:1 pttn:2", "vts_title 2 pgc 3"},
      {"LinkPGCN pgcn:1", "no menu cell starts at this pack: its language unit is unknown"},
      {"LinkTopPGC", "no menu cell starts at this pack: its chain is unknown"},
  };
  const RunResult run = disc.run({"--json"});
  EXPECT_EQ(targets_of(run, "json_two_title_sets.json"), expected);
  EXPECT_EQ(run.status, 0) << run.output.substr(0, 300);
}

// Tables that are missing or lie outside the file, each seen by one command
// of the first play or of title set 2's title chain 2.
TEST(JsonResolution, ReasonsWhenATableIsMissingOrOutOfRange) {
  const struct {
    const char *name;
    std::function<void(TwoSetDisc &)> damage;
    fixture::Command command; // placed in first play
    std::string reason;
  } rows[] = {
      {"title table past the file",
       [](TwoSetDisc &d) { fixture::put_be32(d.vmg.bytes, 0xC4, 0x100); },
       cmd("30 02 00 00 00 02 00 00"), "title table out of range"},
      {"no title table", [](TwoSetDisc &d) { fixture::put_be32(d.vmg.bytes, 0xC4, 0); },
       cmd("30 02 00 00 00 02 00 00"), "no title table"},
      {"part-of-title table past the file",
       [](TwoSetDisc &d) { fixture::put_be32(d.vts2.bytes, 0xC8, 0x100); },
       cmd("30 02 00 00 00 02 00 00"), "part-of-title table of title set 2 out of range"},
      {"title's chapters past the file",
       [](TwoSetDisc &d) {
         fixture::put_be32(d.vts2.bytes, d.vts2.layout.ptt_table + 8, 0xFFFFFF);
       },
       cmd("30 02 00 00 00 02 00 00"), "chapters of title 1 of title set 2 out of range"},
      {"title chain table past the file",
       [](TwoSetDisc &d) { fixture::put_be32(d.vts2.bytes, 0xCC, 0x100); },
       cmd("30 02 00 00 00 02 00 00"), "title PGC table out of range"},
      {"no video manager menus", [](TwoSetDisc &d) { fixture::put_be32(d.vmg.bytes, 0xC8, 0); },
       cmd("30 06 00 00 00 42 00 00"), "no menu PGC table"},
      {"language unit 1 past the file",
       [](TwoSetDisc &d) {
         fixture::put_be32(d.vmg.bytes, d.vmg.layout.menu_table + 12, 0xFFFFFF);
       },
       cmd("30 06 00 00 00 42 00 00"), "language unit 1 out of range"},
  };
  for (const auto &row : rows) {
    TwoSetDisc disc({row.command});
    row.damage(disc);
    const std::vector<std::pair<std::string, std::string>> targets =
        targets_of(disc.run({"--json", "-I"}));
    ASSERT_FALSE(targets.empty()) << row.name;
    EXPECT_EQ(targets[0].second, row.reason) << row.name;
  }
}

TEST(JsonReport, CommandLine) {
  const std::string banner = "*** NAVLIST Ver 1.00 ***\n";
  const std::string invalid = "Invalid option.\n";
  const struct {
    std::vector<std::string> args;
    std::string output; // "{": one JSON document
    int status;
  } rows[] = {
      {{"--version"}, "navlist 1.0.0\n", 0},
      {{"-I", "--VERSION", "-x"}, "navlist 1.0.0\n", 0},
      {{"--json", "--graph", "DISC"}, invalid, 2},
      {{"-x", "--json", "DISC"}, invalid, 2},
      {{"--json", "DISC", "--help"}, "Usage: NAVLIST [-I] [-V] [--json | --graph] <Path>\n", 0},
      {{"--jsonx", "DISC"}, banner + invalid, 2},
      {{"--json", "-I"}, "Path not Found.\n", 2},
      {{"--Json", "-V", "DISC"}, "{", 1},
      {{"DISC", "-v", "--graph"}, "digraph navigation {\n", 1},
  };
  TempDir empty;
  for (const auto &row : rows) {
    const RunResult result = run_navlist(row.args, empty.path());
    if (row.output == "{")
      EXPECT_EQ(parse(result.output)["problems"].Size(), 1u) << row.args[0];
    else
      EXPECT_TRUE(result.output.starts_with(row.output)) << row.args[0] << ": " << result.output;
    EXPECT_EQ(result.status, row.status) << row.args[0];
  }
  const RunResult help = run_navlist({"--help"});
  EXPECT_TRUE(help.output.starts_with(banner + "Usage: NAVLIST [-I] [-V] [--json | --graph]"));
}

TEST(JsonReport, TextComesOutAsValidUtf8) {
  const struct {
    std::string bytes;
    std::string utf8;
  } rows[] = {
      {"en", "en"},
      {std::string("\0\x7F", 2), std::string("\0\x7F", 2)},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\x80"},
      {"\xFF\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},   // no lead byte
      {"a\xE2\x82", "a\xEF\xBF\xBD\xEF\xBF\xBD"}, // cut at the end
      {"\xC0\xAF\xE0\x9F\xBF",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},         // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},                 // a surrogate
      {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // past U+10FFFF
      {"\x83\x5C", "\xEF\xBF\xBD\\"},                                           // Shift-JIS
  };
  for (const auto &row : rows) {
    std::string out = "<";
    append_valid_utf8(row.bytes, out);
    EXPECT_EQ(out, "<" + row.utf8) << row.bytes;
  }
}

} // namespace
