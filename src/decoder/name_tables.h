// The operand name tables of the navigation commands.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace name_tables_detail {

constexpr std::array<std::string_view, 256> make_register_names() {
  constexpr std::string_view general[16] = {"Reg0",  "Reg1",  "Reg2",  "Reg3", "Reg4",  "Reg5",
                                            "Reg6",  "Reg7",  "Reg8",  "Reg9", "Reg10", "Reg11",
                                            "Reg12", "Reg13", "Reg14", "Reg15"};
  constexpr std::string_view system[24] = {"Sprm0:Player Menu",
                                           "Sprm1:Audio No.",
                                           "Sprm2:Subpicture No.",
                                           "Sprm3:Angle No.",
                                           "Sprm4:Title No.",
                                           "Sprm5:Title No. in VTS",
                                           "Sprm6:PGC No.",
                                           "Sprm7:Chapter No.",
                                           "Sprm8:HL_BN No.",
                                           "Sprm9:NAVI Timer",
                                           "Sprm10:NAVI PGC No.",
                                           "Sprm11:Audio Mix",
                                           "Sprm12:Player Parental Country",
                                           "Sprm13:Player Parental Level",
                                           "Sprm14:Player Video",
                                           "Sprm15:Player Audio",
                                           "Sprm16:Audio Language",
                                           "Sprm17:Audio Language ext",
                                           "Sprm18:Subpicture Language",
                                           "Sprm19:Subpicture Language ext",
                                           "Sprm20:Player Region",
                                           "Sprm21:Reserve",
                                           "Sprm22:Reserve",
                                           "Sprm23:Reserve"};
  std::array<std::string_view, 256> names{};
  for (size_t i = 0; i < names.size(); ++i)
    names[i] = "Reg?";
  for (size_t i = 0; i < 16; ++i)
    names[i] = general[i];
  for (size_t i = 0; i < 24; ++i)
    names[0x80 + i] = system[i];
  return names;
}

constexpr std::array<std::string_view, 64> make_menu_names() {
  std::array<std::string_view, 64> names{};
  for (size_t i = 0; i < names.size(); ++i)
    names[i] = "?";
  names[2] = "Title";
  names[3] = "Root";
  names[4] = "Subpicture";
  names[5] = "Audio";
  names[6] = "Angle";
  names[7] = "Chapter";
  return names;
}

} // namespace name_tables_detail

// Indexed by a whole operand byte: general parameters 0-15, system
// parameters 0x80-0x97, "Reg?" for the rest.
inline constexpr std::array<std::string_view, 256> register_names =
    name_tables_detail::make_register_names();

// Indexed by compare_op (b1 bits 6-4).
inline constexpr std::array<std::string_view, 8> compare_op_names = {
    "none", "&", "=", "!=", ">=", ">", "<=", "<"};

// Indexed by set_op (b0 bits 3-0).
inline constexpr std::array<std::string_view, 16> set_op_names = {
    "none", "=",  "<->", "+=", "-=",    "*=",    "/=",    "%=",
    "rnd",  "&=", "|=",  "^=", "op???", "op???", "op???", "op???"};

// Indexed by a link code, clamped to 31.
inline constexpr std::array<std::string_view, 32> link_names = {
    "LinkNOP",      "LinkTopCell", "LinkNextCell", "LinkPrevCell", "Link???",     "LinkTopPG",
    "LinkNextPG",   "LinkPrevPG",  "Link???",      "LinkTopPGC",   "LinkNextPGC", "LinkPrevPGC",
    "LinkGroupPGC", "LinkTailPGC", "Link???",      "Link???",      "LinkRSM",     "Link???",
    "Link???",      "Link???",     "Link???",      "Link???",      "Link???",     "Link???",
    "Link???",      "Link???",     "Link???",      "Link???",      "Link???",     "Link???",
    "Link???",      "Link???"};

// Indexed by b5 & 0x3F of JumpSS and CallSS.
inline constexpr std::array<std::string_view, 64> menu_names =
    name_tables_detail::make_menu_names();

static_assert(register_names[0x97] == "Sprm23:Reserve" && register_names[255] == "Reg?");
static_assert(link_names[16] == "LinkRSM" && menu_names[7] == "Chapter");
