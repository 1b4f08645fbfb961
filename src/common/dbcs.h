// SPDX-License-Identifier: MIT
// Shift-JIS double-byte character detection, shared by path normalization and file opening.
#pragma once

// Kind of the byte at `index` of the zero-terminated `text`: 0 for a single
// byte (or the terminator), 1 for the lead byte and 2 for the trail byte of a
// double-byte character. Lead bytes are 0x80..0x9F and 0xE0..0xFC.
int dbcs_char_kind(const char *text, unsigned index);
