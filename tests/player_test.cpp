// SPDX-License-Identifier: MIT
// The player model: the test discs play as their authoring scripts say (tests/discs/*/
// expected.txt, written down by hand), every command form runs as a golden trace shows, and
// each way a trace can end.
#include "fixture.h"
#include "harness.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace fixture;

const fs::path kDiscs = fs::path(NAVLIST_SAMPLES_DIR).parent_path() / "tests" / "discs";

// A chain as the expected files name it: first_play, vmg_menu_lu01_pgc001, ...
std::string chain_id(const rapidjson::Value &step) {
  const std::string domain = step["domain"].GetString();
  char id[48];
  if (domain == "first_play")
    return "first_play";
  if (domain == "vmgm")
    std::snprintf(id, sizeof id, "vmg_menu_lu%02u_pgc%03u", step["language_unit"].GetUint(),
                  step["pgcn"].GetUint());
  else if (domain == "vtsm")
    std::snprintf(id, sizeof id, "vts%02u_menu_lu%02u_pgc%03u", step["title_set"].GetUint(),
                  step["language_unit"].GetUint(), step["pgcn"].GetUint());
  else
    std::snprintf(id, sizeof id, "vts%02u_title_pgc%03u", step["title_set"].GetUint(),
                  step["pgcn"].GetUint());
  return id;
}

// The lines of expected.txt that a JSON trace (--until end) gives: each chain entered, marked
// "(no cell)" when no cell of it played; "press N"; "title N" after the first title chain's
// line; then the first chain with a cell once that title is over, or how the run ended.
std::vector<std::string> trace_lines(const std::string &json) {
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  EXPECT_FALSE(document.HasParseError()) << json;
  std::vector<std::string> lines;
  size_t current = 0; // the line of the chain entered last
  bool cell = true, title_over = false;
  for (const rapidjson::Value &step : document["steps"].GetArray()) {
    const std::string event = step["event"].GetString();
    if (event == "enter") {
      if (!cell)
        lines[current] += " (no cell)";
      current = lines.size();
      lines.push_back(chain_id(step));
      cell = false;
    } else if (event == "cell" || event == "menu") {
      cell = true;
      if (title_over) {
        lines[current] = "then " + lines[current];
        return lines;
      }
    } else if (event == "press") {
      lines.push_back("press " + std::to_string(step["button"].GetUint()));
    } else if (event == "title") {
      const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string &line) {
        return line.find("_title_") != std::string::npos;
      });
      lines.insert(first == lines.end() ? first : first + 1,
                   "title " + std::to_string(step["title"].GetUint()));
      if (current >= static_cast<size_t>(first - lines.begin()))
        ++current;
      title_over = true;
    }
  }
  const std::string reason = document["result"]["reason"].GetString();
  if (!cell && reason != "loops") // a loop is found as the chain is entered again
    lines[current] += " (no cell)";
  if (reason == "stops")
    lines.push_back(title_over ? "then stop" : "stop");
  else if (reason == "waits")
    lines.push_back("wait");
  else if (reason == "loops")
    lines.push_back("loop");
  else
    lines.push_back(reason);
  return lines;
}

// The "reach TITLE PRESSES" lines of an expected.txt: the presses, or "none".
std::map<unsigned, std::string> expected_reach(const fs::path &file) {
  std::map<unsigned, std::string> reach;
  std::ifstream in(file);
  for (std::string word, presses; in >> word;) {
    unsigned title = 0;
    if (word == "reach" && in >> title >> presses)
      reach[title] = presses;
    else
      std::getline(in, word);
  }
  return reach;
}

struct ExpectedRun {
  Args options;
  std::vector<std::string> lines;
};

// The runs of an expected.txt as a player by the DVD-Video rules makes them: the lines without
// prefix and the "standard:" ones.
std::vector<ExpectedRun> expected_runs(const fs::path &file) {
  std::vector<ExpectedRun> runs;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#' || line.starts_with("libdvdnav: ") ||
        line.starts_with("reach "))
      continue;
    if (line.starts_with("standard: "))
      line.erase(0, 10);
    if (line == "run" || line.starts_with("run ")) {
      ExpectedRun &run = runs.emplace_back();
      std::istringstream words(line.substr(3));
      for (std::string word; words >> word;) {
        if (word == "--still-wait")
          words >> word; // the oracle's patience: no meaning to the rules
        else
          run.options.push_back(word);
      }
      continue;
    }
    runs.back().lines.push_back(line);
  }
  return runs;
}

