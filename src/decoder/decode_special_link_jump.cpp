// Type decoders of command types 0 and 1: special, link, jump and call commands.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

namespace {

// The system space of JumpSS and CallSS: b5 bits 7-6, and the menu of b5 bits 5-0.
SystemSpace put_space(Decoding &d, std::string_view word) {
  put_operation(d, word);
  Target &target = d.info.target;
  target.kind = d.fields.branch_op == 6 ? TargetKind::kJumpSS : TargetKind::kCallSS;
  target.space = static_cast<SystemSpace>((d.c[5] >> 6) & 3);
  return target.space;
}

void put_menu(Decoding &d) {
  d.info.target.menu = d.c[5] & 0x3F;
  d.out.put("menu:");
  d.out.put(menu_names[d.info.target.menu]);
}

void put_vmgm_pgcn(Decoding &d) {
  d.info.target.pgcn = static_cast<uint16_t>(operand16(d.c + 2));
  d.out.put("VMGM pgcn:");
  d.out.put_decimal(d.info.target.pgcn);
}

void put_jump_ss(Decoding &d) {
  const uint8_t *c = d.c;
  switch (put_space(d, "JumpSS")) {
  case SystemSpace::kFirstPlay:
    d.out.put(" FP");
    break;
  case SystemSpace::kVmgmMenu:
    d.out.put(" VMGM ");
    put_menu(d);
    break;
  case SystemSpace::kVtsmMenu:
    d.info.target.title_set = c[4];
    d.info.target.title = c[3];
    d.out.put(" VTSM vts:");
    d.out.put_decimal(c[4]);
    d.out.put(", ttn:");
    d.out.put_decimal(c[3]);
    d.out.put(", ");
    put_menu(d);
    break;
  case SystemSpace::kVmgmPgcn:
    d.out.put(' ');
    put_vmgm_pgcn(d);
    break;
  }
}

// Like JumpSS, but the VTSM form names the menu only, and b4 is the cell to
// resume at, printed when it is not 0.
void put_call_ss(Decoding &d) {
  switch (put_space(d, "CallSS")) {
  case SystemSpace::kFirstPlay:
    d.out.put(" FP");
    break;
  case SystemSpace::kVmgmMenu:
    d.out.put(" VMGM ");
    put_menu(d);
    break;
  case SystemSpace::kVtsmMenu:
    d.out.put(" VTSM ");
    put_menu(d);
    break;
  case SystemSpace::kVmgmPgcn:
    d.out.put(' ');
    put_vmgm_pgcn(d);
    break;
  }
  const unsigned resume_cell = d.c[4];
  d.info.target.resume_cell = static_cast<uint8_t>(resume_cell);
  if (resume_cell != 0) {
    d.out.put(", rsm_cell=");
    d.out.put_decimal(resume_cell);
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
  case 6:
    put_jump_ss(d);
    break;
  default:
    put_call_ss(d);
    break;
  }
  return true;
}
