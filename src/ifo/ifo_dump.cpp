// SPDX-License-Identifier: MIT
// The -I dump: loads the control files one at a time and prints the title table and first play.
#include "ifo/ifo_dump.h"

#include "common/report.h"
#include "common/report_layout.h"
#include "ifo/ifo_layout.h"
#include "ifo/pgc_commands.h"
#include "ifo/pgc_tables.h"
#include "platform/console.h"
#include "platform/disc_file.h"

#include <cstdio>

alignas(64) uint8_t ifo_buffer[kIfoBufferSize];

LoadResult load_control_file(const char *name, uint8_t *buffer, size_t capacity, IfoImage *image,
                             bool *failed) {
  DiscFile *file = open_disc_file(name);
  if (file == nullptr)
    return LoadResult::kNotFound;
  const size_t size = read_disc_file(file, buffer, capacity);
  if (failed != nullptr)
    *failed = disc_file_failed(file);
  close_disc_file(file);
  *image = IfoImage{buffer, size};
  return size < kMinControlFileSize ? LoadResult::kTooShort : LoadResult::kLoaded;
}

int dump_title_table(const IfoImage &image) {
  print_file_separator();
  console_write_text("<Title Information>\n");
  // A start sector of 0 would read the file's own header as a title table.
  const uint32_t sector = get_be32(image.bytes + kVmgiTitleTableSector);
  if (sector == 0) {
    console_write_text("----\n");
    return 0;
  }
  const uint64_t table = sector_offset(sector);
  if (!image_holds(image, table, kTableHeaderSize)) {
    report_out_of_range("  ", "title table", table);
    return 0;
  }
  const unsigned count = get_be16(image.bytes + table);
  for (unsigned i = 0; i < count; ++i) {
    const uint64_t entry = table + kTableHeaderSize + kTitleEntrySize * i;
    if (!image_holds(image, entry, kTitleEntrySize)) {
      char what[32];
      std::snprintf(what, sizeof what, "title %02u", i + 1);
      report_out_of_range("  ", what, entry);
      break;
    }
    const uint8_t *e = image.bytes + entry;
    console_printf("  Title%02u: [VTS:%2u  Title in VTS:%2u  Angles:%2u  Chapters:%2u]\n", i + 1,
                   e[6], e[7], e[1], get_be16(e + 2));
  }
  return 0;
}

int dump_first_play(const IfoImage &image) {
  print_section_separator();
  console_write_text("<First Play>\n");
  const uint32_t pgc = get_be32(image.bytes + kVmgiFirstPlayPgc);
  if (pgc == 0) {
    console_write_text("----\n");
    return 0;
  }
  if (!pgc_fits(image, pgc)) {
    report_out_of_range("", "first play PGC", pgc);
    return 0;
  }
  return dump_pgc_commands(pgc, image);
}

int dump_ifo_files(const char *path) {
  char name[kFileNameSize];
  IfoImage image{};
  std::snprintf(name, sizeof name, "%sVIDEO_TS.IFO", path);
  switch (load_control_file(name, ifo_buffer, kIfoBufferSize, &image)) {
  case LoadResult::kNotFound:
    report_file_not_found(name);
    return 1;
  case LoadResult::kTooShort:
    report_invalid_format(name);
    return 1;
  case LoadResult::kLoaded:
    break;
  }
  dump_title_table(image);
  dump_first_play(image);
  dump_vmg_menus(image);

  for (unsigned n = 1; n <= kMaxTitleSets; ++n) {
    std::snprintf(name, sizeof name, "%sVTS_%02u_0.IFO", path, n);
    switch (load_control_file(name, ifo_buffer, kIfoBufferSize, &image)) {
    case LoadResult::kNotFound:
      // Only a missing first title set is worth a message; a gap later
      // simply ends the disc.
      if (n == 1)
        report_file_not_found(name);
      return 0;
    case LoadResult::kTooShort:
      report_invalid_format(name);
      return 1;
    case LoadResult::kLoaded:
      break;
    }
    dump_vts(image, n - 1);
  }
  return 0;
}
