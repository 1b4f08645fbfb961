// SPDX-License-Identifier: MIT
// Type decoders of command types 0 and 1: special, link, jump and call commands.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

#include <cstring>

namespace {

// "%s%s\n" from the condition and the instruction.
int finish(char *text, int flag) {
  write_text(text, "%s%s\n", condition_text, body_text);
  return flag;
}

void set_body(const char *literal) {
  std::strcpy(body_text, literal);
}

int decode_jump_ss(const uint8_t *c, char *text) {
  const char *menu = menu_names[c[5] & 0x3F];
  switch ((c[5] >> 6) & 3) {
  case 0:
    set_body("JumpSS FP");
    break;
  case 1:
    write_text(body_text, "JumpSS VMGM menu:%s", menu);
    break;
  case 2:
    write_text(body_text, "JumpSS VTSM vts:%u, ttn:%u, menu:%s", c[4], c[3], menu);
    break;
  default:
    write_text(body_text, "JumpSS VMGM pgcn:%u", operand16(c + 2));
    break;
  }
  return finish(text, 0);
}

int decode_call_ss(const uint8_t *c, char *text) {
  const char *menu = menu_names[c[5] & 0x3F];
  const unsigned resume_cell = c[4];
  switch ((c[5] >> 6) & 3) {
  case 0:
    if (resume_cell == 0)
      set_body("CallSS FP");
    else
      write_text(body_text, "CallSS FP, rsm_cell=%u", resume_cell);
    break;
  case 1:
    if (resume_cell == 0)
      write_text(body_text, "CallSS VMGM menu:%s", menu);
    else
      write_text(body_text, "CallSS VMGM menu:%s, rsm_cell=%u", menu, resume_cell);
    break;
  case 2:
    if (resume_cell == 0)
      write_text(body_text, "CallSS VTSM menu:%s", menu);
    else
      write_text(body_text, "CallSS VTSM menu:%s, rsm_cell=%u", menu, resume_cell);
    break;
  default:
    if (resume_cell == 0)
      write_text(body_text, "CallSS VMGM pgcn:%u", operand16(c + 2));
    else
      write_text(body_text, "CallSS VMGM pgcn:%u, rsm_cell=%u", operand16(c + 2), resume_cell);
    break;
  }
  return finish(text, 0);
}

} // namespace

int decode_special(const uint8_t *c, char *text) {
  build_register_or_immediate_condition(c[3], c + 4);
  switch (command_fields.branch_op) {
  case 0:
    set_body("Nop");
    break;
  case 1:
    write_text(body_text, "Goto line:%u", c[7]);
    break;
  case 2:
    set_body("Break");
    break;
  case 3:
    write_text(body_text, "SetTmpPML lvl:%u, line:%u", c[6] & 0x0Fu, c[7]);
    break;
  default:
    return write_undefined(text);
  }
  return finish(text, 0);
}

int decode_link(const uint8_t *c, char *text) {
  build_register_or_immediate_condition(c[3], c + 4);
  switch (command_fields.branch_op) {
  case 0:
    set_body("Nop");
    return finish(text, 0);
  case 1: {
    const unsigned code = clamp_link_code(c[7]);
    set_body(link_names[code]);
    return finish(text, is_bad_link_code(code));
  }
  case 4:
    write_text(body_text, "LinkPGCN pgcn:%u", operand16(c + 6));
    return finish(text, 0);
  case 5:
    format_button_suffix(c[6], button_text);
    write_text(body_text, "LinkPTTN pttn:%u%s", c[7], button_text);
    return finish(text, 0);
  case 6:
    format_button_suffix(c[6], button_text);
    write_text(body_text, "LinkPGN pgn:%u%s", c[7], button_text);
    return finish(text, 0);
  case 7:
    format_button_suffix(c[6], button_text);
    write_text(body_text, "LinkCN cn:%u%s", c[7], button_text);
    return finish(text, 0);
  default:
    return write_undefined(text);
  }
}

int decode_jump(const uint8_t *c, char *text) {
  // Jumps compare two registers, b6 and b7; compare_immediate plays no part.
  build_condition(register_names[c[6]], register_names[c[7]]);
  switch (command_fields.branch_op) {
  case 0:
    set_body("Nop");
    break;
  case 1:
    set_body("Exit");
    break;
  case 2:
    write_text(body_text, "JumpTT ttn:%u", c[5]);
    break;
  case 3:
    write_text(body_text, "JumpVTS_TT ttn:%u", c[5]);
    break;
  case 5:
    write_text(body_text, "JumpVTS_PTT ttn:%u pttn:%u", c[5], c[3]);
    break;
  case 6:
    return decode_jump_ss(c, text);
  case 8:
    return decode_call_ss(c, text);
  default:
    return write_undefined(text);
  }
  return finish(text, 0);
}
