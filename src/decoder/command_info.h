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
  friend bool operator==(const Target &, const Target &) = default;
};

struct CommandInfo {
  // The instruction as one word: "Nop", "Goto", "Break", "SetTmpPML",
  // "LinkTopCell".."LinkRSM", "LinkPGCN", "LinkPTTN", "LinkPGN", "LinkCN",
  // "Exit", "JumpTT", "JumpVTS_TT", "JumpVTS_PTT", "JumpSS", "CallSS",
  // "SetSTN", "SetNVTMR", "SetGPRMMD", "SetAMXMD", "SetHL_BTNN", "Set",
  // "Cmp", "SetC", "CSetC", "CmpSet", or "???" for an undefined command.
  const char *operation = "???";
  Condition condition;
  Target target;
  bool questionable = false;
};
