// SPDX-License-Identifier: MIT
// The text report of -I and -V: the walk of the disc as fixed-layout lines.
#include "output/text_report.h"

#include "common/text_cursor.h"
#include "decoder/decoder.h"
#include "ifo/ifo_layout.h"
#include "output/chain_names.h"
#include "platform/console.h"

#include <cstring>

using navigation::CommandList;
using navigation::Domain;
using navigation::ProblemLevel;
using navigation::Section;

namespace {

// The separators that open each file's part of the report (equals signs)
// and each further section of the same file (hyphens).
void print_file_separator() {
  console_write_text(
      "\n==============================================================================\n");
}

void print_section_separator() {
  console_write_text(
      "\n------------------------------------------------------------------------------\n");
}

void print_absent() {
  console_write_text("----\n");
}

// ", Menu Existence=Root,Audio" from a language unit's existence flags.
void put_existence(TextCursor &out, Domain domain, unsigned flags) {
  out.put(", Menu Existence=");
  if (domain == Domain::kVmgm) {
    out.put((flags & 0x80) ? "Title" : "----");
    return;
  }
  if ((flags & 0xF8) == 0) {
    out.put("----");
    return;
  }
  const char *separator = "";
  for (const MenuExistenceFlag &menu : kVtsMenuExistence)
    if (flags & menu.bit) {
      out.put(separator);
      out.put(menu.name);
      separator = ",";
    }
}

} // namespace

void TextReport::problem(const navigation::Problem &problem) {
  switch (problem.level) {
  case ProblemLevel::kFile:
  case ProblemLevel::kTable:
    break;
  case ProblemLevel::kTitle:
    console_write_text("  ");
    break;
  case ProblemLevel::kChain:
    console_write_text("\n");
    break;
  case ProblemLevel::kCommand:
    console_write_text("    ");
    break;
  }
  console_write(problem.message.data(), problem.message.size());
  console_write_text("\n");
}

void TextReport::begin_control_file(const navigation::ControlFile &file) {
  title_set_ = file.title_set;
  if (file.title_set == 0)
    return;
  print_file_separator();
  console_printf("<VTS_%02u Program Chain>\n", file.title_set);
}

void TextReport::begin_section(const navigation::SectionInfo &section) {
  switch (section.section) {
  case Section::kTitleTable:
    print_file_separator();
    console_write_text("<Title Information>\n");
    break;
  case Section::kFirstPlay:
    print_section_separator();
    console_write_text("<First Play>\n");
    break;
  case Section::kVmgmMenus:
    print_section_separator();
    console_write_text("<VMG Menu Program Chain>\n");
    break;
  case Section::kVtsTitles:
    break;
  case Section::kVtsMenus:
    print_section_separator();
    console_printf("<VTS_%02u Menu Program Chain>\n", title_set_);
    break;
  }
  if (!section.present)
    print_absent();
}

void TextReport::title(const navigation::TitleEntry &entry) {
  console_printf("  Title%02u: [VTS:%2u  Title in VTS:%2u  Angles:%2u  Chapters:%2u]\n",
                 entry.number, entry.title_set, entry.title_in_set, entry.angles, entry.chapters);
}

void TextReport::begin_language_unit(const navigation::LanguageUnit &unit) {
  char language[3];
  format_language_code(unit.code, language);
  char line[128];
  TextCursor out{line};
  out.put("<Language_");
  out.put_decimal(unit.number, 2);
  out.put(":\"");
  out.put(language);
  out.put('"');
  put_existence(out, unit.domain, unit.existence);
  out.put(">\n");
  console_write(line, static_cast<size_t>(out.at - line));
}

void TextReport::begin_chain(const navigation::Chain &chain) {
  if (chain.ref.domain == Domain::kFirstPlay)
    return;
  char line[128];
  TextCursor out{line};
  out.put("\n<PGC_");
  out.put_decimal(chain.ref.pgcn, 3);
  out.put(", Programs:");
  out.put_decimal(chain.programs);
  out.put(", Cells:");
  out.put_decimal(chain.cells);
  if (chain.entry) {
    out.put(", Entry=");
    if (chain.ref.domain == Domain::kVtsTitle) {
      out.put("Title");
      out.put_decimal(chain.entry_id);
    } else {
      out.put(kEntryMenuNames[chain.entry_id & 0x0F]);
    }
  }
  out.put(">\n");
  console_write(line, static_cast<size_t>(out.at - line));
}

void TextReport::begin_command_list(const navigation::CommandListInfo &list) {
  static constexpr const char *kHeaders[] = {"  <Pre Command>\n", "  <Post Command>\n",
                                             "  <Cell Command>\n"};
  console_write_text(kHeaders[static_cast<int>(list.list)]);
  if (list.stated == 0 && !list.table_outside)
    console_write_text("    ----\n");
}

// "    %03u[%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  <text>", with
// "  (Used by Cell=1,3)" on a cell command that cells use; a button is
// "  %04u[PK_%06X]:..." instead. The line is laid out by hand: a report of
// a big disc is millions of them.
void TextReport::command(const navigation::Command &command) {
  TextCursor out{console_reserve(kListingLineSize)};
  if (command.list == CommandList::kButton) {
    out.put("  ");
    out.put_decimal(command.number, 4);
    out.put("[PK_");
    out.put_hex(pack_, 6);
    out.put("]:");
    put_command_bytes(out, command.bytes);
    out.put("  ");
  } else {
    out.put("    ");
    put_listing_prefix(out, command.number, static_cast<unsigned>(command.offset), command.bytes);
  }
  out.put(command.text);
  if (command.used_by_count > 0) {
    out.put("  (Used by Cell=");
    for (unsigned k = 0; k < command.used_by_count; ++k) {
      if (k != 0)
        out.put(',');
      out.put_decimal(command.used_by[k]);
    }
    if (command.used_by_cut)
      out.put(",...");
    out.put(')');
  }
  out.put('\n');
  console_commit(out.at);
}

void TextReport::begin_menu_vob(const navigation::MenuVob &vob) {
  print_file_separator();
  console_printf("<%s Button Information>\n", vob.name);
  groups_ = 0;
}

void TextReport::begin_button_group(const navigation::ButtonGroup &group) {
  if (groups_++ == 0)
    console_write_text("\n");
  if (group.used_by_known)
    console_printf("Used by (Language_%02u, PGC_%03u, Cell_%u)\n", group.chain.language_unit,
                   group.chain.pgcn, group.cell);
  pack_ = group.pack;
  repeat_ = group.repeat;
}

void TextReport::end_button_group() {
  if (repeat_ >= 2)
    console_printf("  Repeat: %u\n", repeat_);
  else
    console_write_text("\n");
}

void TextReport::end_menu_vob() {
  if (groups_ == 0)
    console_write_text("  ----\n");
}
