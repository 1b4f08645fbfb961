// SPDX-License-Identifier: MIT
// The navigation command decoder: every command type, the immediate operands and the listing line.
#include "decoder/decoder.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

struct Row {
  const char *bytes; // b0 to b7 in hexadecimal
  const char *text;  // the whole decoded text, newline included
  int flag;
};

struct Decoded {
  std::string text;
  int flag;
};

Decoded decode(const fixture::Command &command) {
  char text[kDecodedTextSize];
  const int flag = decode_command(command.data(), text);
  return {text, flag};
}

// Each row is decoded right after commands that fill every shared decoder
// text (condition, body, link tail, button suffix, both immediates), so a
// text left over from an earlier command shows up as a difference.
void expect_rows(std::initializer_list<Row> rows) {
  const char *primers[] = {"46 06 00 00 00 01 0C 03", "00 A1 00 81 65 6E 00 03",
                           "D1 A1 0C 00 08 00 00 05"};
  for (const Row &row : rows) {
    for (const char *primer : primers)
      decode(fixture::cmd(primer));
    const Decoded got = decode(fixture::cmd(row.bytes));
    EXPECT_EQ(got.text, row.text) << row.bytes;
    EXPECT_EQ(got.flag, row.flag) << row.bytes;
  }
}

TEST(DecodeSpecial, Type0) {
  expect_rows({
      {"00 00 00 00 00 00 00 00", "Nop\n", 0},
      {"00 01 00 00 00 00 00 05", "Goto line:5\n", 0},
      {"00 02 00 00 00 00 00 00", "Break\n", 0},
      {"00 31 00 01 00 02 00 00", "if (Reg1 != Reg2) then Goto line:0\n", 0},
      {"00 A1 00 81 00 01 00 03", "if (Sprm1:Audio No. = #1) then Goto line:3\n", 0},
      {"00 72 00 97 00 20 00 00", "if (Sprm23:Reserve < Reg?) then Break\n", 0},
      {"00 C2 00 90 65 6E 00 00", "if (Sprm16:Audio Language >= #25966:\"en\") then Break\n", 0},
      {"00 03 00 00 00 00 F7 0A", "SetTmpPML lvl:7, line:10\n", 0},
      {"00 04 00 00 00 00 00 00", "???\n", 1},
      {"00 34 00 01 00 02 00 00", "???\n", 1},
  });
}

TEST(DecodeLink, Type1Link) {
  expect_rows({
      {"20 00 00 00 00 00 00 00", "Nop\n", 0},
      {"20 01 00 00 00 00 00 01", "LinkTopCell\n", 0},
      {"20 01 00 00 00 00 04 01", "LinkTopCell\n", 0},
      {"20 01 00 00 00 00 00 10", "LinkRSM\n", 0},
      {"20 01 00 00 00 00 00 20", "Link???\n", 1},
      {"20 21 00 01 00 02 00 04", "if (Reg1 = Reg2) then Link???\n", 1},
      {"20 02 00 00 00 00 00 00", "???\n", 1},
      {"20 22 00 01 00 02 00 00", "???\n", 1},
      {"20 04 00 00 00 00 01 02", "LinkPGCN pgcn:258\n", 0},
      {"20 05 00 00 00 00 0C 03", "LinkPTTN pttn:3, HL_BN=3\n", 0},
      {"20 05 00 00 00 00 01 03", "LinkPTTN pttn:3\n", 0},
      {"20 A6 00 90 08 00 00 02",
       "if (Sprm16:Audio Language = #2048:(2*1024)) then LinkPGN pgn:2\n", 0},
      {"20 07 00 00 00 00 FF FF", "LinkCN cn:255, HL_BN=63\n", 0},
  });
}

