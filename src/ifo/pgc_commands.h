// SPDX-License-Identifier: MIT
// The three command lists of one program chain, with the cells that use each cell command.
#pragma once

#include "common/bytes.h"
#include "decoder/decoder.h"

#include <cstdint>

extern char listing_line_buffer[kListingLineSize];

// True when the fixed part of a program chain at `pgc` lies inside the image.
bool pgc_fits(const IfoImage &image, uint64_t pgc);

// Prints the pre-, post- and cell command lists of the program chain at
// byte `pgc` of `image`; the caller has checked pgc_fits.
int dump_pgc_commands(uint64_t pgc, const IfoImage &image);
