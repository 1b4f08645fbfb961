// SPDX-License-Identifier: MIT
// The three command lists of one program chain, with the cells that use each cell command.
#pragma once

#include "common/bytes.h"
#include "decoder/decoder.h"

#include <cstdint>

extern char listing_line_buffer[kListingLineSize];

// True when the fixed part of a program chain at `pgc` lies inside the image.
bool pgc_fits(const IfoImage &image, uint64_t pgc);

// The "Used by Cell=" cross-reference names at most this many cells, then "...".
inline constexpr unsigned kMaxListedCells = 33;
// Cell command numbers are one byte: only commands 1 to 255 can have cells.
inline constexpr unsigned kCellCommandNumbers = 256;

// The cell playback table, cut to the entries that lie inside the image, and
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
void read_cell_table(const IfoImage &image, uint64_t pgc, CellTable *cells);

// Prints the pre-, post- and cell command lists of the program chain at
// byte `pgc` of `image`; the caller has checked pgc_fits.
int dump_pgc_commands(uint64_t pgc, const IfoImage &image);