TEST(DecodeJump, Type1Jump) {
  expect_rows({
      {"30 00 00 00 00 00 00 00", "Nop\n", 0},
      {"30 01 00 00 00 00 00 00", "Exit\n", 0},
      {"30 02 00 00 00 03 00 00", "JumpTT ttn:3\n", 0},
      {"30 05 00 07 00 02 00 00", "JumpVTS_PTT ttn:2 pttn:7\n", 0},
      // Jumps always compare two registers, b6 and b7, whatever b1 bit 7 says.
      {"30 22 00 00 00 01 00 81", "if (Reg0 = Sprm1:Audio No.) then JumpTT ttn:1\n", 0},
      {"30 A2 00 00 00 01 00 81", "if (Reg0 = Sprm1:Audio No.) then JumpTT ttn:1\n", 0},
      {"30 06 00 00 00 00 00 00", "JumpSS FP\n", 0},
      {"30 06 00 00 00 3F 00 00", "JumpSS FP\n", 0},
      {"30 06 00 00 00 43 00 00", "JumpSS VMGM menu:Root\n", 0},
      {"30 06 00 00 00 48 00 00", "JumpSS VMGM menu:?\n", 0},
      {"30 06 00 02 01 87 00 00", "JumpSS VTSM vts:1, ttn:2, menu:Chapter\n", 0},
      {"30 06 00 05 00 C0 00 00", "JumpSS VMGM pgcn:5\n", 0},
      {"30 08 00 00 00 00 00 00", "CallSS FP\n", 0},
      {"30 08 00 00 02 00 00 00", "CallSS FP, rsm_cell=2\n", 0},
      {"30 08 00 00 FF 45 00 00", "CallSS VMGM menu:Audio, rsm_cell=255\n", 0},
      {"30 08 00 00 01 83 00 00", "CallSS VTSM menu:Root, rsm_cell=1\n", 0},
      {"30 08 01 02 03 C4 00 00", "CallSS VMGM pgcn:258, rsm_cell=3\n", 0},
      {"30 37 00 00 00 00 01 02", "???\n", 1},
  });
}

TEST(DecodeSetSystem, Type2) {
  expect_rows({
      {"51 00 00 88 C5 81 00 00", "SetSTN Audio=#8 Subpicture=#5(Display) Angle=#1\n", 0},
      {"51 00 00 00 85 00 00 00", "SetSTN  Subpicture=#5(Not Display) \n", 0},
      {"51 00 00 00 BF 00 00 00", "SetSTN  Subpicture=#63(Not Display) \n", 0},
      {"51 00 00 00 C0 00 00 00", "SetSTN  Subpicture=#0(Display) \n", 0},
      {"41 00 00 81 00 00 00 00", "SetSTN Audio=Reg1  \n", 0},
      {"41 00 00 81 C2 8F 00 00", "SetSTN Audio=Reg1 Subpicture=Reg2 Angle=Reg15\n", 0},
      {"41 01 00 00 00 00 00 40", "SetSTN   , Link???\n", 1},
      {"42 00 00 8A 00 03 00 00", "SetNVTMR timer:Sprm10:NAVI PGC No., pgcn:3\n", 0},
      {"52 00 01 2C 00 05 00 00", "SetNVTMR timer:#300, pgcn:5\n", 0},
      {"52 00 08 00 00 01 00 00", "SetNVTMR timer:#2048, pgcn:1\n", 0},
      {"43 00 00 05 00 83 00 00", "SetGPRMMD SPRM[Reg3]=Reg5 [COUNTER]\n", 0},
      {"53 00 08 00 00 0F 00 00", "SetGPRMMD SPRM[Reg15]=#2048:(2*1024)\n", 0},
      {"53 00 00 05 00 F3 00 00", "SetGPRMMD SPRM[Reg3]=#5 [COUNTER]\n", 0},
      {"44 00 00 00 00 1A 00 00", "SetAMXMD Reg10\n", 0},
      {"54 00 00 00 00 11 00 00", "SetAMXMD #17\n", 0},
      {"54 00 00 00 08 00 00 00", "SetAMXMD #2048\n", 0},
      {"56 00 00 00 0C 00 00 00", "SetHL_BTNN #3072:(3*1024)\n", 0},
      {"46 06 00 00 00 01 0C 03", "SetHL_BTNN Reg1, LinkPGN pgn:3, HL_BN=3\n", 0},
      {"46 01 00 00 00 02 04 09", "SetHL_BTNN Reg2, LinkTopPGC\n", 0},
      {"46 01 00 00 00 02 00 0E", "SetHL_BTNN Reg2, Link???\n", 1},
      {"46 02 00 00 00 02 01 02", "SetHL_BTNN Reg2\n", 0},
      {"46 36 00 00 00 01 02 03", "if (Reg2 != Reg3) then SetHL_BTNN Reg1\n", 0},
      {"46 B6 00 00 00 01 02 03", "if (Reg2 != Reg3) then SetHL_BTNN Reg1\n", 0},
      {"50 24 00 00 00 00 01 02", "if (Reg1 = Reg2) then Nop\n", 0},
      {"50 04 00 00 00 00 01 2C", "Nop, LinkPGCN pgcn:300\n", 0},
      {"45 36 00 00 00 00 02 03", "???\n", 1},
  });
}

