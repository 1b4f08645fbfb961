// SPDX-License-Identifier: MIT
// Fuzz target: one navigation command through decode_command and format_command_line.
//
// Input: the 8 command bytes, then optionally a 32-bit big-endian list number and a 24-bit
// file offset for the listing line. Checks the line's invariants: one line of printable text
// that ends in exactly one newline and fits its buffer, a flag of 0 or 1, the same text after
// a command that fills every working text of the decoder, the same text, length and flag
// when the fields are asked for too, and a listing line that is the number, the offset, the
// raw bytes and that same text.
#include "decoder/decoder.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A control file's worth of bytes for the command to sit in: the listing line
// prints its offset in six hexadecimal digits.
constexpr size_t kFileSize = 16 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const auto file = std::make_unique<uint8_t[]>(kFileSize);
  if (size < kCommandSize)
    return 0;
  const uint8_t *command = data;
  const unsigned number =
      size >= 12 ? unsigned(data[8]) << 24 | unsigned(data[9]) << 16 | data[10] << 8 | data[11] : 1;
  // At most the last place where a whole command fits in the file.
  const unsigned offset =
      std::min<unsigned>(size >= 15 ? unsigned(data[12]) << 16 | data[13] << 8 | data[14] : 0,
                         kFileSize - kCommandSize);

  // Exactly sized heap buffers: a write past the end is caught by AddressSanitizer.
  const auto text = std::make_unique<char[]>(kDecodedTextSize);
  const int flag = decode_command(command, text.get());
  const size_t length = strnlen(text.get(), kDecodedTextSize);
  if (flag != 0 && flag != 1)
    fuzz::fail("flag %d for %02X%02X", flag, command[0], command[1]);
  if (length == kDecodedTextSize || length == 0 || text[length - 1] != '\n')
    fuzz::fail("decoded text is not one line within %u bytes", kDecodedTextSize);
  for (size_t i = 0; i + 1 < length; ++i)
    if (text[i] < 0x20 || text[i] > 0x7E)
      fuzz::fail("decoded text byte %zu is 0x%02X: \"%s\"", i, unsigned(text[i] & 0xFF),
                 text.get());

  // Decoding never depends on what came before: commands that fill every working text
  // (condition, body, link tail, button suffix, both immediates), then this one again.
  static constexpr uint8_t kBusyCommands[][kCommandSize] = {
      {0x56, 0xF7, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD, 0x05},
      {0x46, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD, 0x03},
      {0xD1, 0xA1, 0x0C, 0x00, 0x08, 0x00, 0xFC, 0x05}};
  const auto again = std::make_unique<char[]>(kDecodedTextSize);
  for (const uint8_t *busy : kBusyCommands)
    decode_command(busy, again.get());
  if (decode_command(command, again.get()) != flag || std::strcmp(text.get(), again.get()) != 0)
    fuzz::fail("decoding depends on the previous command: \"%s\" then \"%s\"", text.get(),
               again.get());

  CommandInfo info;
  const auto with_info = std::make_unique<char[]>(kDecodedTextSize);
  if (decode_command_info(command, with_info.get(), &info) != length ||
      std::strcmp(text.get(), with_info.get()) != 0 || info.questionable != (flag == 1))
    fuzz::fail("decode_command_info differs from decode_command: \"%s\"", with_info.get());

  // The listing line, with the command at its offset in the file.
  uint8_t *at = file.get() + offset;
  std::memcpy(at, command, kCommandSize);
  const auto line = std::make_unique<char[]>(kListingLineSize);
  char expected[kListingLineSize];
  std::snprintf(expected, sizeof expected, "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s",
                number, offset, command[0], command[1], command[2], command[3], command[4],
                command[5], command[6], command[7], text.get());
  if (format_command_line(at, line.get(), number, file.get()) != flag ||
      std::strcmp(line.get(), expected) != 0)
    fuzz::fail("listing line \"%s\", expected \"%s\"", line.get(), expected);
  return 0;
}
