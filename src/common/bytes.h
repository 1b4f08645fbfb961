// SPDX-License-Identifier: MIT
// Big-endian field readers, the sector size and the checked view of one control file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kSectorSize = 2048;
inline constexpr int kSectorShift = 11;

inline uint16_t get_be16(const uint8_t *p) {
  return uint16_t(p[0] << 8 | p[1]);
}

inline uint32_t get_be32(const uint8_t *p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The bytes of one control file exactly as read: every table offset counts
// from data[0], and nothing at or past data[size] belongs to this file.
struct IfoBytes {
  const uint8_t *data;
  size_t size;
};

// True when [offset, offset + length) lies wholly inside the bytes read.
// Written so that no sum can overflow, whatever the file claims.
inline bool holds(const IfoBytes &ifo, uint64_t offset, uint64_t length) {
  return offset <= ifo.size && length <= ifo.size - offset;
}

// How many of `count` entries of `size` bytes from `first` lie wholly inside the file.
inline unsigned entries_inside(const IfoBytes &ifo, uint64_t first, unsigned count, uint64_t size) {
  if (first > ifo.size)
    return 0;
  const uint64_t fit = (ifo.size - first) / size;
  return fit < count ? static_cast<unsigned>(fit) : count;
}

// Byte offset of a sector number, widened so that no 32-bit sector wraps.
inline uint64_t sector_offset(uint32_t sector) {
  return uint64_t(sector) << kSectorShift;
}