TEST(DecodeSet, Type3) {
  expect_rows({
      {"61 00 00 02 00 87 00 00", "Set Reg2 = Sprm7:Chapter No.\n", 0},
      {"71 00 00 02 00 0A 00 00", "Set Reg2 = #10\n", 0},
      {"61 00 00 1F 00 1F 00 00", "Set Reg15 = Reg?\n", 0},
      {"67 00 00 01 00 02 00 00", "Set Reg1 %= Reg2\n", 0},
      {"63 A0 01 00 00 05 00 10", "if (Reg1 = #16) then Set Reg0 += Reg5\n", 0},
      {"73 A0 01 00 00 05 00 10", "if (Reg1 = #16) then Set Reg0 += #5\n", 0},
      {"71 B0 90 02 00 00 65 6E",
       "if (Sprm16:Audio Language != #25966:\"en\") then Set Reg2 = #0\n", 0},
      {"61 31 04 01 00 02 00 05", "if (Reg4 != Reg5) then Set Reg1 = Reg2\n", 0},
      {"60 30 05 00 00 00 00 06", "if (Reg5 != Reg6) then Nop\n", 0},
      {"61 01 00 01 00 02 00 05", "Set Reg1 = Reg2, LinkTopPG\n", 0},
      {"61 01 00 01 00 02 00 04", "Set Reg1 = Reg2, Link???\n", 1},
      {"6C 00 00 01 00 02 00 00", "Set Reg1 op??? Reg2\n", 1},
      {"6C 01 00 01 00 02 00 05", "Set Reg1 op??? Reg2, LinkTopPG\n", 1},
      {"60 04 00 00 00 00 01 2C", "Nop, LinkPGCN pgcn:300\n", 0},
  });
}

TEST(DecodeCompound, Types4To6) {
  expect_rows({
      {"80 00 00 00 00 00 00 00", "Nop\n", 0},
      {"A0 00 00 00 00 00 0C 06", "LinkNextPG, HL_BN=3\n", 0},
      {"80 00 00 00 00 00 00 FF", "Link???\n", 1},
      {"81 02 00 05 00 00 00 00", "Set Reg2 = Reg5\n", 0},
      {"91 02 00 64 00 00 00 00", "Set Reg2 = #100\n", 0},
      {"81 0F 00 93 00 00 00 00", "Set Reg15 = Sprm19:Subpicture Language ext\n", 0},
      {"C3 02 00 05 00 00 04 0B", "Set Reg2 += Reg5, LinkPrevPGC, HL_BN=1\n", 0},
      {"8C 00 00 00 00 00 00 00", "Set Reg0 op??? Reg0\n", 1},
      {"CC 02 00 05 00 00 00 01", "Set Reg2 op??? Reg5, LinkTopCell\n", 1},
      {"80 A3 00 00 00 05 00 00", "Cmp Reg3 = #5, LinkNOP\n", 0},
      {"90 A3 FF FF 00 05 00 00", "Cmp Reg3 = #5, LinkNOP\n", 0},
      {"80 13 00 00 00 05 00 04", "Cmp Reg3 & Reg5, Link???\n", 1},
      {"80 2F 00 00 00 20 FC 01", "Cmp Reg15 = Reg?, LinkTopCell, HL_BN=63\n", 0},
      {"81 21 00 02 00 03 00 00", "SetC (Reg1 = Reg2) = Reg3, LinkNOP\n", 0},
      {"81 21 00 02 00 03 00 01", "SetC (Reg1 = Reg2) = Reg3, LinkTopCell\n", 0},
      {"91 F1 00 0A 00 14 00 02", "SetC (Reg1 = #10) < #20, LinkNextCell\n", 0},
      {"A1 21 00 02 00 03 00 00", "CmpSet (Reg1 = Reg3) = Reg2\n", 0},
      {"C1 21 00 02 00 03 00 00", "CmpSet (Reg1 = Reg3) = Reg2\n", 0},
      {"A1 21 00 02 00 03 08 09", "CSetC (Reg1 = Reg3) = Reg2, LinkTopPGC, HL_BN=2\n", 0},
      {"C1 21 00 02 00 03 08 09", "CmpSet (Reg1 = Reg3) = Reg2, LinkTopPGC, HL_BN=2\n", 0},
      {"C1 21 00 02 00 03 00 20", "CmpSet (Reg1 = Reg3) = Reg2, Link???\n", 1},
      {"B1 F1 00 0A 00 14 00 00", "CmpSet (Reg1 < #20) = #10\n", 0},
      {"D1 A1 0C 00 08 00 00 05", "CmpSet (Reg1 = #2048:(2*1024)) = #3072:(3*1024), LinkTopPG\n",
       0},
  });
}

