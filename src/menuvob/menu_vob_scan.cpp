// SPDX-License-Identifier: MIT
// The -V dump: scans menu VOB files for NAV packs and reports their button commands.
#include "menuvob/menu_vob_scan.h"

#include "common/report.h"
#include "common/report_layout.h"
#include "ifo/ifo_dump.h"
#include "ifo/ifo_layout.h"
#include "menuvob/cell_start_index.h"
#include "platform/console.h"
#include "platform/disc_file.h"

#include <cstring>

alignas(64) uint8_t menu_ifo_buffer[kMenuIfoBufferSize];
ButtonRecord button_records[kButtonRecordCapacity];
int32_t button_record_count = 0;

namespace {

constexpr size_t kPackSize = kSectorSize;
constexpr size_t kSystemHeaderStart = 14;
constexpr size_t kButtonCount = 158; // BTN_NS, PCI byte 0x71
static_assert(kFirstButtonCommand + kButtonEntrySize * (kMaxButtonsInPack - 1) + kCommandSize <=
                  kPackSize &&
              kFirstButtonCommand + kButtonEntrySize * kMaxButtonsInPack + kCommandSize >
                  kPackSize);

int32_t group_start = -1; // first record of the last kept group, -1: none
uint32_t pack_counter = 0;

bool is_nav_pack(const uint8_t *pack) {
  static constexpr uint8_t kPackStart[4] = {0x00, 0x00, 0x01, 0xBA};
  static constexpr uint8_t kSystemHeader[4] = {0x00, 0x00, 0x01, 0xBB};
  return std::memcmp(pack, kPackStart, 4) == 0 &&
         std::memcmp(pack + kSystemHeaderStart, kSystemHeader, 4) == 0;
}

// Stages the buttons of one NAV pack behind the kept records, then either
// folds them into the last kept group or keeps them as a new group.
void capture_buttons(const uint8_t *pack, uint32_t pack_number) {
  const unsigned buttons = pack[kButtonCount];
  if (buttons == 0 || buttons > kMaxButtonsInPack)
    return;
  // Staging happens in the free tail, so a pack that does not fit is
  // dropped even when it would only have been folded.
  if (button_record_count + static_cast<int32_t>(buttons) > kButtonRecordCapacity)
    return;
  ButtonRecord *staged = button_records + button_record_count;
  for (unsigned i = 0; i < buttons; ++i) {
    staged[i].pack_number = pack_number;
    staged[i].repeat_count = 1;
    std::memcpy(staged[i].command.b, pack + kFirstButtonCommand + kButtonEntrySize * i,
                kCommandSize);
  }
  if (group_start >= 0 && button_record_count - group_start == static_cast<int32_t>(buttons)) {
    ButtonRecord *group = button_records + group_start;
    bool same = true;
    for (unsigned i = 0; i < buttons && same; ++i)
      same = std::memcmp(group[i].command.b, staged[i].command.b, kCommandSize) == 0;
    if (same) {
      ++group->repeat_count;
      return;
    }
  }
  group_start = button_record_count;
  button_record_count += static_cast<int32_t>(buttons);
}

// Opens, reads and closes one control file into menu_ifo_buffer.
bool load_menu_ifo(const char *name, IfoImage *image) {
  return load_control_file(name, menu_ifo_buffer, kMenuIfoBufferSize, image) == LoadResult::kLoaded;
}

// One IFO/VOB pair; false when it was skipped.
bool dump_menu_vob_pair(const char *ifo_name, const char *vob_name, const char *header,
                        uint64_t sector_field) {
  IfoImage image{};
  if (!load_menu_ifo(ifo_name, &image))
    return false;
  DiscFile *vob = open_disc_file(vob_name);
  if (vob == nullptr)
    return false;
  print_file_separator();
  console_write_text(header);
  const uint32_t sector = get_be32(image.bytes + sector_field);
  build_cell_start_index(table_sector_absent(sector) ? 0 : sector_offset(sector), image);
  scan_menu_vob(vob);
  close_disc_file(vob);
  return true;
}

} // namespace

