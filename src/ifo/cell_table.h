// SPDX-License-Identifier: MIT
// The cell playback table of one program chain, its cells grouped by the cell command they run.
#pragma once

#include "common/bytes.h"

#include <cstdint>

// Cell command numbers are one byte: only commands 1 to 255 can have cells.
inline constexpr unsigned kCellCommandNumbers = 256;

// The cell playback table, cut to the entries that lie inside the file, and
// its cells grouped by the cell command they run: the cells of command n are
// cells_by_command[first[n]] .. cells_by_command[first[n + 1] - 1], in table order.
struct CellTable {
  uint64_t start;
  unsigned cells;          // cells the chain claims
  unsigned readable_cells; // of those, the ones whose entry was read
  uint16_t first[kCellCommandNumbers + 1];
  uint8_t cells_by_command[255]; // cell numbers from 1; a chain has at most 255 cells
};

// Reads the cell playback table of the chain at `pgc`, which pgc_fits.
void read_cell_table(const IfoBytes &ifo, uint64_t pgc, CellTable *cells);
