// SPDX-License-Identifier: MIT
// The menu and title program chain tables of the -I dump, walked down to every program chain.
#include "ifo/pgc_tables.h"

#include "common/report.h"
#include "common/report_layout.h"
#include "ifo/ifo_layout.h"
#include "ifo/pgc_commands.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kHeaderTextSize = 64;

using ExistenceFormatter = void (*)(unsigned flags, char *out);
using EntryFormatter = void (*)(unsigned category, char *out);

// Prints the header and the command lists of program chain `number` (from 1)
// whose search pointer is at `pointer`; its start counts from `base`.
void dump_listed_pgc(const IfoImage &image, uint64_t base, uint64_t pointer, unsigned number,
                     EntryFormatter format_entry) {
  const uint64_t pgc = base + search_pointer_start(image, pointer);
  char what[32];
  if (!pgc_fits(image, pgc)) {
    console_write_text("\n");
    std::snprintf(what, sizeof what, "PGC %03u", number);
    report_out_of_range("", what, pgc);
    return;
  }
  char entry_text[kHeaderTextSize];
  format_entry(image.bytes[pointer], entry_text);
  const uint8_t *p = image.bytes + pgc;
  console_printf("\n<PGC_%03u, Programs:%u, Cells:%u%s>\n", number, p[kPgcProgramCount],
                 p[kPgcCellCount], entry_text);
  dump_pgc_commands(pgc, image);
}

// Walks a table of program chain search pointers (a language unit or a
// VTS_PGCIT) at `table`, whose header the caller has checked.
void dump_pgc_list(const IfoImage &image, uint64_t table, EntryFormatter format_entry) {
  const unsigned count = get_be16(image.bytes + table);
  for (unsigned k = 0; k < count; ++k) {
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * k;
    if (!image_holds(image, pointer, kSearchPointerSize)) {
      // Every later pointer lies further out: the list ends here.
      char what[32];
      std::snprintf(what, sizeof what, "PGC %03u", k + 1);
      console_write_text("\n");
      report_out_of_range("", what, pointer);
      return;
    }
    dump_listed_pgc(image, table, pointer, k + 1, format_entry);
  }
}

// Walks a menu PGCI_UT at `table`: its language units and their chains.
void dump_pgci_ut(const IfoImage &image, uint64_t table, ExistenceFormatter format_existence) {
  if (!image_holds(image, table, kTableHeaderSize)) {
    report_out_of_range("", "menu PGC table", table);
    return;
  }
  const unsigned count = get_be16(image.bytes + table);
  char what[32];
  for (unsigned i = 0; i < count; ++i) {
    std::snprintf(what, sizeof what, "language unit %02u", i + 1);
    const uint64_t pointer = table + kTableHeaderSize + kSearchPointerSize * i;
    if (!image_holds(image, pointer, kSearchPointerSize)) {
      report_out_of_range("", what, pointer);
      return;
    }
    char language[kHeaderTextSize];
    char existence[kHeaderTextSize];
    format_language_code(image.bytes + pointer, language);
    format_existence(image.bytes[pointer + 3], existence);
    console_printf("<Language_%02u:\"%s\"%s>\n", i + 1, language, existence);
    const uint64_t unit = table + search_pointer_start(image, pointer);
    if (!image_holds(image, unit, kTableHeaderSize)) {
      report_out_of_range("", what, unit);
      continue;
    }
    dump_pgc_list(image, unit, format_menu_entry);
  }
}

} // namespace

void format_language_code(const uint8_t *code, char *out) {
  const bool printable = code[0] >= 0x20 && code[0] <= 0x7E && code[1] >= 0x20 && code[1] <= 0x7E;
  out[0] = printable ? static_cast<char>(code[0]) : '?';
  out[1] = printable ? static_cast<char>(code[1]) : '?';
  out[2] = '\0';
}

void format_vmg_menu_existence(unsigned flags, char *out) {
  std::strcpy(out, (flags & 0x80) ? ", Menu Existence=Title" : ", Menu Existence=----");
}

void format_vts_menu_existence(unsigned flags, char *out) {
  if ((flags & 0xF8) == 0) {
    std::strcpy(out, ", Menu Existence=----");
    return;
  }
  std::strcpy(out, ", Menu Existence=");
  for (const MenuExistenceFlag &menu : kVtsMenuExistence)
    if (flags & menu.bit) {
      std::strcat(out, menu.name);
      std::strcat(out, ",");
    }
  out[std::strlen(out) - 1] = '\0'; // the last comma
}

void format_menu_entry(unsigned category, char *out) {
  if ((category & 0x80) == 0) {
    out[0] = '\0';
    return;
  }
  constexpr const char *kMenuTypes[16] = {
      "No menu",    "No menu",      "Title menu", "Root menu", "Subpicture menu", "Audio menu",
      "Angle menu", "Chapter menu", "No menu",    "No menu",   "No menu",         "No menu",
      "No menu",    "No menu",      "No menu",    "No menu"};
  std::snprintf(out, kHeaderTextSize, ", Entry=%s", kMenuTypes[category & 0x0F]);
}

void format_title_entry(unsigned category, char *out) {
  if ((category & 0x80) == 0) {
    out[0] = '\0';
    return;
  }
  std::snprintf(out, kHeaderTextSize, ", Entry=Title%u", category & 0x7F);
}

int dump_vmg_menus(const IfoImage &image) {
  print_section_separator();
  console_write_text("<VMG Menu Program Chain>\n");
  const uint32_t sector = get_be32(image.bytes + kVmgiMenuTableSector);
  if (table_sector_absent(sector)) {
    console_write_text("----\n");
    return 0;
  }
  dump_pgci_ut(image, sector_offset(sector), format_vmg_menu_existence);
  return 0;
}

int dump_vts(const IfoImage &image, unsigned vts_index) {
  print_file_separator();
  console_printf("<VTS_%02u Program Chain>\n", vts_index + 1);
  const uint32_t title_sector = get_be32(image.bytes + kVtsiTitlePgcTableSector);
  if (table_sector_absent(title_sector)) {
    console_write_text("----\n");
  } else {
    const uint64_t table = sector_offset(title_sector);
    if (image_holds(image, table, kTableHeaderSize))
      dump_pgc_list(image, table, format_title_entry);
    else
      report_out_of_range("", "title PGC table", table);
  }

  print_section_separator();
  console_printf("<VTS_%02u Menu Program Chain>\n", vts_index + 1);
  const uint32_t menu_sector = get_be32(image.bytes + kVtsiMenuTableSector);
  if (table_sector_absent(menu_sector)) {
    console_write_text("----\n");
    return 0;
  }
  dump_pgci_ut(image, sector_offset(menu_sector), format_vts_menu_existence);
  return 0;
}
