// SPDX-License-Identifier: MIT
// The tables a command's target is resolved through, read from every control file, and the
// resolution.
#pragma once

#include "common/bytes.h"
#include "decoder/command_info.h"
#include "ifo/ifo_layout.h"
#include "ifo/ptt_table.h"
#include "navigation/control_files.h"
#include "navigation/model.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace navigation {

inline constexpr unsigned kMenuTypes = 16;

// One table of program chain search pointers: a language unit, or a title
// set's title chain table.
struct ChainTableIndex {
  bool in_file = false; // its header lies inside the file
  uint16_t chains = 0;  // as the table states
  uint16_t listed = 0;  // of those, the search pointers inside the file
  // Menus: the unit's first chain that is the entry of each menu type (0: none).
  std::array<uint16_t, kMenuTypes> entry_pgcn{};
};

// The menus of the video manager or of one title set, or a title set's titles.
struct DomainIndex {
  bool present = false;               // the file names the table (its start sector is not 0)
  bool in_file = false;               // and its header lies inside the file
  std::vector<ChainTableIndex> units; // menus: each language unit; titles: the one table
};

// What became of a title set's control file (and its backup).
enum class SetFile : uint8_t {
  kNotOnDisc, // not one of the disc's title sets (ControlFiles::has_title_set)
  kNotFound,  // one of them, but neither file exists or opens
  kTooShort,  // too short to hold its tables
  kRead,      // loaded and indexed
};

struct TitleSetIndex {
  SetFile file = SetFile::kNotOnDisc;
  bool read = false; // file == SetFile::kRead
  DomainIndex titles;
  DomainIndex menus;
  // Chapter 1 of each title of the set (index title - 1), for jumps from elsewhere.
  std::vector<PttLookup> first_chapters;
};

struct TitleTableRow {
  uint8_t title_set;
  uint8_t title_in_set;
};

struct DiscIndex {
  SetFile video_manager = SetFile::kNotFound; // VIDEO_TS.IFO (or its backup)
  bool first_play = false;                    // the first-play chain lies inside the file
  bool title_table = false;                   // its start sector is not 0
  bool title_table_in_file = false;
  uint16_t titles_stated = 0;        // as the table states
  unsigned title_sets_stated = 0;    // ControlFiles::stated_title_sets
  std::vector<TitleTableRow> titles; // the rows inside the file
  DomainIndex vmgm;
  std::array<TitleSetIndex, kMaxTitleSets + 1> title_sets; // [1..99]
  // The whole-disc titles whose first chapter starts at each title chain, by
  // title set << 16 | pgcn.
  std::map<uint32_t, std::vector<uint16_t>> title_starts;
};

// The whole-disc titles that start at title chain `pgcn` of title set
// `title_set`; null when none does.
const std::vector<uint16_t> *titles_starting_at(const DiscIndex &index, unsigned title_set,
                                                unsigned pgcn);

// Reads the index from the control files that a walk of the disc reaches:
// VIDEO_TS.IFO, then the title sets that the disc has (ControlFiles::has_title_set).
void index_disc(ControlFiles &files, DiscIndex &index);

// Where a command runs: its chain (when known) and the control file that holds it.
struct Origin {
  Domain domain;
  unsigned title_set;
  // False for the buttons of a group that no menu cell starts at: the
  // language unit and chain are then unknown.
  bool chain_known;
  ChainRef chain;
  uint8_t category; // the chain's search pointer byte 0
  uint16_t next_pgcn, prev_pgcn, goup_pgcn;
  const IfoBytes *ifo; // the control file of the chain's domain
  // The title set's title number of each title chain (0: none), or null
  // when not yet known; see title_of_chains.
  const uint8_t *chain_titles;
  // The language unit whose entry chains a menu type names: a walk of the
  // disc takes the first; a player the one of its menu language.
  unsigned menu_unit = 1;
};

// Resolves `target` as seen from `origin`; fills `out`.
void resolve_target(const DiscIndex &index, const Origin &origin, const Target &target,
                    Resolution *out);

} // namespace navigation
