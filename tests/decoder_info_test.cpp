// SPDX-License-Identifier: MIT
// The command's fields from the decoder: operation, condition and target of every kind.
#include "decoder/decoder.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

Operand reg(unsigned index) {
  return {OperandKind::kRegister, static_cast<uint16_t>(index)};
}
Operand imm(unsigned value) {
  return {OperandKind::kImmediate, static_cast<uint16_t>(value)};
}
Condition cond(Operand left, uint8_t compare_op, Operand right) {
  return {true, left, compare_op, right};
}

struct Row {
  const char *bytes;
  const char *operation;
  Condition condition;
  Target target;
  bool questionable = false;
};

using K = TargetKind;
using S = SystemSpace;

TEST(DecoderInfo, OperationConditionAndTarget) {
  // clang-format off
  const Row rows[] = {
      {"00 00 00 00 00 00 00 00", "Nop", {}, {}},
      {"00 A1 00 81 00 01 00 03", "Goto", cond(reg(0x81), 2, imm(1)), {.kind = K::kGotoLine, .line = 3}},
      {"00 02 00 00 00 00 00 00", "Break", {}, {.kind = K::kBreak}},
      {"00 03 00 00 00 00 F7 0A", "SetTmpPML", {}, {.kind = K::kGotoLine, .line = 10, .level = 7}},
      {"00 34 00 01 00 02 00 00", "???", {}, {}, true},
      {"20 01 00 00 00 00 04 01", "LinkTopCell", {}, {.kind = K::kLinkSimple, .link_code = 1}},
      {"20 01 00 00 00 00 00 10", "LinkRSM", {}, {.kind = K::kResume, .link_code = 16}},
      {"20 01 00 00 00 00 00 00", "LinkNOP", {}, {}},
      {"20 01 00 00 00 00 00 20", "Link???", {}, {}, true},
      {"20 04 00 00 00 00 01 02", "LinkPGCN", {}, {.kind = K::kLinkPGCN, .pgcn = 258}},
      {"20 05 00 00 00 00 0C 03", "LinkPTTN", {}, {.kind = K::kLinkPTTN, .chapter = 3, .button = 3}},
      {"20 A6 00 90 08 00 00 02", "LinkPGN", cond(reg(0x90), 2, imm(0x800)), {.kind = K::kLinkPGN, .program = 2}},
      {"20 07 00 00 00 00 04 09", "LinkCN", {}, {.kind = K::kLinkCN, .cell = 9, .button = 1}},
      {"30 01 00 00 00 00 00 00", "Exit", {}, {.kind = K::kExit}},
      {"30 A2 00 00 00 01 00 81", "JumpTT", cond(reg(0), 2, reg(0x81)), {.kind = K::kJumpTT, .title = 1}},
      {"30 03 00 00 00 05 00 00", "JumpVTS_TT", {}, {.kind = K::kJumpVTS_TT, .title = 5}},
      {"30 05 00 03 00 02 00 00", "JumpVTS_PTT", {}, {.kind = K::kJumpVTS_PTT, .title = 2, .chapter = 3}},
      {"30 06 00 00 00 00 00 00", "JumpSS", {}, {.kind = K::kJumpSS, .space = S::kFirstPlay}},
      {"30 06 00 00 00 43 00 00", "JumpSS", {}, {.kind = K::kJumpSS, .space = S::kVmgmMenu, .menu = 3}},
      {"30 06 00 02 01 87 00 00", "JumpSS", {}, {.kind = K::kJumpSS, .space = S::kVtsmMenu, .menu = 7, .title_set = 1, .title = 2}},
      {"30 06 00 05 00 C0 00 00", "JumpSS", {}, {.kind = K::kJumpSS, .space = S::kVmgmPgcn, .pgcn = 5}},
      {"30 08 00 00 02 00 00 00", "CallSS", {}, {.kind = K::kCallSS, .space = S::kFirstPlay, .resume_cell = 2}},
      {"30 08 00 00 01 83 00 00", "CallSS", {}, {.kind = K::kCallSS, .space = S::kVtsmMenu, .menu = 3, .resume_cell = 1}},
      {"30 08 01 02 03 C4 00 00", "CallSS", {}, {.kind = K::kCallSS, .space = S::kVmgmPgcn, .pgcn = 258, .resume_cell = 3}},
      {"46 06 00 00 00 01 0C 03", "SetHL_BTNN", {}, {.kind = K::kLinkPGN, .program = 3, .button = 3}},
      {"46 36 00 00 00 01 02 03", "SetHL_BTNN", cond(reg(2), 3, reg(3)), {}},
      {"51 01 00 88 C5 81 00 0D", "SetSTN", {}, {.kind = K::kLinkSimple, .link_code = 13}},
      {"45 36 00 00 00 00 02 03", "???", {}, {}, true},
      {"61 01 00 01 00 02 00 05", "Set", {}, {.kind = K::kLinkSimple, .link_code = 5}},
      {"6C 01 00 01 00 02 00 05", "Set", {}, {.kind = K::kLinkSimple, .link_code = 5}, true},
      {"60 04 00 00 00 00 01 2C", "Nop", {}, {.kind = K::kLinkPGCN, .pgcn = 300}},
      {"63 A0 01 00 00 05 00 10", "Set", cond(reg(1), 2, imm(16)), {}},
      {"E0 01 00 00 00 00 00 01", "???", {}, {}, true},
      // Compound commands: the comparison is the condition, the link the target.
      {"80 00 00 00 00 00 00 00", "Nop", {}, {}},
      {"A0 00 00 00 00 00 0C 06", "LinkNextPG", {}, {.kind = K::kLinkSimple, .link_code = 6, .button = 3}},
      {"A0 00 00 00 00 00 00 10", "LinkRSM", {}, {.kind = K::kResume, .link_code = 16}},
      {"C3 02 00 05 00 00 04 0B", "Set", {}, {.kind = K::kLinkSimple, .link_code = 11, .button = 1}},
      {"80 A3 00 00 00 05 00 00", "Cmp", cond(reg(3), 2, imm(5)), {}},
      {"80 13 00 00 00 05 00 04", "Cmp", cond(reg(3), 1, reg(5)), {}, true},
      {"91 F1 00 0A 00 14 00 02", "SetC", cond(reg(1), 7, imm(20)), {.kind = K::kLinkSimple, .link_code = 2}},
      {"B1 F1 00 0A 00 14 00 00", "CmpSet", cond(reg(1), 7, imm(20)), {}},
      {"A1 21 00 02 00 03 08 09", "CSetC", cond(reg(1), 2, reg(3)), {.kind = K::kLinkSimple, .link_code = 9, .button = 2}},
      {"C1 21 00 02 00 03 08 09", "CmpSet", cond(reg(1), 2, reg(3)), {.kind = K::kLinkSimple, .link_code = 9, .button = 2}},
  };
  // clang-format on
  for (const Row &row : rows) {
    SCOPED_TRACE(row.bytes);
    const fixture::Command command = fixture::cmds(row.bytes)[0];
    char text[kDecodedTextSize];
    CommandInfo info;
    const size_t length = decode_command_info(command.data(), text, &info);
    EXPECT_EQ(length, std::strlen(text));
    EXPECT_STREQ(info.operation, row.operation);
    EXPECT_EQ(info.condition, row.condition);
    EXPECT_EQ(info.target, row.target);
    EXPECT_EQ(info.questionable, row.questionable);
    // The operation is the instruction word that the text prints.
    const char *then = std::strstr(text, "then ");
    EXPECT_EQ(std::string(then != nullptr ? then + 5 : text).rfind(row.operation, 0), 0u) << text;
  }
}

