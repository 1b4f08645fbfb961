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

// The line is "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s", laid out
// by hand with the decoding written in place: a -I report of a big disc is
// millions of these lines.
size_t write_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image,
                          CommandInfo *info) {
  const unsigned offset = static_cast<unsigned>(command - image) & 0xFFFFFFu;
  TextCursor out{line};
  out.put_decimal(number, 3);
  out.put('[');
  out.put_hex(offset, 6);
  out.put("]:");
  put_command_bytes(out, command);
  out.put("  ");
  // The decoded text is at most 255 characters: the line stays far inside
  // its kListingLineSize buffer.
  return static_cast<size_t>(out.at - line) + decode_command_info(command, out.at, info);
}

int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image) {
  CommandInfo info;
  write_command_line(command, line, number, image, &info);
  return info.questionable ? 1 : 0;
}
