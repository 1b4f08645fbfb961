// SPDX-License-Identifier: MIT
// --graph: golden graphs of the sample discs and of a fixture disc (a dispatcher menu, targets
// that do not resolve, chains nothing reaches, a repeated language unit), and which jumps
// -I and -V draw.
#include "harness.h"

#include "common/bytes.h"
#include "fixture.h"
#include "output/dot_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

size_t count(const std::string &text, const std::string &part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

using fixture::Bytes;
using fixture::Pgc;

fixture::Command cmd(const char *hex) {
  return fixture::cmds(hex)[0];
}

TEST(GraphGolden, SampleDiscs) {
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const RunResult result = run_navlist({"--graph", "VIDEO_TS"}, sample_disc(disc).parent_path());
    EXPECT_EQ(result.status, 0) << disc;
    expect_golden(result.output, "graph_" + disc + ".dot");
  }
}

// The video manager's title menu shows buttons that set Reg1 and link to a
// dispatcher chain, which branches on Reg1 by a conditional link and by a
// conditional Goto to a jump. Its second language unit repeats the first
// (same chains) under a code that DOT must escape. Other chains hold targets
// that no table resolves, and two chains nothing jumps to.
void put_fixture_disc(const Disc &disc) {
  const auto one = [](std::vector<const char *> pre, std::vector<const char *> post) {
    Pgc pgc;
    for (const char *c : pre)
      pgc.pre.push_back(cmd(c));
    for (const char *c : post)
      pgc.post.push_back(cmd(c));
    return pgc;
  };
  Pgc title_menu = one({}, {"20 01 00 00 00 00 00 09"}); // LinkTopPGC: not drawn
  title_menu.cells = {{0, 0}, {0, 2}};
  title_menu.category = 0x82;
  const Pgc dispatcher = one({"20 A4 00 01 00 01 00 03",  // if (Reg1 = #1) LinkPGCN 3
                              "00 A1 00 01 00 02 00 05",  // if (Reg1 = #2) Goto line:5
                              "30 06 00 01 01 83 00 00",  // JumpSS VTSM vts:1 root
                              "71 00 00 02 00 02 00 00",  // Set Reg2 = #2
                              "30 06 00 04 00 C0 00 00"}, // JumpSS VMGM pgcn:4
                             {});
  // A menu type without the entry bit: not an entry.
  Pgc unreached_menu = one({}, {"30 02 00 00 00 01 00 00"});
  unreached_menu.category = 0x03;
  const fixture::Vmg vmg = {
      .titles = std::vector<fixture::Title>{{1, 1, 1, 2}, {1, 2, 1, 1}},
      .first_play = one({"30 06 00 00 00 42 00 00"}, {}),
      .menus = fixture::MenuTable{
          {{"en",
            0x80,
            {title_menu, dispatcher, one({"20 04 00 00 00 00 00 07"}, {"20 04 00 00 00 00 00 00"}),
             one({"30 06 00 00 00 43 00 00"}, {}), unreached_menu}},
           {"\"\\", 0x80, {}}}}};
  const Bytes video_manager = fixture::build_vmg(vmg);
  // Language unit 2 points at the chains of unit 1: the menu table's sector
  // is at 0xC8, the units' search pointers 8 bytes into the table.
  const auto be32 = [&](size_t at) { return get_be32(video_manager.data() + at); };
  const size_t units = size_t(be32(0xC8)) * 2048 + 8;
  disc.put("VIDEO_TS.IFO", fixture::patched(video_manager, {{units + 12, 4, be32(units + 4)}}));

  const auto set_and_link = cmd("71 04 00 01 00 01 00 02"); // Set Reg1 = #1, LinkPGCN 2
  disc.put("VIDEO_TS.VOB",
           fixture::join_packs(
               {fixture::nav_pack({set_and_link, cmd("71 04 00 01 00 02 00 02"),
                                   cmd("71 04 00 01 00 03 00 02"), cmd("30 03 00 00 00 01 00 00")}),
                fixture::video_pack(),
                // Cell 2 of the same chain: its button 1 adds to
                // the count of cell 1's.
                fixture::nav_pack({set_and_link}), fixture::video_pack(),
                // No cell starts here: the buttons stay with the
                // chain of the group before.
                fixture::nav_pack({set_and_link, cmd("30 06 00 00 00 00 00 00")})}));

  Pgc title1 = one({"30 58 00 00 02 86 02 03"},            // if (Reg2 > Reg3) CallSS Angle menu
                   {"30 08 00 00 01 83 00 00"});           // CallSS VTSM menu:Root, rsm_cell=1
  title1.cell_commands = {cmd("20 01 00 00 00 00 00 0B")}; // LinkPrevPGC
  title1.cells = {{1, 0}, {0, 0}};
  title1.category = 0x81;
  Pgc title2 = one({}, {"30 06 00 00 00 42 00 00"});
  title2.category = 0x82;
  Pgc root_menu = one({}, {"20 01 00 00 00 00 00 10"}); // LinkRSM
  root_menu.cells = {{0, 0}};
  root_menu.category = 0x83;
  // A chain whose only command is a cell command, which draws no arrow.
  Pgc cell_only;
  cell_only.cell_commands = {cmd("20 01 00 00 00 00 00 01")};
  cell_only.cells = {{1, 0}};
  const fixture::Vts vts = {
      .titles = std::vector<Pgc>{title1, title2, one({}, {"30 03 00 00 00 01 00 00"}), cell_only},
      .menus = fixture::MenuTable{{{"f~", 0x80, {root_menu}}}},
      .chapters = std::vector<std::vector<uint16_t>>{{1, 1}, {2}}};
  disc.put("VTS_01_0.IFO", fixture::build_vts(vts));
  disc.put("VTS_01_0.VOB",
           fixture::nav_pack({cmd("30 03 00 00 00 02 00 00"), cmd("30 05 00 02 00 01 00 00"),
                              cmd("20 01 00 00 00 00 00 10")}));
}

