// SPDX-License-Identifier: MIT
// The start sectors of every menu cell of one control file, looked up by pack number.
#pragma once

#include "common/bytes.h"

#include <cstdint>

struct CellStartEntry {
  int32_t lu_index;   // language unit within the menu PGCI_UT, from 0
  int32_t pgc_index;  // program chain within its language unit, from 0
  int32_t cell_index; // cell within its program chain, from 0
  uint32_t first_vobu_sector;
};

inline constexpr int32_t kCellStartIndexSize = 131072;
extern CellStartEntry cell_start_index[kCellStartIndexSize];
extern int32_t cell_start_count;

// Empties the index and refills it, in walk order, from the menu PGCI_UT at
// byte `pgci_ut_offset` of `ifo` (0: the file has none). Structures that
// do not lie inside the file are skipped, and the walk ends after 2^24
// program chain search pointers, far more than any disc holds.
int build_cell_start_index(uint64_t pgci_ut_offset, const IfoBytes &ifo);

// The first entry whose first VOBU sector is `pack_number`, or null.
const CellStartEntry *find_cell_start(uint32_t pack_number);
