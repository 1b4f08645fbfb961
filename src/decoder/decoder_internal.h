// SPDX-License-Identifier: MIT
// Shared by the type decoders: one command being decoded, its operands and its link forms.
#pragma once

#include "common/text_cursor.h"
#include "decoder/decoder.h"

// One command being decoded: its bytes and fields, the cursor that writes
// its text and the record of its fields. A type decoder writes the text
// without the final newline and returns false for an undefined instruction;
// decode_command_info then replaces whatever it wrote by "???".
struct Decoding {
  const uint8_t *c; // b0 to b7
  CommandFields fields;
  TextCursor out;
  CommandInfo &info;
};

bool decode_special(Decoding &d);
bool decode_link(Decoding &d);
bool decode_jump(Decoding &d);
bool decode_set_system(Decoding &d);
bool decode_set(Decoding &d);
bool decode_compound(Decoding &d);

// (bX << 8) | bY of two neighbouring command bytes.
inline unsigned operand16(const uint8_t *high) {
  return unsigned(high[0]) << 8 | high[1];
}

// The link code of byte b7: the whole byte, clamped to 31.
inline unsigned clamp_link_code(uint8_t b7) {
  return b7 > 31 ? 31u : b7;
}

inline Operand register_operand(unsigned index) {
  return Operand{OperandKind::kRegister, static_cast<uint16_t>(index)};
}

inline Operand immediate_operand(unsigned value) {
  return Operand{OperandKind::kImmediate, static_cast<uint16_t>(value)};
}

// Writes an instruction word (a literal) and records it as the operation.
inline void put_operation(Decoding &d, std::string_view word) {
  d.out.put(word);
  d.info.operation = word.data();
}

// "#%u", then ":(%u*1024)" for a whole multiple of 1024 from 2048 up, or a
// two-letter language code when both bytes are lower-case letters.
void put_immediate(TextCursor &out, unsigned value);
// A register by name or an immediate by put_immediate.
void put_operand(TextCursor &out, Operand operand);
// ", HL_BN=%u" for the button in b6 bits 7-2, nothing for button 0; returns
// the button.
unsigned put_button_suffix(TextCursor &out, unsigned button_byte);

// When fields.compare_op is not 0: writes "if (left op right) then " and
// records the condition.
void put_condition(Decoding &d, Operand left, Operand right);
// The right compare operand of the types that honour compare_immediate: the
// register pair[1] or, with compare_immediate, the immediate (pair[0] << 8) | pair[1].
Operand register_or_immediate(const Decoding &d, const uint8_t *pair);
// The same for a set's source, by the set immediate flag.
Operand set_source(const Decoding &d, const uint8_t *pair);

// The link sub-instruction of code byte b7 by name, with the button suffix of
// b6 when `with_button`; records the target (none for LinkNOP and undefined
// codes) and raises the flag for an undefined code. Returns the name.
const char *put_simple_link(Decoding &d, bool with_button);
// The link instruction of branch_op 1 (a simple link without button) or 4 to 7
// (LinkPGCN, LinkPTTN, LinkPGN, LinkCN); records the target. Returns its
// operation word, or null for any other branch_op, which writes nothing.
const char *put_link(Decoding &d);
