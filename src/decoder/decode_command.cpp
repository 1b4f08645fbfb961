// Splits b0 and b1 into the command fields and dispatches on the command type.
#include "decoder/decoder_internal.h"

namespace {

CommandFields split_fields(const uint8_t *command) {
  const unsigned b0 = command[0];
  const unsigned b1 = command[1];
  return CommandFields{(b0 >> 5) & 7, (b0 >> 4) & 1, b0 & 15,
                       (b1 >> 7) & 1, (b1 >> 4) & 7, b1 & 15};
}

bool dispatch(Decoding &d) {
  switch (d.fields.type) {
  case 0:
    return decode_special(d);
  case 1:
    return d.fields.set_immediate == 0 ? decode_link(d) : decode_jump(d);
  case 2:
    return decode_set_system(d);
  case 3:
    return decode_set(d);
  case 4:
  case 5:
  case 6:
    return decode_compound(d);
  default:
    return false;
  }
}

} // namespace

size_t decode_command_info(const uint8_t *command, char *text, CommandInfo *info) {
  CommandInfo fields;
  Decoding d{command, split_fields(command), TextCursor{text}, fields};
  if (!dispatch(d)) {
    // An undefined instruction prints "???" alone, without its condition.
    fields = CommandInfo{};
    fields.questionable = true;
    d.out.at = text;
    d.out.put("???");
  }
  d.out.put('\n');
  if (info != nullptr)
    *info = fields;
  return d.out.finish(text);
}

int decode_command(const uint8_t *command, char *text) {
  CommandInfo info;
  decode_command_info(command, text, &info);
  return info.questionable ? 1 : 0;
}
