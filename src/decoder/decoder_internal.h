// SPDX-License-Identifier: MIT
// Shared state and helpers of the type decoders; not for use outside decoder/.
#pragma once

#include "decoder/decoder.h"

// The one field record, refilled by decode_command for every command.
extern CommandFields command_fields;

// The decoder's working texts, overwritten by every command.
extern char condition_text[kDecodedTextSize];
extern char body_text[kDecodedTextSize];
extern char link_text[kDecodedTextSize];
extern char button_text[kDecodedTextSize];

int decode_special(const uint8_t *command, char *text);
int decode_link(const uint8_t *command, char *text);
int decode_jump(const uint8_t *command, char *text);
int decode_set_system(const uint8_t *command, char *text);
int decode_set(const uint8_t *command, char *text);
int decode_compound(const uint8_t *command, char *text);

// (bX << 8) | bY of two neighbouring command bytes.
inline unsigned operand16(const uint8_t *high) {
  return unsigned(high[0]) << 8 | high[1];
}

// The link code of byte b7: the whole byte, clamped to 31.
inline unsigned clamp_link_code(uint8_t b7) {
  return b7 > 31 ? 31u : b7;
}

// Fills condition_text with "if (%s %s %s) then ", or empties it when
// command_fields.compare_op is 0.
void build_condition(const char *first, const char *second);

// The condition of the types that honour compare_immediate: the register
// `first` against the register pair[1] or, with compare_immediate, the
// immediate (pair[0] << 8) | pair[1].
void build_register_or_immediate_condition(unsigned first, const uint8_t *pair);

// The text "???\n" of an undefined instruction; returns the flag 1.
int write_undefined(char *text);

// snprintf into one of the decoder's 256-character texts.
int write_text(char *out, const char *format, ...) __attribute__((format(printf, 2, 3)));