TEST(GraphGolden, FixtureDisc) {
  Disc disc;
  put_fixture_disc(disc);
  const RunResult result = disc.run({"--graph"});
  EXPECT_EQ(result.status, 0);
  expect_golden(result.output, "graph_fixture_disc.dot");
}

// -I draws the commands' jumps, -V the buttons', both or neither all of them;
// every chain is drawn in each case.
TEST(GraphOptions, WhichJumpsAreDrawn) {
  Disc disc;
  put_fixture_disc(disc);
  const struct {
    std::vector<std::string> args;
    size_t command_jumps; // edges from pre, post and cell commands
    size_t button_jumps;
  } rows[] = {
      {{"--graph"}, 13, 8},
      {{"-V", "-I", "--GRAPH"}, 13, 8},
      {{"--graph", "-i"}, 13, 0},
      {{"-v", "--graph"}, 0, 8},
  };
  for (const auto &row : rows) {
    const RunResult result = disc.run(row.args);
    EXPECT_EQ(result.status, 0) << row.args[0];
    EXPECT_EQ(count(result.output, "[label=\"pre ") + count(result.output, "[label=\"post ") +
                  count(result.output, "[label=\"cell "),
              row.command_jumps)
        << row.args[0];
    EXPECT_EQ(count(result.output, "[label=\"button "), row.button_jumps) << row.args[0];
    EXPECT_EQ(count(result.output, "[label=\"V"), 10u) << row.args[0];
  }
}

// Past kMaxRankedLabels arrows, labels are drawn beside the arrows.
TEST(DotGraph, ManyArrowsCarryTheirLabelsBeside) {
  for (const size_t arrows : {DotGraph::kMaxRankedLabels, DotGraph::kMaxRankedLabels + 1}) {
    DotGraph graph;
    const uint32_t from = graph.add_node(DotGraph::kNoCluster, "a", ChainKind::kTitle, true, {});
    const uint32_t to = graph.add_node(DotGraph::kNoCluster, "b", ChainKind::kTitle, true, {});
    for (size_t i = 0; i < arrows; ++i)
      graph.add_edge(from, to, 0, "pre " + std::to_string(i));
    const std::string dot = graph.render();
    EXPECT_EQ(count(dot, " [xlabel=\"pre "), arrows > DotGraph::kMaxRankedLabels ? arrows : 0);
    EXPECT_EQ(count(dot, " [label=\"pre "), arrows > DotGraph::kMaxRankedLabels ? 0 : arrows);
  }
}

// The text report's messages are comment lines of printable text.
TEST(GraphProblems, AreCommentLines) {
  const RunResult result = run_navlist({"--graph", "no\x01such\nfolder"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("\n  // problem: no?such?folder\\VIDEO_TS.IFO not found.\n"),
            std::string::npos)
      << result.output;
}

} // namespace
