// SPDX-License-Identifier: MIT
// The cell playback table of one program chain, its cells grouped by the cell command they run.
#include "ifo/cell_table.h"

#include "ifo/ifo_layout.h"

#include <cstring>

// A counting sort: one pass over the cells, however many commands there are.
void read_cell_table(const IfoBytes &ifo, uint64_t pgc, CellTable *cells) {
  cells->start = pgc + get_be16(ifo.data + pgc + kPgcCellTable);
  cells->cells = ifo.data[pgc + kPgcCellCount];
  cells->readable_cells = entries_inside(ifo, cells->start, cells->cells, kCellEntrySize);

  const auto command_of = [&](unsigned j) {
    return ifo.data[cells->start + kCellEntrySize * j + kCellCommandNumber];
  };
  uint16_t *first = cells->first;
  std::memset(first, 0, sizeof cells->first);
  for (unsigned j = 0; j < cells->readable_cells; ++j)
    ++first[command_of(j) + 1];
  for (unsigned n = 1; n <= kCellCommandNumbers; ++n)
    first[n] += first[n - 1];
  uint16_t next[kCellCommandNumbers];
  std::memcpy(next, first, sizeof next);
  for (unsigned j = 0; j < cells->readable_cells; ++j)
    cells->cells_by_command[next[command_of(j)]++] = static_cast<uint8_t>(j + 1);
}
