// The command lists of a program chain, as the -I dump prints them for the first-play chain.
#include "harness.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using fixture::cmd;

// The builder puts the first-play chain here, its command table right after
// the chain's fixed 0xEC bytes and the first command 8 bytes further on.
constexpr size_t kFirstPlay = 0x400;
constexpr size_t kPgcCommandTable = 0xE4;
constexpr size_t kPgcCellTable = 0xE8;

struct Section {
  std::string text; // everything between "<First Play>\n" and the next separator
  int status;
};

// Runs "-I" on a disc whose VIDEO_TS.IFO holds `vmg` (a clean title set
// beside it) and returns the first-play section.
Section first_play_section(const fixture::Bytes &vmg) {
  TempDir dir;
  fixture::write_file(dir.path() / "DISC" / "VIDEO_TS.IFO", vmg);
  fixture::write_file(dir.path() / "DISC" / "VTS_01_0.IFO", fixture::build_vts({}).bytes);
  const RunResult result = run_navlist({"-I", "DISC"}, dir.path());
  const std::string open = "<First Play>\n";
  const size_t begin = result.output.find(open);
  const size_t end = result.output.find("\n" + std::string(78, '-'), begin);
  if (begin == std::string::npos || end == std::string::npos) {
    ADD_FAILURE() << "no first-play section in:\n" << result.output;
    return {result.output, result.status};
  }
  return {result.output.substr(begin + open.size(), end - begin - open.size()), result.status};
}

fixture::Ifo build_first_play(const fixture::Pgc &pgc) {
  fixture::Vmg vmg;
  vmg.first_play = pgc;
  fixture::Ifo ifo = fixture::build_vmg(vmg);
  EXPECT_EQ(ifo.layout.first_play, kFirstPlay);
  return ifo;
}

// A chain with these command lists and one cell per entry of `cells`, each
// naming its cell command by number.
fixture::Pgc chain(std::vector<fixture::Command> pre, std::vector<fixture::Command> post,
                   std::vector<fixture::Command> cell_commands, std::vector<uint8_t> cells) {
  fixture::Pgc pgc;
  pgc.pre = std::move(pre);
  pgc.post = std::move(post);
  pgc.cell_commands = std::move(cell_commands);
  for (const uint8_t number : cells) {
    fixture::Cell cell;
    cell.command_number = number;
    pgc.cells.push_back(cell);
  }
  return pgc;
}

Section listing_of(const fixture::Pgc &pgc) {
  return first_play_section(build_first_play(pgc).bytes);
}

const std::string kEmptyLists = "  <Pre Command>\n    ----\n"
                                "  <Post Command>\n    ----\n"
                                "  <Cell Command>\n    ----\n";

TEST(PgcListing, EmptyListsAndAbsentCommandTable) {
  Section got = listing_of(fixture::Pgc{});
  EXPECT_EQ(got.text, kEmptyLists);
  EXPECT_EQ(got.status, 0);
  // A table start of 0 means no commands, whatever the chain's first bytes say.
  fixture::Pgc no_table =
      chain({cmd("00 01 00 00 00 00 00 05")}, {}, {cmd("20 01 00 00 00 00 00 01")}, {1});
  no_table.command_table = false;
  got = listing_of(no_table);
  EXPECT_EQ(got.text, kEmptyLists);
  EXPECT_EQ(got.status, 0);
}

TEST(PgcListing, EachListCountsFromOne) {
  const Section got =
      listing_of(chain({cmd("71 00 00 00 00 00 00 00"), cmd("71 00 00 01 00 01 00 00"),
                        cmd("00 01 00 00 00 00 00 05"), cmd("00 02 00 00 00 00 00 00"),
                        cmd("00 00 00 00 00 00 00 00")},
                       {cmd("30 02 00 00 00 03 00 00"), cmd("30 01 00 00 00 00 00 00")},
                       {cmd("20 01 00 00 00 00 00 01")}, {}));
  EXPECT_EQ(got.text, "  <Pre Command>\n"
                      "    001[0004F4]:[7100 0000 0000 0000]  Set Reg0 = #0\n"
                      "    002[0004FC]:[7100 0001 0001 0000]  Set Reg1 = #1\n"
                      "    003[000504]:[0001 0000 0000 0005]  Goto line:5\n"
                      "    004[00050C]:[0002 0000 0000 0000]  Break\n"
                      "    005[000514]:[0000 0000 0000 0000]  Nop\n"
                      "  <Post Command>\n"
                      "    001[00051C]:[3002 0000 0003 0000]  JumpTT ttn:3\n"
                      "    002[000524]:[3001 0000 0000 0000]  Exit\n"
                      "  <Cell Command>\n"
                      "    001[00052C]:[2001 0000 0000 0001]  LinkTopCell\n");
  EXPECT_EQ(got.status, 0);
}

