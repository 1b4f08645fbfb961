// SPDX-License-Identifier: MIT
// Type decoder of command types 4 to 6: set, compare and link combined in one command.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

#include <cstring>

namespace {

const char *set_source(const uint8_t *c) {
  return command_fields.set_immediate != 0 ? format_immediate(operand16(c + 2))
                                           : register_names[c[3]];
}

// The compare source; `second_instance` when the same line also prints an
// immediate set source, so that both numbers survive into one print.
const char *compare_source(const uint8_t *c, bool second_instance) {
  if (command_fields.compare_immediate == 0)
    return register_names[c[5]];
  const unsigned value = operand16(c + 4);
  return second_instance ? format_immediate_second(value) : format_immediate(value);
}

} // namespace

int decode_compound(const uint8_t *c, char *text) {
  const unsigned code = clamp_link_code(c[7]);
  int flag = is_bad_link_code(code);
  const char *reg = register_names[command_fields.branch_op];
  const char *set_op = set_op_names[command_fields.set_op];
  const char *compare_op = compare_op_names[command_fields.compare_op];
  const char *link = link_names[code];
  const bool has_compare = command_fields.compare_op != 0;
  const bool has_set = command_fields.set_op != 0;
  const bool has_link = code != 0;

  if (!has_compare) {
    if (!has_set && !has_link) {
      std::strcpy(body_text, "Nop");
    } else if (!has_set) {
      format_button_suffix(c[6], button_text);
      write_text(body_text, "%s%s", link, button_text);
    } else if (!has_link) {
      write_text(body_text, "Set %s %s %s", reg, set_op, set_source(c));
    } else {
      format_button_suffix(c[6], button_text);
      write_text(body_text, "Set %s %s %s, %s%s", reg, set_op, set_source(c), link, button_text);
    }
  } else if (!has_set) {
    format_button_suffix(c[6], button_text);
    write_text(body_text, "Cmp %s %s %s, %s%s", reg, compare_op, compare_source(c, false), link,
               button_text);
  } else {
    // Both a set and a comparison: the set source is made first, by the
    // first formatter instance, and the compare source by the second.
    const char *source = set_source(c);
    const char *compared = compare_source(c, command_fields.set_immediate != 0);
    if (command_fields.type == 4) {
      format_button_suffix(c[6], button_text);
      write_text(body_text, "SetC (%s %s %s) %s %s, %s%s", reg, set_op, source, compare_op,
                 compared, link, button_text);
    } else if (!has_link) {
      write_text(body_text, "CmpSet (%s %s %s) %s %s", reg, compare_op, compared, set_op, source);
    } else {
      format_button_suffix(c[6], button_text);
      write_text(body_text, "%s (%s %s %s) %s %s, %s%s",
                 command_fields.type == 5 ? "CSetC" : "CmpSet", reg, compare_op, compared, set_op,
                 source, link, button_text);
    }
  }
  if (command_fields.set_op > 11)
    flag = 1;
  write_text(text, "%s\n", body_text);
  return flag;
}
