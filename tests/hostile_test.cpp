// Hostile and damaged discs: tables that point past the file or the buffers, into the header or
// at each other, counts of 65535, tiny files, stale bytes of an earlier file, overlong paths.
// Each disc must give its out-of-range markers (exact lines) and the documented exit status,
// and nothing else may go wrong: no crash, no hang, only printable text.
#include "harness.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace fixture;

constexpr size_t kSector = 2048;

std::string marker(const std::string &indent, const std::string &what, uint64_t offset) {
  char hex[32];
  std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(offset));
  return indent + "(out of range: " + what + " at 0x" + hex + ")";
}

// "    %03u[%06X]:[raw]  text": a command's listing line as printed, with its indent.
std::string listing(unsigned number, size_t offset, const std::string &raw_and_text) {
  char head[32];
  std::snprintf(head, sizeof head, "    %03u[%06zX]:[", number, offset);
  return head + raw_and_text;
}

uint16_t be16(const Bytes &b, size_t at) {
  return static_cast<uint16_t>(b.at(at) << 8 | b.at(at + 1));
}
uint32_t be32(const Bytes &b, size_t at) {
  return uint32_t(be16(b, at)) << 16 | be16(b, at + 2);
}

// Moves everything from byte `from` on (a table with all it points to, which counts from the
// table) to the start of `sector`, and points header field `field` at it.
void move_tail_to_sector(Bytes &b, size_t from, uint32_t sector, size_t field) {
  const Bytes tail(b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
  std::fill(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(), 0);
  const size_t to = size_t(sector) * kSector;
  b.resize(std::max(b.size(), to + tail.size()));
  std::copy(tail.begin(), tail.end(), b.begin() + static_cast<std::ptrdiff_t>(to));
  put_be32(b, field, sector);
}

const Command kA = cmd("71 00 00 01 00 02 00 00"); // Set Reg1 = #2
const Command kB = cmd("20 01 00 00 00 00 00 10"); // LinkRSM
const Command kC = cmd("30 02 00 00 00 01 00 00"); // JumpTT ttn:1
const Command kD = cmd("00 02 00 00 00 00 00 00"); // Break

Pgc busy_pgc() {
  Pgc p;
  p.pre = {kA, kB};
  p.post = {kC};
  p.cell_commands = {kD};
  p.cells = {{1, 0}};
  return p;
}

// What a disc must print: these whole lines in this order (others may stand between), none
// of the `absent` texts anywhere, and this exit status.
struct Expect {
  std::vector<std::string> args; // the disc folder is appended
  int status;
  std::vector<std::string> lines;
  std::vector<std::string> absent = {};
};

using DiscMaker = Expect (*)(const fs::path &disc);

struct Case {
  const char *name;
  DiscMaker make;
};

void write_vts_plain(const fs::path &disc) {
  write_file(disc / "VTS_01_0.IFO", build_vts({}).bytes);
}

// --- Tables past the end of the file and past the buffers ---

Expect title_table_past_the_file(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  put_be32(vmg.bytes, 0xC4, 100);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  return {{"-I"}, 1, {"<Title Information>", marker("  ", "title table", 100 * kSector)}};
}

Expect title_count_65535_prints_the_titles_that_fit(const fs::path &disc) {
  Vmg v;
  v.titles = std::vector<Title>{{1, 1, 1, 3}};
  Ifo vmg = build_vmg(v);
  const size_t table = vmg.layout.title_table;
  put_be16(vmg.bytes, table, 0xFFFF);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  const size_t fit = (vmg.bytes.size() - table - 8) / 12;
  return {{"-I"},
          1,
          {"  Title01: [VTS: 1  Title in VTS: 1  Angles: 1  Chapters: 3]",
           "  Title" + std::to_string(fit) + ": [VTS: 0  Title in VTS: 0  Angles: 0  Chapters: 0]",
           marker("  ", "title " + std::to_string(fit + 1), table + 8 + 12 * fit), "<First Play>"}};
}

// Exactly 4096 bytes, the shortest file that is dumped, with every table just past its end.
Expect file_of_4096_bytes_with_tables_beyond_it(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  EXPECT_EQ(vmg.bytes.size(), 4096u);
  put_be32(vmg.bytes, 0xC4, 2);
  put_be32(vmg.bytes, 0x84, 0x1000 - 0xEC + 1); // the chain's fixed part ends 1 byte late
  put_be32(vmg.bytes, 0xC8, 2);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  Ifo vts = build_vts({});
  put_be32(vts.bytes, 0xCC, 2);
  put_be32(vts.bytes, 0xD0, 2);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  return {{"-I"},
          1,
          {marker("  ", "title table", 0x1000), marker("", "first play PGC", 0xF15),
           marker("", "menu PGC table", 0x1000), "<VTS_01 Program Chain>",
           marker("", "title PGC table", 0x1000), "<VTS_01 Menu Program Chain>",
           marker("", "menu PGC table", 0x1000)}};
}

// The chain fits to its last byte, its command table starts at the end of the file.
Expect chain_that_ends_at_the_file_end(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  const size_t pgc = 0x1000 - 0xEC;
  put_be32(vmg.bytes, 0x84, pgc);
  put_be16(vmg.bytes, pgc + 0xE4, 0xEC);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  const std::string table = marker("    ", "command table", 0x1000);
  return {{"-I"},
          1,
          {"<First Play>", "  <Pre Command>", table, "  <Post Command>", table, "  <Cell Command>",
           table}};
}

// 32-bit extremes: past the 16 MiB buffer by far, and sector numbers whose byte offset needs
// more than 32 bits. A menu table sector with the top bit set means no table.
Expect offsets_far_past_the_buffers(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  put_be32(vmg.bytes, 0xC4, 0xFFFFFFFF);
  put_be32(vmg.bytes, 0x84, 0xFFFFFFFF);
  put_be32(vmg.bytes, 0xC8, 0x7FFFFFFF);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  Ifo vts = build_vts({});
  put_be32(vts.bytes, 0xCC, 0x2000); // 16 MiB: the first byte past the buffer
  put_be32(vts.bytes, 0xD0, 0xFFFFFFFF);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  return {{"-I"},
          1,
          {marker("  ", "title table", 0x7FFFFFFF800), marker("", "first play PGC", 0xFFFFFFFF),
           marker("", "menu PGC table", 0x3FFFFFFF800), marker("", "title PGC table", 0x1000000),
           "<VTS_01 Menu Program Chain>", "----"}};
}

// A file longer than ifo_buffer is read as its first 16 MiB: a table in the last sector whose
// entries run on past 16 MiB stops there, although the file goes on.
Expect tables_at_the_end_of_the_16_mib_buffer(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  Bytes &b = vmg.bytes;
  b.resize((16u << 20) + 4096);
  put_be32(b, 0xC4, 0x2000);
  const size_t table = (16u << 20) - kSector; // sector 0x1FFF
  put_be32(b, 0xC8, static_cast<uint32_t>(table / kSector));
  put_be16(b, table, 0xFFFF);
  for (size_t i = 0; i < 255; ++i) {
    b[table + 8 + 8 * i] = 'e';
    b[table + 9 + 8 * i] = 'n';
    put_be32(b, table + 12 + 8 * i, 0xFFFFFFFF);
  }
  // Past 16 MiB the file holds what would be a valid pointer.
  put_be32(b, (16u << 20) + 4, 8);
  write_file(disc / "VIDEO_TS.IFO", b);
  write_vts_plain(disc);
  return {{"-I"},
          1,
          {marker("  ", "title table", 0x1000000), "<Language_01:\"en\", Menu Existence=---->",
           marker("", "language unit 01", table + 0xFFFFFFFF),
           "<Language_255:\"en\", Menu Existence=---->",
           marker("", "language unit 255", table + 0xFFFFFFFF),
           marker("", "language unit 256", 0x1000000)}};
}

// --- Entries that point past the file; the walk goes on with the next one ---

Expect language_unit_past_the_file_then_the_next_unit(const fs::path &disc) {
  Vmg v;
  v.menus = MenuTable{{{"en", 0x80, {busy_pgc()}}, {"fr", 0x00, {busy_pgc()}}}};
  Ifo vmg = build_vmg(v);
  const size_t table = vmg.layout.menu_table;
  // 32-bit arithmetic would wrap this start round to the table's own first bytes.
  put_be32(vmg.bytes, table + 8 + 4, static_cast<uint32_t>(0x100000000 - table));
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  return {{"-I"},
          1,
          {"<Language_01:\"en\", Menu Existence=Title>",
           marker("", "language unit 01", 0x100000000), "<Language_02:\"fr\", Menu Existence=---->",
           "<PGC_001, Programs:1, Cells:1>",
           listing(1, vmg.layout.pgcs[1] + 0xEC + 8, "7100 0001 0002 0000]  Set Reg1 = #2")}};
}

Expect chain_past_the_file_then_the_next_chain(const fs::path &disc) {
  Vts t;
  Pgc second;
  second.programs = 7;
  t.titles = std::vector<Pgc>{busy_pgc(), second};
  Ifo vts = build_vts(t);
  const size_t table = vts.layout.title_pgc_table;
  put_be32(vts.bytes, table + 8 + 4, 0x7FFFFFFF);
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  return {{"-I"},
          1,
          {"<VTS_01 Program Chain>", "", marker("", "PGC 001", table + 0x7FFFFFFF), "",
           "<PGC_002, Programs:7, Cells:0>"}};
}

Expect command_table_past_the_file(const fs::path &disc) {
  Vmg v;
  v.first_play = busy_pgc();
  Ifo vmg = build_vmg(v);
  const size_t pgc = vmg.layout.first_play;
  put_be16(vmg.bytes, pgc + 0xE4, 0xFFFF);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  const std::string table = marker("    ", "command table", pgc + 0xFFFF);
  return {{"-I"},
          1,
          {"<First Play>", "  <Pre Command>", table, "  <Post Command>", table, "  <Cell Command>",
           table}};
}

// --- Counts of 65535 ---

// 65535 pre-commands: those up to the file end are listed (zero bytes decode as Nop), and the
// post- and cell commands, which come after all of them, lie far past the file.
Expect command_count_65535(const fs::path &disc) {
  Vmg v;
  v.titles.reset();
  v.first_play = busy_pgc();
  Ifo vmg = build_vmg(v);
  const size_t table = vmg.layout.first_play + be16(vmg.bytes, vmg.layout.first_play + 0xE4);
  put_be16(vmg.bytes, table, 0xFFFF);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  const size_t first = table + 8;
  const size_t fit = (vmg.bytes.size() - first) / 8;
  return {{"-I"},
          1,
          {"  <Pre Command>",
           listing(static_cast<unsigned>(fit), first + 8 * (fit - 1), "0000 0000 0000 0000]  Nop"),
           marker("    ", "pre command " + std::to_string(fit + 1), first + 8 * fit),
           "  <Post Command>", marker("    ", "post command 001", first + 8 * 65535),
           "  <Cell Command>", marker("    ", "cell command 001", first + 8 * 65536)}};
}

// A cell count of 255 with two real cells: the entries up to the file end are read (zero
// bytes: no cell command), the cross-reference is printed, then the marker says it may be
// incomplete.
Expect cell_count_255_with_the_table_cut(const fs::path &disc) {
  Vmg v;
  v.titles.reset();
  Pgc p;
  p.cell_commands = {kD};
  p.cells = {{1, 0}, {1, 0}};
  p.cell_count = 255;
  v.first_play = p;
  Ifo vmg = build_vmg(v);
  const size_t pgc = vmg.layout.first_play;
  const size_t cells = pgc + be16(vmg.bytes, pgc + 0xE8);
  const size_t readable = (vmg.bytes.size() - cells) / 24;
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  return {{"-I"},
          1,
          {"  <Cell Command>",
           listing(1, pgc + 0xEC + 8, "0002 0000 0000 0000]  Break  (Used by Cell=1,2)"),
           marker("    ", "cell " + std::to_string(readable + 1), cells + 24 * readable)}};
}

// 65535 language units and chains in a table at the very end of the file, whose pointers are
// zero: every unit is the table itself, and so is every chain, which does not fit.
Expect unit_and_chain_counts_65535_pointing_at_their_own_table(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  Bytes &b = vmg.bytes;
  const size_t table = 4096;
  b.resize(table + 24); // the header and two search pointers
  put_be32(b, 0xC8, 2);
  put_be16(b, table, 0xFFFF);
  write_file(disc / "VIDEO_TS.IFO", b);
  // The title set's two tables are one and the same.
  Ifo vts = build_vts({});
  vts.bytes.resize(table + 24);
  put_be32(vts.bytes, 0xCC, 2);
  put_be32(vts.bytes, 0xD0, 2);
  put_be16(vts.bytes, table, 0xFFFF);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  const std::string chain_1 = marker("", "PGC 001", table);
  const std::string chain_2 = marker("", "PGC 002", table);
  const std::string chain_3 = marker("", "PGC 003", table + 24);
  const std::string unit_3 = marker("", "language unit 03", table + 24);
  const std::string unit_1 = "<Language_01:\"??\", Menu Existence=---->";
  const std::string unit_2 = "<Language_02:\"??\", Menu Existence=---->";
  return {{"-I"},
          1,
          {"<VMG Menu Program Chain>",
           unit_1,
           chain_1,
           chain_2,
           chain_3,
           unit_2,
           chain_1,
           chain_2,
           chain_3,
           unit_3,
           "<VTS_01 Program Chain>",
           chain_1,
           chain_2,
           chain_3,
           "<VTS_01 Menu Program Chain>",
           unit_1,
           chain_1,
           chain_2,
           chain_3,
           unit_2,
           chain_1,
           chain_2,
           chain_3,
           unit_3}};
}

// --- Tables that point at each other ---

// Three language units share one unit, whose three chains are one chain, whose cell table is
// its command table: everything lies inside the file, so the report is complete (status 0).
Expect shared_and_overlapping_tables(const fs::path &disc) {
  Vmg v;
  const std::vector<Pgc> three = {busy_pgc(), busy_pgc(), busy_pgc()};
  v.menus = MenuTable{{{"en", 0x80, three}, {"fr", 0x80, three}, {"de", 0x80, three}}};
  Ifo vmg = build_vmg(v);
  Bytes &b = vmg.bytes;
  const size_t table = vmg.layout.menu_table;
  const uint32_t unit = be32(b, table + 12);
  for (size_t i = 1; i < 3; ++i)
    put_be32(b, table + 12 + 8 * i, unit);
  const uint32_t chain = be32(b, table + unit + 12);
  for (size_t k = 1; k < 3; ++k)
    put_be32(b, table + unit + 12 + 8 * k, chain);
  const size_t pgc = table + unit + chain;
  put_be16(b, pgc + 0xE8, be16(b, pgc + 0xE4));
  write_file(disc / "VIDEO_TS.IFO", b);
  write_vts_plain(disc);
  return {{"-I"},
          0,
          {"<Language_01:\"en\", Menu Existence=Title>", "<PGC_003, Programs:1, Cells:1>",
           "<Language_03:\"de\", Menu Existence=Title>", "<PGC_003, Programs:1, Cells:1>"}};
}

// A first-play chain that starts inside the file's own header.
Expect first_play_inside_the_header(const fs::path &disc) {
  Ifo vmg = build_vmg({});
  put_be32(vmg.bytes, 0x84, 4);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  write_vts_plain(disc);
  return {{"-I"}, 0, {"<First Play>", "  <Pre Command>", "    ----"}};
}

// --- Stale bytes of an earlier file ---

// VIDEO_TS.IFO is 40 KiB, its menu table at 0x5000 with distinctive commands; VTS_01_0.IFO is
// 4096 bytes and points both its tables at 0x5000, where ifo_buffer still holds the video
// manager's table. None of it may reach the title set's report.
Expect title_set_shorter_than_the_video_manager(const fs::path &disc) {
  Vmg v;
  Pgc marked;
  marked.pre.assign(20, cmd("71 00 00 0D 5A 5A 00 00"));
  v.menus = MenuTable{{{"en", 0x80, {marked}}}};
  v.min_size = 40960;
  Ifo vmg = build_vmg(v);
  move_tail_to_sector(vmg.bytes, vmg.layout.menu_table, 10, 0xC8);
  write_file(disc / "VIDEO_TS.IFO", vmg.bytes);
  const size_t moved_pgc = vmg.layout.pgcs[0] - vmg.layout.menu_table + 10 * kSector;
  Ifo vts = build_vts({});
  put_be32(vts.bytes, 0xCC, 10);
  put_be32(vts.bytes, 0xD0, 10);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  return {{"-I"},
          1,
          {listing(20, moved_pgc + 0xEC + 8 + 8 * 19, "7100 000D 5A5A 0000]  Set Reg13 = #23130"),
           "<VTS_01 Program Chain>", marker("", "title PGC table", 0x5000),
           "<VTS_01 Menu Program Chain>", marker("", "menu PGC table", 0x5000)}};
}

// --- Tiny files ---

Expect empty_video_manager(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", {});
  return {{"-I"}, 1, {"VIDEO_TS\\VIDEO_TS.IFO is invalid format."}, {"<Title Information>"}};
}

Expect one_byte_video_manager(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", {0x44});
  write_vts_plain(disc);
  return {{"-I"}, 1, {"VIDEO_TS\\VIDEO_TS.IFO is invalid format."}, {"<Title Information>"}};
}

Expect empty_title_set_after_a_good_one(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  write_vts_plain(disc);
  write_file(disc / "VTS_02_0.IFO", {});
  write_file(disc / "VTS_03_0.IFO", build_vts({}).bytes);
  return {{"-I"},
          1,
          {"<VTS_01 Menu Program Chain>", "----", "VIDEO_TS\\VTS_02_0.IFO is invalid format."},
          {"<VTS_02", "<VTS_03"}};
}

// In -V a short control file skips its pair without a word; with no other pair, the dump
// says it found no menu VOB.
Expect one_byte_control_file_beside_a_menu_vob(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", {0x00});
  Bytes vob;
  append_pack(vob, nav_pack({kC}));
  write_file(disc / "VIDEO_TS.VOB", vob);
  return {{"-V"}, 1, {"*.VOB(menu) is not found."}, {"Button Information"}};
}

Expect one_byte_and_one_short_pack_vobs(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  write_file(disc / "VIDEO_TS.VOB", {0x00});
  write_vts_plain(disc);
  Bytes partial = nav_pack({kC});
  partial.pop_back(); // a NAV pack short of its last byte is no pack
  write_file(disc / "VTS_01_0.VOB", partial);
  return {{"-V"},
          0,
          {"<VIDEO_TS.VOB Button Information>", "  ----", "<VTS_01_0.VOB Button Information>",
           "  ----"}};
}

#ifndef _WIN32
// On POSIX systems a folder where a file is expected opens but reads nothing: a file that is
// too short. (Windows does not open a folder as a file: it is not found.)
Expect folders_named_like_the_files(const fs::path &disc) {
  fs::create_directories(disc / "VIDEO_TS.IFO");
  return {{"-I"}, 1, {"VIDEO_TS\\VIDEO_TS.IFO is invalid format."}, {"<Title Information>"}};
}

Expect folder_named_like_the_menu_vob(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  fs::create_directories(disc / "VIDEO_TS.VOB");
  return {{"-V"}, 0, {"<VIDEO_TS.VOB Button Information>", "  ----"}};
}
#endif

// --- Menu VOBs ---

Expect nav_packs_that_claim_255_buttons(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  const std::vector<Command> buttons(3, kC);
  Bytes vob;
  append_pack(vob, nav_pack_with_count(buttons, 255), 5);
  write_file(disc / "VIDEO_TS.VOB", vob);
  return {{"-V"}, 0, {"<VIDEO_TS.VOB Button Information>", "  ----"}, {"PK_"}};
}

// 103 buttons end 7 bytes before the end of the pack; 104 would run past it.
Expect nav_packs_of_103_and_104_buttons(const fs::path &disc) {
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  std::vector<Command> buttons;
  for (unsigned i = 0; i < 103; ++i)
    buttons.push_back(cmd(i % 2 ? "30 02 00 00 00 01 00 00" : "00 02 00 00 00 00 00 00"));
  Bytes vob;
  append_pack(vob, nav_pack(buttons));
  append_pack(vob, nav_pack_with_count(buttons, 104));
  write_file(disc / "VIDEO_TS.VOB", vob);
  return {{"-V"},
          0,
          {"  0001[PK_000000]:[0002 0000 0000 0000]  Break",
           "  0103[PK_000000]:[0002 0000 0000 0000]  Break"},
          {"PK_000001", "0104["}};
}

// A title set menu table in the last sector of menu_ifo_buffer (8 MiB), or just past it: -V
// finds the cell of the first and none of the second, whose table -I lists all the same.
void write_title_set_with_menu_at(const fs::path &disc, uint32_t sector) {
  Vts t;
  t.menus = MenuTable{{{"en", 0x80, {busy_pgc()}}}};
  Ifo vts = build_vts(t);
  move_tail_to_sector(vts.bytes, vts.layout.menu_table, sector, 0xD0);
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  write_file(disc / "VTS_01_0.IFO", vts.bytes);
  Bytes vob;
  append_pack(vob, nav_pack({kC}));
  write_file(disc / "VTS_01_0.VOB", vob);
}

Expect menu_table_in_the_last_sector_of_the_8_mib_buffer(const fs::path &disc) {
  write_title_set_with_menu_at(disc, 4095);
  return {{"-V"},
          0,
          {"<VTS_01_0.VOB Button Information>", "Used by (Language_01, PGC_001, Cell_1)",
           "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1"}};
}

Expect menu_table_past_the_8_mib_buffer(const fs::path &disc) {
  write_title_set_with_menu_at(disc, 4096);
  return {{},
          0,
          {"<VTS_01 Menu Program Chain>", "<Language_01:\"en\", Menu Existence=Root>",
           "<PGC_001, Programs:1, Cells:1>", "<VTS_01_0.VOB Button Information>",
           "  0001[PK_000000]:[3002 0000 0001 0000]  JumpTT ttn:1"},
          {"Used by (Language"}};
}

// -V skips what lies outside the control file and goes on: the second language unit's cell
// is found although the first unit and a chain of the second point past the file.
Expect cell_index_skips_what_does_not_fit(const fs::path &disc) {
  Vts t;
  Pgc p = busy_pgc();
  p.cells = {{1, 0}};
  t.menus = MenuTable{{{"en", 0x80, {busy_pgc()}}, {"fr", 0x80, {busy_pgc(), p}}}};
  Ifo vts = build_vts(t);
  Bytes &b = vts.bytes;
  const size_t table = vts.layout.menu_table;
  put_be32(b, table + 12, 0xFFFFFFF0);
  const size_t unit = table + be32(b, table + 20);
  put_be32(b, unit + 12, 0x7FFFFFFF);
  write_file(disc / "VIDEO_TS.IFO", build_vmg({}).bytes);
  write_file(disc / "VTS_01_0.IFO", b);
  Bytes vob;
  append_pack(vob, nav_pack({kC}));
  write_file(disc / "VTS_01_0.VOB", vob);
  return {
      {"-V"}, 0, {"<VTS_01_0.VOB Button Information>", "Used by (Language_02, PGC_002, Cell_1)"}};
}

const Case kCases[] = {
    {"title_table_past_the_file", title_table_past_the_file},
    {"title_count_65535_prints_the_titles_that_fit", title_count_65535_prints_the_titles_that_fit},
    {"file_of_4096_bytes_with_tables_beyond_it", file_of_4096_bytes_with_tables_beyond_it},
    {"chain_that_ends_at_the_file_end", chain_that_ends_at_the_file_end},
    {"offsets_far_past_the_buffers", offsets_far_past_the_buffers},
    {"tables_at_the_end_of_the_16_mib_buffer", tables_at_the_end_of_the_16_mib_buffer},
    {"language_unit_past_the_file_then_the_next_unit",
     language_unit_past_the_file_then_the_next_unit},
    {"chain_past_the_file_then_the_next_chain", chain_past_the_file_then_the_next_chain},
    {"command_table_past_the_file", command_table_past_the_file},
    {"command_count_65535", command_count_65535},
    {"cell_count_255_with_the_table_cut", cell_count_255_with_the_table_cut},
    {"unit_and_chain_counts_65535_pointing_at_their_own_table",
     unit_and_chain_counts_65535_pointing_at_their_own_table},
    {"shared_and_overlapping_tables", shared_and_overlapping_tables},
    {"first_play_inside_the_header", first_play_inside_the_header},
    {"title_set_shorter_than_the_video_manager", title_set_shorter_than_the_video_manager},
    {"empty_video_manager", empty_video_manager},
    {"one_byte_video_manager", one_byte_video_manager},
    {"empty_title_set_after_a_good_one", empty_title_set_after_a_good_one},
    {"one_byte_control_file_beside_a_menu_vob", one_byte_control_file_beside_a_menu_vob},
    {"one_byte_and_one_short_pack_vobs", one_byte_and_one_short_pack_vobs},
#ifndef _WIN32
    {"folders_named_like_the_files", folders_named_like_the_files},
    {"folder_named_like_the_menu_vob", folder_named_like_the_menu_vob},
#endif
    {"nav_packs_that_claim_255_buttons", nav_packs_that_claim_255_buttons},
    {"nav_packs_of_103_and_104_buttons", nav_packs_of_103_and_104_buttons},
    {"menu_table_in_the_last_sector_of_the_8_mib_buffer",
     menu_table_in_the_last_sector_of_the_8_mib_buffer},
    {"menu_table_past_the_8_mib_buffer", menu_table_past_the_8_mib_buffer},
    {"cell_index_skips_what_does_not_fit", cell_index_skips_what_does_not_fit},
};

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(HostileDiscs, MarkersStatusAndPrintableReport) {
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    const bool failed_before = HasFailure();
    TempDir dir;
    const Expect expect = c.make(dir.path() / "VIDEO_TS");
    std::vector<std::string> args = expect.args;
    args.push_back("VIDEO_TS");
    const RunResult result = run_navlist(args, dir.path());
    EXPECT_EQ(result.status, expect.status);
    const auto printable = [](char ch) {
      const unsigned char u = static_cast<unsigned char>(ch);
      return u == '\n' || (u >= 0x20 && u <= 0x7E);
    };
    EXPECT_TRUE(std::all_of(result.output.begin(), result.output.end(), printable));
    const std::vector<std::string> lines = split_lines(result.output);
    auto at = lines.begin();
    for (const std::string &want : expect.lines) {
      const auto found = std::find(at, lines.end(), want);
      if (found == lines.end()) {
        ADD_FAILURE() << "missing, or out of order: \"" << want << "\"";
        break;
      }
      at = found + 1;
    }
    for (const std::string &text : expect.absent)
      EXPECT_EQ(result.output.find(text), std::string::npos) << "unexpected: " << text;
    if (HasFailure() && !failed_before)
      ADD_FAILURE() << "report:\n" << result.output.substr(0, 6000);
  }
}