SystemSet system(SystemSetKind kind, Operand value, uint16_t pgcn = 0, uint8_t reg = 0,
                 bool counter = false) {
  SystemSet set;
  set.kind = kind;
  set.value = value;
  set.pgcn = pgcn;
  set.reg = reg;
  set.counter = counter;
  return set;
}

// SetSTN: the streams set, an operand of kind kNone for one left alone.
SystemSet streams(Operand audio, Operand subpicture, Operand angle) {
  SystemSet set;
  set.kind = SystemSetKind::kStreams;
  set.audio_set = audio.kind != OperandKind::kNone;
  set.subpicture_set = subpicture.kind != OperandKind::kNone;
  set.angle_set = angle.kind != OperandKind::kNone;
  set.audio = audio;
  set.subpicture = subpicture;
  set.angle = angle;
  return set;
}

// What the player executes of the set forms: each Set's destination, operator and source,
// the system settings, and which parts a compound command's compare gates.
TEST(DecoderInfo, SetsAndSystemSettings) {
  using SK = SystemSetKind;
  const Operand none;
  const struct {
    const char *bytes;
    Assignment assign;
    SystemSet system;
    Gating gating;
  } rows[] = {
      {"71 00 00 02 00 05 00 00", {true, 2, 1, imm(5)}, {}, Gating::kAll},
      {"63 A0 01 0F 00 05 00 10", {true, 15, 3, reg(5)}, {}, Gating::kAll},
      {"60 00 00 00 00 05 00 00", {}, {}, Gating::kAll},
      {"91 F1 00 0A 00 14 00 02", {true, 1, 1, imm(10)}, {}, Gating::kSetThenCompare},
      {"A1 21 00 02 00 03 08 09", {true, 1, 1, reg(2)}, {}, Gating::kCompareAll},
      {"C3 02 00 05 00 00 04 0B", {true, 2, 3, reg(5)}, {}, Gating::kCompareSetLinkAll},
      {"51 00 00 88 C5 81 00 00", {}, streams(imm(8), imm(0x45), imm(1)), Gating::kAll},
      {"41 00 00 00 83 00 00 00", {}, streams(none, reg(3), none), Gating::kAll},
      {"52 00 01 2C 00 05 00 00", {}, system(SK::kNavTimer, imm(300), 5), Gating::kAll},
      {"42 00 00 8A 00 05 00 00", {}, system(SK::kNavTimer, reg(0x8A), 5), Gating::kAll},
      {"43 00 00 05 00 83 00 00", {}, system(SK::kRegisterMode, reg(5), 0, 3, true), Gating::kAll},
      {"53 00 08 00 00 0F 00 00", {}, system(SK::kRegisterMode, imm(0x800), 0, 15), Gating::kAll},
      {"54 00 00 00 00 11 00 00", {}, system(SK::kAudioMix, imm(0x11)), Gating::kAll},
      {"44 00 00 00 00 13 00 00", {}, system(SK::kAudioMix, reg(3)), Gating::kAll},
      {"56 00 00 00 0C 00 00 00", {}, system(SK::kHighlight, imm(0xC00)), Gating::kAll},
      {"46 00 00 00 00 01 00 00", {}, system(SK::kHighlight, reg(1)), Gating::kAll},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.bytes);
    char text[kDecodedTextSize];
    CommandInfo info;
    decode_command_info(fixture::cmds(row.bytes)[0].data(), text, &info);
    EXPECT_EQ(info.assign, row.assign);
    EXPECT_EQ(info.system, row.system);
    EXPECT_EQ(info.gating, row.gating);
  }
}

} // namespace