TEST(PlayerModel, TestDiscsPlayAsWrittenDown) {
  std::vector<std::pair<fs::path, fs::path>> discs; // expected.txt, VIDEO_TS
  for (const auto &entry : fs::directory_iterator(kDiscs))
    if (fs::exists(entry.path() / "expected.txt"))
      discs.emplace_back(entry.path() / "expected.txt", entry.path() / "VIDEO_TS");
  for (const auto &entry : fs::directory_iterator(kDiscs / "samples"))
    discs.emplace_back(entry.path() / "expected.txt",
                       sample_disc(entry.path().filename().string()));
  ASSERT_GE(discs.size(), 11u);
  for (const auto &[expected, folder] : discs) {
    for (const ExpectedRun &run : expected_runs(expected)) {
      Args args = {"--trace", "--json", "--until", "end"};
      args.insert(args.end(), run.options.begin(), run.options.end());
      args.push_back(folder.string());
      const std::vector<std::string> got = trace_lines(run_navlist(args).output);
      SCOPED_TRACE(expected.string() + " " + testing::PrintToString(run.options));
      // The model finds a loop when a state comes round again; the written-down runs go on
      // until a chain is entered a third time.
      std::vector<std::string> want = run.lines;
      if (want.back() == "loop" && got.back() == "loop" && got.size() <= want.size()) {
        want.resize(got.size() - 1);
        want.push_back("loop");
      }
      EXPECT_EQ(got, want);
    }
  }
}

