// SPDX-License-Identifier: MIT
// One walk of the disc for the structured reports: the control files and menu VOBs in report order.
#include "navigation/walk.h"

#include "decoder/decoder.h"
#include "ifo/ifo_dump.h"
#include "ifo/ifo_layout.h"
#include "ifo/pgc_commands.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"
#include "navigation/disc_files.h"
#include "navigation/disc_index.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace navigation {

namespace {

constexpr unsigned kNameSize = 260;
constexpr unsigned kWhatSize = 48;
constexpr unsigned kMessageSize = kNameSize + 64;
class Walker {
public:
  Walker(const char *path, Visitor &visitor, DiscIndex &index, bool content)
      : path_(path), visitor_(visitor), index_(index), content_(content) {}

  void walk_control_files();
  void walk_menu_vobs();
  bool problem_reported() const { return problem_reported_; }
  // Pass 1 reports the problems of the control files only when -I is on.
  bool report_ifo_problems = true;

private:
  void problem(const char *file, bool has_offset, uint64_t offset, const char *format, ...)
      __attribute__((format(printf, 5, 6)));
  void out_of_range(uint64_t offset, const char *format, ...) __attribute__((format(printf, 3, 4)));
  bool load(const char *leaf, bool report_missing);

  void title_table();
  void first_play();
  void menu_table(uint64_t sector_field, Domain domain);
  void title_chains();
  SectionInfo table_section(Section section, bool present, uint64_t table, uint64_t entry_size);
  void chain_list(uint64_t table, unsigned count, unsigned listed, ChainRef ref);
  void chain(uint64_t pgc, ChainRef ref, uint8_t category);
  unsigned command_list(CommandList list, uint64_t first, unsigned count, const char *name,
                        const CellTable *cells);
  void emit_command(CommandList list, unsigned number, uint64_t offset, const uint8_t *bytes,
                    const CellTable *cells);
  void menu_vob_pair(const char *ifo_leaf, const char *vob_leaf, Domain domain, unsigned title_set,
                     uint64_t sector_field, unsigned *scanned);
  void set_menu_origin(const IfoImage &image, uint64_t pgci_ut, const ButtonGroup &group);

  const char *path_;
  Visitor &visitor_;
  DiscIndex &index_;
  bool content_; // pass 2: commands and buttons, no problems
  bool problem_reported_ = false;
  bool in_ifo_dump_ = false;

