// SPDX-License-Identifier: MIT
// The navigation command decoder: one 8-byte DVD-Video command into its text and its fields.
#pragma once

#include "common/text_cursor.h"
#include "decoder/command_info.h"

#include <cstddef>
#include <cstdint>

inline constexpr unsigned kCommandSize = 8;
// Size of every decoder text and of the text buffer a caller passes.
inline constexpr unsigned kDecodedTextSize = 256;
// Size of the line buffer that format_command_line writes.
inline constexpr unsigned kListingLineSize = 1024;

// One navigation command, bytes b0 to b7 in file order.
struct NavCommand {
  uint8_t b[kCommandSize];
};

// The fields of b0 and b1 that every type decoder works from.
struct CommandFields {
  unsigned type;              // b0 bits 7-5
  unsigned set_immediate;     // b0 bit 4
  unsigned set_op;            // b0 bits 3-0
  unsigned compare_immediate; // b1 bit 7
  unsigned compare_op;        // b1 bits 6-4
  unsigned branch_op;         // b1 bits 3-0
};

// Decodes the command once: writes its text (one line ending in "\n", NUL-terminated) into
// `text` (at least kDecodedTextSize characters) and, when `info` is not null, fills it.
// Returns the text's length (without the terminator). The decoder keeps no state between
// commands.
size_t decode_command_info(const uint8_t *command, char *text, CommandInfo *info);

// decode_command_info without the fields. Returns 1 when the command's type,
// instruction, operator or link code is undefined, else 0.
int decode_command(const uint8_t *command, char *text);

// "[%02X%02X %02X%02X %02X%02X %02X%02X]": the command's raw bytes, as every
// listing line shows them.
void put_command_bytes(TextCursor &out, const uint8_t *command);

// "%03u[%06X]:" with the offset masked to 24 bits, the raw bytes and two
// blanks: the start of a listing line, before the decoded text.
void put_listing_prefix(TextCursor &out, unsigned number, unsigned offset, const uint8_t *command);

// Writes the numbered listing line
// "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s" into `line` (at
// least kListingLineSize characters); the offset is that of the command
// within `image`. Returns the flag of decode_command.
int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image);

// Operand formatters. Each format_immediate instance returns its own static
// text, valid until its next call.
const char *format_immediate(unsigned value);
const char *format_immediate_second(unsigned value);
void format_button_suffix(unsigned button_byte, char *out);
int is_bad_link_code(unsigned code);
