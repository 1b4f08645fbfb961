// SPDX-License-Identifier: MIT
// The numbered listing line of one command: number, file offset, raw bytes and decoding.
#include "decoder/decoder.h"

#include <array>
#include <cstring>

namespace {

// The two hexadecimal digits of every byte: the raw bytes of millions of
// listing lines are written a pair at a time.
constexpr auto kHexPairs = [] {
  std::array<std::array<char, 2>, 256> pairs{};
  for (unsigned byte = 0; byte < 256; ++byte)
    pairs[byte] = {TextCursor::kHexDigits[byte >> 4], TextCursor::kHexDigits[byte & 15]};
  return pairs;
}();

} // namespace

void put_command_bytes(TextCursor &out, const uint8_t *command) {
  char *at = out.at;
  at[0] = '[';
  for (unsigned i = 0; i < kCommandSize; i += 2) {
    char *group = at + 1 + 5 * (i / 2);
    std::memcpy(group, kHexPairs[command[i]].data(), 2);
    std::memcpy(group + 2, kHexPairs[command[i + 1]].data(), 2);
    group[4] = i + 2 < kCommandSize ? ' ' : ']';
  }
  out.at = at + 21;
}

// "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  ", laid out by hand: a
// report of a big disc is millions of these lines.
void put_listing_prefix(TextCursor &out, unsigned number, unsigned offset, const uint8_t *command) {
  out.put_decimal(number, 3);
  out.put('[');
  out.put_hex(offset & 0xFFFFFFu, 6);
  out.put("]:");
  put_command_bytes(out, command);
  out.put("  ");
}

int format_command_line(const uint8_t *command, char *line, unsigned number, const uint8_t *image) {
  TextCursor out{line};
  put_listing_prefix(out, number, static_cast<unsigned>(command - image), command);
  // The decoded text is at most 255 characters: the line stays far inside
  // its kListingLineSize buffer.
  CommandInfo info;
  decode_command_info(command, out.at, &info);
  return info.questionable ? 1 : 0;
}
