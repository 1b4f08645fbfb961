// SPDX-License-Identifier: MIT
// Operand formatters: immediates, button suffixes and link code checks.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char immediate_text[kDecodedTextSize];
char immediate_text_second[kDecodedTextSize];

bool is_lower_letter(unsigned c) {
  return c >= 0x61 && c <= 0x7A;
}

// "#%u", then ":(%u*1024)" for a whole multiple of 1024 from 2048 up, or a
// two-letter language code when both bytes are lower-case letters.
const char *format_immediate_into(char *out, unsigned value) {
  int length = std::snprintf(out, kDecodedTextSize, "#%u", value);
  if (value >= 2048 && (value & 0x3FF) == 0)
    length += std::snprintf(out + length, kDecodedTextSize - length, ":(%u*1024)", value >> 10);
  const unsigned hi = (value >> 8) & 0xFF;
  const unsigned lo = value & 0xFF;
  if (is_lower_letter(hi) && is_lower_letter(lo))
    std::snprintf(out + length, kDecodedTextSize - length, ":\"%c%c\"", static_cast<char>(hi),
                  static_cast<char>(lo));
  return out;
}

} // namespace

const char *format_immediate(unsigned value) {
  return format_immediate_into(immediate_text, value);
}

const char *format_immediate_second(unsigned value) {
  return format_immediate_into(immediate_text_second, value);
}

void format_button_suffix(unsigned button_byte, char *out) {
  const unsigned button = (button_byte >> 2) & 0x3F;
  if (button == 0) {
    out[0] = '\0';
    return;
  }
  std::snprintf(out, kDecodedTextSize, ", HL_BN=%u", button);
}

int is_bad_link_code(unsigned code) {
  switch (code) {
  case 0:
  case 1:
  case 2:
  case 3:
  case 5:
  case 6:
  case 7:
  case 9:
  case 10:
  case 11:
  case 12:
  case 13:
  case 16:
    return 0;
  default:
    return 1;
  }
}

void build_condition(const char *first, const char *second) {
  if (command_fields.compare_op == 0) {
    condition_text[0] = '\0';
    return;
  }
  write_text(condition_text, "if (%s %s %s) then ", first,
             compare_op_names[command_fields.compare_op], second);
}

void build_register_or_immediate_condition(unsigned first, const uint8_t *pair) {
  if (command_fields.compare_op == 0) {
    condition_text[0] = '\0';
    return;
  }
  build_condition(register_names[first], command_fields.compare_immediate != 0
                                             ? format_immediate(operand16(pair))
                                             : register_names[pair[1]]);
}

int write_undefined(char *text) {
  std::memcpy(text, "???\n", 5);
  return 1;
}

int write_text(char *out, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(out, kDecodedTextSize, format, args);
  va_end(args);
  return length;
}
