// The numbered listing line of one command: number, file offset, raw bytes and decoding.
#include "decoder/decoder.h"

#include <cstdio>

int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image) {
  char text[kDecodedTextSize];
  const int flag = decode_command(command, text);
  const unsigned offset = static_cast<unsigned>(command - image) & 0xFFFFFFu;
  std::snprintf(line, kListingLineSize, "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s",
                number, offset, command[0], command[1], command[2], command[3], command[4],
                command[5], command[6], command[7], text);
  return flag;
}
