// SPDX-License-Identifier: MIT
// What one navigation command does, as data: filled by the same decoding that writes its text.
#pragma once

#include <cstdint>

// A register or an immediate operand. A register is the byte that indexes
// register_names: 0..15 general registers, 0x80 | n system parameter n.
enum class OperandKind : uint8_t { kNone, kRegister, kImmediate };

struct Operand {
  OperandKind kind = OperandKind::kNone;
  uint16_t value = 0;
  friend bool operator==(const Operand &, const Operand &) = default;
};

// "if (left op right) then", or the comparison of a Cmp/SetC/CSetC/CmpSet
// compound command. `compare_op` indexes compare_op_names (1..7).
struct Condition {
  bool present = false;
  Operand left;
  uint8_t compare_op = 0;
  Operand right;
  friend bool operator==(const Condition &, const Condition &) = default;
};

// Where a command sends the player, as stored in the command.
enum class TargetKind : uint8_t {
  kNone,        // the command does not transfer control
  kGotoLine,    // line: Goto, and SetTmpPML when the player accepts the level
  kBreak,       // leaves the command list
  kExit,        // stops playback
  kLinkSimple,  // LinkTopCell .. LinkTailPGC by link_code (not LinkNOP/LinkRSM)
  kResume,      // LinkRSM: back to where the last CallSS came from
  kLinkPGCN,    // pgcn, within the current domain
  kLinkPTTN,    // chapter of the current title, button
  kLinkPGN,     // program of the current chain, button
  kLinkCN,      // cell of the current chain, button
  kJumpTT,      // title (whole-disc title number)
  kJumpVTS_TT,  // title within the current title set
  kJumpVTS_PTT, // title within the current title set, chapter
  kJumpSS,      // domain (first play, VMGM menu, VTSM menu, VMGM pgcn)
  kCallSS,      // like kJumpSS, with resume_cell
};

// The system space a JumpSS or CallSS names: b5 bits 7-6.
enum class SystemSpace : uint8_t { kFirstPlay, kVmgmMenu, kVtsmMenu, kVmgmPgcn };

struct Target {
  TargetKind kind = TargetKind::kNone;
  SystemSpace space = SystemSpace::kFirstPlay; // kJumpSS and kCallSS only
  uint8_t link_code = 0;   // kLinkSimple, kResume and the link forms of compound commands
  uint8_t menu = 0;        // menu type (menu_names index): kVmgmMenu/kVtsmMenu spaces
  uint8_t title_set = 0;   // JumpSS VTSM vts:
  uint8_t title = 0;       // JumpTT, JumpVTS_TT, JumpVTS_PTT, JumpSS VTSM ttn:
  uint16_t chapter = 0;    // LinkPTTN, JumpVTS_PTT
  uint16_t pgcn = 0;       // LinkPGCN, JumpSS/CallSS VMGM pgcn:
  uint8_t program = 0;     // LinkPGN
  uint8_t cell = 0;        // LinkCN
  uint8_t button = 0;      // HL_BN of the link forms, 0: none
  uint8_t resume_cell = 0; // CallSS rsm_cell
  uint8_t line = 0;        // Goto line:, SetTmpPML line:
  uint8_t level = 0;       // SetTmpPML lvl:
  friend bool operator==(const Target &, const Target &) = default;
};

// A Set: the general register it writes (0..15), its operator (set_op_names
// index 1..11) and its source.
struct Assignment {
  bool present = false;
  uint8_t destination = 0;
  uint8_t op = 0;
  Operand source;
  friend bool operator==(const Assignment &, const Assignment &) = default;
};

// The system settings of command type 2.
enum class SystemSetKind : uint8_t {
  kNone,
  kStreams,      // SetSTN: audio, subpicture and angle, each when its flag is set
  kNavTimer,     // SetNVTMR: value seconds, then the title chain pgcn
  kRegisterMode, // SetGPRMMD: general register `reg` to value, counter mode or not
  kAudioMix,     // SetAMXMD: value
  kHighlight,    // SetHL_BTNN: value is the button number shifted left by 10
};

struct SystemSet {
  SystemSetKind kind = SystemSetKind::kNone;
  Operand value;
  uint16_t pgcn = 0; // kNavTimer
  uint8_t reg = 0;   // kRegisterMode
  bool counter = false;
  // kStreams: which streams are set, and to what. An immediate subpicture
  // stream carries its display flag in bit 6, as system register 2 does.
  bool audio_set = false, subpicture_set = false, angle_set = false;
  Operand audio, subpicture, angle;
  friend bool operator==(const SystemSet &, const SystemSet &) = default;
};

// How the parts of a command combine: which of them its condition gates.
enum class Gating : uint8_t {
  kAll,               // the condition gates the set and the transfer (types 0 to 3)
  kSetThenCompare,    // type 4: set, then compare the result; the compare gates the link
  kCompareAll,        // type 5: the compare gates the set and the link
  kCompareSetLinkAll, // type 6: the compare gates the set; the link is always taken
};

struct CommandInfo {
  // The instruction as one word: "Nop", "Goto", "Break", "SetTmpPML",
  // "LinkTopCell".."LinkRSM", "LinkPGCN", "LinkPTTN", "LinkPGN", "LinkCN",
  // "Exit", "JumpTT", "JumpVTS_TT", "JumpVTS_PTT", "JumpSS", "CallSS",
  // "SetSTN", "SetNVTMR", "SetGPRMMD", "SetAMXMD", "SetHL_BTNN", "Set",
  // "Cmp", "SetC", "CSetC", "CmpSet", or "???" for an undefined command.
  const char *operation = "???";
  Condition condition;
  Assignment assign;
  SystemSet system;
  Gating gating = Gating::kAll;
  Target target;
  bool questionable = false;
};
