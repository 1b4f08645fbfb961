// SPDX-License-Identifier: MIT
// The navigation model: what one walk of the disc tells its renderers, event by event.
//
// walk_disc (navigation/walk.h) reads the disc in the report's order and
// calls a Visitor: the control files (title table, first play, menus by
// language unit, each title set's titles and menus, every program chain with
// its three command lists), then the menu VOBs (button groups), each problem
// where it is met. Nothing is kept: every pointer and view handed to a
// visitor is valid only during that call.
#pragma once

#include "common/bytes.h"
#include "decoder/command_info.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace navigation {

// The four domains a program chain lives in.
enum class Domain : uint8_t { kFirstPlay, kVmgm, kVtsm, kVtsTitle };

// Names one program chain. title_set is 1..99 in a title set's domains and 0
// in the video manager's; language_unit counts from 1 in the menu domains and
// is 0 elsewhere; pgcn counts from 1 and is 0 for first play.
struct ChainRef {
  Domain domain = Domain::kFirstPlay;
  uint8_t title_set = 0;
  uint16_t language_unit = 0;
  uint16_t pgcn = 0;
};

inline constexpr unsigned kReasonSize = 96;

// Where a command's target leads. A command that transfers control (its
// CommandInfo target kind is not kNone) either reaches `chain` or has a
// reason why the disc's tables name none ("title 9 past the title table (4
// titles)", "within the chain", ...). Simple links, LinkPGN and LinkCN
// resolve to the chain that holds the command; LinkNextPGC, LinkPrevPGC and
// LinkGroupPGC to the chains its header names. A resolved chain is one whose
// search pointer lies inside its file; the chain itself may still lie
// outside (a problem of its own).
struct Resolution {
  bool resolved = false;
  ChainRef chain;
  // A title chain reached: the whole-disc titles that start at it (null: none).
  const std::vector<uint16_t> *titles = nullptr;
  char reason[kReasonSize]; // empty when resolved or when nothing is transferred

  Resolution() { reason[0] = '\0'; }
};

// A loaded control file: VIDEO_TS.IFO (title_set 0) or VTS_nn_0.IFO.
struct ControlFile {
  const char *name; // the file's own name, without the folder
  unsigned title_set;
  const IfoBytes *ifo;
};

// The parts of a control file, in report order: the video manager's title
// table, first play and menus; a title set's titles and menus.
enum class Section : uint8_t { kTitleTable, kFirstPlay, kVmgmMenus, kVtsTitles, kVtsMenus };

struct SectionInfo {
  Section section;
  // False when the file says the table is not there (the text report prints
  // "----"); then no event comes until end_section. First play: the file
  // names no first-play chain.
  bool present;
  // The table's header lies inside the file (first play: the chain does).
  bool inside;
  // What the table says it holds: titles, language units or title chains
  // (0 when it is not inside), and how many of their entries lie inside.
  uint16_t entries;
  uint16_t listed;
};

// One row of the title table.
struct TitleEntry {
  unsigned number; // from 1
  uint8_t title_set;
  uint8_t title_in_set;
  uint8_t angles;
  uint16_t chapters;
  uint64_t offset; // of the 12-byte entry
};

// One language unit of a menu table. When its chain table lies outside the
// file (a problem), no chain follows.
struct LanguageUnit {
  Domain domain; // kVmgm or kVtsm
  unsigned title_set;
  unsigned number;   // from 1
  uint8_t code[2];   // as stored: any two bytes
  uint8_t existence; // menu existence flags (byte 3 of the unit's search pointer)
  bool inside;       // its chain table's header lies inside the file
  uint16_t chains;   // as that table states (0 when not inside)
  uint16_t listed;   // of those, the search pointers inside the file
  // Without Dumps::repeated_units: the number of the earlier unit whose chain
  // table this one shares, or 0. Such a unit's chains are that unit's again,
  // with the same problems; the walk does not go through them, and
  // end_language_unit follows at once.
  unsigned repeats = 0;
};

// How one cell of a chain plays, from its cell playback table entry.
struct CellPlayback {
  uint32_t milliseconds; // its playback time
  uint8_t still;         // seconds of still picture after it; 255: until the viewer acts
  uint8_t command;       // its cell command number, 0: none
  uint8_t block;         // byte 0: block mode (bits 7-6) and block type (bits 5-4)
  uint32_t first_sector; // of its first VOBU
  uint32_t last_sector;  // of its last VOBU's end
};

// The fixed part of one program chain, before its commands.
struct Chain {
  ChainRef ref;
  uint64_t offset; // of the chain in its file
  // With Dumps::playback, a chain at the offset of one met before in the
  // same file is that chain again: `repeats` names it, and no command list
  // follows. Only a renderer that keeps chains needs that.
  bool repeats;
  ChainRef repeated;
  uint8_t programs;
  uint8_t cells;
  // Byte 0 of the chain's search pointer (0 for first play). Bit 7 marks an
  // entry chain; entry_id is then the menu type (bits 3-0) in the menu
  // domains and the title number in the title set (bits 6-0).
  uint8_t category;
  bool entry;
  uint8_t entry_id;
  uint16_t next_pgcn, prev_pgcn, goup_pgcn;
  // False when the chain stores 0 as its command table start: no commands.
  bool command_table;
  // The three lists' lengths as the command table states them (0 without a
  // table, or when the table header lies out of range).
  uint16_t pre_count, post_count, cell_command_count;
  // A title chain, when the walk resolves targets: the whole-disc titles that
  // start at it (null: none).
  const std::vector<uint16_t> *titles;
  // With Dumps::playback: how the chain plays. The program map gives each
  // program's first cell; both lists hold only the entries inside the file.
  uint8_t playback_mode; // 0: in order; bit 7 clear: random, else shuffle, of (mode & 0x7F) + 1
  uint8_t still;         // seconds of still picture after the last cell; 255: for ever
  uint32_t milliseconds; // the chain's playback time
  const CellPlayback *cell_list;
  unsigned cell_list_count;
  const uint8_t *program_map;
  unsigned program_map_count;
};

