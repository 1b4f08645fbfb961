// SPDX-License-Identifier: MIT
// The navigation command decoder through its entry points: listing lines of every command form
// held against a golden file, and every command word against the rules of the format.
#include "decoder/decoder.h"
#include "fixture.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Commands as the listing prints their bytes, each type at the edges of its fields.
const char kCommands[] =
    // Type 0: Nop, Goto, Break, SetTmpPML, conditions on registers and immediates, undefined.
    "0000 0000 0000 0000  0001 0000 0000 0005  0002 0000 0000 0000  0031 0001 0002 0000"
    "00A1 0081 0001 0003  0072 0097 0020 0000  00C2 0090 656E 0000  0003 0000 0000 F70A"
    "0004 0000 0000 0000  0034 0001 0002 0000  000F 0000 0000 0000  E000 0000 0000 0000"
    "F000 0000 0000 0000"
    // Type 1 links: link codes, button numbers, undefined instructions.
    "2000 0000 0000 0000  2001 0000 0000 0001  2001 0000 0000 0401  2001 0000 0000 0010"
    "2001 0000 0000 0020  2021 0001 0002 0004  2002 0000 0000 0000  2022 0001 0002 0000"
    "2004 0000 0000 0102  2005 0000 0000 0C03  2005 0000 0000 0103  20A6 0090 0800 0002"
    "2007 0000 0000 FFFF  2003 0000 0000 0000  2008 0000 0000 0000"
    // Type 1 jumps and calls: every system space, menus in and out of the name table. Jumps
    // compare the registers b6 and b7 whatever b1 bit 7 says.
    "3000 0000 0000 0000  3001 0000 0000 0000  3002 0000 0003 0000  3005 0007 0002 0000"
    "3022 0000 0001 0081  30A2 0000 0001 0081  3006 0000 0000 0000  3006 0000 003F 0000"
    "3006 0000 0043 0000  3006 0000 0048 0000  3006 0002 0187 0000  3006 0005 00C0 0000"
    "3008 0000 0000 0000  3008 0000 0200 0000  3008 0000 FF45 0000  3008 0000 0183 0000"
    "3008 0102 03C4 0000  3037 0000 0000 0102  3003 0000 0009 0000  3008 0000 0040 0000"
    "3008 0000 0080 0000  3008 0304 00C0 0000  3004 0000 0000 0000  3009 0000 0000 0000"
    // Type 2: SetSTN pieces present only with bit 7 of their byte, the other set-system
    // instructions in both operand forms, link tails, conditions.
    "5100 0088 C581 0000  5100 0000 8500 0000  5100 0000 BF00 0000  5100 0000 C000 0000"
    "4100 0081 0000 0000  4100 0081 C28F 0000  4101 0000 0000 0040  4200 008A 0003 0000"
    "5200 012C 0005 0000  5200 0800 0001 0000  4300 0005 0083 0000  5300 0800 000F 0000"
    "5300 0005 00F3 0000  4400 0000 001A 0000  5400 0000 0011 0000  5400 0000 0800 0000"
    "5600 0000 0C00 0000  4606 0000 0001 0C03  4601 0000 0002 0409  4601 0000 0002 000E"
    "4602 0000 0002 0102  4636 0000 0001 0203  46B6 0000 0001 0203  5024 0000 0000 0102"
    "5004 0000 0000 012C  4536 0000 0000 0203  5100 0001 4101 0000  4100 0001 0101 0000"
    "4605 0000 0001 0807  4607 0000 0001 0409  4700 0000 0000 0000  4F00 0000 0000 0000"
    "4400 0000 0013 0000"
    // Type 3: set operators, sources, conditions and link tails.
    "6100 0002 0087 0000  7100 0002 000A 0000  6100 001F 001F 0000  6700 0001 0002 0000"
    "63A0 0100 0005 0010  73A0 0100 0005 0010  71B0 9002 0000 656E  6131 0401 0002 0005"
    "6030 0500 0000 0006  6101 0001 0002 0005  6101 0001 0002 0004  6C00 0001 0002 0000"
    "6C01 0001 0002 0005  6004 0000 0000 012C  6B00 0001 0002 0000"
    // Immediates: multiples of 1024 from 2048 up, language codes of two lower-case letters.
    "7100 0002 0000 0000  7100 0002 0400 0000  7100 0002 0800 0000  7100 0002 0801 0000"
    "7100 0002 FC00 0000  7100 0002 FFFF 0000  7100 0002 656E 0000  7100 0002 617A 0000"
    "7100 0002 7A61 0000  7100 0002 617B 0000  7100 0002 607A 0000  7100 0002 6100 0000"
    // Types 4 to 6: set, compare and link combined; two immediates in one line.
    "8000 0000 0000 0000  A000 0000 0000 0C06  8000 0000 0000 00FF  8102 0005 0000 0000"
    "9102 0064 0000 0000  810F 0093 0000 0000  C302 0005 0000 040B  8C00 0000 0000 0000"
    "CC02 0005 0000 0001  80A3 0000 0005 0000  90A3 FFFF 0005 0000  8013 0000 0005 0004"
    "802F 0000 0020 FC01  8121 0002 0003 0000  8121 0002 0003 0001  91F1 000A 0014 0002"
    "A121 0002 0003 0000  C121 0002 0003 0000  A121 0002 0003 0809  C121 0002 0003 0809"
    "C121 0002 0003 0020  B1F1 000A 0014 0000  D1A1 0C00 0800 0005  D1A1 656E 7A61 0000";