// The bytes of the video manager's menu table stay in ifo_buffer when the shorter title set
// file is read over it; the title set's report shows none of them.
TEST(HostileDiscs, NoByteOfAnEarlierFileReachesTheReport) {
  TempDir dir;
  title_set_shorter_than_the_video_manager(dir.path() / "VIDEO_TS");
  const std::string output = run_navlist({"-I", "VIDEO_TS"}, dir.path()).output;
  const size_t title_set = output.find("<VTS_01 Program Chain>");
  ASSERT_NE(title_set, std::string::npos);
  size_t marked = 0;
  for (size_t at = output.find("5A5A"); at != std::string::npos; at = output.find("5A5A", at + 1)) {
    EXPECT_LT(at, title_set);
    ++marked;
  }
  EXPECT_EQ(marked, 20u);
}

#ifndef _WIN32
// A folder name of 246 characters is 247 once normalized, the longest that fits: the whole
// disc is dumped as under a short name. One more character is refused. (On Windows the names
// would also pass the system's own limit on a whole path, which this is not about.)
TEST(HostileDiscs, LongestFolderNameDumpsTheWholeDisc) {
  TempDir dir;
  const std::string longest(246, 'd');
  fs::copy(sample_disc("vtsm_menus"), dir.path() / longest);
  fs::copy(sample_disc("vtsm_menus"), dir.path() / "d");
  const RunResult whole = run_navlist({longest}, dir.path());
  const RunResult short_name = run_navlist({"d"}, dir.path());
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.output, short_name.output);
  EXPECT_NE(whole.output.find("<VTS_01_0.VOB Button Information>"), std::string::npos);

  fs::copy(sample_disc("vtsm_menus"), dir.path() / (longest + "d"));
  const RunResult too_long = run_navlist({longest + "d"}, dir.path());
  EXPECT_EQ(too_long.status, 2);
  EXPECT_EQ(too_long.output, "*** NAVLIST Ver 1.00 ***\nPath too long.\n");
}
#endif

} // namespace
