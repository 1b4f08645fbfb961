// SPDX-License-Identifier: MIT
// Type decoders of command types 0 and 1: special, link, jump and call commands.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

namespace {

void put_menu(Decoding &d) {
  d.info.target.menu = d.c[5] & 0x3F;
  d.out.put("menu:");
  d.out.put(menu_names[d.info.target.menu]);
}

// JumpSS and CallSS: the system space of b5 bits 7-6, with the menu of b5
// bits 5-0 or the program chain b2b3. In the VTSM space JumpSS also names the
// title set b4 and the title b3, where CallSS names the menu only: its b4 is
// the cell to resume at, printed when it is not 0.
void put_system_space(Decoding &d) {
  const uint8_t *c = d.c;
  const bool call = d.fields.branch_op == 8;
  Target &target = d.info.target;
  put_operation(d, call ? std::string_view("CallSS") : std::string_view("JumpSS"));
  target.kind = call ? TargetKind::kCallSS : TargetKind::kJumpSS;
  target.space = static_cast<SystemSpace>((c[5] >> 6) & 3);
  switch (target.space) {
  case SystemSpace::kFirstPlay:
    d.out.put(" FP");
    break;
  case SystemSpace::kVmgmMenu:
    d.out.put(" VMGM ");
    put_menu(d);
    break;
  case SystemSpace::kVtsmMenu:
    d.out.put(" VTSM ");
    if (!call) {
      target.title_set = c[4];
      target.title = c[3];
      d.out.put("vts:");
      d.out.put_decimal(c[4]);
      d.out.put(", ttn:");
      d.out.put_decimal(c[3]);
      d.out.put(", ");
    }
    put_menu(d);
    break;
  case SystemSpace::kVmgmPgcn:
    target.pgcn = static_cast<uint16_t>(operand16(c + 2));
    d.out.put(" VMGM pgcn:");
    d.out.put_decimal(target.pgcn);
    break;
  }
  if (call) {
    target.resume_cell = c[4];
    if (c[4] != 0) {
      d.out.put(", rsm_cell=");
      d.out.put_decimal(c[4]);
    }
  }
}

// "JumpTT ttn:%u" and its kind: the title of b5.
void put_title_jump(Decoding &d, TargetKind kind, std::string_view word) {
  put_operation(d, word);
  d.info.target.kind = kind;
  d.info.target.title = d.c[5];
  d.out.put(" ttn:");
  d.out.put_decimal(d.c[5]);
}

} // namespace

bool decode_special(Decoding &d) {
  const uint8_t *c = d.c;
  if (d.fields.branch_op > 3)
    return false;
  put_condition(d, register_operand(c[3]), register_or_immediate(d, c + 4));
  switch (d.fields.branch_op) {
  case 0:
    put_operation(d, "Nop");
    break;
  case 1:
    put_operation(d, "Goto");
    d.info.target.kind = TargetKind::kGotoLine;
    d.info.target.line = c[7];
    d.out.put(" line:");
    d.out.put_decimal(c[7]);
    break;
  case 2:
    put_operation(d, "Break");
    d.info.target.kind = TargetKind::kBreak;
    break;
  default:
    // Goes to the line when the player accepts the new parental level.
    put_operation(d, "SetTmpPML");
    d.info.target.kind = TargetKind::kGotoLine;
    d.info.target.line = c[7];
    d.info.target.level = c[6] & 0x0F;
    d.out.put(" lvl:");
    d.out.put_decimal(c[6] & 0x0Fu);
    d.out.put(", line:");
    d.out.put_decimal(c[7]);
    break;
  }
  return true;
}

bool decode_link(Decoding &d) {
  const unsigned branch_op = d.fields.branch_op;
  if (branch_op != 0 && branch_op != 1 && (branch_op < 4 || branch_op > 7))
    return false;
  put_condition(d, register_operand(d.c[3]), register_or_immediate(d, d.c + 4));
  if (branch_op == 0)
    put_operation(d, "Nop");
  else
    d.info.operation = put_link(d);
  return true;
}

bool decode_jump(Decoding &d) {
  const uint8_t *c = d.c;
  const unsigned branch_op = d.fields.branch_op;
  if (branch_op > 8 || branch_op == 4 || branch_op == 7)
    return false;
  // Jumps compare two registers, b6 and b7; compare_immediate plays no part.
  put_condition(d, register_operand(c[6]), register_operand(c[7]));
  switch (branch_op) {
  case 0:
    put_operation(d, "Nop");
    break;
  case 1:
    put_operation(d, "Exit");
    d.info.target.kind = TargetKind::kExit;
    break;
  case 2:
    put_title_jump(d, TargetKind::kJumpTT, "JumpTT");
    break;
  case 3:
    put_title_jump(d, TargetKind::kJumpVTS_TT, "JumpVTS_TT");
    break;
  case 5:
    put_title_jump(d, TargetKind::kJumpVTS_PTT, "JumpVTS_PTT");
    d.info.target.chapter = c[3];
    d.out.put(" pttn:");
    d.out.put_decimal(c[3]);
    break;
  default: // 6 and 8
    put_system_space(d);
    break;
  }
  return true;
}