// Every title of the decoy disc is reached, or not, as its authoring script says, by the fewest
// presses; the default path plays title 7 for over ten minutes, which makes it the main title,
// though title 11 is the longest.
TEST(PlayerModel, TitlesReachedAsWrittenDown) {
  const fs::path disc = kDiscs / "decoy" / "VIDEO_TS";
  rapidjson::Document document;
  const std::string json = run_navlist({"--titles", "--json", disc.string()}).output;
  document.Parse(json.c_str(), json.size());
  ASSERT_FALSE(document.HasParseError()) << json;
  std::map<unsigned, std::string> reach;
  for (const rapidjson::Value &title : document["titles"].GetArray()) {
    std::string presses = "none"; // an unreached title has no path
    if (title["reached"].GetBool()) {
      presses.clear();
      for (const rapidjson::Value &step : title["path"].GetArray())
        presses.append(presses.empty() ? "" : ",").append(std::to_string(step["button"].GetUint()));
    }
    reach[title["title"].GetUint()] = presses;
  }
  EXPECT_EQ(reach, expected_reach(kDiscs / "decoy" / "expected.txt"));
  EXPECT_EQ(document["main_title"].GetUint(), 7u);
  EXPECT_STREQ(document["rule"].GetString(), "default_path");
  // Asked for eleven minutes, the default path's title is too short: title 7 is still the
  // reached title that plays longest.
  const std::string longer =
      run_navlist({"--titles", "--json", "--min-main", "11", disc.string()}).output;
  document.Parse(longer.c_str(), longer.size());
  EXPECT_STREQ(document["rule"].GetString(), "longest");
  // Discs without menus to choose in: the first play jumps to a title, there is no first play,
  // the menus go round for ever, a navigation timer is the only way on.
  const struct {
    fs::path disc;
    const char *main;
    std::vector<unsigned> reached;
  } discs[] = {{sample_disc("plain"), "1\n", {1}},
               {kDiscs / "no_first_play" / "VIDEO_TS", "1\n", {1, 2}},
               {kDiscs / "menu_loop" / "VIDEO_TS", "", {}},
               {kDiscs / "nav_timer" / "VIDEO_TS", "1\n", {1, 3}}};
  for (const auto &row : discs) {
    const std::string titles = run_navlist({"--titles", "--json", row.disc.string()}).output;
    document.Parse(titles.c_str(), titles.size());
    std::vector<unsigned> reached;
    for (const rapidjson::Value &title : document["titles"].GetArray())
      if (title["reached"].GetBool())
        reached.push_back(title["title"].GetUint());
    EXPECT_EQ(reached, row.reached) << row.disc;
    EXPECT_EQ(run_navlist({"--main", row.disc.string()}).output, row.main) << row.disc;
  }
  // A default path whose title plays 9:30 falls short of the ten minutes asked by default.
  Disc short_film;
  short_film.put("VIDEO_TS.IFO",
                 build_vmg({.titles = std::vector<Title>{{1, 1}},
                            .first_play = Pgc{.pre = cmds("3002 0000 0001 0000")}}));
  short_film.put("VTS_01_0.IFO",
                 build_vts({.titles = std::vector<Pgc>{{.cells = std::vector<Cell>(10, {0, 0, 57}),
                                                        .category = 0x81}},
                            .chapters = std::vector<std::vector<uint16_t>>{{1}}}));
  const std::string short_titles = short_film.run({"--titles", "--json"}).output;
  document.Parse(short_titles.c_str(), short_titles.size());
  EXPECT_STREQ(document["rule"].GetString(), "longest") << short_titles;
  EXPECT_EQ(document["titles"][0]["seconds"].GetDouble(), 570.0);
  // For scripts: the number alone, or nothing and exit 1.
  const struct {
    fs::path disc;
    Args options;
    std::string output;
    int status;
  } mains[] = {{disc, {}, "7\n", 0},
               {disc, {"--min-main", "11"}, "7\n", 0},
               {kDiscs / "menu_loop" / "VIDEO_TS", {}, "", 1},
               {sample_disc("plain"), {"--json"}, "Invalid option.\n", 2}};
  for (const auto &row : mains) {
    Args args = {"--main"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.push_back(row.disc.string());
    const RunResult result = run_navlist(args);
    EXPECT_EQ(result.output, row.output) << testing::PrintToString(row.options);
    EXPECT_EQ(result.status, row.status);
  }
}

// Each language unit numbers its menus from 1: an unreached menu is named with its unit, and
// the player's menu language decides which unit's menus are reached.
TEST(PlayerModel, UnreachedMenusNamedWithTheirLanguageUnit) {
  const std::string disc = sample_disc("vtsm_menus").string();
  for (const char *language : {"en", "fr"}) {
    const std::string titles = run_navlist({"--titles", "--lang", language, disc}).output;
    std::set<std::string> unreached;
    size_t lines = 0;
    std::istringstream in(titles);
    for (std::string line; std::getline(in, line);)
      if (line.starts_with("not reached: ")) {
        unreached.insert(line);
        ++lines;
      }
    EXPECT_EQ(unreached.size(), lines) << titles;
    const bool english = language == std::string("en");
    EXPECT_EQ(
        unreached.contains(R"(not reached: VTS_01 Menu Language_02 "fr" PGC_001 (Root menu))"),
        english)
        << titles;
    EXPECT_EQ(
        unreached.contains(R"(not reached: VTS_01 Menu Language_01 "en" PGC_001 (Root menu))"),
        !english)
        << titles;
  }
}

// --titles tells what reading the disc met, once each, before the titles: a backup read in place
// of its control file, a title set whose control file is missing (its titles have no length in
// the tables); and no more than -I when VIDEO_TS.IFO itself is missing.
TEST(PlayerModel, TitlesTellWhatReadingTheDiscMet) {
  Disc disc;
  disc.put_files("@vmgm_menu -VTS_01_0.IFO -VTS_02_0.IFO -VTS_02_0.BUP");
  const std::vector<std::string> problems = {
      R"(VIDEO_TS\VTS_01_0.IFO cannot be read: its backup VIDEO_TS\VTS_01_0.BUP is used.)",
      R"(VIDEO_TS\VTS_02_0.IFO not found.)"};
  const std::vector<std::string> lines = split_lines(disc.run({"--titles"}).output);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "problem: " + problems[0]);
  EXPECT_EQ(lines[1], "problem: " + problems[1]);
  EXPECT_EQ(lines[4], "title 3: VTS_02 title 1, not reached; no length in the tables");
  const std::string json = disc.run({"--titles", "--json"}).output;
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  ASSERT_FALSE(document.HasParseError()) << json;
  std::vector<std::string> listed;
  for (const rapidjson::Value &problem : document["problems"].GetArray())
    listed.emplace_back(problem.GetString());
  EXPECT_EQ(listed, problems);
  EXPECT_TRUE(document["titles"][2]["table_seconds"].IsNull());
  EXPECT_TRUE(document["titles"][0]["table_seconds"].IsNumber());

  disc.put_files("-VIDEO_TS.IFO -VIDEO_TS.BUP");
  EXPECT_EQ(split_lines(disc.run({"--titles"}).output)[0],
            R"(problem: VIDEO_TS\VIDEO_TS.IFO not found.)");
  EXPECT_EQ(disc.run({"--titles"}).output.find("VTS_01_0"), std::string::npos);
}

