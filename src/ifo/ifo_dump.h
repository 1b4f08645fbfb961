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

int dump_ifo_files(const char *path);
int dump_title_table(const IfoImage &image);
int dump_first_play(const IfoImage &image);
