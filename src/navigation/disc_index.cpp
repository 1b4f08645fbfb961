// SPDX-License-Identifier: MIT
// The tables a command's target is resolved through, and the resolution of each target kind.
#include "navigation/disc_index.h"

#include "decoder/name_tables.h"

#include <cstdarg>
#include <cstdio>

namespace navigation {

namespace {

constexpr uint8_t kLinkNextPgc = 10;
constexpr uint8_t kLinkPrevPgc = 11;
constexpr uint8_t kLinkGoUpPgc = 12;

void set_reason(Resolution *out, const char *format, ...) __attribute__((format(printf, 2, 3)));
void set_reason(Resolution *out, const char *format, ...) {
  out->resolved = false;
  va_list args;
  va_start(args, format);
  std::vsnprintf(out->reason, sizeof out->reason, format, args);
  va_end(args);
}

void set_chain(Resolution *out, ChainRef chain) {
  out->resolved = true;
  out->chain = chain;
  out->reason[0] = '\0';
}

const char *domain_table_name(Domain domain) {
  return domain == Domain::kVtsTitle ? "title PGC table" : "menu PGC table";
}

// Chain `pgcn` of language unit `ref.language_unit` (titles: the one table) of `domain`.
void chain_in(const DomainIndex &domain, ChainRef ref, unsigned pgcn, Resolution *out) {
  const char *table = domain_table_name(ref.domain);
  if (!domain.present)
    return set_reason(out, "no %s", table);
  if (!domain.in_file)
    return set_reason(out, "%s out of range", table);
  const unsigned unit = ref.domain == Domain::kVtsTitle ? 1 : ref.language_unit;
  if (unit == 0 || unit > domain.units.size())
    return set_reason(out, "language unit %u past the %s", unit, table);
  const ChainTableIndex &chains = domain.units[unit - 1];
  if (!chains.in_file)
    return set_reason(out, "language unit %u out of range", unit);
  if (pgcn == 0)
    return set_reason(out, "PGC 0");
  if (pgcn > chains.chains)
    return set_reason(out, "PGC %u past the table (%u chains)", pgcn, chains.chains);
  if (pgcn > chains.listed)
    return set_reason(out, "PGC %u: search pointer out of range", pgcn);
  ref.pgcn = static_cast<uint16_t>(pgcn);
  set_chain(out, ref);
}

// The index of a domain's chain tables (null for first play, which has none).
template <typename Index> auto *domain_of(Index &index, Domain domain, unsigned title_set) {
  switch (domain) {
  case Domain::kVmgm:
    return &index.vmgm;
  case Domain::kVtsm:
    return &index.title_sets[title_set].menus;
  case Domain::kVtsTitle:
    return &index.title_sets[title_set].titles;
  case Domain::kFirstPlay:
    break;
  }
  return decltype(&index.vmgm){nullptr};
}

// The entry chain of a menu type in language unit `unit` of a menu domain.
void menu_entry(const DomainIndex &menus, ChainRef ref, unsigned menu, unsigned unit,
                Resolution *out) {
  if (!menus.present)
    return set_reason(out, "no menu PGC table");
  if (!menus.in_file)
    return set_reason(out, "menu PGC table out of range");
  if (menus.units.empty())
    return set_reason(out, "no language unit");
  if (unit == 0 || unit > menus.units.size())
    return set_reason(out, "language unit %u past the menu PGC table", unit);
  const ChainTableIndex &chains = menus.units[unit - 1];
  if (!chains.in_file)
    return set_reason(out, "language unit %u out of range", unit);
  // Menu types 2 to 7: title, root, subpicture, audio, angle, chapter.
  if (menu < 2 || menu > 7)
    return set_reason(out, "menu type %u names no menu", menu);
  const unsigned pgcn = chains.entry_pgcn[menu];
  if (pgcn == 0)
    return set_reason(out, "no entry PGC for menu %s (type %u) in language unit %u",
                      menu_names[menu & 0x3F].data(), menu, unit);
  ref.language_unit = static_cast<uint16_t>(unit);
  ref.pgcn = static_cast<uint16_t>(pgcn);
  set_chain(out, ref);
}

void ptt_reason(const PttLookup &lookup, unsigned title_set, unsigned title, unsigned chapter,
                Resolution *out) {
  switch (lookup.status) {
  case PttStatus::kFound:
    break;
  case PttStatus::kAbsent:
    return set_reason(out, "title set %u has no part-of-title table", title_set);
  case PttStatus::kTableOutOfRange:
    return set_reason(out, "part-of-title table of title set %u out of range", title_set);
  case PttStatus::kTitleZero:
    return set_reason(out, "title 0");
  case PttStatus::kTitlePast:
    return set_reason(out, "title %u past the part-of-title table of title set %u (%u titles)",
                      title, title_set, lookup.count);
  case PttStatus::kTitleOutOfRange:
    return set_reason(out, "chapters of title %u of title set %u out of range", title, title_set);
  case PttStatus::kChapterZero:
    return set_reason(out, "chapter 0");
  case PttStatus::kChapterPast:
    return set_reason(out, "chapter %u past the %u chapters of title %u", chapter, lookup.count,
                      title);
  }
}

// A chapter's title chain in title set `title_set`, from its part-of-title lookup.
void chapter_chain(const DiscIndex &index, unsigned title_set, const PttLookup &lookup,
                   unsigned title, unsigned chapter, Resolution *out) {
  if (lookup.status != PttStatus::kFound)
    return ptt_reason(lookup, title_set, title, chapter, out);
  chain_in(index.title_sets[title_set].titles,
           ChainRef{Domain::kVtsTitle, static_cast<uint8_t>(title_set), 0, 0}, lookup.pgcn, out);
}

// A title of the current title set, entered at its first chapter.
void set_title(const DiscIndex &index, unsigned title_set, unsigned title, Resolution *out) {
  const TitleSetIndex &set = index.title_sets[title_set];
  if (title == 0 || title > set.first_chapters.size())
    return set_reason(out, "title %u", title);
  chapter_chain(index, title_set, set.first_chapters[title - 1], title, 1, out);
}

// Why title set `title_set` has no tables to resolve through, after
// `subject` ("title set 3" or "title 5 is in title set 3, which").
void unread_title_set(const DiscIndex &index, unsigned title_set, const char *subject,
                      Resolution *out) {
  char file[16];
  std::snprintf(file, sizeof file, "VTS_%02u_0.IFO", title_set);
  switch (index.title_sets[title_set].file) {
  case SetFile::kNotOnDisc:
    if (index.title_sets_stated != 0)
      return set_reason(out, "%s is past the %u title sets of the disc", subject,
                        index.title_sets_stated);
    return set_reason(out, "%s is past the title sets whose control files load", subject);
  case SetFile::kNotFound:
    return set_reason(out, "%s has no control file: %s does not exist", subject, file);
  case SetFile::kTooShort:
  case SetFile::kRead:
    break;
  }
  set_reason(out, "%s has a control file too short to read: %s", subject, file);
}

// Whether VIDEO_TS.IFO was read; else why not.
bool video_manager_read(const DiscIndex &index, Resolution *out) {
  if (index.video_manager == SetFile::kRead)
    return true;
  set_reason(out, index.video_manager == SetFile::kTooShort ? "VIDEO_TS.IFO is too short to read"
                                                            : "VIDEO_TS.IFO does not exist");
  return false;
}

void jump_tt(const DiscIndex &index, unsigned title, Resolution *out) {
  if (!video_manager_read(index, out))
    return;
  if (!index.title_table)
    return set_reason(out, "no title table");
  if (!index.title_table_in_file)
    return set_reason(out, "title table out of range");
  if (title == 0)
    return set_reason(out, "title 0");
  if (title > index.titles_stated)
    return set_reason(out, "title %u past the title table (%u titles)", title, index.titles_stated);
  if (title > index.titles.size())
    return set_reason(out, "title %u out of range", title);
  const TitleTableRow &row = index.titles[title - 1];
  if (row.title_set == 0 || row.title_set > kMaxTitleSets)
    return set_reason(out, "title %u is in title set %u", title, row.title_set);
  if (!index.title_sets[row.title_set].read) {
    char subject[48];
    std::snprintf(subject, sizeof subject, "title %u is in title set %u, which", title,
                  row.title_set);
    return unread_title_set(index, row.title_set, subject, out);
  }
  set_title(index, row.title_set, row.title_in_set, out);
}

// A title chain of the current title set's domain reached by pgcn-relative
// links: LinkPGCN and the next/previous/go-up links.
void chain_in_domain(const DiscIndex &index, const Origin &origin, unsigned pgcn, Resolution *out) {
  if (origin.domain == Domain::kFirstPlay)
    return set_reason(out, "first play has no PGC table");
  if (!origin.chain_known)
    return set_reason(out, "no menu cell starts at this pack: its language unit is unknown");
  chain_in(*domain_of(index, origin.domain, origin.title_set), origin.chain, pgcn, out);
}

void simple_link(const DiscIndex &index, const Origin &origin, uint8_t link_code, Resolution *out) {
  const struct {
    uint8_t code;
    uint16_t pgcn;
    const char *name;
  } kRelative[] = {{kLinkNextPgc, origin.next_pgcn, "next"},
                   {kLinkPrevPgc, origin.prev_pgcn, "previous"},
                   {kLinkGoUpPgc, origin.goup_pgcn, "go-up"}};
  for (const auto &relative : kRelative) {
    if (relative.code != link_code)
      continue;
    if (origin.chain_known && relative.pgcn == 0)
      return set_reason(out, "the chain names no %s PGC", relative.name);
    return chain_in_domain(index, origin, relative.pgcn, out);
  }
  if (!origin.chain_known)
    return set_reason(out, "no menu cell starts at this pack: its chain is unknown");
  set_chain(out, origin.chain);
}

void link_pttn(const DiscIndex &index, const Origin &origin, unsigned chapter, Resolution *out) {
  if (origin.domain != Domain::kVtsTitle)
    return set_reason(out, "no current title outside the title domain");
  const bool entry = (origin.category & 0x80) != 0;
  const unsigned title = entry                            ? origin.category & 0x7Fu
                         : origin.chain_titles != nullptr ? origin.chain_titles[origin.chain.pgcn]
                                                          : 0;
  if (title == 0)
    return set_reason(out, "the chain belongs to no title");
  chapter_chain(index, origin.title_set, find_chapter(*origin.ifo, title, chapter), title, chapter,
                out);
}

void system_space(const DiscIndex &index, const Origin &origin, const Target &target,
                  Resolution *out) {
  switch (target.space) {
  case SystemSpace::kFirstPlay:
    if (!video_manager_read(index, out))
      return;
    if (!index.first_play)
      return set_reason(out, "the disc has no first play PGC");
    return set_chain(out, ChainRef{Domain::kFirstPlay, 0, 0, 0});
  case SystemSpace::kVmgmMenu:
    if (!video_manager_read(index, out))
      return;
    return menu_entry(index.vmgm, ChainRef{Domain::kVmgm, 0, 0, 0}, target.menu, origin.menu_unit,
                      out);
  case SystemSpace::kVtsmMenu: {
    // JumpSS names the title set (from the video manager); CallSS calls the
    // menus of the current one.
    const unsigned title_set =
        target.kind == TargetKind::kJumpSS ? target.title_set : origin.title_set;
    if (target.kind == TargetKind::kCallSS && title_set == 0)
      return set_reason(out, "not within a title set");
    if (title_set == 0 || title_set > kMaxTitleSets)
      return set_reason(out, "title set %u", title_set);
    if (!index.title_sets[title_set].read) {
      char subject[24];
      std::snprintf(subject, sizeof subject, "title set %u", title_set);
      return unread_title_set(index, title_set, subject, out);
    }
    return menu_entry(index.title_sets[title_set].menus,
                      ChainRef{Domain::kVtsm, static_cast<uint8_t>(title_set), 0, 0}, target.menu,
                      origin.menu_unit, out);
  }
  case SystemSpace::kVmgmPgcn:
    if (!video_manager_read(index, out))
      return;
    return chain_in(index.vmgm, ChainRef{Domain::kVmgm, 0, 1, 0}, target.pgcn, out);
  }
}

} // namespace

namespace {

// A menu PGCI_UT: its language units, and the entry chains of language unit 1.
void index_menus(const IfoBytes &ifo, uint64_t sector_field, DomainIndex &menus) {
  const uint32_t sector = get_be32(ifo.data + sector_field);
  const uint64_t table = sector_offset(sector);
  menus.present = !table_sector_absent(sector);
  const TableExtent extent = table_extent(ifo, table, kSearchPointerSize);
  menus.in_file = menus.present && extent.inside;
  if (!menus.in_file)
    return;
  // Real discs hold a few thousand menu chains; a file whose language units
  // overlap can claim 65535 x 65535, so the entry chains are looked for in
  // the first 2^20 chain pointers only.
  unsigned visits_left = 1u << 20;
  for (unsigned i = 0; i < extent.listed; ++i) {
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * i;
    const uint64_t unit = table + search_pointer_start(ifo, pointer);
    const TableExtent chains = table_extent(ifo, unit, kSearchPointerSize);
    ChainTableIndex &index =
        menus.units.emplace_back(ChainTableIndex{chains.inside, chains.entries, chains.listed, {}});
    for (unsigned k = 0; k < chains.listed && visits_left > 0; ++k, --visits_left) {
      const uint64_t chain = unit + kTableHeaderSize + kSearchPointerSize * k;
      const uint8_t category = ifo.data[chain];
      // An entry id with its reserved bits (6-4) set names no menu.
      if ((category & 0xF0) != 0x80 || !pgc_fits(ifo, unit + search_pointer_start(ifo, chain)))
        continue;
      uint16_t &pgcn = index.entry_pgcn[category & 0x0F];
      if (pgcn == 0)
        pgcn = static_cast<uint16_t>(k + 1);
    }
  }
}

void index_video_manager(const IfoBytes &ifo, DiscIndex &index) {
  const uint32_t sector = get_be32(ifo.data + kVmgiTitleTableSector);
  const uint64_t table = sector_offset(sector);
  index.title_table = sector != 0;
  const TableExtent extent = table_extent(ifo, table, kTitleEntrySize);
  index.title_table_in_file = index.title_table && extent.inside;
  if (index.title_table_in_file) {
    index.titles_stated = extent.entries;
    for (unsigned i = 0; i < extent.listed; ++i) {
      const uint8_t *row = ifo.data + table + kTableHeaderSize + kTitleEntrySize * i;
      index.titles.push_back(TitleTableRow{row[6], row[7]});
    }
  }
  const uint32_t first_play = get_be32(ifo.data + kVmgiFirstPlayPgc);
  index.first_play = first_play != 0 && pgc_fits(ifo, first_play);
  index_menus(ifo, kVmgiMenuTableSector, index.vmgm);
}

void index_title_set(const IfoBytes &ifo, TitleSetIndex &set) {
  set.file = SetFile::kRead;
  set.read = true;
  const uint32_t sector = get_be32(ifo.data + kVtsiTitlePgcTableSector);
  set.titles.present = !table_sector_absent(sector);
  const TableExtent extent = table_extent(ifo, sector_offset(sector), kSearchPointerSize);
  set.titles.in_file = set.titles.present && extent.inside;
  set.titles.units.push_back(set.titles.in_file
                                 ? ChainTableIndex{true, extent.entries, extent.listed}
                                 : ChainTableIndex{});
  index_menus(ifo, kVtsiMenuTableSector, set.menus);
  for (unsigned title = 1; title <= kMaxIndexedTitles; ++title)
    set.first_chapters.push_back(find_chapter(ifo, title, 1));
}

} // namespace

const std::vector<uint16_t> *titles_starting_at(const DiscIndex &index, unsigned title_set,
                                                unsigned pgcn) {
  const auto found = index.title_starts.find(title_set << 16 | pgcn);
  return found != index.title_starts.end() ? &found->second : nullptr;
}

namespace {

// Each title of the title table at the chain of its first chapter.
void index_title_starts(DiscIndex &index) {
  for (size_t t = 0; t < index.titles.size(); ++t) {
    const TitleTableRow &row = index.titles[t];
    if (row.title_set == 0 || row.title_set > kMaxTitleSets)
      continue;
    const TitleSetIndex &set = index.title_sets[row.title_set];
    if (!set.read || row.title_in_set == 0 || row.title_in_set > set.first_chapters.size())
      continue;
    const PttLookup &first = set.first_chapters[row.title_in_set - 1];
    if (first.status == PttStatus::kFound)
      index.title_starts[uint32_t{row.title_set} << 16 | first.pgcn].push_back(
          static_cast<uint16_t>(t + 1));
  }
}

} // namespace

void index_disc(ControlFiles &files, DiscIndex &index) {
  if (const LoadedIfo &vmg = files.take(0); vmg.result == LoadResult::kLoaded) {
    index.video_manager = SetFile::kRead;
    index_video_manager(vmg.bytes(), index);
  } else if (vmg.result == LoadResult::kTooShort) {
    index.video_manager = SetFile::kTooShort;
  }
  index.title_sets_stated = files.stated_title_sets();
  unsigned n = 1;
  for (; files.has_title_set(n); ++n) {
    const LoadedIfo &vts = files.take(n);
    if (vts.result == LoadResult::kLoaded)
      index_title_set(vts.bytes(), index.title_sets[n]);
    else
      index.title_sets[n].file =
          vts.result == LoadResult::kTooShort ? SetFile::kTooShort : SetFile::kNotFound;
  }
  // Without a stated number the title sets end at the first file that does
  // not load: a target beyond them is told why that file did not.
  if (index.title_sets_stated == 0 && n <= kMaxTitleSets)
    index.title_sets[n].file =
        files.take(n).result == LoadResult::kTooShort ? SetFile::kTooShort : SetFile::kNotFound;
  index_title_starts(index);
}

void resolve_target(const DiscIndex &index, const Origin &origin, const Target &target,
                    Resolution *out) {
  switch (target.kind) {
  case TargetKind::kNone:
    return;
  case TargetKind::kGotoLine:
    return set_reason(out, "within the chain");
  case TargetKind::kBreak:
    return set_reason(out, "ends the command list");
  case TargetKind::kExit:
    return set_reason(out, "stops playback");
  case TargetKind::kResume:
    return set_reason(out, "returns to the caller");
  case TargetKind::kLinkSimple:
    return simple_link(index, origin, target.link_code, out);
  case TargetKind::kLinkPGN:
  case TargetKind::kLinkCN:
    return simple_link(index, origin, 0, out);
  case TargetKind::kLinkPGCN:
    return chain_in_domain(index, origin, target.pgcn, out);
  case TargetKind::kLinkPTTN:
    return link_pttn(index, origin, target.chapter, out);
  case TargetKind::kJumpTT:
    return jump_tt(index, target.title, out);
  case TargetKind::kJumpVTS_TT:
  case TargetKind::kJumpVTS_PTT:
    if (origin.title_set == 0)
      return set_reason(out, "not within a title set");
    if (target.kind == TargetKind::kJumpVTS_TT)
      return set_title(index, origin.title_set, target.title, out);
    return chapter_chain(index, origin.title_set,
                         find_chapter(*origin.ifo, target.title, target.chapter), target.title,
                         target.chapter, out);
  case TargetKind::kJumpSS:
  case TargetKind::kCallSS:
    return system_space(index, origin, target, out);
  }
}

} // namespace navigation
