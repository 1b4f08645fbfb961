// SPDX-License-Identifier: MIT
// Splits b0 and b1 into the command fields and dispatches on the command type.
#include "decoder/decoder_internal.h"

CommandFields command_fields;
char condition_text[kDecodedTextSize];
char body_text[kDecodedTextSize];
char link_text[kDecodedTextSize];
char button_text[kDecodedTextSize];

int decode_command(const uint8_t *command, char *text) {
  const unsigned b0 = command[0];
  const unsigned b1 = command[1];
  command_fields.type = (b0 >> 5) & 7;
  command_fields.set_immediate = (b0 >> 4) & 1;
  command_fields.set_op = b0 & 15;
  command_fields.compare_immediate = (b1 >> 7) & 1;
  command_fields.compare_op = (b1 >> 4) & 7;
  command_fields.branch_op = b1 & 15;

  switch (command_fields.type) {
  case 0:
    return decode_special(command, text);
  case 1:
    return command_fields.set_immediate == 0 ? decode_link(command, text)
                                             : decode_jump(command, text);
  case 2:
    return decode_set_system(command, text);
  case 3:
    return decode_set(command, text);
  case 4:
  case 5:
  case 6:
    return decode_compound(command, text);
  default:
    return write_undefined(text);
  }
}