const std::string kCellCommandOne = "    001[0004F4]:[2001 0000 0000 0001]  LinkTopCell";
const std::string kCellCommandTwo = "    002[0004FC]:[2001 0000 0000 0002]  LinkNextCell";

fixture::Pgc two_cell_commands(std::vector<uint8_t> cells) {
  return chain({}, {}, {cmd("20 01 00 00 00 00 00 01"), cmd("20 01 00 00 00 00 00 02")},
               std::move(cells));
}

std::string cell_list(unsigned first, unsigned step, unsigned count) {
  std::string text;
  for (unsigned i = 0; i < count; ++i)
    text += (i == 0 ? "" : ",") + std::to_string(first + step * i);
  return text;
}

std::string used_by(const std::string &cells) {
  return "  (Used by Cell=" + cells + ")";
}

TEST(PgcListing, CellsThatUseEachCellCommand) {
  struct Row {
    const char *what;
    fixture::Pgc pgc;
    std::string first_suffix;  // after the listing line of cell command 1
    std::string second_suffix; // and of cell command 2
  };
  std::vector<uint8_t> alternating; // 80 cells: 1, 2, 1, 2, ...
  for (unsigned j = 0; j < 80; ++j)
    alternating.push_back(static_cast<uint8_t>(1 + j % 2));
  fixture::Pgc counted_out = two_cell_commands({1, 2});
  counted_out.cell_count = 0;
  const Row rows[] = {
      // Cell 2 names a command the chain does not have, cell 4 none at all.
      {"cells 1 and 3 of 4", two_cell_commands({1, 9, 1, 0}), used_by("1,3"), ""},
      {"32 cells", two_cell_commands(std::vector<uint8_t>(32, 1)), used_by(cell_list(1, 1, 32)),
       ""},
      {"33 cells", two_cell_commands(std::vector<uint8_t>(33, 2)), "",
       used_by(cell_list(1, 1, 33) + ",...")},
      {"40 cells each", two_cell_commands(alternating), used_by(cell_list(1, 2, 33) + ",..."),
       used_by(cell_list(2, 2, 33) + ",...")},
      {"no cells", two_cell_commands({}), "", ""},
      {"cell count 0", counted_out, "", ""},
  };
  for (const Row &row : rows) {
    const Section got = listing_of(row.pgc);
    EXPECT_EQ(got.text, "  <Pre Command>\n    ----\n  <Post Command>\n    ----\n"
                        "  <Cell Command>\n" +
                            kCellCommandOne + row.first_suffix + "\n" + kCellCommandTwo +
                            row.second_suffix + "\n")
        << row.what;
    EXPECT_EQ(got.status, 0) << row.what;
  }
}

TEST(PgcListing, PercentSignIsPrintedLiterally) {
  const fixture::Command modulo = cmd("67 00 00 01 00 02 00 00");
  const Section got = listing_of(chain({modulo}, {}, {modulo}, {1}));
  EXPECT_EQ(got.text,
            "  <Pre Command>\n"
            "    001[0004F4]:[6700 0001 0002 0000]  Set Reg1 %= Reg2\n"
            "  <Post Command>\n    ----\n"
            "  <Cell Command>\n"
            "    001[0004FC]:[6700 0001 0002 0000]  Set Reg1 %= Reg2  (Used by Cell=1)\n");
}