  char name_[kNameSize];
  const char *leaf_ = nullptr; // the current file's own name, inside name_
  IfoImage image_{};
  Origin origin_{};
  bool chain_titles_ready_ = false;
  std::unique_ptr<std::array<uint8_t, 65536>> chain_titles_;
  CellTable cells_;
  char text_[kDecodedTextSize];
};

void Walker::problem(const char *file, bool has_offset, uint64_t offset, const char *format, ...) {
  if (content_ || (in_ifo_dump_ && !report_ifo_problems))
    return;
  problem_reported_ = true;
  char message[kMessageSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  const size_t size = length < 0 ? 0 : std::min<size_t>(length, sizeof message - 1);
  visitor_.problem(Problem{std::string_view(message, size), file, has_offset, offset});
}

void Walker::out_of_range(uint64_t offset, const char *format, ...) {
  char what[kWhatSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(what, sizeof what, format, args);
  va_end(args);
  problem(leaf_, true, offset, "(out of range: %s at 0x%llX)", what,
          static_cast<unsigned long long>(offset));
}

// Loads a control file of the -I dump into ifo_buffer; reports why not.
bool Walker::load(const char *leaf, bool report_missing) {
  std::snprintf(name_, sizeof name_, "%s%s", path_, leaf);
  leaf_ = name_ + std::strlen(name_) - std::strlen(leaf);
  bool failed = false;
  const LoadResult result = load_control_file(name_, ifo_buffer, kIfoBufferSize, &image_, &failed);
  if (result == LoadResult::kNotFound) {
    if (report_missing)
      problem(leaf_, false, 0, "%s not found.", name_);
    return false;
  }
  // As in the text report: a read that failed, then what was read, if enough.
  if (failed)
    problem(leaf_, false, 0, "%s cannot be read to its end.", name_);
  if (result == LoadResult::kTooShort) {
    problem(leaf_, false, 0, "%s is invalid format.", name_);
    return false;
  }
  return true;
}

void Walker::walk_control_files() {
  in_ifo_dump_ = true;
  visitor_.begin_ifo_dump();
  if (load("VIDEO_TS.IFO", true)) {
    visitor_.begin_control_file(ControlFile{leaf_, 0, &image_});
    origin_ = Origin{};
    origin_.image = &image_;
    title_table();
    first_play();
    menu_table(kVmgiMenuTableSector, Domain::kVmgm);
    visitor_.end_control_file();
    for (unsigned n = 1; n <= kMaxTitleSets; ++n) {
      char leaf[16];
      std::snprintf(leaf, sizeof leaf, "VTS_%02u_0.IFO", n);
      // Only a missing first title set is worth a message; a gap later
      // simply ends the disc.
      if (!load(leaf, n == 1))
        break;
      visitor_.begin_control_file(ControlFile{leaf_, n, &image_});
      origin_ = Origin{};
      origin_.title_set = n;
      origin_.image = &image_;
      chain_titles_ready_ = false;
      title_chains();
      menu_table(kVtsiMenuTableSector, Domain::kVtsm);
      visitor_.end_control_file();
    }
  }
  visitor_.end_ifo_dump();
  in_ifo_dump_ = false;
}

// A table that opens with its entry count: whether it and its entries lie inside the file.
SectionInfo Walker::table_section(Section section, bool present, uint64_t table,
                                  uint64_t entry_size) {
  SectionInfo info{section, present, false, 0, 0};
  info.inside = present && image_holds(image_, table, kTableHeaderSize);
  if (info.inside) {
    info.entries = get_be16(image_.bytes + table);
    info.listed = static_cast<uint16_t>(
        entries_inside(image_, table + kTableHeaderSize, info.entries, entry_size));
  }
  return info;
}

void Walker::title_table() {
  // A start sector of 0 would read the file's own header as a title table.
  const uint32_t sector = get_be32(image_.bytes + kVmgiTitleTableSector);
  const uint64_t table = sector_offset(sector);
  SectionInfo info = table_section(Section::kTitleTable, sector != 0, table, kTitleEntrySize);
  visitor_.begin_section(info);
  if (info.present && !info.inside)
    out_of_range(table, "title table");
  for (unsigned i = 0; i < info.listed; ++i) {
    const uint64_t entry = table + kTableHeaderSize + kTitleEntrySize * i;
    const uint8_t *e = image_.bytes + entry;
    visitor_.title(TitleEntry{i + 1, e[6], e[7], e[1], get_be16(e + 2), entry});
  }
  if (info.listed < info.entries)
    out_of_range(table + kTableHeaderSize + kTitleEntrySize * info.listed, "title %02u",
                 info.listed + 1u);
  visitor_.end_section();
}

void Walker::first_play() {
  const uint32_t pgc = get_be32(image_.bytes + kVmgiFirstPlayPgc);
  const bool inside = pgc != 0 && pgc_fits(image_, pgc);
  visitor_.begin_section(SectionInfo{Section::kFirstPlay, pgc != 0, inside, inside, inside});
  if (pgc != 0 && !inside)
    out_of_range(pgc, "first play PGC");
  if (inside)
    chain(pgc, ChainRef{Domain::kFirstPlay, 0, 0, 0}, 0);
  visitor_.end_section();
}

// A menu PGCI_UT: its language units and their chains.
void Walker::menu_table(uint64_t sector_field, Domain domain) {
  const auto title_set = static_cast<uint8_t>(origin_.title_set);
  const uint32_t sector = get_be32(image_.bytes + sector_field);
  const uint64_t table = sector_offset(sector);
  const SectionInfo info =
      table_section(domain == Domain::kVmgm ? Section::kVmgmMenus : Section::kVtsMenus,
                    !table_sector_absent(sector), table, kSearchPointerSize);
  visitor_.begin_section(info);
  if (info.present && !info.inside)
    out_of_range(table, "menu PGC table");
  for (unsigned i = 0; i < info.listed; ++i) {
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * i;
    const uint8_t *p = image_.bytes + pointer;
    const uint64_t unit_table = table + search_pointer_start(image_, pointer);
    LanguageUnit unit{domain, title_set, i + 1, {p[0], p[1]}, p[3], false, 0, 0};
    unit.inside = image_holds(image_, unit_table, kTableHeaderSize);
    if (unit.inside) {
      unit.chains = get_be16(image_.bytes + unit_table);
      unit.listed = static_cast<uint16_t>(
          entries_inside(image_, unit_table + kTableHeaderSize, unit.chains, kSearchPointerSize));
    }
    visitor_.begin_language_unit(unit);
    if (!unit.inside)
      out_of_range(unit_table, "language unit %02u", i + 1);
    else
      chain_list(unit_table, unit.chains, unit.listed,
                 ChainRef{domain, title_set, static_cast<uint16_t>(i + 1), 0});
    visitor_.end_language_unit();
  }
  if (info.listed < info.entries)
    out_of_range(table + kTableHeaderSize + kSearchPointerSize * info.listed, "language unit %02u",
                 info.listed + 1u);
  visitor_.end_section();
}

void Walker::title_chains() {
  const uint32_t sector = get_be32(image_.bytes + kVtsiTitlePgcTableSector);
  const uint64_t table = sector_offset(sector);
  const SectionInfo info =
      table_section(Section::kVtsTitles, !table_sector_absent(sector), table, kSearchPointerSize);
  visitor_.begin_section(info);
  if (info.present && !info.inside)
    out_of_range(table, "title PGC table");
  if (info.inside)
    chain_list(table, info.entries, info.listed,
               ChainRef{Domain::kVtsTitle, static_cast<uint8_t>(origin_.title_set), 0, 0});
  visitor_.end_section();
}

// A table of chain search pointers (a language unit or a VTS_PGCIT) whose
// header lies inside the file: `listed` of its `count` pointers do too.
void Walker::chain_list(uint64_t table, unsigned count, unsigned listed, ChainRef ref) {
  for (unsigned k = 0; k < listed; ++k) {
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * k;
    const uint64_t pgc = table + search_pointer_start(image_, pointer);
    if (!pgc_fits(image_, pgc)) {
      out_of_range(pgc, "PGC %03u", k + 1);
      continue;
    }
    ref.pgcn = static_cast<uint16_t>(k + 1);
    chain(pgc, ref, image_.bytes[pointer]);
  }
  // Every later pointer lies further out: the list ends here.
  if (listed < count)
    out_of_range(table + kTableHeaderSize + kSearchPointerSize * listed, "PGC %03u", listed + 1);
}

void Walker::chain(uint64_t pgc, ChainRef ref, uint8_t category) {
  const uint8_t *p = image_.bytes + pgc;
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
  const bool table_inside = header.command_table && image_holds(image_, table, kTableHeaderSize);
  if (table_inside) {
    header.pre_count = get_be16(image_.bytes + table);
    header.post_count = get_be16(image_.bytes + table + 2);
    header.cell_command_count = get_be16(image_.bytes + table + 4);
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
      visitor_.begin_command_list(list);
      if (header.command_table)
        out_of_range(table, "command table");
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
      read_cell_table(image_, pgc, &cells_);
      const unsigned listed =
          command_list(CommandList::kCell, cell_first, header.cell_command_count, "cell", &cells_);
      // The cross-references are incomplete when the cell table is cut.
      const unsigned readable = cells_.readable_cells;
      if (listed > 0 && readable < cells_.cells)
        out_of_range(cells_.start + kCellEntrySize * readable, "cell %u", readable + 1);
    }
  }
  visitor_.end_chain();
}

// Commands [0, count) of one list from `first`, then the marker at the first
// that does not fit. Returns how many lie inside the file.
unsigned Walker::command_list(CommandList list, uint64_t first, unsigned count, const char *name,
                              const CellTable *cells) {
  visitor_.begin_command_list(list);
  const unsigned inside = entries_inside(image_, first, count, kCommandSize);
  if (content_)
    for (unsigned i = 0; i < inside; ++i) {
      const uint64_t offset = first + kCommandSize * i;
      emit_command(list, i + 1, offset, image_.bytes + offset, cells);
    }
  if (inside < count)
    out_of_range(first + kCommandSize * inside, "%s command %03u", name, inside + 1);
  visitor_.end_command_list();
  return inside;
}

void Walker::emit_command(CommandList list, unsigned number, uint64_t offset, const uint8_t *bytes,
                          const CellTable *cells) {
  CommandInfo info;
  size_t length = decode_command_info(bytes, text_, &info);
  if (length > 0 && text_[length - 1] == '\n')
    --length;
  Command command{};
  command.list = list;
  command.number = number;
  command.offset = offset;
  command.bytes = bytes;
  command.text = std::string_view(text_, length);
  command.info = &info;
  if (cells != nullptr && number < kCellCommandNumbers) {
    const unsigned first = cells->first[number];
    const unsigned count = cells->first[number + 1] - first;
    command.used_by = cells->cells_by_command + first;
    command.used_by_count = std::min(count, kMaxListedCells);
    command.used_by_cut = count >= kMaxListedCells;
  }
  if (info.target.kind != TargetKind::kNone) {
    if (info.target.kind == TargetKind::kLinkPTTN && !chain_titles_ready_ &&
        origin_.domain == Domain::kVtsTitle) {
      if (!chain_titles_)
        chain_titles_ = std::make_unique<std::array<uint8_t, 65536>>();
      title_of_chains(*origin_.image, *chain_titles_);
      chain_titles_ready_ = true;
    }
    origin_.chain_titles = chain_titles_ready_ ? chain_titles_->data() : nullptr;
    resolve_target(index_, origin_, info.target, &command.resolution);
  }
  visitor_.command(command);
}

void Walker::walk_menu_vobs() {
  visitor_.begin_menu_vob_dump();
  unsigned scanned = 0;
  menu_vob_pair("VIDEO_TS.IFO", "VIDEO_TS.VOB", Domain::kVmgm, 0, kVmgiMenuTableSector, &scanned);
  for (unsigned n = 1; n <= kMaxTitleSets; ++n) {
    char ifo[16];
    char vob[16];
    std::snprintf(ifo, sizeof ifo, "VTS_%02u_0.IFO", n);
    std::snprintf(vob, sizeof vob, "VTS_%02u_0.VOB", n);
    menu_vob_pair(ifo, vob, Domain::kVtsm, n, kVtsiMenuTableSector, &scanned);
  }
  if (scanned == 0)
    problem(nullptr, false, 0, "*.VOB(menu) is not found.");
  visitor_.end_menu_vob_dump();
}

// One control file and its menu VOB; skipped silently, as in the text
// report, when either is missing or the control file is too short.
void Walker::menu_vob_pair(const char *ifo_leaf, const char *vob_leaf, Domain domain,
                           unsigned title_set, uint64_t sector_field, unsigned *scanned) {
  char ifo_name[kNameSize];
  char vob_name[kNameSize];
  std::snprintf(ifo_name, sizeof ifo_name, "%s%s", path_, ifo_leaf);
  std::snprintf(vob_name, sizeof vob_name, "%s%s", path_, vob_leaf);
  IfoImage image{};
  bool failed = false;
  if (load_control_file(ifo_name, menu_ifo_buffer, kMenuIfoBufferSize, &image, &failed) !=
          LoadResult::kLoaded ||
      failed)
    return;
  if (!content_) {
    if (disc_file_exists(vob_name))
      ++*scanned;
    return;
  }
  if (!collect_menu_vob_buttons(vob_name))
    return;
  ++*scanned;
  const uint32_t sector = get_be32(image.bytes + sector_field);
  const uint64_t pgci_ut = table_sector_absent(sector) ? 0 : sector_offset(sector);
  build_cell_start_index(pgci_ut, image);

  const MenuVob vob{vob_leaf, domain, title_set};
  visitor_.begin_menu_vob(vob);
  origin_ = Origin{};
  origin_.domain = domain;
  origin_.title_set = title_set;
  origin_.image = &image;
  for (int32_t first = 0; first < button_record_count;) {
    const uint32_t pack = button_records[first].pack_number;
    int32_t end = first + 1;
    while (end < button_record_count && button_records[end].pack_number == pack)
      ++end;
    ButtonGroup group{};
    group.pack = pack;
    group.repeat = button_records[first].repeat_count;
    if (const CellStartEntry *cell = find_cell_start(pack)) {
      group.used_by_known = true;
      group.chain = ChainRef{domain, static_cast<uint8_t>(title_set),
                             static_cast<uint16_t>(cell->lu_index + 1),
                             static_cast<uint16_t>(cell->pgc_index + 1)};
      group.cell = static_cast<unsigned>(cell->cell_index) + 1;
    }
    set_menu_origin(image, pgci_ut, group);
    visitor_.begin_button_group(group);
    for (int32_t r = first; r < end; ++r) {
      const auto button = static_cast<unsigned>(r - first);
      const uint64_t offset =
          uint64_t(pack) * kSectorSize + kFirstButtonCommand + kButtonEntrySize * button;
      emit_command(CommandList::kButton, button + 1, offset, button_records[r].command.b, nullptr);
    }
    visitor_.end_button_group();
    first = end;
  }
  visitor_.end_menu_vob();
}

// The chain whose cell a button group belongs to, for the targets of its
// buttons. The cell start index found it through these same tables.
void Walker::set_menu_origin(const IfoImage &image, uint64_t pgci_ut, const ButtonGroup &group) {
  origin_.chain_known = group.used_by_known;
  origin_.chain = group.chain;
  origin_.category = 0;
  origin_.next_pgcn = origin_.prev_pgcn = origin_.goup_pgcn = 0;
  if (!group.used_by_known)
    return;
  const uint64_t unit_pointer =
      pgci_ut + kTableHeaderSize + kSearchPointerSize * (group.chain.language_unit - 1u);
  if (!image_holds(image, unit_pointer, kSearchPointerSize))
    return;
  const uint64_t unit = pgci_ut + search_pointer_start(image, unit_pointer);
  const uint64_t pointer = unit + kTableHeaderSize + kSearchPointerSize * (group.chain.pgcn - 1u);
  if (!image_holds(image, pointer, kSearchPointerSize))
    return;
  const uint64_t pgc = unit + search_pointer_start(image, pointer);
  if (!pgc_fits(image, pgc))
    return;
  origin_.category = image.bytes[pointer];
  origin_.next_pgcn = get_be16(image.bytes + pgc + kPgcNextPgcn);
  origin_.prev_pgcn = get_be16(image.bytes + pgc + kPgcPrevPgcn);
  origin_.goup_pgcn = get_be16(image.bytes + pgc + kPgcGoUpPgcn);
}

} // namespace

bool walk_disc(const char *path, Dumps dumps, Visitor &visitor) {
  DiscIndex index;
  // Pass 1: the tables that targets resolve through, and the problems.
  IndexBuilder builder(index, &visitor);
  Walker first(path, builder, index, false);
  first.report_ifo_problems = dumps.ifo;
  first.walk_control_files();
  if (dumps.menu_vob)
    first.walk_menu_vobs();
  // Pass 2: the content.
  Walker second(path, visitor, index, true);
  if (dumps.ifo || dumps.chains_without_ifo)
    second.walk_control_files();
  if (dumps.menu_vob)
    second.walk_menu_vobs();
  return first.problem_reported();
}

} // namespace navigation
