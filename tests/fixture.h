// Test fixture builder: writes DVD-Video control files and menu VOBs from a compact description.
//
// A description names only what a test cares about; the builder lays the
// structures out the way authoring tools do (header sector, first-play chain
// at 0x400, each table from a fresh sector) and returns the bytes together
// with where it put each table, so a test can then break any field by hand.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

using Bytes = std::vector<uint8_t>;
using Command = std::array<uint8_t, 8>;

// "20 01 00 00 00 00 00 01" -> the 8 bytes.
Command cmd(const char *hex);

struct Cell {
  uint8_t command_number = 0; // 1-based cell command, 0: none
  uint32_t first_vobu_sector = 0;
};

struct Pgc {
  uint8_t programs = 1;
  std::vector<Command> pre = {};
  std::vector<Command> post = {};
  std::vector<Command> cell_commands = {};
  std::vector<Cell> cells = {};
  uint8_t category = 0;      // byte 0 of the chain's search pointer
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
  size_t min_size = 4096;
};

struct Vts {
  std::optional<std::vector<Pgc>> titles = {}; // VTS_PGCIT; nullopt: sector 0
  std::optional<MenuTable> menus = {};         // VTSM_PGCI_UT; nullopt: sector 0
  // VTS_PTT_SRPT: each title's chapters as title PGC numbers; nullopt: sector 0.
  std::optional<std::vector<std::vector<uint16_t>>> chapters = {};
  size_t min_size = 4096;
};

// Where the builder put things: byte offsets in the file.
struct Layout {
  uint32_t first_play = 0;      // first-play PGC
  uint32_t title_table = 0;     // TT_SRPT
  uint32_t menu_table = 0;      // VMGM_PGCI_UT or VTSM_PGCI_UT
  uint32_t title_pgc_table = 0; // VTS_PGCIT
  uint32_t ptt_table = 0;       // VTS_PTT_SRPT
  std::vector<uint32_t> pgcs;   // every PGC in the order written
};

struct Ifo {
  Bytes bytes;
  Layout layout;
};

Ifo build_vmg(const Vmg &vmg);
Ifo build_vts(const Vts &vts);

// Menu VOB packs, 2048 bytes each.
Bytes nav_pack(const std::vector<Command> &buttons);
// A NAV pack whose button count byte says `count` whatever the table holds.
Bytes nav_pack_with_count(const std::vector<Command> &buttons, uint8_t count);
Bytes video_pack();
void append_pack(Bytes &vob, const Bytes &pack, size_t times = 1);

void put_be16(Bytes &bytes, size_t offset, uint16_t value);
void put_be32(Bytes &bytes, size_t offset, uint32_t value);
uint16_t be16(const Bytes &bytes, size_t offset);
uint32_t be32(const Bytes &bytes, size_t offset);

void write_file(const std::filesystem::path &path, const Bytes &bytes);

} // namespace fixture
