// SPDX-License-Identifier: MIT
// The start sectors of every menu cell of one control file, looked up by pack number.
#include "menuvob/cell_start_index.h"

#include "ifo/ifo_layout.h"

CellStartEntry cell_start_index[kCellStartIndexSize];
int32_t cell_start_count = 0;

namespace {

// Program chain search pointers the walk follows per control file at most.
// A real disc has a few thousand menu chains; a file whose language units
// overlap can claim 65535 x 65535, which would cost seconds of work that
// adds no entry, so the walk ends there.
constexpr uint32_t kMaxPgcVisits = uint32_t{1} << 24;
uint32_t pgc_visits_left = 0;

// Appends the cells of one program chain; false once the index is full.
bool index_pgc_cells(const IfoBytes &ifo, uint64_t pgc, int32_t lu, int32_t pgc_index) {
  if (!holds(ifo, pgc, kPgcFixedSize))
    return true;
  const unsigned cells = ifo.data[pgc + kPgcCellCount];
  const uint64_t table = pgc + get_be16(ifo.data + pgc + kPgcCellTable);
  for (unsigned k = 0; k < cells; ++k) {
    const uint64_t entry = table + kCellEntrySize * k;
    if (!holds(ifo, entry, kCellEntrySize))
      return true;
    cell_start_index[cell_start_count++] = CellStartEntry{
        lu, pgc_index, static_cast<int32_t>(k), get_be32(ifo.data + entry + kCellFirstVobuSector)};
    if (cell_start_count == kCellStartIndexSize)
      return false;
  }
  return true;
}

// Appends the cells of every chain of one language unit; false once the
// index is full or the walk has followed all the pointers it may.
bool index_language_unit(const IfoBytes &ifo, uint64_t unit, int32_t lu) {
  if (!holds(ifo, unit, kTableHeaderSize))
    return true;
  const unsigned count = get_be16(ifo.data + unit);
  for (unsigned j = 0; j < count; ++j) {
    const uint64_t pointer = unit + kTableHeaderSize + kSearchPointerSize * j;
    if (!holds(ifo, pointer, kSearchPointerSize))
      return true;
    if (pgc_visits_left == 0)
      return false;
    --pgc_visits_left;
    const uint64_t pgc = unit + search_pointer_start(ifo, pointer);
    if (!index_pgc_cells(ifo, pgc, lu, static_cast<int32_t>(j)))
      return false;
  }
  return true;
}

} // namespace

int build_cell_start_index(uint64_t pgci_ut_offset, const IfoBytes &ifo) {
  cell_start_count = 0;
  pgc_visits_left = kMaxPgcVisits;
  if (pgci_ut_offset == 0 || !holds(ifo, pgci_ut_offset, kTableHeaderSize))
    return 0;
  const unsigned count = get_be16(ifo.data + pgci_ut_offset);
  for (unsigned i = 0; i < count; ++i) {
    const uint64_t pointer = pgci_ut_offset + kTableHeaderSize + kSearchPointerSize * i;
    if (!holds(ifo, pointer, kSearchPointerSize))
      return 0;
    const uint64_t unit = pgci_ut_offset + search_pointer_start(ifo, pointer);
    if (!index_language_unit(ifo, unit, static_cast<int32_t>(i)))
      return 0;
  }
  return 0;
}

const CellStartEntry *find_cell_start(uint32_t pack_number) {
  for (int32_t i = 0; i < cell_start_count; ++i)
    if (cell_start_index[i].first_vobu_sector == pack_number)
      return &cell_start_index[i];
  return nullptr;
}
