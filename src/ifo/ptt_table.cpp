// SPDX-License-Identifier: MIT
// A title set's part-of-title table: the title chain and program of each chapter.
#include "ifo/ptt_table.h"

#include "ifo/ifo_layout.h"

namespace {

constexpr uint64_t kPttEntrySize = 4; // PGCN, PGN
// A title holds at most 999 chapters; a table that claims more per title is
// not followed past this when mapping chains to titles.
constexpr unsigned kMaxChaptersPerTitle = 999;

// Where one title's chapter entries lie: [start, start + 4 * chapters).
struct PttTitle {
  PttStatus status;
  uint64_t start;
  unsigned chapters;
  uint16_t titles; // of the table, for kTitlePast
};

PttTitle find_title(const IfoBytes &ifo, unsigned title) {
  const uint32_t sector = get_be32(ifo.data + kVtsiPttTableSector);
  if (table_sector_absent(sector))
    return {PttStatus::kAbsent, 0, 0, 0};
  const uint64_t table = sector_offset(sector);
  if (!holds(ifo, table, kTableHeaderSize))
    return {PttStatus::kTableOutOfRange, 0, 0, 0};
  const uint16_t titles = get_be16(ifo.data + table);
  if (title == 0)
    return {PttStatus::kTitleZero, 0, 0, titles};
  if (title > titles)
    return {PttStatus::kTitlePast, 0, 0, titles};
  const uint64_t entry = table + kTableHeaderSize + kPttEntrySize * (title - 1);
  // The last title's chapters run to the table's last byte (header bytes 4-7).
  const uint64_t next = title < titles ? entry + kPttEntrySize : table + 4;
  if (!holds(ifo, entry, kPttEntrySize) || !holds(ifo, next, kPttEntrySize))
    return {PttStatus::kTitleOutOfRange, 0, 0, titles};
  const uint64_t start = table + get_be32(ifo.data + entry);
  const uint64_t end = table + get_be32(ifo.data + next) + (title < titles ? 0 : 1);
  if (end < start || !holds(ifo, start, 0))
    return {PttStatus::kTitleOutOfRange, 0, 0, titles};
  const uint64_t chapters = (end - start) / kPttEntrySize;
  return {PttStatus::kFound, start, chapters > 0xFFFF ? 0xFFFFu : static_cast<unsigned>(chapters),
          titles};
}

} // namespace

PttLookup find_chapter(const IfoBytes &ifo, unsigned title, unsigned chapter) {
  const PttTitle found = find_title(ifo, title);
  if (found.status != PttStatus::kFound)
    return {found.status, 0, found.titles, 0};
  if (chapter == 0)
    return {PttStatus::kChapterZero, 0, 0, 0};
  if (chapter > found.chapters)
    return {PttStatus::kChapterPast, 0, static_cast<uint16_t>(found.chapters), 0};
  const uint64_t entry = found.start + kPttEntrySize * (chapter - 1);
  if (!holds(ifo, entry, kPttEntrySize))
    return {PttStatus::kTitleOutOfRange, 0, 0, 0};
  return {PttStatus::kFound, get_be16(ifo.data + entry), 0, ifo.data[entry + 3]};
}

void title_of_chains(const IfoBytes &ifo, std::array<uint8_t, 65536> &titles) {
  titles.fill(0);
  for (unsigned title = 1; title <= kMaxIndexedTitles; ++title) {
    const PttTitle found = find_title(ifo, title);
    if (found.status != PttStatus::kFound)
      break;
    const unsigned chapters =
        found.chapters < kMaxChaptersPerTitle ? found.chapters : kMaxChaptersPerTitle;
    for (unsigned c = 0; c < chapters; ++c) {
      const uint64_t entry = found.start + kPttEntrySize * c;
      if (!holds(ifo, entry, kPttEntrySize))
        break;
      uint8_t &owner = titles[get_be16(ifo.data + entry)];
      if (owner == 0)
        owner = static_cast<uint8_t>(title);
    }
  }
}
