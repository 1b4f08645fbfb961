// SPDX-License-Identifier: MIT
// Shift-JIS double-byte character detection.
#include "common/dbcs.h"

namespace {
bool is_lead_byte(unsigned char c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
} // namespace

int dbcs_char_kind(const char *text, unsigned index) {
  unsigned pos = 0;
  while (text[pos] != '\0') {
    if (!is_lead_byte(static_cast<unsigned char>(text[pos]))) {
      if (pos == index)
        return 0;
      pos += 1;
      continue;
    }
    if (pos == index)
      return 1;
    // A lead byte at the very end has no trail byte: stop at the
    // terminator instead of stepping over it.
    if (text[pos + 1] == '\0')
      return 0;
    if (pos + 1 == index)
      return 2;
    pos += 2;
  }
  return 0;
}
