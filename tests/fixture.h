// SPDX-License-Identifier: MIT
// Test fixture builder: writes DVD-Video control files and menu VOBs from a compact description.
//
// A description names only what a test cares about; the builder lays the structures out the
// way authoring tools do, so that a test knows where each one lies: the header sector, the
// first-play chain at 0x400, each table from a fresh sector in the order title table (0x800
// when present), menu table; a chain's command table right after its fixed 0xEC bytes, then
// its cell table; the file padded to whole sectors, at least 4096 bytes. A test then breaks
// any field with a Patch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

using Bytes = std::vector<uint8_t>;
using Command = std::array<uint8_t, 8>;

// Commands from hexadecimal digits, 8 bytes each, with spaces anywhere between bytes:
// "2001 0000 0000 0001" or "20 01 00 00 00 00 00 01".
std::vector<Command> cmds(const char *hex);

struct Cell {
  uint8_t command_number = 0; // 1-based cell command, 0: none
  uint32_t first_vobu_sector = 0;
  uint8_t seconds = 0; // playback time, under a minute
  uint8_t still = 0;   // seconds, 255: for ever
  uint8_t block = 0;   // byte 0: the cell's block mode and type (0x50: an angle block's first)
};

struct Pgc {
  uint8_t programs = 1;
  std::vector<Command> pre = {};
  std::vector<Command> post = {};
  std::vector<Command> cell_commands = {};
  std::vector<Cell> cells = {};
  uint8_t category = 0;      // byte 0 of the chain's search pointer
  uint8_t playback_mode = 0; // 0: in order; (0x80 for shuffle) | programs to play - 1
  bool command_table = true; // false: the chain stores 0 as its table start
  // Cell count byte to store instead of cells.size() (cells past the real
  // entries then lie past the table).
  std::optional<uint8_t> cell_count = {};
};

struct LanguageUnit {
  std::string code = "en"; // two bytes, stored as given
  uint8_t existence = 0;   // menu existence flags
  std::vector<Pgc> pgcs = {};
};

struct MenuTable {
  std::vector<LanguageUnit> units = {};
};

struct Title {
  uint8_t vts = 1;
  uint8_t title_in_vts = 1;
  uint8_t angles = 1;
  uint16_t chapters = 1;
};

struct Vmg {
  std::optional<std::vector<Title>> titles = std::vector<Title>{}; // nullopt: sector 0
  std::optional<Pgc> first_play = {};                              // nullopt: offset 0
  std::optional<MenuTable> menus = {};                             // nullopt: sector 0
};

struct Vts {
  std::optional<std::vector<Pgc>> titles = {}; // VTS_PGCIT; nullopt: sector 0
  std::optional<MenuTable> menus = {};         // VTSM_PGCI_UT; nullopt: sector 0
  // VTS_PTT_SRPT, at the sector after the menu table: each title's chapters as
  // title PGC numbers; nullopt: sector 0.
  std::optional<std::vector<std::vector<uint16_t>>> chapters = {};
};

Bytes build_vmg(const Vmg &vmg);
Bytes build_vts(const Vts &vts);

// A change to a built file: the `width` bytes (1, 2 or 4) at `at` set to `value`, most
// significant first. Width 0 cuts or extends the file to `at` bytes.
struct Patch {
  size_t at;
  unsigned width;
  uint32_t value = 0;
};
Bytes patched(Bytes bytes, const std::vector<Patch> &patches);

// Menu VOB packs, 2048 bytes each. A NAV pack's button count byte says
// `count` when given, whatever the table holds.
Bytes nav_pack(const std::vector<Command> &buttons, std::optional<uint8_t> count = {});
Bytes video_pack();
// The packs one after the other, as a VOB file.
Bytes join_packs(const std::vector<Bytes> &packs);

} // namespace fixture
