// SPDX-License-Identifier: MIT
// The three command lists of one program chain, with the cells that use each cell command.
#include "ifo/pgc_commands.h"

#include "common/report.h"
#include "ifo/ifo_layout.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

char listing_line_buffer[kListingLineSize];

namespace {

constexpr unsigned kCellUsageSize = 512;
// The cross-reference names at most this many cells, then "...".
constexpr unsigned kMaxListedCells = 33;

constexpr const char *kListIndent = "    ";

struct CommandTable {
  uint64_t first_command; // byte offset of pre-command 1
  unsigned pre_count;
  unsigned post_count;
  unsigned cell_count;
};

// The cell playback table, cut to the entries that lie inside the image.
struct CellTable {
  uint64_t start;
  unsigned cells;          // cells the chain claims
  unsigned readable_cells; // of those, the ones whose entry was read
};

void list_empty() {
  console_write_text("    ----\n");
}

// Appends the cells whose cell command number is `number` to the listing
// line already printed in listing_line_buffer, and prints it.
void print_with_cell_usage(const IfoImage &image, const CellTable &cells, unsigned number) {
  char cell_usage_text[kCellUsageSize];
  std::strcpy(cell_usage_text, "Used by Cell=");
  size_t usage_length = std::strlen(cell_usage_text);
  unsigned matches = 0;
  for (unsigned j = 0; j < cells.readable_cells; ++j) {
    const uint64_t entry = cells.start + kCellEntrySize * j;
    if (image.bytes[entry + kCellCommandNumber] != number)
      continue;
    usage_length +=
        std::snprintf(cell_usage_text + usage_length, kCellUsageSize - usage_length, "%u,", j + 1);
    if (++matches == kMaxListedCells) {
      std::strcpy(cell_usage_text + usage_length, "...");
      usage_length += 3;
      break;
    }
  }
  if (matches == 0) {
    console_write_text(listing_line_buffer);
    return;
  }
  size_t line_length = std::strlen(listing_line_buffer);
  if (line_length > 0 && listing_line_buffer[line_length - 1] == '\n')
    --line_length;
  if (cell_usage_text[usage_length - 1] == ',')
    --usage_length;
  console_write(listing_line_buffer, line_length);
  console_write("  (", 3);
  console_write(cell_usage_text, usage_length);
  console_write(")\n", 2);
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
    console_write(kListIndent, 4);
    format_command_line(image.bytes + command, listing_line_buffer, i + 1, image.bytes);
    if (cells == nullptr)
      console_write_text(listing_line_buffer);
    else
      print_with_cell_usage(image, *cells, i + 1);
  }
  return count;
}

CellTable read_cell_table(const IfoImage &image, uint64_t pgc) {
  CellTable cells{};
  cells.start = pgc + get_be16(image.bytes + pgc + kPgcCellTable);
  cells.cells = image.bytes[pgc + kPgcCellCount];
  while (cells.readable_cells < cells.cells &&
         image_holds(image, cells.start + kCellEntrySize * cells.readable_cells, kCellEntrySize))
    ++cells.readable_cells;
  return cells;
}

} // namespace

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
  const CellTable cells = read_cell_table(image, pgc);
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