// A chosen button the menu does not have: button 1 is pressed, and the trace says why.
TEST(PlayerModel, PressOfAButtonTheMenuLacks) {
  const std::string disc = sample_disc("vmgm_menu").string();
  const std::string trace = run_navlist({"--trace", "--press", "9", disc}).output;
  EXPECT_NE(trace.find("\npress button 1: the menu has no button 9\n"), std::string::npos) << trace;
  const std::string json = run_navlist({"--trace", "--json", "--press", "9", disc}).output;
  EXPECT_NE(json.find(R"({"event":"press","button":1,"reason":"chosen","asked":9})"),
            std::string::npos)
      << json;
}

// The cells a trace plays, in order.
std::vector<unsigned> cells_played(const std::string &trace) {
  std::vector<unsigned> cells;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);)
    if (const size_t at = line.find("  cell "); at == 0 && line.find(" plays ") != line.npos)
      cells.push_back(static_cast<unsigned>(std::stoul(line.substr(at + 7))));
  return cells;
}

// How cells play: an angle block plays the angle system register 3 names and skips the
// others; LinkPrevCell goes back one cell, LinkNextCell on.
TEST(PlayerModel, CellsPlayAsTheirCommandsAndBlocksSay) {
  const std::vector<Cell> angle_block = {
      {0, 0, 1, 0, 0x50}, {0, 0, 1, 0, 0x90}, {0, 0, 1, 0, 0xD0}, {0, 0, 1, 0, 0}};
  const struct {
    const char *first_play;
    std::vector<Cell> cells;
    const char *cell_commands;
    std::vector<unsigned> played;
  } rows[] = {
      {"3002 0000 0001 0000", angle_block, "", {1, 4}},
      {"5100 0000 0082 0000 3002 0000 0001 0000", angle_block, "", {2, 4}}, // SetSTN angle 2
      {"5100 0000 0083 0000 3002 0000 0001 0000", angle_block, "", {3, 4}},
      {"5100 0000 0084 0000 3002 0000 0001 0000", angle_block, "", {1, 4}}, // past the block
      // LinkNextCell at cell 1 goes on to cell 2, as playing on would.
      {"3002 0000 0001 0000", {{1, 0, 1}, {0, 0, 1}, {0, 0, 1}}, "2001 0000 0000 0002", {1, 2, 3}},
      // Cell 3 goes back to cell 2 once: SetC (Reg1 += #1) < #2, LinkPrevCell.
      {"3002 0000 0001 0000",
       {{0, 0, 1}, {0, 0, 1}, {1, 0, 1}, {0, 0, 1}},
       "93F1 0001 0002 0003",
       {1, 2, 3, 2, 3, 4}},
  };
  for (const auto &row : rows) {
    Disc disc;
    std::vector<Command> cell_commands = cmds(row.cell_commands);
    disc.put("VIDEO_TS.IFO", build_vmg({.titles = std::vector<Title>{{1, 1}},
                                        .first_play = Pgc{.pre = cmds(row.first_play)}}));
    disc.put("VTS_01_0.IFO", build_vts({.titles = std::vector<Pgc>{{.cell_commands = cell_commands,
                                                                    .cells = row.cells,
                                                                    .category = 0x81}},
                                        .chapters = std::vector<std::vector<uint16_t>>{{1}}}));
    const RunResult result = disc.run({"--trace"});
    EXPECT_EQ(cells_played(result.output), row.played) << result.output;
  }
  // Random and shuffle playback play (mode & 0x7F) + 1 programs of three; shuffle each once.
  for (const uint8_t mode : {0x01, 0x81, 0x82}) {
    Disc disc;
    disc.put("VIDEO_TS.IFO", build_vmg({.titles = std::vector<Title>{{1, 1}},
                                        .first_play = Pgc{.pre = cmds("3002 0000 0001 0000")}}));
    disc.put("VTS_01_0.IFO",
             build_vts({.titles = std::vector<Pgc>{{.programs = 3,
                                                    .cells = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}},
                                                    .category = 0x81,
                                                    .playback_mode = mode}},
                        .chapters = std::vector<std::vector<uint16_t>>{{1}}}));
    const std::string trace = disc.run({"--trace", "--until", "end"}).output;
    const std::vector<unsigned> played = cells_played(trace);
    EXPECT_EQ(played.size(), (mode & 0x7Fu) + 1) << trace;
    if (mode & 0x80) {
      EXPECT_EQ(std::set<unsigned>(played.begin(), played.end()).size(), played.size()) << trace;
    }
  }
}

