// SPDX-License-Identifier: MIT
// Operand formatters: immediates, button suffixes, conditions, link forms and link code checks.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

namespace {

char immediate_text[kDecodedTextSize];
char immediate_text_second[kDecodedTextSize];

bool is_lower_letter(unsigned c) {
  return c >= 0x61 && c <= 0x7A;
}

// "<text>%u" with b7, then the button suffix of b6: LinkPTTN, LinkPGN and LinkCN.
const char *put_numbered_link(Decoding &d, TargetKind kind, std::string_view text,
                              const char *operation) {
  d.info.target.kind = kind;
  d.out.put(text);
  d.out.put_decimal(d.c[7]);
  d.info.target.button = static_cast<uint8_t>(put_button_suffix(d.out, d.c[6]));
  return operation;
}

const char *format_immediate_into(char *text, unsigned value) {
  TextCursor out{text};
  put_immediate(out, value);
  out.finish(text);
  return text;
}

} // namespace

void put_immediate(TextCursor &out, unsigned value) {
  out.put('#');
  out.put_decimal(value);
  if (value >= 2048 && (value & 0x3FF) == 0) {
    out.put(":(");
    out.put_decimal(value >> 10);
    out.put("*1024)");
  }
  const unsigned hi = (value >> 8) & 0xFF;
  const unsigned lo = value & 0xFF;
  if (is_lower_letter(hi) && is_lower_letter(lo)) {
    out.put(":\"");
    out.put(static_cast<char>(hi));
    out.put(static_cast<char>(lo));
    out.put('"');
  }
}

void put_operand(TextCursor &out, Operand operand) {
  if (operand.kind == OperandKind::kImmediate)
    put_immediate(out, operand.value);
  else
    out.put(register_names[operand.value & 0xFF]);
}

unsigned put_button_suffix(TextCursor &out, unsigned button_byte) {
  const unsigned button = (button_byte >> 2) & 0x3F;
  if (button != 0) {
    out.put(", HL_BN=");
    out.put_decimal(button);
  }
  return button;
}

const char *format_immediate(unsigned value) {
  return format_immediate_into(immediate_text, value);
}

const char *format_immediate_second(unsigned value) {
  return format_immediate_into(immediate_text_second, value);
}

void format_button_suffix(unsigned button_byte, char *text) {
  TextCursor out{text};
  put_button_suffix(out, button_byte);
  out.finish(text);
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

void put_condition(Decoding &d, Operand left, Operand right) {
  if (d.fields.compare_op == 0)
    return;
  d.info.condition = Condition{true, left, static_cast<uint8_t>(d.fields.compare_op), right};
  d.out.put("if (");
  put_operand(d.out, left);
  d.out.put(' ');
  d.out.put(compare_op_names[d.fields.compare_op]);
  d.out.put(' ');
  put_operand(d.out, right);
  d.out.put(") then ");
}

Operand register_or_immediate(const Decoding &d, const uint8_t *pair) {
  return d.fields.compare_immediate != 0 ? immediate_operand(operand16(pair))
                                         : register_operand(pair[1]);
}

Operand set_source(const Decoding &d, const uint8_t *pair) {
  return d.fields.set_immediate != 0 ? immediate_operand(operand16(pair))
                                     : register_operand(pair[1]);
}

const char *put_simple_link(Decoding &d, bool with_button) {
  const unsigned code = clamp_link_code(d.c[7]);
  const std::string_view name = link_names[code];
  d.out.put(name);
  const unsigned button = with_button ? put_button_suffix(d.out, d.c[6]) : 0;
  Target &target = d.info.target;
  if (is_bad_link_code(code) != 0) {
    d.info.questionable = true;
  } else if (code != 0) {
    target.kind = code == 16 ? TargetKind::kResume : TargetKind::kLinkSimple;
    target.link_code = static_cast<uint8_t>(code);
    target.button = static_cast<uint8_t>(button);
  }
  return name.data();
}

const char *put_link(Decoding &d) {
  const uint8_t *c = d.c;
  Target &target = d.info.target;
  switch (d.fields.branch_op) {
  case 1:
    return put_simple_link(d, false);
  case 4:
    target.kind = TargetKind::kLinkPGCN;
    target.pgcn = static_cast<uint16_t>(operand16(c + 6));
    d.out.put("LinkPGCN pgcn:");
    d.out.put_decimal(target.pgcn);
    return "LinkPGCN";
  case 5:
    target.chapter = c[7];
    return put_numbered_link(d, TargetKind::kLinkPTTN, "LinkPTTN pttn:", "LinkPTTN");
  case 6:
    target.program = c[7];
    return put_numbered_link(d, TargetKind::kLinkPGN, "LinkPGN pgn:", "LinkPGN");
  case 7:
    target.cell = c[7];
    return put_numbered_link(d, TargetKind::kLinkCN, "LinkCN cn:", "LinkCN");
  default:
    return nullptr;
  }
}
