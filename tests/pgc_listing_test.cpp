// SPDX-License-Identifier: MIT
// The command lists of a program chain, as the -I dump prints them for the first-play chain.
#include "harness.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using fixture::Bytes;
using fixture::cmd;
using fixture::Pgc;
using fixture::put_be16;

// The builder puts the first-play chain here, its command table right after
// the chain's fixed 0xEC bytes and the first command 8 bytes further on.
constexpr size_t kFirstPlay = 0x400;
constexpr size_t kCommandTableField = kFirstPlay + 0xE4;
constexpr size_t kCellTableField = kFirstPlay + 0xE8;

// The three lists as printed; an empty argument is an empty list.
std::string lists(const std::string &pre, const std::string &post, const std::string &cell) {
  const auto list = [](const std::string &lines) { return lines.empty() ? "    ----\n" : lines; };
  return "  <Pre Command>\n" + list(pre) + "  <Post Command>\n" + list(post) +
         "  <Cell Command>\n" + list(cell);
}

std::string markers(uint64_t at) {
  const std::string line = marker("    ", "command table", at) + "\n";
  return lists(line, line, line);
}

Pgc two_cell_commands(std::vector<uint8_t> cells) {
  Pgc pgc = {.cell_commands = {cmd("20 01 00 00 00 00 00 01"), cmd("20 01 00 00 00 00 00 02")}};
  for (const uint8_t number : cells)
    pgc.cells.push_back({number, 0});
  return pgc;
}

// The lists of two_cell_commands, each cell command with its usage suffix.
std::string cell_lines(const std::string &first, const std::string &second) {
  return lists("", "",
               "    001[0004F4]:[2001 0000 0000 0001]  LinkTopCell" + first + "\n" +
                   "    002[0004FC]:[2001 0000 0000 0002]  LinkNextCell" + second + "\n");
}

std::string used_by(unsigned first, unsigned step, unsigned count, const char *more = "") {
  std::string text = "  (Used by Cell=";
  for (unsigned i = 0; i < count; ++i)
    text += (i == 0 ? "" : ",") + std::to_string(first + step * i);
  return text + more + ")";
}

struct Row {
  const char *what;
  Pgc pgc;                             // the first-play chain
  std::function<void(Bytes &)> damage; // then applied to the 4096-byte VIDEO_TS.IFO
  std::string text; // between "<First Play>\n" and the next separator; a marker: status 1
};

void expect_rows(const std::vector<Row> &rows) {
  for (const Row &row : rows) {
    Bytes vmg = fixture::build_vmg({.first_play = row.pgc}).bytes;
    if (row.damage) {
      ASSERT_EQ(vmg.size(), 0x1000u);
      row.damage(vmg);
    }
    Disc disc;
    disc.put("VIDEO_TS.IFO", vmg);
    disc.put_files("VTS_01_0.IFO");
    const RunResult result = disc.run();
    const std::string open = "<First Play>\n";
    const size_t begin = result.output.find(open);
    const size_t end = result.output.find("\n" + std::string(78, '-'), begin);
    ASSERT_TRUE(begin != std::string::npos && end != std::string::npos) << result.output;
    EXPECT_EQ(result.output.substr(begin + open.size(), end - begin - open.size()), row.text)
        << row.what;
    EXPECT_EQ(result.status, row.text.find("out of range") != std::string::npos) << row.what;
  }
}

TEST(PgcListing, ListsAndTheCellsThatUseEachCellCommand) {
  std::vector<uint8_t> alternating; // 80 cells: 1, 2, 1, 2, ...
  for (unsigned j = 0; j < 80; ++j)
    alternating.push_back(static_cast<uint8_t>(1 + j % 2));
  Pgc counted_out = two_cell_commands({1, 2});
  counted_out.cell_count = 0;
  const fixture::Command modulo = cmd("67 00 00 01 00 02 00 00");
  expect_rows({
      // A table start of 0 means no commands, whatever the chain's first bytes say.
      {"no command table",
       {.pre = {cmd("00 01 00 00 00 00 00 05")},
        .cell_commands = {cmd("20 01 00 00 00 00 00 01")},
        .cells = {{1, 0}},
        .command_table = false},
       nullptr,
       lists("", "", "")},
      {"each list counts from one",
       {.pre = {cmd("71 00 00 00 00 00 00 00"), cmd("00 01 00 00 00 00 00 05")},
        .post = {cmd("30 02 00 00 00 03 00 00"), cmd("30 01 00 00 00 00 00 00")},
        .cell_commands = {cmd("20 01 00 00 00 00 00 01")}},
       nullptr,
       lists("    001[0004F4]:[7100 0000 0000 0000]  Set Reg0 = #0\n"
             "    002[0004FC]:[0001 0000 0000 0005]  Goto line:5\n",
             "    001[000504]:[3002 0000 0003 0000]  JumpTT ttn:3\n"
             "    002[00050C]:[3001 0000 0000 0000]  Exit\n",
             "    001[000514]:[2001 0000 0000 0001]  LinkTopCell\n")},
      {"percent sign printed literally",
       {.pre = {modulo}, .cell_commands = {modulo}, .cells = {{1, 0}}},
       nullptr,
       lists("    001[0004F4]:[6700 0001 0002 0000]  Set Reg1 %= Reg2\n", "",
             "    001[0004FC]:[6700 0001 0002 0000]  Set Reg1 %= Reg2  (Used by Cell=1)\n")},
      // Cell 2 names a command the chain does not have, cell 4 none at all.
      {"cells 1 and 3 of 4", two_cell_commands({1, 9, 1, 0}), nullptr,
       cell_lines(used_by(1, 2, 2), "")},
      {"32 cells", two_cell_commands(std::vector<uint8_t>(32, 1)), nullptr,
       cell_lines(used_by(1, 1, 32), "")},
      {"33 cells", two_cell_commands(std::vector<uint8_t>(33, 2)), nullptr,
       cell_lines("", used_by(1, 1, 33, ",..."))},
      {"40 cells each", two_cell_commands(alternating), nullptr,
       cell_lines(used_by(1, 2, 33, ",..."), used_by(2, 2, 33, ",..."))},
      {"no cells", two_cell_commands({}), nullptr, cell_lines("", "")},
      {"cell count 0", counted_out, nullptr, cell_lines("", "")},
  });
}

