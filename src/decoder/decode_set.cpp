// SPDX-License-Identifier: MIT
// Type decoders of command types 2 and 3: set-system and set commands, with their link tails.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kPieceSize = 128;

// Fills link_text from branch_op and b6/b7 and returns the link's flag. Under
// a condition b6 and b7 are compare operands, so there is no link.
int build_link_tail(const uint8_t *c) {
  link_text[0] = '\0';
  if (command_fields.compare_op != 0)
    return 0;
  switch (command_fields.branch_op) {
  case 1: {
    const unsigned code = clamp_link_code(c[7]);
    write_text(link_text, ", %s", link_names[code]);
    return is_bad_link_code(code);
  }
  case 4:
    write_text(link_text, ", LinkPGCN pgcn:%u", operand16(c + 6));
    return 0;
  case 5:
    format_button_suffix(c[6], button_text);
    write_text(link_text, ", LinkPTTN pttn:%u%s", c[7], button_text);
    return 0;
  case 6:
    format_button_suffix(c[6], button_text);
    write_text(link_text, ", LinkPGN pgn:%u%s", c[7], button_text);
    return 0;
  case 7:
    format_button_suffix(c[6], button_text);
    write_text(link_text, ", LinkCN cn:%u%s", c[7], button_text);
    return 0;
  default:
    return 0;
  }
}

int finish(char *text, int flag) {
  write_text(text, "%s%s%s\n", condition_text, body_text, link_text);
  return flag;
}

// SetSTN: audio, subpicture and angle pieces, each present only when bit 7
// of its byte is set; absent pieces leave their blanks in the text.
void build_set_stream(const uint8_t *c) {
  char audio[kPieceSize] = "";
  char subpicture[kPieceSize] = "";
  char angle[kPieceSize] = "";
  const bool immediate = command_fields.set_immediate != 0;
  if (c[3] & 0x80) {
    if (immediate)
      std::snprintf(audio, kPieceSize, "Audio=#%u", c[3] & 0x0Fu);
    else
      std::snprintf(audio, kPieceSize, "Audio=%s", register_names[c[3] & 0x0F]);
  }
  if (c[4] & 0x80) {
    if (!immediate)
      std::snprintf(subpicture, kPieceSize, "Subpicture=%s", register_names[c[4] & 0x0F]);
    else if (c[4] & 0x40)
      std::snprintf(subpicture, kPieceSize, "Subpicture=#%u(Display)", c[4] & 0x3Fu);
    else
      std::snprintf(subpicture, kPieceSize, "Subpicture=#%u(Not Display)", c[4] & 0x3Fu);
  }
  if (c[5] & 0x80) {
    if (immediate)
      std::snprintf(angle, kPieceSize, "Angle=#%u", c[5] & 0x0Fu);
    else
      std::snprintf(angle, kPieceSize, "Angle=%s", register_names[c[5] & 0x0F]);
  }
  write_text(body_text, "SetSTN %s %s %s", audio, subpicture, angle);
}

// SetGPRMMD: the mode register is b5's low four bits; b5 bit 7 marks a counter.
void build_set_register_mode(const uint8_t *c) {
  const char *value =
      command_fields.set_immediate != 0 ? format_immediate(operand16(c + 2)) : register_names[c[3]];
  write_text(body_text, "SetGPRMMD SPRM[%s]=%s%s", register_names[c[5] & 0x0F], value,
             (c[5] & 0x80) ? " [COUNTER]" : "");
}

// Fills body_text for a type-2 set_op; false when set_op is undefined.
bool build_set_system_body(const uint8_t *c) {
  const bool immediate = command_fields.set_immediate != 0;
  switch (command_fields.set_op) {
  case 0:
    std::strcpy(body_text, "Nop");
    return true;
  case 1:
    build_set_stream(c);
    return true;
  case 2:
    if (immediate)
      write_text(body_text, "SetNVTMR timer:#%u, pgcn:%u", operand16(c + 2), operand16(c + 4));
    else
      write_text(body_text, "SetNVTMR timer:%s, pgcn:%u", register_names[c[3]], operand16(c + 4));
    return true;
  case 3:
    build_set_register_mode(c);
    return true;
  case 4:
    if (immediate)
      write_text(body_text, "SetAMXMD #%u", operand16(c + 4));
    else
      write_text(body_text, "SetAMXMD %s", register_names[c[5] & 0x0F]);
    return true;
  case 6:
    write_text(body_text, "SetHL_BTNN %s",
               immediate ? format_immediate(operand16(c + 4)) : register_names[c[5] & 0x0F]);
    return true;
  default:
    return false;
  }
}

} // namespace

int decode_set_system(const uint8_t *c, char *text) {
  // Both compare operands of type 2 are registers, b6 and b7.
  build_condition(register_names[c[6]], register_names[c[7]]);
  if (!build_set_system_body(c))
    return write_undefined(text);
  const int flag = build_link_tail(c);
  return finish(text, flag);
}

int decode_set(const uint8_t *c, char *text) {
  build_register_or_immediate_condition(c[2], c + 6);
  const unsigned set_op = command_fields.set_op;
  if (set_op == 0) {
    std::strcpy(body_text, "Nop");
  } else {
    const char *source = command_fields.set_immediate != 0 ? format_immediate(operand16(c + 4))
                                                           : register_names[c[5]];
    write_text(body_text, "Set %s %s %s", register_names[c[3] & 0x0F], set_op_names[set_op],
               source);
  }
  const int link_flag = build_link_tail(c);
  return finish(text, (set_op > 11 || link_flag != 0) ? 1 : 0);
}