// Commands that fill every working text of the decoder (condition, body, link tail, button
// suffix, both immediates): each command is listed right after them, so that a text left
// over from an earlier command shows in the golden file.
const char kPrimers[] = "4606 0000 0001 0C03  00A1 0081 656E 0003  D1A1 0C00 0800 0005";

// Each command as its listing line with the flag in front. The commands lie from 0xFFFF00
// on, so that the printed offset wraps at 24 bits, and count from 990 to reach four digits.
// Then every link code up to 32, and 255, in each of the four places that hold one.
TEST(Decoder, ListingLinesOfEveryCommandForm) {
  std::vector<fixture::Command> commands = fixture::cmds(kCommands);
  for (const unsigned b7 :
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 30, 31, 32, 255})
    for (const uint8_t b0 : {0x20, 0x40, 0x60, 0x80})
      commands.push_back({b0, b0 != 0x80, 0, 0, 0, 0, 0, uint8_t(b7)});
  std::vector<uint8_t> image(0xFFFF00 + kCommandSize * commands.size());
  std::string report;
  char line[kListingLineSize], text[kDecodedTextSize];
  for (size_t i = 0; i < commands.size(); ++i) {
    for (const fixture::Command &primer : fixture::cmds(kPrimers))
      decode_command(primer.data(), text);
    uint8_t *command = &image[0xFFFF00 + kCommandSize * i];
    std::copy(commands[i].begin(), commands[i].end(), command);
    const int flag = format_command_line(command, line, 990 + static_cast<unsigned>(i), &image[0]);
    report += std::to_string(flag) + " " + line;
  }
  expect_golden(report, "decoder_listing.txt");
}

// Every command word with operands at the edges: one line ending in one newline, inside its
// buffer, and the flag set exactly when the line names something undefined.
TEST(Decoder, EveryCommandWordGivesOneLine) {
  const std::vector<fixture::Command> operands =
      fixture::cmds("0000 0000 0000 0000  0000 FFFF FFFF FFFF  0000 55AA 55AA 55AA"
                    "0000 8197 C5BF FC20  0000 656E FC00 656E  0000 0C00 0800 FE04");
  for (unsigned word = 0; word < 0x10000; ++word) {
    for (fixture::Command command : operands) {
      command[0] = static_cast<uint8_t>(word >> 8);
      command[1] = static_cast<uint8_t>(word);
      char text[kDecodedTextSize + 64];
      std::memset(text, 'Z', sizeof text);
      const int flag = decode_command(command.data(), text);
      const std::string got(text, strnlen(text, kDecodedTextSize));
      SCOPED_TRACE(testing::Message()
                   << std::hex << "word " << word << " b2 " << unsigned(command[2]) << ": " << got);
      ASSERT_EQ(std::string(text + kDecodedTextSize, 64), std::string(64, 'Z'));
      ASSERT_TRUE(got.size() > 1 && got.find('\n') == got.size() - 1);
      ASSERT_EQ(flag, got.find("???") != std::string::npos ? 1 : 0);
    }
  }
}

// The operand formatters on their own: the two immediate texts live side by side, and a
// button number is b6 bits 7-2.
TEST(Decoder, OperandFormatters) {
  const struct {
    unsigned value;
    const char *immediate;
  } immediates[] = {{0, "#0"},
                    {1024, "#1024"},
                    {2048, "#2048:(2*1024)"},
                    {2049, "#2049"},
                    {64512, "#64512:(63*1024)"},
                    {65535, "#65535"},
                    {0x656E, "#25966:\"en\""},
                    {0x617B, "#24955"},
                    {0x6100, "#24832"}};
  for (const auto &row : immediates) {
    const char *first = format_immediate(row.value);
    EXPECT_STREQ(format_immediate_second(0x7A61), "#31329:\"za\"");
    EXPECT_STREQ(first, row.immediate);
  }
  for (const auto &[byte, suffix] :
       {std::pair{0x03u, ""}, {0x04u, ", HL_BN=1"}, {0x07u, ", HL_BN=1"}, {0xFCu, ", HL_BN=63"}}) {
    char text[kDecodedTextSize];
    format_button_suffix(byte, text);
    EXPECT_STREQ(text, suffix);
  }
}

} // namespace