std::function<void(Bytes &)> command_table_start(uint16_t start) {
  return [=](Bytes &b) { put_be16(b, kCommandTableField, start); };
}

// Moves the command table to `table` (a file offset) with these counts and
// two commands.
std::function<void(Bytes &)> command_table_at(size_t table, uint16_t pre, uint16_t post,
                                              uint16_t cells) {
  return [=](Bytes &b) {
    put_be16(b, kCommandTableField, static_cast<uint16_t>(table - kFirstPlay));
    put_be16(b, table, pre);
    put_be16(b, table + 2, post);
    put_be16(b, table + 4, cells);
    for (const auto &[at, hex] : {std::pair{table + 8, "71 00 00 00 00 00 00 00"},
                                  std::pair{table + 16, "30 01 00 00 00 00 00 00"}}) {
      const fixture::Command c = cmd(hex);
      std::copy(c.begin(), c.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    }
  };
}

// Moves the cell table of two_cell_commands({2, 1, 1, 2}) to `start` (from
// the chain's first byte); its entries there name commands 1, 2, 0, 0.
std::function<void(Bytes &)> cell_table_at(uint16_t start) {
  return [=](Bytes &b) {
    put_be16(b, kCellTableField, start);
    for (size_t j = 0; j < 2 && kFirstPlay + start + 24 * j + 3 < b.size(); ++j)
      b[kFirstPlay + start + 24 * j + 3] = static_cast<uint8_t>(j + 1);
  };
}

TEST(PgcListing, TablesCutByTheEndOfTheFile) {
  const std::string first = "    001[000FF0]:[7100 0000 0000 0000]  Set Reg0 = #0\n";
  const std::string second = "    002[000FF8]:[3001 0000 0000 0000]  Exit\n";
  const Pgc none, cells = two_cell_commands({2, 1, 1, 2});
  const auto mark = [](const std::string &what, uint64_t at) {
    return marker("    ", what, at) + "\n";
  };
  expect_rows({
      {"command table header straddles the end", none, command_table_start(0xBFC), markers(0xFFC)},
      {"command table header 6 bytes before the end", none, command_table_start(0xBFA),
       markers(0xFFA)},
      {"command table header far outside", none, command_table_start(0xFFFF), markers(0x103FF)},
      {"command table header ends the file", none, command_table_start(0xBF8), lists("", "", "")},
      // The chain's fixed part fits to its last byte; its command table starts at the end.
      {"chain that ends at the file end", none,
       [](Bytes &b) {
         fixture::put_be32(b, 0x84, 0x1000 - 0xEC);
         put_be16(b, 0x1000 - 0xEC + 0xE4, 0xEC);
       },
       markers(0x1000)},
      {"pre-commands run past the end", none, command_table_at(0xFE8, 3, 0, 0),
       lists(first + second + mark("pre command 003", 0x1000), "", "")},
      {"post-commands run past the end", none, command_table_at(0xFE8, 1, 2, 0),
       lists(first,
             "    001[000FF8]:[3001 0000 0000 0000]  Exit\n" + mark("post command 002", 0x1000),
             "")},
      {"cell commands run past the end", none, command_table_at(0xFE8, 0, 0, 3),
       lists("", "", first + second + mark("cell command 003", 0x1000))},
      // Four cells claimed: the usage lists what the readable entries say.
      {"cell table cut after two cells", cells, cell_table_at(0xBD0),
       cell_lines(used_by(1, 1, 1), used_by(2, 1, 1)) + mark("cell 3", 0x1000)},
      {"cell table cut after one cell", cells, cell_table_at(0xBD8),
       cell_lines(used_by(1, 1, 1), "") + mark("cell 2", 0xFF0)},
      {"cell table far outside", cells, cell_table_at(0xFFFF),
       cell_lines("", "") + mark("cell 1", 0x103FF)},
  });
}

} // namespace
