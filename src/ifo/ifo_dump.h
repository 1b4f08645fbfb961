// SPDX-License-Identifier: MIT
// The -I dump: loading the control files, the title table and the first-play program chain.
#pragma once

#include "common/bytes.h"

#include <cstdint>

inline constexpr size_t kIfoBufferSize = 16 * 1024 * 1024;
// Each control file in turn in the -I dump; the VOB read chunk in the -V dump.
extern uint8_t ifo_buffer[kIfoBufferSize];

inline constexpr unsigned kFileNameSize = 260;
inline constexpr unsigned kMaxTitleSets = 99;

enum class LoadResult { kLoaded, kNotFound, kTooShort };

// Reads the control file `name` whole (up to `capacity` bytes) into `buffer`
// and points `image` at what was read: kTooShort when that is less than the
// smallest control file. `failed`, when given, tells whether an image could
// not give the file to its end.
LoadResult load_control_file(const char *name, uint8_t *buffer, size_t capacity, IfoImage *image,
                             bool *failed = nullptr);

int dump_ifo_files(const char *path);
int dump_title_table(const IfoImage &image);
int dump_first_play(const IfoImage &image);
