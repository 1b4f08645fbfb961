// SPDX-License-Identifier: MIT
// A title set's part-of-title table (VTS_PTT_SRPT): the title chain and program of each chapter.
#pragma once

#include "common/bytes.h"

#include <array>
#include <cstdint>

// Commands name titles with one byte: no title past this is ever looked up.
inline constexpr unsigned kMaxIndexedTitles = 255;

// What the table says about one chapter.
enum class PttStatus : uint8_t {
  kFound,
  kAbsent,          // the table's start sector is 0
  kTableOutOfRange, // its header lies outside the file
  kTitleZero,
  kTitlePast,       // count: the titles of the table
  kTitleOutOfRange, // the title's offset entry, or its chapter list, lies outside the file
  kChapterZero,
  kChapterPast, // count: the title's chapters
};

struct PttLookup {
  PttStatus status;
  uint16_t pgcn;  // kFound
  uint16_t count; // kTitlePast, kChapterPast
  uint8_t pgn;    // kFound: the program the chapter starts at
};

// Chapter `chapter` of title `title` (both from 1) in the part-of-title table of `ifo`.
PttLookup find_chapter(const IfoBytes &ifo, unsigned title, unsigned chapter);

// For each title chain number (index pgcn, 0..65535) of `ifo`'s title set, the
// first title whose part-of-title table names it, 0 for none.
void title_of_chains(const IfoBytes &ifo, std::array<uint8_t, 65536> &titles);