// Every link position clamps b7 to 31 and names the same codes.
TEST(DecodeCommand, LinkCodeSweep) {
  const std::map<unsigned, std::string> defined = {
      {0, "LinkNOP"},      {1, "LinkTopCell"},  {2, "LinkNextCell"},  {3, "LinkPrevCell"},
      {5, "LinkTopPG"},    {6, "LinkNextPG"},   {7, "LinkPrevPG"},    {9, "LinkTopPGC"},
      {10, "LinkNextPGC"}, {11, "LinkPrevPGC"}, {12, "LinkGroupPGC"}, {13, "LinkTailPGC"},
      {16, "LinkRSM"},
  };
  for (unsigned b7 = 0; b7 < 256; ++b7) {
    const auto found = defined.find(b7);
    const std::string name = found == defined.end() ? "Link???" : found->second;
    const int flag = found == defined.end() ? 1 : 0;
    struct Position {
      uint8_t b0, b1;
      std::string text;
    };
    const Position positions[] = {
        {0x20, 0x01, name + "\n"},           // link instruction
        {0x40, 0x01, "Nop, " + name + "\n"}, // set-system link tail
        {0x60, 0x01, "Nop, " + name + "\n"}, // set link tail
        {0x80, 0x00, b7 == 0 ? "Nop\n" : name + "\n"},
    };
    for (const Position &p : positions) {
      const fixture::Command command{p.b0, p.b1, 0, 0, 0, 0, 0, static_cast<uint8_t>(b7)};
      const Decoded got = decode(command);
      EXPECT_EQ(got.text, p.text) << "b0 " << unsigned(p.b0) << " b7 " << b7;
      EXPECT_EQ(got.flag, flag) << "b0 " << unsigned(p.b0) << " b7 " << b7;
    }
  }
}

// The instructions that the command tables leave undefined.
bool undefined_instruction(unsigned b0, unsigned b1) {
  const unsigned set_op = b0 & 15;
  const unsigned branch_op = b1 & 15;
  switch (b0 >> 5) {
  case 0:
    return branch_op >= 4;
  case 1:
    if ((b0 & 0x10) == 0)
      return branch_op == 2 || branch_op == 3 || branch_op >= 8;
    return branch_op == 4 || branch_op == 7 || branch_op >= 9;
  case 2:
    return set_op == 5 || set_op >= 7;
  case 7:
    return true;
  default:
    return false;
  }
}