// With Dumps::playback: one chapter of a title set's part-of-title table,
// where playing chapter `chapter` of title `title` starts.
struct Chapter {
  unsigned title_set;
  unsigned title;   // within the title set, from 1
  unsigned chapter; // from 1
  uint16_t pgcn;
  uint8_t pgn;
};

enum class CommandList : uint8_t { kPre, kPost, kCell, kButton };

struct CommandListInfo {
  CommandList list;
  // The length the command table states for the list (0 without a table).
  unsigned stated;
  // The command table lies outside the file: the list is empty, and a
  // problem says why.
  bool table_outside;
};

// One command, decoded once.
struct Command {
  CommandList list;
  unsigned number;       // within its list (or button group), from 1
  uint64_t offset;       // of the command in its file (control file or menu VOB)
  const uint8_t *bytes;  // the 8 bytes
  std::string_view text; // exactly as the text report prints it, without the newline
  const CommandInfo *info;
  // Cell commands: the cells (from 1) whose cell command this is, as the text
  // report's "Used by Cell=" list names them; it names at most 33, and when it
  // does, ends in "..." (used_by_cut).
  const uint8_t *used_by;
  unsigned used_by_count;
  bool used_by_cut;
  // Where its target leads; null when it transfers no control, or when the
  // walk was asked to resolve no targets.
  const Resolution *resolution;
  // A button's auto-action mode (its entry's byte 3, bits 7-6): not 0, the
  // button acts as soon as it is highlighted.
  uint8_t auto_action;
};

// A menu VOB file, VIDEO_TS.VOB (domain kVmgm) or VTS_nn_0.VOB (kVtsm).
struct MenuVob {
  const char *name;
  Domain domain;
  unsigned title_set;
};

// The buttons of one NAV pack, with the run of identical packs folded into it.
struct ButtonGroup {
  uint32_t pack;   // number of the NAV pack in its VOB file, from 0
  uint32_t repeat; // packs in the run, 1 when none was folded
  // The menu cell that starts at this pack, when one does ("Used by" in the
  // text report): its chain and its cell number (from 1).
  bool used_by_known;
  ChainRef chain;
  unsigned cell;
  // From the group's first NAV pack: the highlight status (0: no buttons in
  // use), the forced-select and forced-activate buttons (0: none).
  uint8_t highlight_status;
  uint8_t forced_select;
  uint8_t forced_activate;
};

// The level of the disc's structure a problem belongs to, which decides
// where the text report puts it: a message about a file, a title entry, a
// table of the file, a program chain, or a command list.
enum class ProblemLevel : uint8_t { kFile, kTitle, kTable, kChain, kCommand };

// A message or out-of-range marker of the report.
struct Problem {
  ProblemLevel level;
  // As the text report prints it, without its indentation and newline:
  // "(out of range: PGC 002 at 0x1234)", "DISC\VIDEO_TS.IFO not found.".
  std::string_view message;
  const char *file; // the file's own name, or null ("*.VOB(menu) is not found.")
  bool has_offset;  // out-of-range markers
  uint64_t offset;
  // A message that says nothing is wrong (a disc without menus finds no menu
  // VOB): printed like the others, but no problem of the disc or the run.
  bool note;
};

// Receives the walk. Every function has an empty default, so a visitor
// overrides only what it uses.
class Visitor {
public:
  virtual ~Visitor() = default;

  // Each problem, and each note, where the walk meets it.
  virtual void problem(const Problem &) {}

  // The control files (-I): begin_control_file for each file that loaded.
  virtual void begin_ifo_dump() {}
  virtual void begin_control_file(const ControlFile &) {}
  virtual void begin_section(const SectionInfo &) {}
  virtual void title(const TitleEntry &) {}
  virtual void begin_language_unit(const LanguageUnit &) {}
  virtual void begin_chain(const Chain &) {}
  // Each chain has the three lists pre, post and cell, in that order, each
  // possibly empty.
  virtual void begin_command_list(const CommandListInfo &) {}
  virtual void command(const Command &) {}
  virtual void end_command_list() {}
  virtual void end_chain() {}
  // With Dumps::playback, after a title set's sections.
  virtual void chapter(const Chapter &) {}
  virtual void end_language_unit() {}
  virtual void end_section() {}
  virtual void end_control_file() {}
  virtual void end_ifo_dump() {}

  // The menu VOBs (-V): each scanned VOB, its groups, each group's buttons
  // as commands of list kButton.
  virtual void begin_menu_vob_dump() {}
  virtual void begin_menu_vob(const MenuVob &) {}
  virtual void begin_button_group(const ButtonGroup &) {}
  virtual void end_button_group() {}
  virtual void end_menu_vob() {}
  virtual void end_menu_vob_dump() {}
};

} // namespace navigation
