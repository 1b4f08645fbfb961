// SPDX-License-Identifier: MIT
// The one walk of the disc: the control files and the menu VOBs in report order, to a Visitor.
#include "navigation/walk.h"

#include "decoder/decoder.h"
#include "ifo/cell_table.h"
#include "ifo/ifo_layout.h"
#include "ifo/ptt_table.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"
#include "navigation/control_files.h"
#include "navigation/disc_index.h"
#include "platform/disc_file.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace navigation {

namespace {

constexpr unsigned kWhatSize = 48;
constexpr unsigned kMessageSize = 400;
// The -V dump reads a menu VOB's control file up to 8 MiB: its menu tables
// lie there, and nothing past it is looked at.
constexpr size_t kMenuVobIfoRead = 8 * 1024 * 1024;
// The "Used by Cell=" list names at most this many cells, then "...".
constexpr unsigned kMaxListedCells = 33;
// A player walks at most this many chain search pointers of one control file:
// real discs hold a few thousand chains, a hostile file can claim billions.
constexpr unsigned kMaxPlaybackChains = 1u << 18;

// Menu cell start entries that -I keeps for -V in all, so that -V need not
// read the control files again; past this, -V reads the rest again.
constexpr size_t kMaxKeptMenuCells = 1 << 18;

// What -V needs of a control file that -I has read: how the load went and
// the start sectors of its menu cells.
struct MenuCells {
  bool known = false;
  bool read_failed = false;
  bool from_backup = false;
  bool declares_menu_vob = false;
  size_t size = 0;
  uint64_t pgci_ut = 0;
  std::vector<CellStartEntry> entries;
};

} // namespace

class Walker {
public:
  Walker(const char *path, Dumps dumps, Visitor &visitor)
      : path_(path), dumps_(dumps), visitor_(visitor), files_(path) {}

  bool walk();
  bool walk_title_set(unsigned title_set);
  void begin_index();
  bool has_title_set(unsigned title_set) const {
    return title_set == 0 || index_->title_sets[title_set].read;
  }
  bool names_title_set(unsigned title_set) const {
    return title_set == 0 || (index_ != nullptr && title_set <= kMaxTitleSets &&
                              index_->title_sets[title_set].file != SetFile::kNotOnDisc);
  }
  const DiscIndex &index() const { return *index_; }

private:
  void problem(ProblemLevel level, const char *file, bool has_offset, uint64_t offset,
               const char *format, ...) __attribute__((format(printf, 6, 7)));
  void out_of_range(ProblemLevel level, uint64_t offset, const char *format, ...)
      __attribute__((format(printf, 4, 5)));
  void read_failure(const std::string &name, const char *leaf);
  void backup_used(unsigned title_set);
  bool open_failure(const std::string &name, const char *leaf, const OpenFailure &failure);

  void control_files();
  void control_file(unsigned title_set);
  bool enter_control_file(unsigned title_set);
  void read_playback(uint64_t pgc, Chain &header);
  void chapters();
  void title_table();
  void first_play();
  void menu_table(uint64_t sector_field, Domain domain);
  void title_chains();
  void chain_list(uint64_t table, TableExtent extent, ChainRef ref);
  void chain(uint64_t pgc, ChainRef ref, uint8_t category);
  unsigned command_list(CommandList list, uint64_t first, unsigned count, const char *name,
                        const CellTable *cells);
  void emit_command(CommandList list, unsigned number, uint64_t offset, const uint8_t *bytes,
                    const CellTable *cells);

  void keep_menu_cells(unsigned title_set);
  void menu_vobs();
  bool menu_vob(unsigned title_set);
  bool menu_control_file(unsigned title_set, uint64_t *pgci_ut);
  void menu_control_file_state(unsigned title_set, bool from_backup, bool read_failed, size_t size);
  void button_groups(const MenuVob &vob, uint64_t pgci_ut);
  void set_menu_origin(uint64_t pgci_ut, const ButtonGroup &group);

  const char *path_;
  Dumps dumps_;
  Visitor &visitor_;
  ControlFiles files_;
  std::unique_ptr<DiscIndex> index_;
  bool problem_reported_ = false;
  // A control file of -V's walk declares a menu VOB, or did not load, so
  // that whether it has one is not known.
  bool menu_vob_expected_ = false;
  bool reporting_ = true;      // problems of the control files are left out without -I
  bool one_title_set_ = false; // walking title sets one at a time: each missing one is told
  std::array<MenuCells, kMaxTitleSets + 1> menu_cells_;
  size_t kept_menu_cells_ = 0;

