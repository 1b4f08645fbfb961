// SPDX-License-Identifier: MIT
// The menu and title program chain tables of the -I dump.
#pragma once

#include "common/bytes.h"

int dump_vmg_menus(const IfoImage &image);
int dump_vts(const IfoImage &image, unsigned vts_index);

// Header texts of language units and program chains; each writes `out`
// whole (at least 64 characters).
void format_language_code(const uint8_t *code, char *out);
void format_vmg_menu_existence(unsigned flags, char *out);
void format_vts_menu_existence(unsigned flags, char *out);
void format_menu_entry(unsigned category, char *out);
void format_title_entry(unsigned category, char *out);

// The menus that a title set's language unit says it has, by their bits in
// its menu existence flags, in the order the report names them.
struct MenuExistenceFlag {
  unsigned bit;
  const char *name;
};
inline constexpr MenuExistenceFlag kVtsMenuExistence[] = {
    {0x80, "Root"}, {0x40, "Subpicture"}, {0x20, "Audio"}, {0x10, "Angle"}, {0x08, "Chapter"}};
