// SPDX-License-Identifier: MIT
// Type decoders of command types 2 and 3: set-system and set commands, with their link tails.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

namespace {

// ", <link>" from branch_op and b6/b7; the link becomes the target. Under a
// condition b6 and b7 are compare operands, so there is no link.
void put_link_tail(Decoding &d) {
  if (d.fields.compare_op != 0)
    return;
  const unsigned branch_op = d.fields.branch_op;
  if (branch_op != 1 && (branch_op < 4 || branch_op > 7))
    return;
  d.out.put(", ");
  put_link(d);
}

// "#%u" of `value` with set_immediate, never annotated, else the register
// `index`: the operand of SetNVTMR and SetAMXMD.
Operand put_plain_or_register(Decoding &d, unsigned value, unsigned index) {
  if (d.fields.set_immediate != 0) {
    d.out.put('#');
    d.out.put_decimal(value);
    return immediate_operand(value);
  }
  d.out.put(register_names[index]);
  return register_operand(index);
}

// SetSTN: audio, subpicture and angle pieces, each present only when bit 7
// of its byte is set; absent pieces leave their blanks in the text.
void put_set_stream(Decoding &d) {
  const uint8_t *c = d.c;
  const bool immediate = d.fields.set_immediate != 0;
  SystemSet &set = d.info.system;
  set.kind = SystemSetKind::kStreams;
  put_operation(d, "SetSTN");
  d.out.put(' ');
  if (c[3] & 0x80) {
    set.audio_set = true;
    set.audio = immediate ? immediate_operand(c[3] & 0x0Fu) : register_operand(c[3] & 0x0F);
    d.out.put("Audio=");
    put_operand(d.out, set.audio);
  }
  d.out.put(' ');
  if (c[4] & 0x80) {
    set.subpicture_set = true;
    set.subpicture = immediate ? immediate_operand(c[4] & 0x7Fu) : register_operand(c[4] & 0x0F);
    d.out.put("Subpicture=");
    if (!immediate) {
      d.out.put(register_names[c[4] & 0x0F]);
    } else {
      d.out.put('#');
      d.out.put_decimal(c[4] & 0x3Fu);
      d.out.put((c[4] & 0x40) ? std::string_view("(Display)") : std::string_view("(Not Display)"));
    }
  }
  d.out.put(' ');
  if (c[5] & 0x80) {
    set.angle_set = true;
    set.angle = immediate ? immediate_operand(c[5] & 0x0Fu) : register_operand(c[5] & 0x0F);
    d.out.put("Angle=");
    put_operand(d.out, set.angle);
  }
}

// SetGPRMMD: the mode register is b5's low four bits; b5 bit 7 marks a counter.
void put_set_register_mode(Decoding &d) {
  const uint8_t *c = d.c;
  SystemSet &set = d.info.system;
  set.kind = SystemSetKind::kRegisterMode;
  set.reg = c[5] & 0x0F;
  set.counter = (c[5] & 0x80) != 0;
  set.value = set_source(d, c + 2);
  put_operation(d, "SetGPRMMD");
  d.out.put(" SPRM[");
  d.out.put(register_names[set.reg]);
  d.out.put("]=");
  put_operand(d.out, set.value);
  if (set.counter)
    d.out.put(" [COUNTER]");
}

// The instruction of a type-2 set_op; false when set_op is undefined.
bool put_set_system_body(Decoding &d) {
  const uint8_t *c = d.c;
  const bool immediate = d.fields.set_immediate != 0;
  switch (d.fields.set_op) {
  case 0:
    put_operation(d, "Nop");
    return true;
  case 1:
    put_set_stream(d);
    return true;
  case 2:
    d.info.system.kind = SystemSetKind::kNavTimer;
    put_operation(d, "SetNVTMR");
    d.out.put(" timer:");
    d.info.system.value = put_plain_or_register(d, operand16(c + 2), c[3]);
    d.info.system.pgcn = static_cast<uint16_t>(operand16(c + 4));
    d.out.put(", pgcn:");
    d.out.put_decimal(d.info.system.pgcn);
    return true;
  case 3:
    put_set_register_mode(d);
    return true;
  case 4:
    d.info.system.kind = SystemSetKind::kAudioMix;
    put_operation(d, "SetAMXMD");
    d.out.put(' ');
    d.info.system.value = put_plain_or_register(d, operand16(c + 4), c[5] & 0x0F);
    return true;
  case 6:
    d.info.system.kind = SystemSetKind::kHighlight;
    d.info.system.value =
        immediate ? immediate_operand(operand16(c + 4)) : register_operand(c[5] & 0x0F);
    put_operation(d, "SetHL_BTNN");
    d.out.put(' ');
    put_operand(d.out, d.info.system.value);
    return true;
  default:
    return false;
  }
}

} // namespace

bool decode_set_system(Decoding &d) {
  // Both compare operands of type 2 are registers, b6 and b7.
  put_condition(d, register_operand(d.c[6]), register_operand(d.c[7]));
  if (!put_set_system_body(d))
    return false;
  put_link_tail(d);
  return true;
}

bool decode_set(Decoding &d) {
  const uint8_t *c = d.c;
  put_condition(d, register_operand(c[2]), register_or_immediate(d, c + 6));
  const unsigned set_op = d.fields.set_op;
  if (set_op == 0) {
    put_operation(d, "Nop");
  } else {
    d.info.assign = Assignment{true, static_cast<uint8_t>(c[3] & 0x0F),
                               static_cast<uint8_t>(set_op), set_source(d, c + 4)};
    put_operation(d, "Set");
    d.out.put(' ');
    d.out.put(register_names[d.info.assign.destination]);
    d.out.put(' ');
    d.out.put(set_op_names[set_op]);
    d.out.put(' ');
    put_operand(d.out, d.info.assign.source);
  }
  if (set_op > 11)
    d.info.questionable = true;
  put_link_tail(d);
  return true;
}
