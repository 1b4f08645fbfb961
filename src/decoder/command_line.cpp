// SPDX-License-Identifier: MIT
// The numbered listing line of one command: number, file offset, raw bytes and decoding.
#include "decoder/decoder.h"

void put_command_bytes(TextCursor &out, const uint8_t *command) {
  out.put('[');
  for (unsigned i = 0; i < kCommandSize; i += 2) {
    if (i != 0)
      out.put(' ');
    out.put_hex_byte(command[i]);
    out.put_hex_byte(command[i + 1]);
  }
  out.put(']');
}

// "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  ", laid out by hand: a
// report of a big disc is millions of these lines.
void put_listing_prefix(TextCursor &out, unsigned number, unsigned offset, const uint8_t *command) {
  out.put_decimal(number, 3);
  out.put('[');
  out.put_hex(offset & 0xFFFFFFu, 6);
  out.put("]:");
  put_command_bytes(out, command);
  out.put("  ");
}

int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image) {
  TextCursor out{line};
  put_listing_prefix(out, number, static_cast<unsigned>(command - image), command);
  // The decoded text is at most 255 characters: the line stays far inside
  // its kListingLineSize buffer.
  CommandInfo info;
  decode_command_info(command, out.at, &info);
  return info.questionable ? 1 : 0;
}
