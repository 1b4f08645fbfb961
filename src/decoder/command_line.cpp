// SPDX-License-Identifier: MIT
// The numbered listing line of one command: number, file offset, raw bytes and decoding.
#include "decoder/decoder.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

char *put_hex_byte(char *out, unsigned byte) {
  out[0] = kHexDigits[(byte >> 4) & 0xF];
  out[1] = kHexDigits[byte & 0xF];
  return out + 2;
}

} // namespace

// The line is "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s", laid out
// by hand: a -I report of a big disc is millions of these lines.
int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image) {
  char text[kDecodedTextSize];
  const int flag = decode_command(command, text);
  const unsigned offset = static_cast<unsigned>(command - image) & 0xFFFFFFu;

  char *out = line + std::snprintf(line, 16, "%03u", number);
  *out++ = '[';
  for (int shift = 20; shift >= 0; shift -= 4)
    *out++ = kHexDigits[(offset >> shift) & 0xF];
  *out++ = ']';
  *out++ = ':';
  *out++ = '[';
  for (unsigned i = 0; i < kCommandSize; i += 2) {
    if (i != 0)
      *out++ = ' ';
    out = put_hex_byte(out, command[i]);
    out = put_hex_byte(out, command[i + 1]);
  }
  *out++ = ']';
  *out++ = ' ';
  *out++ = ' ';
  // The decoded text is at most 255 characters: the line stays far inside
  // its kListingLineSize buffer.
  const size_t length = std::strlen(text);
  std::memcpy(out, text, length + 1);
  return flag;
}
