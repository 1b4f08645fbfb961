// SPDX-License-Identifier: MIT
// Fuzz target: the -V dump of one menu VOB file with the control file that indexes its cells.
//
// Input: the control file, then the VOB file, separated by kFileSeparator. The control file
// goes into menu_ifo_buffer (padded with zeros to the 4096 bytes the loader asks for) and the
// cell start index is built from its menu PGCI_UT, located by the video manager's field 0xC8
// when the file says DVDVIDEO-VMG and by the title set's field 0xD0 otherwise. The VOB's
// complete packs go into ifo_buffer, the scan's read chunk, and are collected in two chunks,
// then again in one: both must keep the same records, and so print the same report. Bytes past
// the control file and past the last complete pack are poisoned, and the report must be
// printable.
#include "fuzz_support.h"
#include "ifo/ifo_dump.h"
#include "ifo/ifo_layout.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"

#include <algorithm>
#include <cstring>

namespace {

// Collects the packs, `first_chunk` of them in a first call, and prints the report.
void scan(const uint8_t *packs, size_t count, size_t first_chunk) {
  begin_button_collection();
  collect_packs(packs, first_chunk);
  collect_packs(packs + kSectorSize * first_chunk, count - first_chunk);
  print_button_report();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static fuzz::BufferWindow ifo_window(menu_ifo_buffer, kMenuIfoBufferSize);
  static fuzz::BufferWindow vob_window(ifo_buffer, kIfoBufferSize);
  static ButtonRecord split_records[kButtonRecordCapacity];
  const std::vector<fuzz::FilePart> files = fuzz::split_files(data, size, 2);
  const fuzz::FilePart ifo = files[0];
  const fuzz::FilePart vob = files.size() > 1 ? files[1] : fuzz::FilePart{data, 0};
  if (ifo.size > kMenuIfoBufferSize || vob.size > kIfoBufferSize)
    return 0;
  fuzz::use_checked_sink();

  const size_t ifo_size = std::max<size_t>(ifo.size, kMinControlFileSize);
  const IfoImage image{ifo_window.load(ifo.data, ifo.size, ifo_size), ifo_size};
  const bool video_manager = std::memcmp(image.bytes, "DVDVIDEO-VMG", 12) == 0;
  const uint32_t sector =
      get_be32(image.bytes + (video_manager ? kVmgiMenuTableSector : kVtsiMenuTableSector));
  build_cell_start_index(table_sector_absent(sector) ? 0 : sector_offset(sector), image);

  const size_t count = vob.size / kSectorSize;
  const uint8_t *packs = vob_window.load(vob.data, count * kSectorSize, count * kSectorSize);
  scan(packs, count, count / 2);
  const int32_t split_count = button_record_count;
  std::memcpy(split_records, button_records, sizeof button_records);
  scan(packs, count, count);
  if (button_record_count != split_count ||
      std::memcmp(split_records, button_records, sizeof button_records) != 0)
    fuzz::fail("collecting in two chunks keeps other records than in one");
  return 0;
}