// --titles tells which of the player's settings the commands read, and tells apart states
// that differ in a system register a command reads: the first play reads the audio stream,
// sets it and starts again, and only then jumps to title 2.
TEST(PlayerModel, ExplorationSeesTheSystemRegistersRead) {
  Disc disc;
  std::string reads; // if (SprmN = #1) then Goto line 2 (the next one), for the settings 0, 12-20
  for (unsigned r : {0u, 12u, 13u, 14u, 15u, 16u, 17u, 18u, 19u, 20u}) {
    char line[32];
    std::snprintf(line, sizeof line, "00A1 00%02X 0001 %04X ", 0x80 | r,
                  static_cast<unsigned>(reads.size() / 20 + 2));
    reads += line;
  }
  disc.put(
      "VIDEO_TS.IFO",
      build_vmg({.titles = std::vector<Title>{{1, 1}, {1, 2}},
                 .first_play = Pgc{.pre = cmds((reads + "00A1 0081 0001 000E" // Sprm1 = 1: line 14
                                                        "5100 0081 0000 0000 2001 0000 0000 0009"
                                                        "3002 0000 0002 0000")
                                                   .c_str())}}));
  disc.put("VTS_01_0.IFO",
           build_vts({.titles = std::vector<Pgc>{{.cells = {{0, 0, 1}}, .category = 0x81},
                                                 {.cells = {{0, 0, 1}}, .category = 0x82}},
                      .chapters = std::vector<std::vector<uint16_t>>{{1}, {2}}}));
  const RunResult result = disc.run({"--titles", "--json"});
  rapidjson::Document document;
  document.Parse(result.output.c_str(), result.output.size());
  ASSERT_TRUE(document.IsObject()) << result.output;
  EXPECT_EQ(document["settings_read"].Size(), 10u) << result.output;
  EXPECT_TRUE(document["titles"][1]["reached"].GetBool()) << result.output;
}

// A first play that runs every set operator at its edges, the system settings, a bit test, the
// compound forms with their gating, SetTmpPML and Break; its post command jumps to title 1,
// whose navigation timer runs out inside its second cell and sends the player through a chain
// without cells to title 2, which exits.
void put_command_disc(const Disc &disc) {
  Pgc first_play = {
      .pre = cmds("7100 0000 FFFF 0000  7300 0000 0001 0000"  // Reg0 = 65535, += 1: stays
                  "7400 0001 0005 0000  7100 0002 012C 0000"  // Reg1 -= 5: stays 0; Reg2 = 300
                  "7500 0002 012C 0000  7100 0003 0007 0000"  // *= 300: 65535; Reg3 = 7
                  "7600 0003 0000 0000  7100 0004 0007 0000"  // /= 0: 65535; Reg4 = 7
                  "7700 0004 0003 0000  7800 0005 0000 0000"  // %= 3: 1; Reg5 rnd 0: 1
                  "7800 0006 0006 0000  7100 0007 000C 0000"  // Reg6 rnd 6; Reg7 = 12
                  "7900 0007 000A 0000  7A00 0007 0003 0000"  // &= 10: 8; |= 3: 11
                  "7B00 0007 0001 0000  7100 0008 0001 0000"  // ^= 1: 10; Reg8 = 1
                  "7100 0009 0002 0000  6200 0008 0009 0000"  // Reg9 = 2; Reg8 <-> Reg9
                  "7700 0008 0000 0000  5100 0088 C581 0000"  // %= 0: 65535; SetSTN
                  "5300 0005 008A 0000  5600 0000 0800 0000"  // counter Reg10 = 5; SetHL_BTNN
                  "5400 0000 0011 0000  0091 0007 0002 001A"  // SetAMXMD; if (Reg7 & #2) Goto 26
                  "7100 000F 0001 0000  0003 0000 0000 031B"  // (skipped); SetTmpPML lvl:3 line:27
                  "91F1 000A 0014 0000  B121 0002 0003 0000"  // SetC Reg1 = 10 < 20; CmpSet false
                  "7100 000E 0009 0000  0002 0000 0000 0000"  // Reg14 = 9; Break
                  "7100 000F 0002 0000"),                     // (after the Break)
      .post = cmds("3002 0000 0001 0000")};                   // JumpTT 1
  Pgc title1 = {.pre = cmds("5200 0002 0002 0000"),           // SetNVTMR 2 s, PGC 2
                .cell_commands = cmds("6100 000C 0089 0000"), // Reg12 = Sprm9
                .cells = {{1, 0, 1}, {0, 0, 3}},
                .category = 0x81};
  Pgc timer_chain = {.pre = cmds("3003 0000 0002 0000")}; // JumpVTS_TT 2
  // Reg13 = the counter Reg10, then Exit.
  Pgc title2 = {.post = cmds("6100 000D 000A 0000  3001 0000 0000 0000"),
                .cells = {{0, 0, 1}},
                .category = 0x82};
  disc.put("VIDEO_TS.IFO",
           build_vmg({.titles = std::vector<Title>{{1, 1}, {1, 2}}, .first_play = first_play}));
  disc.put("VTS_01_0.IFO", build_vts({.titles = std::vector<Pgc>{title1, timer_chain, title2},
                                      .chapters = std::vector<std::vector<uint16_t>>{{1}, {3}}}));
}