  std::string leaf_; // the current file's own name
  IfoBytes ifo_{};
  Origin origin_{};
  bool chain_titles_ready_ = false;
  std::unique_ptr<std::array<uint8_t, 65536>> chain_titles_;
  CellTable cells_;
  char text_[kDecodedTextSize];
  Resolution resolution_;
  std::vector<CellPlayback> playback_cells_;
  std::unordered_map<uint64_t, ChainRef> chain_at_; // playback: the chains met, by offset
  unsigned playback_chains_ = 0;
  std::vector<uint8_t> program_map_;
  uint8_t auto_action_ = 0; // of the button being emitted
};

void Walker::problem(ProblemLevel level, const char *file, bool has_offset, uint64_t offset,
                     const char *format, ...) {
  if (!reporting_)
    return;
  problem_reported_ = true;
  char message[kMessageSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  const size_t size = length < 0 ? 0 : std::min<size_t>(length, sizeof message - 1);
  visitor_.problem(
      Problem{level, std::string_view(message, size), file, has_offset, offset, false});
}

void Walker::out_of_range(ProblemLevel level, uint64_t offset, const char *format, ...) {
  char what[kWhatSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(what, sizeof what, format, args);
  va_end(args);
  problem(level, leaf_.c_str(), true, offset, "(out of range: %s at 0x%llX)", what,
          static_cast<unsigned long long>(offset));
}

void Walker::read_failure(const std::string &name, const char *leaf) {
  problem(ProblemLevel::kFile, leaf, false, 0, "%s cannot be read to its end.", name.c_str());
}

void Walker::backup_used(unsigned title_set) {
  problem(ProblemLevel::kFile, ControlFiles::own_name(title_set).c_str(), false, 0,
          "%s cannot be read: its backup %s is used.", files_.name(title_set).c_str(),
          files_.name(title_set, true).c_str());
}

// Why a file that the disc names cannot be read, unless it is simply missing;
// true when that was reported.
bool Walker::open_failure(const std::string &name, const char *leaf, const OpenFailure &failure) {
  static constexpr const char *kNotAFile[] = {"a FIFO", "a character device", "a block device",
                                              "a socket"};
  if (failure.problem == OpenProblem::kMissing)
    return false;
  if (failure.problem == OpenProblem::kUnreadable)
    problem(ProblemLevel::kFile, leaf, false, 0, "%s cannot be read: %s.", name.c_str(),
            std::strerror(failure.error));
  else
    problem(ProblemLevel::kFile, leaf, false, 0, "%s is %s, not a regular file.", name.c_str(),
            kNotAFile[static_cast<int>(failure.problem) - static_cast<int>(OpenProblem::kFifo)]);
  return true;
}

void Walker::begin_index() {
  // Resolving targets comes back to every file; without it, -V after -I
  // needs only what keep_menu_cells keeps.
  if (!dumps_.resolve || index_ != nullptr)
    return;
  files_.keep_files();
  index_ = std::make_unique<DiscIndex>();
  index_disc(files_, *index_);
}

bool Walker::walk() {
  begin_index();
  if (dumps_.ifo || dumps_.chains_without_ifo) {
    reporting_ = dumps_.ifo;
    control_files();
    reporting_ = true;
  }
  if (dumps_.menu_vob)
    menu_vobs();
  return problem_reported_;
}

// -I: VIDEO_TS.IFO, then the title sets that the disc has, each file that
// does not load reported at its place. Without a number of title sets
// stated in VIDEO_TS.IFO the first title set that does not load ends the
// disc, and only a missing first title set is worth a message.
void Walker::control_files() {
  visitor_.begin_ifo_dump();
  for (unsigned n = 0; n <= kMaxTitleSets; ++n) {
    if (n > 0 && !files_.has_title_set(n)) {
      if (files_.stated_title_sets() == 0)
        enter_control_file(n);
      break;
    }
    if (!enter_control_file(n)) {
      if (n == 0)
        break;
      continue;
    }
    control_file(n);
    keep_menu_cells(n);
  }
  visitor_.end_ifo_dump();
}

// The sections of the control file that enter_control_file loaded.
void Walker::control_file(unsigned title_set) {
  chain_at_.clear();
  playback_chains_ = 0;
  visitor_.begin_control_file(ControlFile{leaf_.c_str(), title_set, &ifo_});
  origin_ = Origin{};
  origin_.title_set = title_set;
  origin_.ifo = &ifo_;
  chain_titles_ready_ = false;
  if (title_set == 0) {
    title_table();
    first_play();
    menu_table(kVmgiMenuTableSector, Domain::kVmgm);
  } else {
    title_chains();
    menu_table(kVtsiMenuTableSector, Domain::kVtsm);
    if (dumps_.playback)
      chapters();
  }
  visitor_.end_control_file();
}

bool Walker::walk_title_set(unsigned title_set) {
  begin_index();
  one_title_set_ = true;
  if (!enter_control_file(title_set))
    return false;
  control_file(title_set);
  menu_vob(title_set);
  return true;
}

// Each title's chapters, in the order of the part-of-title table.
void Walker::chapters() {
  for (unsigned title = 1; title <= kMaxIndexedTitles; ++title) {
    // A title holds at most 999 chapters.
    for (unsigned chapter = 1; chapter <= 999; ++chapter) {
      const PttLookup found = find_chapter(ifo_, title, chapter);
      if (found.status != PttStatus::kFound)
        break;
      visitor_.chapter(Chapter{origin_.title_set, title, chapter, found.pgcn, found.pgn});
    }
    if (find_chapter(ifo_, title, 1).status == PttStatus::kTitlePast)
      return;
  }
}

// The cell playback table and the program map of the chain at `pgc`.
void Walker::read_playback(uint64_t pgc, Chain &header) {
  const uint8_t *p = ifo_.data + pgc;
  header.playback_mode = p[kPgcPlaybackMode];
  header.still = p[kPgcStillTime];
  header.milliseconds = playback_milliseconds(p + kPgcPlaybackTime);
  const uint64_t cells = pgc + get_be16(p + kPgcCellTable);
  playback_cells_.clear();
  for (unsigned k = 0; k < entries_inside(ifo_, cells, header.cells, kCellEntrySize); ++k) {
    const uint8_t *e = ifo_.data + cells + kCellEntrySize * k;
    playback_cells_.push_back(CellPlayback{
        playback_milliseconds(e + kCellPlaybackTime), e[kCellStillTime], e[kCellCommandNumber],
        e[0], get_be32(e + kCellFirstVobuSector), get_be32(e + kCellLastSector)});
  }
  const uint64_t map = pgc + get_be16(p + kPgcProgramMap);
  const unsigned programs = entries_inside(ifo_, map, header.programs, 1);
  program_map_.assign(ifo_.data + map, ifo_.data + map + programs);
  header.cell_list = playback_cells_.data();
  header.cell_list_count = static_cast<unsigned>(playback_cells_.size());
  header.program_map = program_map_.data();
  header.program_map_count = programs;
}

// Loads a control file for -I and reports why it cannot be walked: a read
// that failed, then what was read, if too little; or that its backup is
// walked instead.
bool Walker::enter_control_file(unsigned title_set) {
  const LoadedIfo &ifo = files_.take(title_set);
  const std::string name = files_.name(title_set, ifo.from_backup);
  leaf_ = ControlFiles::own_name(title_set, ifo.from_backup);
  if (ifo.result == LoadResult::kNotFound) {
    if (!open_failure(name, leaf_.c_str(), ifo.open_failure) &&
        (title_set <= 1 || one_title_set_ || files_.stated_title_sets() != 0))
      problem(ProblemLevel::kFile, leaf_.c_str(), false, 0, "%s not found.", name.c_str());
    return false;
  }
  if (ifo.from_backup)
    backup_used(title_set);
  if (ifo.read_failed)
    read_failure(name, leaf_.c_str());
  if (ifo.result == LoadResult::kTooShort) {
    problem(ProblemLevel::kFile, leaf_.c_str(), false, 0, "%s is invalid format.", name.c_str());
    return false;
  }
  ifo_ = ifo.bytes();
  return true;
}

void Walker::title_table() {
  // A start sector of 0 would read the file's own header as a title table.
  const uint32_t sector = get_be32(ifo_.data + kVmgiTitleTableSector);
  const uint64_t table = sector_offset(sector);
  const TableExtent extent =
      sector != 0 ? table_extent(ifo_, table, kTitleEntrySize) : TableExtent{};
  visitor_.begin_section(
      SectionInfo{Section::kTitleTable, sector != 0, extent.inside, extent.entries, extent.listed});
  if (sector != 0 && !extent.inside)
    out_of_range(ProblemLevel::kTitle, table, "title table");
  for (unsigned i = 0; i < extent.listed; ++i) {
    const uint64_t entry = table + kTableHeaderSize + kTitleEntrySize * i;
    const uint8_t *e = ifo_.data + entry;
    visitor_.title(TitleEntry{i + 1, e[6], e[7], e[1], get_be16(e + 2), entry});
  }
  if (extent.listed < extent.entries)
    out_of_range(ProblemLevel::kTitle, table + kTableHeaderSize + kTitleEntrySize * extent.listed,
                 "title %02u", extent.listed + 1u);
  visitor_.end_section();
}

void Walker::first_play() {
  const uint32_t pgc = get_be32(ifo_.data + kVmgiFirstPlayPgc);
  const bool inside = pgc != 0 && pgc_fits(ifo_, pgc);
  visitor_.begin_section(SectionInfo{Section::kFirstPlay, pgc != 0, inside, inside, inside});
  if (pgc != 0 && !inside)
    out_of_range(ProblemLevel::kTable, pgc, "first play PGC");
  if (inside)
    chain(pgc, ChainRef{Domain::kFirstPlay, 0, 0, 0}, 0);
  visitor_.end_section();
}

// A menu PGCI_UT: its language units and their chains.
void Walker::menu_table(uint64_t sector_field, Domain domain) {
  const auto title_set = static_cast<uint8_t>(origin_.title_set);
  const uint32_t sector = get_be32(ifo_.data + sector_field);
  const uint64_t table = sector_offset(sector);
  const bool present = !table_sector_absent(sector);
  const TableExtent extent =
      present ? table_extent(ifo_, table, kSearchPointerSize) : TableExtent{};
  visitor_.begin_section(
      SectionInfo{domain == Domain::kVmgm ? Section::kVmgmMenus : Section::kVtsMenus, present,
                  extent.inside, extent.entries, extent.listed});
  if (present && !extent.inside)
    out_of_range(ProblemLevel::kTable, table, "menu PGC table");
  std::unordered_map<uint64_t, unsigned> unit_with_table;
  for (unsigned i = 0; i < extent.listed; ++i) {
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * i;
    const uint8_t *p = ifo_.data + pointer;
    const uint64_t unit_table = table + search_pointer_start(ifo_, pointer);
    const TableExtent chains = table_extent(ifo_, unit_table, kSearchPointerSize);
    unsigned repeats = 0;
    if (!dumps_.repeated_units && chains.inside) {
      const unsigned first = unit_with_table.try_emplace(unit_table, i + 1).first->second;
      repeats = first != i + 1 ? first : 0;
    }
    visitor_.begin_language_unit(LanguageUnit{domain,
                                              title_set,
                                              i + 1,
                                              {p[0], p[1]},
                                              p[3],
                                              chains.inside,
                                              chains.entries,
                                              chains.listed,
                                              repeats});
    if (!chains.inside)
      out_of_range(ProblemLevel::kTable, unit_table, "language unit %02u", i + 1);
    else if (repeats == 0)
      chain_list(unit_table, chains, ChainRef{domain, title_set, static_cast<uint16_t>(i + 1), 0});
    visitor_.end_language_unit();
  }
  if (extent.listed < extent.entries)
    out_of_range(ProblemLevel::kTable,
                 table + kTableHeaderSize + kSearchPointerSize * extent.listed,
                 "language unit %02u", extent.listed + 1u);
  visitor_.end_section();
}

void Walker::title_chains() {
  const uint32_t sector = get_be32(ifo_.data + kVtsiTitlePgcTableSector);
  const uint64_t table = sector_offset(sector);
  const bool present = !table_sector_absent(sector);
  const TableExtent extent =
      present ? table_extent(ifo_, table, kSearchPointerSize) : TableExtent{};
  visitor_.begin_section(
      SectionInfo{Section::kVtsTitles, present, extent.inside, extent.entries, extent.listed});
  if (present && !extent.inside)
    out_of_range(ProblemLevel::kTable, table, "title PGC table");
  if (extent.inside)
    chain_list(table, extent,
               ChainRef{Domain::kVtsTitle, static_cast<uint8_t>(origin_.title_set), 0, 0});
  visitor_.end_section();
}

// A table of chain search pointers (a language unit or a VTS_PGCIT) whose
// header lies inside the file.
void Walker::chain_list(uint64_t table, TableExtent extent, ChainRef ref) {
  for (unsigned k = 0; k < extent.listed; ++k) {
    if (dumps_.playback && ++playback_chains_ > kMaxPlaybackChains)
      return;
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * k;
    const uint64_t pgc = table + search_pointer_start(ifo_, pointer);
    if (!pgc_fits(ifo_, pgc)) {
      out_of_range(ProblemLevel::kChain, pgc, "PGC %03u", k + 1);
      continue;
    }
    ref.pgcn = static_cast<uint16_t>(k + 1);
    chain(pgc, ref, ifo_.data[pointer]);
  }
  // Every later pointer lies further out: the list ends here.
  if (extent.listed < extent.entries)
    out_of_range(ProblemLevel::kChain,
                 table + kTableHeaderSize + kSearchPointerSize * extent.listed, "PGC %03u",
                 extent.listed + 1u);
}

void Walker::chain(uint64_t pgc, ChainRef ref, uint8_t category) {
  const uint8_t *p = ifo_.data + pgc;
  Chain header{};
  header.ref = ref;
  header.offset = pgc;
  header.programs = p[kPgcProgramCount];
  header.cells = p[kPgcCellCount];
  header.category = category;
  header.entry = (category & 0x80) != 0;
  header.entry_id =
      static_cast<uint8_t>(ref.domain == Domain::kVtsTitle ? category & 0x7F : category & 0x0F);
  header.next_pgcn = get_be16(p + kPgcNextPgcn);
  header.prev_pgcn = get_be16(p + kPgcPrevPgcn);
  header.goup_pgcn = get_be16(p + kPgcGoUpPgcn);
  const unsigned table_start = get_be16(p + kPgcCommandTable);
  const uint64_t table = pgc + table_start;
  // A start of 0 is how discs say that a chain has no commands at all.
  header.command_table = table_start != 0;
  const bool table_inside = header.command_table && holds(ifo_, table, kTableHeaderSize);
  if (table_inside) {
    header.pre_count = get_be16(ifo_.data + table);
    header.post_count = get_be16(ifo_.data + table + 2);
    header.cell_command_count = get_be16(ifo_.data + table + 4);
  }
  if (index_ != nullptr && ref.domain == Domain::kVtsTitle)
    header.titles = titles_starting_at(*index_, ref.title_set, ref.pgcn);
  if (dumps_.playback) {
    const auto [earlier, first] = chain_at_.try_emplace(pgc, ref);
    if (!first) {
      header.repeats = true;
      header.repeated = earlier->second;
      visitor_.begin_chain(header);
      visitor_.end_chain();
      return;
    }
    read_playback(pgc, header);
  }
  visitor_.begin_chain(header);

  origin_.domain = ref.domain;
  origin_.chain_known = true;
  origin_.chain = ref;
  origin_.category = category;
  origin_.next_pgcn = header.next_pgcn;
  origin_.prev_pgcn = header.prev_pgcn;
  origin_.goup_pgcn = header.goup_pgcn;

  if (!table_inside) {
    // Three empty lists, each marked when the table lies outside the file.
    for (CommandList list : {CommandList::kPre, CommandList::kPost, CommandList::kCell}) {
      visitor_.begin_command_list(CommandListInfo{list, 0, header.command_table});
      if (header.command_table)
        out_of_range(ProblemLevel::kCommand, table, "command table");
      visitor_.end_command_list();
    }
  } else {
    const uint64_t first = table + kTableHeaderSize;
    command_list(CommandList::kPre, first, header.pre_count, "pre", nullptr);
    command_list(CommandList::kPost, first + kCommandSize * uint64_t(header.pre_count),
                 header.post_count, "post", nullptr);
    const uint64_t cell_first =
        first + kCommandSize * (uint64_t(header.pre_count) + header.post_count);
    if (header.cell_command_count == 0) {
      command_list(CommandList::kCell, cell_first, 0, "cell", nullptr);
    } else {
      read_cell_table(ifo_, pgc, &cells_);
      const unsigned listed =
          command_list(CommandList::kCell, cell_first, header.cell_command_count, "cell", &cells_);
      // The cross-references are incomplete when the cell table is cut.
      const unsigned readable = cells_.readable_cells;
      if (listed > 0 && readable < cells_.cells)
        out_of_range(ProblemLevel::kCommand, cells_.start + kCellEntrySize * readable, "cell %u",
                     readable + 1);
    }
  }
  visitor_.end_chain();
}

// Commands [0, count) of one list from `first`, then the marker at the first
// that does not fit. Returns how many lie inside the file.
unsigned Walker::command_list(CommandList list, uint64_t first, unsigned count, const char *name,
                              const CellTable *cells) {
  visitor_.begin_command_list(CommandListInfo{list, count, false});
  const unsigned inside = entries_inside(ifo_, first, count, kCommandSize);
  for (unsigned i = 0; i < inside; ++i) {
    const uint64_t offset = first + kCommandSize * i;
    emit_command(list, i + 1, offset, ifo_.data + offset, cells);
  }
  if (inside < count)
    out_of_range(ProblemLevel::kCommand, first + kCommandSize * inside, "%s command %03u", name,
                 inside + 1);
  visitor_.end_command_list();
  return inside;
}

void Walker::emit_command(CommandList list, unsigned number, uint64_t offset, const uint8_t *bytes,
                          const CellTable *cells) {
  CommandInfo info;
  size_t length = decode_command_info(bytes, text_, &info);
  if (length > 0 && text_[length - 1] == '\n')
    --length;
  Command command;
  command.list = list;
  command.number = number;
  command.offset = offset;
  command.bytes = bytes;
  command.text = std::string_view(text_, length);
  command.info = &info;
  command.used_by = nullptr;
  command.used_by_count = 0;
  command.used_by_cut = false;
  command.resolution = nullptr;
  command.auto_action = list == CommandList::kButton ? auto_action_ : 0;
  if (cells != nullptr && number < kCellCommandNumbers) {
    const unsigned first = cells->first[number];
    const unsigned count = cells->first[number + 1] - first;
    command.used_by = cells->cells_by_command + first;
    command.used_by_count = std::min(count, kMaxListedCells);
    command.used_by_cut = count >= kMaxListedCells;
  }
  if (index_ != nullptr && info.target.kind != TargetKind::kNone) {
    if (info.target.kind == TargetKind::kLinkPTTN && !chain_titles_ready_ &&
        origin_.domain == Domain::kVtsTitle) {
      if (!chain_titles_)
        chain_titles_ = std::make_unique<std::array<uint8_t, 65536>>();
      title_of_chains(*origin_.ifo, *chain_titles_);
      chain_titles_ready_ = true;
    }
    origin_.chain_titles = chain_titles_ready_ ? chain_titles_->data() : nullptr;
    resolution_ = Resolution{};
    resolve_target(*index_, origin_, info.target, &resolution_);
    if (resolution_.resolved && resolution_.chain.domain == Domain::kVtsTitle)
      resolution_.titles =
          titles_starting_at(*index_, resolution_.chain.title_set, resolution_.chain.pgcn);
    command.resolution = &resolution_;
  }
  visitor_.command(command);
}

// -V: each control file with its menu VOB, for VIDEO_TS.IFO and the title
// sets that the disc has; a pair is skipped silently when either is missing
// or the control file is too short. Finding no menu VOB is only a note when
// every control file loaded and none declares one: a disc without menus.
void Walker::menu_vobs() {
  visitor_.begin_menu_vob_dump();
  unsigned scanned = 0;
  for (unsigned n = 0; n == 0 || files_.has_title_set(n); ++n)
    if (menu_vob(n))
      ++scanned;
  static constexpr char kNoMenuVob[] = "*.VOB(menu) is not found.";
  if (scanned == 0 && menu_vob_expected_)
    problem(ProblemLevel::kFile, nullptr, false, 0, "%s", kNoMenuVob);
  else if (scanned == 0)
    visitor_.problem(Problem{ProblemLevel::kFile, kNoMenuVob, nullptr, false, 0, true});
  visitor_.end_menu_vob_dump();
}

// The start sectors of the menu cells of the file -I has in memory, for -V.
void Walker::keep_menu_cells(unsigned title_set) {
  if (!dumps_.menu_vob || dumps_.resolve || kept_menu_cells_ >= kMaxKeptMenuCells)
    return;
  MenuCells &kept = menu_cells_[title_set];
  const LoadedIfo &ifo = files_.take(title_set);
  kept.read_failed = ifo.read_failed;
  kept.from_backup = ifo.from_backup;
  kept.declares_menu_vob = get_be32(ifo.data.get() + kMenuVobSector) != 0;
  kept.size = ifo.size;
  const IfoBytes view{ifo.data.get(), std::min(ifo.size, kMenuVobIfoRead)};
  const uint32_t sector =
      get_be32(view.data + (title_set == 0 ? kVmgiMenuTableSector : kVtsiMenuTableSector));
  kept.pgci_ut = table_sector_absent(sector) ? 0 : sector_offset(sector);
  build_cell_start_index(kept.pgci_ut, view);
  kept.entries.assign(cell_start_index, cell_start_index + cell_start_count);
  kept_menu_cells_ += kept.entries.size();
  kept.known = true;
}

// What -V says of a control file it reads: that its backup is read instead,
// or that it cannot be read to its end within the part -V reads.
void Walker::menu_control_file_state(unsigned title_set, bool from_backup, bool read_failed,
                                     size_t size) {
  if (one_title_set_) // one title set's walk has said so as it entered the file
    return;
  if (from_backup)
    backup_used(title_set);
  if (read_failed && size < kMenuVobIfoRead)
    read_failure(files_.name(title_set, from_backup),
                 ControlFiles::own_name(title_set, from_backup).c_str());
}

// The control file of a menu VOB, as -I kept it or read now, with the menu
// cell start index built; false when the pair is skipped.
bool Walker::menu_control_file(unsigned title_set, uint64_t *pgci_ut) {
  const MenuCells &kept = menu_cells_[title_set];
  if (kept.known) {
    menu_control_file_state(title_set, kept.from_backup, kept.read_failed, kept.size);
    menu_vob_expected_ = menu_vob_expected_ || kept.declares_menu_vob;
    std::copy(kept.entries.begin(), kept.entries.end(), cell_start_index);
    cell_start_count = static_cast<int32_t>(kept.entries.size());
    *pgci_ut = kept.pgci_ut;
    return true;
  }
  const LoadedIfo &ifo = files_.take(title_set);
  if (ifo.result != LoadResult::kLoaded)
    menu_vob_expected_ = true;
  if (ifo.result == LoadResult::kNotFound) {
    open_failure(files_.name(title_set), ControlFiles::own_name(title_set).c_str(),
                 ifo.open_failure);
    return false;
  }
  menu_control_file_state(title_set, ifo.from_backup, ifo.read_failed, ifo.size);
  if (ifo.result == LoadResult::kTooShort)
    return false;
  ifo_ = IfoBytes{ifo.data.get(), std::min(ifo.size, kMenuVobIfoRead)};
  menu_vob_expected_ = menu_vob_expected_ || get_be32(ifo_.data + kMenuVobSector) != 0;
  const uint32_t sector =
      get_be32(ifo_.data + (title_set == 0 ? kVmgiMenuTableSector : kVtsiMenuTableSector));
  *pgci_ut = table_sector_absent(sector) ? 0 : sector_offset(sector);
  build_cell_start_index(*pgci_ut, ifo_);
  return true;
}

bool Walker::menu_vob(unsigned title_set) {
  uint64_t pgci_ut = 0;
  if (!menu_control_file(title_set, &pgci_ut))
    return false;

  char vob_leaf[24];
  if (title_set == 0)
    std::snprintf(vob_leaf, sizeof vob_leaf, "VIDEO_TS.VOB");
  else
    std::snprintf(vob_leaf, sizeof vob_leaf, "VTS_%02u_0.VOB", title_set);
  const std::string vob_name = path_ + std::string(vob_leaf);
  OpenFailure failure;
  DiscFile *vob = open_disc_file(vob_name.c_str(), &failure);
  if (vob == nullptr) {
    open_failure(vob_name, vob_leaf, failure);
    return false;
  }
  const MenuVob menu{vob_leaf, title_set == 0 ? Domain::kVmgm : Domain::kVtsm, title_set};
  visitor_.begin_menu_vob(menu);
  const bool complete = collect_menu_vob(vob);
  close_disc_file(vob);
  if (!complete)
    read_failure(vob_name, vob_leaf);
  button_groups(menu, pgci_ut);
  visitor_.end_menu_vob();
  return true;
}

void Walker::button_groups(const MenuVob &vob, uint64_t pgci_ut) {
  origin_ = Origin{};
  origin_.domain = vob.domain;
  origin_.title_set = vob.title_set;
  origin_.ifo = &ifo_;
  for (int32_t first = 0; first < button_record_count;) {
    const uint32_t pack = button_records[first].pack_number;
    int32_t end = first + 1;
    while (end < button_record_count && button_records[end].pack_number == pack)
      ++end;
    ButtonGroup group{};
    group.pack = pack;
    group.repeat = button_records[first].repeat_count;
    group.highlight_status = button_records[first].highlight_status;
    group.forced_select = button_records[first].forced_select;
    group.forced_activate = button_records[first].forced_activate;
    if (const CellStartEntry *cell = find_cell_start(pack)) {
      group.used_by_known = true;
      group.chain = ChainRef{vob.domain, static_cast<uint8_t>(vob.title_set),
                             static_cast<uint16_t>(cell->lu_index + 1),
                             static_cast<uint16_t>(cell->pgc_index + 1)};
      group.cell = static_cast<unsigned>(cell->cell_index) + 1;
    }
    if (index_ != nullptr)
      set_menu_origin(pgci_ut, group);
    visitor_.begin_button_group(group);
    for (int32_t r = first; r < end; ++r) {
      const auto button = static_cast<unsigned>(r - first);
      const uint64_t offset =
          uint64_t(pack) * kSectorSize + kFirstButtonCommand + kButtonEntrySize * button;
      auto_action_ = button_records[r].auto_action;
      emit_command(CommandList::kButton, button + 1, offset, button_records[r].command.b, nullptr);
    }
    visitor_.end_button_group();
    first = end;
  }
}

// The chain whose cell a button group belongs to, for the targets of its
// buttons. The cell start index found it through these same tables.
void Walker::set_menu_origin(uint64_t pgci_ut, const ButtonGroup &group) {
  origin_.chain_known = group.used_by_known;
  origin_.chain = group.chain;
  origin_.category = 0;
  origin_.next_pgcn = origin_.prev_pgcn = origin_.goup_pgcn = 0;
  if (!group.used_by_known)
    return;
  const uint64_t unit_pointer =
      pgci_ut + kTableHeaderSize + kSearchPointerSize * (group.chain.language_unit - 1u);
  if (!holds(ifo_, unit_pointer, kSearchPointerSize))
    return;
  const uint64_t unit = pgci_ut + search_pointer_start(ifo_, unit_pointer);
  const uint64_t pointer = unit + kTableHeaderSize + kSearchPointerSize * (group.chain.pgcn - 1u);
  if (!holds(ifo_, pointer, kSearchPointerSize))
    return;
  const uint64_t pgc = unit + search_pointer_start(ifo_, pointer);
  if (!pgc_fits(ifo_, pgc))
    return;
  origin_.category = ifo_.data[pointer];
  origin_.next_pgcn = get_be16(ifo_.data + pgc + kPgcNextPgcn);
  origin_.prev_pgcn = get_be16(ifo_.data + pgc + kPgcPrevPgcn);
  origin_.goup_pgcn = get_be16(ifo_.data + pgc + kPgcGoUpPgcn);
}

bool walk_disc(const char *path, Dumps dumps, Visitor &visitor) {
  return Walker(path, dumps, visitor).walk();
}

TitleSetWalk::TitleSetWalk(const char *path, Visitor &visitor)
    : walker_(std::make_unique<Walker>(path, Dumps{true, true, false, true, true}, visitor)) {
  walker_->begin_index();
}

TitleSetWalk::~TitleSetWalk() = default;

bool TitleSetWalk::walk(unsigned title_set) {
  return walker_->walk_title_set(title_set);
}

bool TitleSetWalk::has_title_set(unsigned title_set) const {
  return walker_->has_title_set(title_set);
}

bool TitleSetWalk::names_title_set(unsigned title_set) const {
  return walker_->names_title_set(title_set);
}

Resolution TitleSetWalk::resolve(const Origin &origin, const Target &target) const {
  Resolution resolution;
  if (target.kind != TargetKind::kLinkPTTN && target.kind != TargetKind::kJumpVTS_PTT)
    resolve_target(walker_->index(), origin, target, &resolution);
  return resolution;
}

} // namespace navigation