TEST(DecodeCommand, EveryCommandWordGivesOneLine) {
  const uint8_t operands[][6] = {
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
      {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}, {0x81, 0x97, 0xC5, 0xBF, 0xFC, 0x20},
      {0x65, 0x6E, 0xFC, 0x00, 0x65, 0x6E}, {0x0C, 0x00, 0x08, 0x00, 0xFE, 0x04},
  };
  constexpr size_t kGuard = 64;
  for (unsigned word = 0; word < 0x10000; ++word) {
    const unsigned b0 = word >> 8;
    const unsigned b1 = word & 0xFF;
    for (const auto &op : operands) {
      const uint8_t command[8] = {uint8_t(b0), uint8_t(b1), op[0], op[1],
                                  op[2],       op[3],       op[4], op[5]};
      char text[kDecodedTextSize + kGuard];
      std::memset(text, 'Z', sizeof text);
      const int flag = decode_command(command, text);
      const size_t length = strnlen(text, kDecodedTextSize);
      SCOPED_TRACE(testing::Message()
                   << std::hex << "b0 " << b0 << " b1 " << b1 << " b2 " << unsigned(op[0]));
      ASSERT_LT(length, kDecodedTextSize);
      ASSERT_GT(length, 1u);
      for (size_t i = kDecodedTextSize; i < sizeof text; ++i)
        ASSERT_EQ(text[i], 'Z');
      const std::string got(text, length);
      ASSERT_EQ(got.find('\n'), length - 1) << got;
      ASSERT_TRUE(flag == 0 || flag == 1) << flag;
      if (undefined_instruction(b0, b1)) {
        ASSERT_EQ(got, "???\n");
        ASSERT_EQ(flag, 1);
      } else {
        ASSERT_NE(got, "???\n");
        // A defined instruction is questionable exactly when it prints an
        // undefined operator or link code.
        ASSERT_EQ(flag, got.find("???") != std::string::npos ? 1 : 0) << got;
      }
    }
  }
}

TEST(Formatters, Immediate) {
  const std::pair<unsigned, const char *> rows[] = {{0, "#0"},
                                                    {1024, "#1024"},
                                                    {2048, "#2048:(2*1024)"},
                                                    {2049, "#2049"},
                                                    {64512, "#64512:(63*1024)"},
                                                    {65535, "#65535"},
                                                    {0x656E, "#25966:\"en\""},
                                                    {0x617A, "#24954:\"az\""},
                                                    {0x7A61, "#31329:\"za\""},
                                                    {0x617B, "#24955"},
                                                    {0x607A, "#24698"},
                                                    {0x6100, "#24832"}};
  for (const auto &[value, text] : rows) {
    EXPECT_STREQ(format_immediate(value), text) << value;
    EXPECT_STREQ(format_immediate_second(value), text) << value;
  }
}

TEST(ListingLine, NumberOffsetBytesAndText) {
  std::vector<uint8_t> image(0x1000020);
  for (const auto &[at, hex] : {std::pair{0xABCDE8, "D1 A1 0C 00 08 00 00 05"},
                                std::pair{0x100, "00 04 00 00 00 00 00 00"}}) {
    const fixture::Command command = fixture::cmd(hex);
    std::copy(command.begin(), command.end(), &image[at]);
  }
  const struct {
    size_t at;
    unsigned number;
    const char *line;
    int flag; // from the decoding
  } rows[] = {
      {0x10EC, 1, "001[0010EC]:[0000 0000 0000 0000]  Nop\n", 0},
      {0, 7, "007[000000]:[0000 0000 0000 0000]  Nop\n", 0},
      {8, 1000, "1000[000008]:[0000 0000 0000 0000]  Nop\n", 0},
      {0xABCDE8, 42,
       "042[ABCDE8]:[D1A1 0C00 0800 0005]  CmpSet (Reg1 = #2048:(2*1024)) = #3072:(3*1024), "
       "LinkTopPG\n",
       0},
      {0x100, 2, "002[000100]:[0004 0000 0000 0000]  ???\n", 1},
      // Only the low 24 bits of the offset are printed.
      {0x1000010, 3, "003[000010]:[0000 0000 0000 0000]  Nop\n", 0},
  };
  char line[kListingLineSize];
  for (const auto &row : rows) {
    EXPECT_EQ(format_command_line(&image[row.at], line, row.number, image.data()), row.flag);
    EXPECT_STREQ(line, row.line);
  }
}

} // namespace
