// SPDX-License-Identifier: MIT
// Where the fields of the control files lie: header fields, tables and program chains.
#pragma once

#include "common/bytes.h"

#include <array>
#include <cstdint>
#include <string_view>

// Video manager (VIDEO_TS.IFO) header fields.
inline constexpr uint64_t kVmgiTitleSetCount = 0x3E;    // 16 bits
inline constexpr uint64_t kVmgiFirstPlayPgc = 0x84;     // byte offset, 0: none
inline constexpr uint64_t kVmgiTitleTableSector = 0xC4; // TT_SRPT
inline constexpr uint64_t kVmgiMenuTableSector = 0xC8;  // VMGM_PGCI_UT
// Title set (VTS_nn_0.IFO) header fields.
inline constexpr uint64_t kVtsiTitlePgcTableSector = 0xCC; // VTS_PGCIT
inline constexpr uint64_t kVtsiMenuTableSector = 0xD0;     // VTSM_PGCI_UT
inline constexpr uint64_t kVtsiPttTableSector = 0xC8;      // VTS_PTT_SRPT
// Both: the start sector of the menu VOB (VMGM_VOBS, VTSM_VOBS); 0 when the
// file declares none.
inline constexpr uint64_t kMenuVobSector = 0xC0;

inline constexpr unsigned kMaxTitleSets = 99;

// A control file shorter than this is not walked; every header field above
// lies inside it.
inline constexpr size_t kMinControlFileSize = 4096;

// Every table (TT_SRPT, PGCI_UT, language unit, VTS_PGCIT, PGC_CMDT) opens
// with an 8-byte header whose first 16 bits are its entry count; search
// pointers and title entries follow.
inline constexpr uint64_t kTableHeaderSize = 8;
inline constexpr uint64_t kSearchPointerSize = 8;
inline constexpr uint64_t kTitleEntrySize = 12;

// Program chain: the fixed part that every chain has before its tables.
inline constexpr uint64_t kPgcFixedSize = 0xEC;
inline constexpr uint64_t kPgcProgramCount = 2;
inline constexpr uint64_t kPgcCellCount = 3;
inline constexpr uint64_t kPgcNextPgcn = 0x9C; // next, previous and go-up chain numbers
inline constexpr uint64_t kPgcPrevPgcn = 0x9E;
inline constexpr uint64_t kPgcGoUpPgcn = 0xA0;
inline constexpr uint64_t kPgcPlaybackTime = 0x04;
inline constexpr uint64_t kPgcPlaybackMode = 0xA2;
inline constexpr uint64_t kPgcStillTime = 0xA3;
inline constexpr uint64_t kPgcCommandTable = 0xE4;
inline constexpr uint64_t kPgcProgramMap = 0xE6;
inline constexpr uint64_t kPgcCellTable = 0xE8;
inline constexpr uint64_t kCellEntrySize = 24;
inline constexpr uint64_t kCellStillTime = 2;
inline constexpr uint64_t kCellCommandNumber = 3;
inline constexpr uint64_t kCellPlaybackTime = 4;
inline constexpr uint64_t kCellFirstVobuSector = 8;
inline constexpr uint64_t kCellLastSector = 20;

// A playback time: hours, minutes, seconds and frames in binary-coded
// decimal, the frame rate in the top two bits of the frames byte (1: 25
// frames a second, 3: 30). Digits past 9 are taken as they stand.
inline uint32_t playback_milliseconds(const uint8_t *time) {
  const auto bcd = [](uint8_t byte) { return (byte >> 4) * 10u + (byte & 0x0F); };
  const uint32_t seconds = (bcd(time[0]) * 60 + bcd(time[1])) * 60 + bcd(time[2]);
  const uint32_t rate = (time[3] >> 6) == 1 ? 25 : 30;
  return seconds * 1000 + bcd(time[3] & 0x3F) * 1000 / rate;
}

// A start sector that is 0 or has its top bit set means the table is absent.
inline bool table_sector_absent(uint32_t sector) {
  return static_cast<int32_t>(sector) <= 0;
}

// The 32-bit start at byte 4 of the search pointer at `pointer`.
inline uint32_t search_pointer_start(const IfoBytes &ifo, uint64_t pointer) {
  return get_be32(ifo.data + pointer + 4);
}

// True when the fixed part of a program chain at `pgc` lies inside the file.
inline bool pgc_fits(const IfoBytes &ifo, uint64_t pgc) {
  return holds(ifo, pgc, kPgcFixedSize);
}

// A table that opens with its entry count: whether its header lies inside
// the file, the count it states (0 when not inside) and how many of its
// entries of `entry_size` bytes lie inside too.
struct TableExtent {
  bool inside = false;
  uint16_t entries = 0;
  uint16_t listed = 0;
};

inline TableExtent table_extent(const IfoBytes &ifo, uint64_t table, uint64_t entry_size) {
  TableExtent extent;
  extent.inside = holds(ifo, table, kTableHeaderSize);
  if (extent.inside) {
    extent.entries = get_be16(ifo.data + table);
    extent.listed = static_cast<uint16_t>(
        entries_inside(ifo, table + kTableHeaderSize, extent.entries, entry_size));
  }
  return extent;
}

// The menus that a title set's language unit says it has, by their bits in
// its menu existence flags, in the order the report names them. A video
// manager's unit has the title menu only (bit 7).
struct MenuExistenceFlag {
  unsigned bit;
  std::string_view name;
};
inline constexpr MenuExistenceFlag kVtsMenuExistence[] = {
    {0x80, "Root"}, {0x40, "Subpicture"}, {0x20, "Audio"}, {0x10, "Angle"}, {0x08, "Chapter"}};

// The menu type of an entry chain (bits 3-0 of its search pointer's first
// byte) by name; the types that name no menu say so.
inline constexpr std::array<std::string_view, 16> kEntryMenuNames = {
    "No menu",    "No menu",      "Title menu", "Root menu", "Subpicture menu", "Audio menu",
    "Angle menu", "Chapter menu", "No menu",    "No menu",   "No menu",         "No menu",
    "No menu",    "No menu",      "No menu",    "No menu"};