TEST(PlayerModel, EveryCommandFormRunsAsItReads) {
  Disc disc;
  put_command_disc(disc);
  const RunResult result = disc.run({"--trace", "--until", "end"});
  EXPECT_EQ(result.status, 0);
  expect_golden(result.output, "trace_commands.txt");
}

// How a trace ends, by its last line and exit status, and the settings it refuses.
TEST(PlayerModel, EveryEndAndItsStatus) {
  const auto disc_with = [](const char *first_play, std::vector<Cell> cells = {}) {
    return [=](const Disc &d) {
      d.put("VIDEO_TS.IFO", build_vmg({.titles = std::vector<Title>{{1, 1}},
                                       .first_play = Pgc{.pre = cmds(first_play)}}));
      d.put("VTS_01_0.IFO", build_vts({.titles = std::vector<Pgc>{{.cells = cells}},
                                       .chapters = std::vector<std::vector<uint16_t>>{{1}}}));
    };
  };
  const struct {
    std::function<void(const Disc &)> lay_out;
    Args args;
    std::string last_line;
    int status;
  } rows[] = {
      {disc_with("3002 0000 0009 0000"),
       {},
       "the trace ends at a target the disc's tables do not name after 0:00:00: title 9 past "
       "the title table (1 titles)",
       1},
      {disc_with("2001 0000 0000 0009"),
       {},
       "the disc loops after 0:00:00: the same state came round again",
       1},
      {disc_with("7300 0000 0001 0000 2001 0000 0000 0009"),
       {"--max-steps", "10"},
       "the trace ran out of steps (10) after 0:00:00",
       1},
      {disc_with("0000 0000 0000 0000"), {}, "the disc stops after 0:00:00", 1},
      {disc_with("2001 0000 0000 0010"),
       {},
       "the disc stops after 0:00:00: LinkRSM without a call to return from",
       1},
      {disc_with("3002 0000 0001 0000", {{0, 0, 2, 255}}),
       {},
       "the disc waits for input after 0:00:02",
       1},
      {disc_with("3002 0000 0001 0000", {{0, 0, 2, 3}}),
       {},
       "title 1 plays: VTS_01 title 1, PGC_001, after 0:00:00",
       0},
      {disc_with("3002 0000 0001 0000", {{0, 0, 2, 3}}),
       {"--press", "default"},
       "title 1 plays: VTS_01 title 1, PGC_001, after 0:00:00",
       0},
      {disc_with("3002 0000 0001 0000", {{0, 0, 2, 3}}),
       {"--until=end"},
       "the disc stops after 0:00:05",
       0},
      {disc_with(""), {"--region", "9"}, "Invalid option.", 2},
      {disc_with(""), {"--press", "1,0"}, "Invalid option.", 2},
      {disc_with(""), {"--until", "never"}, "Invalid option.", 2},
      {disc_with(""), {"--lang", "EN"}, "Invalid option.", 2},
      {disc_with(""), {"--max-steps"}, "Invalid option.", 2},
  };
  for (const auto &row : rows) {
    Disc disc;
    row.lay_out(disc);
    Args args = {"--trace"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult result = disc.run(args);
    SCOPED_TRACE(testing::PrintToString(row.args) + "\n" + result.output);
    EXPECT_EQ(split_lines(result.output).back(), row.last_line);
    EXPECT_EQ(result.status, row.status);
  }
}

} // namespace
