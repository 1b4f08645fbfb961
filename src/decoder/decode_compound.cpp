// SPDX-License-Identifier: MIT
// Type decoder of command types 4 to 6: set, compare and link combined in one command.
#include "decoder/decoder_internal.h"
#include "decoder/name_tables.h"

namespace {

// "<register> <set operator> <set source>": b3, or the immediate b2b3.
void put_set(Decoding &d) {
  d.out.put(register_names[d.fields.branch_op]);
  d.out.put(' ');
  d.out.put(set_op_names[d.fields.set_op]);
  d.out.put(' ');
  put_operand(d.out, set_source(d, d.c + 2));
}

// "<register> <compare operator> <compare source>", which is also the
// command's condition: b5, or the immediate b4b5.
void put_compare(Decoding &d) {
  const Condition &condition = d.info.condition;
  d.out.put(register_names[d.fields.branch_op]);
  d.out.put(' ');
  d.out.put(compare_op_names[d.fields.compare_op]);
  d.out.put(' ');
  put_operand(d.out, condition.right);
}

void put_link_after_comma(Decoding &d) {
  d.out.put(", ");
  put_simple_link(d, true);
}

} // namespace

bool decode_compound(Decoding &d) {
  const CommandFields &f = d.fields;
  const bool has_compare = f.compare_op != 0;
  const bool has_set = f.set_op != 0;
  const bool has_link = d.c[7] != 0;
  if (f.set_op > 11)
    d.info.questionable = true;
  d.info.gating = f.type == 4   ? Gating::kSetThenCompare
                  : f.type == 5 ? Gating::kCompareAll
                                : Gating::kCompareSetLinkAll;
  if (has_set)
    d.info.assign = Assignment{true, static_cast<uint8_t>(f.branch_op),
                               static_cast<uint8_t>(f.set_op), set_source(d, d.c + 2)};
  if (has_compare)
    d.info.condition =
        Condition{true, register_operand(f.branch_op), static_cast<uint8_t>(f.compare_op),
                  register_or_immediate(d, d.c + 4)};

  if (!has_compare) {
    if (!has_set && !has_link) {
      put_operation(d, "Nop");
    } else if (!has_set) {
      d.info.operation = put_simple_link(d, true);
    } else {
      put_operation(d, "Set");
      d.out.put(' ');
      put_set(d);
      if (has_link)
        put_link_after_comma(d);
    }
    return true;
  }
  if (!has_set) {
    // A comparison always prints its link, LinkNOP included.
    put_operation(d, "Cmp");
    d.out.put(' ');
    put_compare(d);
    put_link_after_comma(d);
    return true;
  }
  if (f.type == 4) {
    put_operation(d, "SetC");
    d.out.put(" (");
    put_set(d);
    d.out.put(") ");
    d.out.put(compare_op_names[f.compare_op]);
    d.out.put(' ');
    put_operand(d.out, d.info.condition.right);
    put_link_after_comma(d);
    return true;
  }
  put_operation(d, f.type == 5 && has_link ? "CSetC" : "CmpSet");
  d.out.put(" (");
  put_compare(d);
  d.out.put(") ");
  d.out.put(set_op_names[f.set_op]);
  d.out.put(' ');
  put_operand(d.out, set_source(d, d.c + 2));
  if (has_link)
    put_link_after_comma(d);
  return true;
}