// The builder writes 4096-byte files: a table placed at the end is cut there.
void put_command(fixture::Bytes &bytes, size_t at, const char *hex) {
  const fixture::Command c = cmd(hex);
  std::copy(c.begin(), c.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Moves the command table to `table` (a file offset) and fills it there.
void move_command_table(fixture::Bytes &bytes, size_t table, unsigned pre, unsigned post,
                        unsigned cells) {
  fixture::put_be16(bytes, kFirstPlay + kPgcCommandTable,
                    static_cast<uint16_t>(table - kFirstPlay));
  fixture::put_be16(bytes, table, static_cast<uint16_t>(pre));
  fixture::put_be16(bytes, table + 2, static_cast<uint16_t>(post));
  fixture::put_be16(bytes, table + 4, static_cast<uint16_t>(cells));
  put_command(bytes, table + 8, "71 00 00 00 00 00 00 00");
  put_command(bytes, table + 16, "30 01 00 00 00 00 00 00");
}

TEST(PgcListing, CommandTableCutByTheEndOfTheFile) {
  struct Row {
    const char *what;
    std::function<void(fixture::Bytes &)> damage;
    std::string text;
    int status;
  };
  const std::string first = "    001[000FF0]:[7100 0000 0000 0000]  Set Reg0 = #0\n";
  const std::string second_pre = "    002[000FF8]:[3001 0000 0000 0000]  Exit\n";
  const Row rows[] = {
      {"header straddles the end",
       [](fixture::Bytes &b) { fixture::put_be16(b, kFirstPlay + kPgcCommandTable, 0xBFC); },
       "  <Pre Command>\n    (out of range: command table at 0xFFC)\n"
       "  <Post Command>\n    (out of range: command table at 0xFFC)\n"
       "  <Cell Command>\n    (out of range: command table at 0xFFC)\n",
       1},
      {"header far outside",
       [](fixture::Bytes &b) { fixture::put_be16(b, kFirstPlay + kPgcCommandTable, 0xFFFF); },
       "  <Pre Command>\n    (out of range: command table at 0x103FF)\n"
       "  <Post Command>\n    (out of range: command table at 0x103FF)\n"
       "  <Cell Command>\n    (out of range: command table at 0x103FF)\n",
       1},
      {"header ends the file",
       [](fixture::Bytes &b) { fixture::put_be16(b, kFirstPlay + kPgcCommandTable, 0xBF8); },
       kEmptyLists, 0},
      {"pre-commands run past the end",
       [](fixture::Bytes &b) { move_command_table(b, 0xFE8, 3, 0, 0); },
       "  <Pre Command>\n" + first + second_pre +
           "    (out of range: pre command 003 at 0x1000)\n"
           "  <Post Command>\n    ----\n  <Cell Command>\n    ----\n",
       1},
      {"post-commands run past the end",
       [](fixture::Bytes &b) { move_command_table(b, 0xFE8, 1, 2, 0); },
       "  <Pre Command>\n" + first +
           "  <Post Command>\n"
           "    001[000FF8]:[3001 0000 0000 0000]  Exit\n"
           "    (out of range: post command 002 at 0x1000)\n"
           "  <Cell Command>\n    ----\n",
       1},
      {"cell commands run past the end",
       [](fixture::Bytes &b) { move_command_table(b, 0xFE8, 0, 0, 3); },
       "  <Pre Command>\n    ----\n  <Post Command>\n    ----\n"
       "  <Cell Command>\n" +
           first + second_pre + "    (out of range: cell command 003 at 0x1000)\n",
       1},
  };
  for (const Row &row : rows) {
    fixture::Ifo ifo = build_first_play(fixture::Pgc{});
    ASSERT_EQ(ifo.bytes.size(), 0x1000u);
    row.damage(ifo.bytes);
    const Section got = first_play_section(ifo.bytes);
    EXPECT_EQ(got.text, row.text) << row.what;
    EXPECT_EQ(got.status, row.status) << row.what;
  }
}

TEST(PgcListing, CellTableCutByTheEndOfTheFile) {
  // Four cells claimed; the table is moved to the end of the file.
  struct Row {
    uint16_t table_start; // from the chain's first byte
    std::string first_suffix;
    std::string second_suffix;
    std::string marker;
  };
  const Row rows[] = {
      {0xBD0, used_by("1"), used_by("2"), "    (out of range: cell 3 at 0x1000)\n"},
      {0xBD8, used_by("1"), "", "    (out of range: cell 2 at 0xFF0)\n"},
      {0xFFFF, "", "", "    (out of range: cell 1 at 0x103FF)\n"},
  };
  for (const Row &row : rows) {
    fixture::Ifo ifo = build_first_play(two_cell_commands({2, 1, 1, 2}));
    ASSERT_EQ(ifo.bytes.size(), 0x1000u);
    const size_t table = kFirstPlay + row.table_start;
    fixture::put_be16(ifo.bytes, kFirstPlay + kPgcCellTable, row.table_start);
    for (size_t j = 0; j < 2 && table + 24 * j + 3 < ifo.bytes.size(); ++j)
      ifo.bytes[table + 24 * j + 3] = static_cast<uint8_t>(j + 1);
    const Section got = first_play_section(ifo.bytes);
    EXPECT_EQ(got.text, "  <Pre Command>\n    ----\n  <Post Command>\n    ----\n"
                        "  <Cell Command>\n" +
                            kCellCommandOne + row.first_suffix + "\n" + kCellCommandTwo +
                            row.second_suffix + "\n" + row.marker)
        << row.table_start;
    EXPECT_EQ(got.status, 1) << row.table_start;
  }
}

} // namespace
