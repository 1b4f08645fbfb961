// SPDX-License-Identifier: MIT
// The three command lists of one program chain, with the cells that use each cell command.
#include "ifo/pgc_commands.h"

#include "common/report.h"
#include "common/text_cursor.h"
#include "ifo/ifo_layout.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

char listing_line_buffer[kListingLineSize];

namespace {

constexpr const char *kListIndent = "    ";

struct CommandTable {
  uint64_t first_command; // byte offset of pre-command 1
  unsigned pre_count;
  unsigned post_count;
  unsigned cell_count;
};

void list_empty() {
  console_write_text("    ----\n");
}

// Replaces the newline that ends the listing line at `end` by
// "  (Used by Cell=1,3)\n" when cells use cell command `number`; returns the
// new end.
char *append_cell_usage(const CellTable &cells, unsigned number, char *end) {
  if (number >= kCellCommandNumbers || cells.first[number] == cells.first[number + 1])
    return end;
  TextCursor out{end - 1};
  out.put("  (Used by Cell=");
  const unsigned first = cells.first[number];
  const unsigned count = cells.first[number + 1] - first;
  for (unsigned k = 0; k < count && k < kMaxListedCells; ++k) {
    if (k != 0)
      out.put(',');
    out.put_decimal(cells.cells_by_command[first + k]);
  }
  if (count >= kMaxListedCells)
    out.put(",...");
  out.put(")\n");
  return out.at;
}

// Prints commands [first, first + count) of the table as one numbered list,
// then the marker at the first command that does not fit. Returns how many
// were printed.
unsigned list_commands(const IfoImage &image, const CommandTable &table, unsigned first,
                       unsigned count, const char *list_name, const CellTable *cells) {
  if (count == 0) {
    list_empty();
    return 0;
  }
  for (unsigned i = 0; i < count; ++i) {
    const uint64_t command = table.first_command + uint64_t(kCommandSize) * (first + i);
    if (!image_holds(image, command, kCommandSize)) {
      char what[48];
      std::snprintf(what, sizeof what, "%s command %03u", list_name, i + 1);
      report_out_of_range(kListIndent, what, command);
      return i;
    }
    // The indent, the line and the cross-reference are laid out in one
    // buffer: at most 4 + 300 + 160 characters.
    std::memcpy(listing_line_buffer, kListIndent, 4);
    char *end = listing_line_buffer + 4 +
                write_command_line(image.bytes + command, listing_line_buffer + 4, i + 1,
                                   image.bytes, nullptr);
    if (cells != nullptr)
      end = append_cell_usage(*cells, i + 1, end);
    console_write(listing_line_buffer, static_cast<size_t>(end - listing_line_buffer));
  }
  return count;
}

} // namespace

// A counting sort: one pass over the cells, however many commands there are.
void read_cell_table(const IfoImage &image, uint64_t pgc, CellTable *cells) {
  cells->start = pgc + get_be16(image.bytes + pgc + kPgcCellTable);
  cells->cells = image.bytes[pgc + kPgcCellCount];
  cells->readable_cells = entries_inside(image, cells->start, cells->cells, kCellEntrySize);

  const auto command_of = [&](unsigned j) {
    return image.bytes[cells->start + kCellEntrySize * j + kCellCommandNumber];
  };
  uint16_t *first = cells->first;
  std::memset(first, 0, sizeof cells->first);
  for (unsigned j = 0; j < cells->readable_cells; ++j)
    ++first[command_of(j) + 1];
  for (unsigned n = 1; n <= kCellCommandNumbers; ++n)
    first[n] += first[n - 1];
  uint16_t next[kCellCommandNumbers];
  std::memcpy(next, first, sizeof next);
  for (unsigned j = 0; j < cells->readable_cells; ++j)
    cells->cells_by_command[next[command_of(j)]++] = static_cast<uint8_t>(j + 1);
}

bool pgc_fits(const IfoImage &image, uint64_t pgc) {
  return image_holds(image, pgc, kPgcFixedSize);
}

int dump_pgc_commands(uint64_t pgc, const IfoImage &image) {
  if (!pgc_fits(image, pgc))
    return 1;
  const unsigned table_start = get_be16(image.bytes + pgc + kPgcCommandTable);
  // A start of 0 is how discs say that a chain has no commands at all.
  if (table_start == 0) {
    console_write_text("  <Pre Command>\n");
    list_empty();
    console_write_text("  <Post Command>\n");
    list_empty();
    console_write_text("  <Cell Command>\n");
    list_empty();
    return 0;
  }
  const uint64_t table_offset = pgc + table_start;
  if (!image_holds(image, table_offset, kTableHeaderSize)) {
    for (const char *header : {"  <Pre Command>\n", "  <Post Command>\n", "  <Cell Command>\n"}) {
      console_write_text(header);
      report_out_of_range(kListIndent, "command table", table_offset);
    }
    return 0;
  }
  const uint8_t *header = image.bytes + table_offset;
  const CommandTable table{table_offset + kTableHeaderSize, get_be16(header), get_be16(header + 2),
                           get_be16(header + 4)};

  console_write_text("  <Pre Command>\n");
  list_commands(image, table, 0, table.pre_count, "pre", nullptr);
  console_write_text("  <Post Command>\n");
  list_commands(image, table, table.pre_count, table.post_count, "post", nullptr);
  console_write_text("  <Cell Command>\n");
  if (table.cell_count == 0) {
    list_empty();
    return 0;
  }
  CellTable cells;
  read_cell_table(image, pgc, &cells);
  const unsigned listed = list_commands(image, table, table.pre_count + table.post_count,
                                        table.cell_count, "cell", &cells);
  // The cross-references above are incomplete when the cell table is cut.
  if (listed > 0 && cells.readable_cells < cells.cells) {
    char what[32];
    std::snprintf(what, sizeof what, "cell %u", cells.readable_cells + 1);
    report_out_of_range(kListIndent, what, cells.start + kCellEntrySize * cells.readable_cells);
  }
  return 0;
}