void begin_button_collection() {
  group_start = -1;
  button_record_count = 0;
  std::memset(button_records, 0, sizeof button_records);
  pack_counter = 0;
}

void collect_packs(const uint8_t *packs, size_t pack_count) {
  for (size_t p = 0; p < pack_count; ++p, ++pack_counter) {
    const uint8_t *pack = packs + kPackSize * p;
    if (is_nav_pack(pack))
      capture_buttons(pack, pack_counter);
  }
}

int print_button_report() {
  if (button_record_count == 0) {
    console_write_text("  ----\n");
    return 0;
  }
  console_write_text("\n");
  int result = 0;
  unsigned button = 0;
  int32_t first_of_group = 0;
  char line[kListingLineSize];
  for (int32_t r = 0; r < button_record_count; ++r) {
    const ButtonRecord &record = button_records[r];
    if (r == 0 || record.pack_number != button_records[r - 1].pack_number) {
      button = 0;
      first_of_group = r;
      if (const CellStartEntry *cell = find_cell_start(record.pack_number))
        console_printf("Used by (Language_%02u, PGC_%03u, Cell_%u)\n",
                       static_cast<unsigned>(cell->lu_index) + 1,
                       static_cast<unsigned>(cell->pgc_index) + 1,
                       static_cast<unsigned>(cell->cell_index) + 1);
    }
    // "  %04u[PK_%06X]:[%02X%02X %02X%02X %02X%02X %02X%02X]  %s"
    TextCursor out{line};
    out.put("  ");
    out.put_decimal(++button, 4);
    out.put("[PK_");
    out.put_hex(record.pack_number, 6);
    out.put("]:");
    put_command_bytes(out, record.command.b);
    out.put("  ");
    CommandInfo info;
    out.at += decode_command_info(record.command.b, out.at, &info);
    result |= info.questionable ? 1 : 0;
    console_write(line, static_cast<size_t>(out.at - line));
    const bool last_of_group =
        r + 1 == button_record_count || button_records[r + 1].pack_number != record.pack_number;
    if (!last_of_group)
      continue;
    const uint32_t repeats = button_records[first_of_group].repeat_count;
    if (repeats >= 2)
      console_printf("  Repeat: %u\n", repeats);
    else
      console_write_text("\n");
  }
  return result;
}

void collect_menu_vob(DiscFile *vob) {
  begin_button_collection();
  for (;;) {
    const size_t got = read_disc_file(vob, ifo_buffer, kIfoBufferSize);
    collect_packs(ifo_buffer, got / kPackSize);
    if (got < kIfoBufferSize)
      break;
  }
}

int scan_menu_vob(DiscFile *vob) {
  collect_menu_vob(vob);
  return print_button_report();
}

int dump_menu_vobs(const char *path) {
  char ifo_name[kFileNameSize];
  char vob_name[kFileNameSize];
  char header[64];
  unsigned scanned = 0;
  std::snprintf(ifo_name, sizeof ifo_name, "%sVIDEO_TS.IFO", path);
  std::snprintf(vob_name, sizeof vob_name, "%sVIDEO_TS.VOB", path);
  if (dump_menu_vob_pair(ifo_name, vob_name, "<VIDEO_TS.VOB Button Information>\n",
                         kVmgiMenuTableSector))
    ++scanned;
  for (unsigned n = 1; n <= kMaxTitleSets; ++n) {
    std::snprintf(ifo_name, sizeof ifo_name, "%sVTS_%02u_0.IFO", path, n);
    std::snprintf(vob_name, sizeof vob_name, "%sVTS_%02u_0.VOB", path, n);
    std::snprintf(header, sizeof header, "<VTS_%02u_0.VOB Button Information>\n", n);
    if (dump_menu_vob_pair(ifo_name, vob_name, header, kVtsiMenuTableSector))
      ++scanned;
  }
  if (scanned == 0)
    report_input_message("*.VOB(menu) is not found.\n");
  return 0;
}
