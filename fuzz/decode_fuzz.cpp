// Fuzz target: one navigation command through decode_command and format_command_line.
//
// Input: the 8 command bytes, then optionally a 32-bit big-endian list number and a 24-bit
// file offset for the listing line. Checks the line's invariants: one line that ends in
// exactly one newline, printable text that fits its buffer, a flag of 0 or 1, the same text
// whatever command came before and whether or not the fields are asked for, and a listing
// line that is the number, the offset, the raw bytes and that same text.
#include "decoder/decoder.h"
#include "fuzz_support.h"
#include "ifo/ifo_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void check_decoded_text(const char *text, int flag, const uint8_t *command) {
  if (flag != 0 && flag != 1)
    fuzz::fail("flag %d for %02X%02X", flag, command[0], command[1]);
  const size_t length = strnlen(text, kDecodedTextSize);
  if (length == kDecodedTextSize)
    fuzz::fail("decoded text is not terminated within %u bytes", kDecodedTextSize);
  if (length == 0 || text[length - 1] != '\n')
    fuzz::fail("decoded text does not end in a newline: \"%s\"", text);
  for (size_t i = 0; i + 1 < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7E)
      fuzz::fail("decoded text byte %zu is 0x%02X: \"%s\"", i, c, text);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < kCommandSize)
    return 0;
  const uint8_t *command = data;
  const unsigned number =
      size >= 12 ? unsigned(data[8]) << 24 | unsigned(data[9]) << 16 | data[10] << 8 | data[11] : 1;
  // The last place where a whole command fits in ifo_buffer, whose offsets the line prints in
  // six hexadecimal digits.
  constexpr unsigned kLastOffset = kIfoBufferSize - kCommandSize;
  const unsigned offset =
      std::min(size >= 15 ? unsigned(data[12]) << 16 | data[13] << 8 | data[14] : 0, kLastOffset);

  // Exactly sized heap buffers: a write past the end is caught by AddressSanitizer.
  const auto text = std::make_unique<char[]>(kDecodedTextSize);
  const int flag = decode_command(command, text.get());
  check_decoded_text(text.get(), flag, command);
  CommandInfo info;
  const auto with_info = std::make_unique<char[]>(kDecodedTextSize);
  if (decode_command_info(command, with_info.get(), &info) != std::strlen(text.get()) ||
      std::strcmp(text.get(), with_info.get()) != 0 || info.questionable != (flag == 1))
    fuzz::fail("decode_command_info differs from decode_command: \"%s\"", with_info.get());

  // Decoding never depends on what came before: decode a command that fills every working
  // text, then this one again.
  static constexpr uint8_t kBusyCommand[kCommandSize] = {0x56, 0xF7, 0xFF, 0xFF,
                                                         0xFF, 0xFF, 0xFD, 0x05};
  const auto again = std::make_unique<char[]>(kDecodedTextSize);
  decode_command(kBusyCommand, again.get());
  if (decode_command(command, again.get()) != flag || std::strcmp(text.get(), again.get()) != 0)
    fuzz::fail("decoding depends on the previous command: \"%s\" then \"%s\"", text.get(),
               again.get());

  // The listing line, with the command at its offset in the control file buffer.
  uint8_t *at = ifo_buffer + offset;
  std::memcpy(at, command, kCommandSize);
  const auto line = std::make_unique<char[]>(kListingLineSize);
  if (format_command_line(at, line.get(), number, ifo_buffer) != flag)
    fuzz::fail("format_command_line flag differs from decode_command");
  char expected[kListingLineSize];
  std::snprintf(expected, sizeof expected, "%03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s",
                number, offset, command[0], command[1], command[2], command[3], command[4],
                command[5], command[6], command[7], text.get());
  if (std::strcmp(line.get(), expected) != 0)
    fuzz::fail("listing line \"%s\", expected \"%s\"", line.get(), expected);
  return 0;
}
