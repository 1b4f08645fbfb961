// SPDX-License-Identifier: MIT
// Fuzz target: the -V dump of one menu VOB file with the control file that indexes its cells.
//
// Input: the control file, then the VOB file, separated by kFileSeparator. The control file
// goes into menu_ifo_buffer (padded with zeros to the 4096 bytes the loader asks for) and the
// cell start index is built from its menu PGCI_UT, located by the video manager's field 0xC8
// when the file says DVDVIDEO-VMG and by the title set's field 0xD0 otherwise. The VOB's
// complete packs go into ifo_buffer, the scan's read chunk, and are collected in two chunks;
// the report must equal the one collected in a single chunk. Bytes past the control file and
// past the last complete pack are poisoned, and the report must be printable.
#include "fuzz_support.h"
#include "ifo/ifo_dump.h"
#include "ifo/ifo_layout.h"
#include "menuvob/cell_start_index.h"
#include "menuvob/menu_vob_scan.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kPackSize = kSectorSize;
// The report of one VOB is at most 2000 button lines and as many cell lines.
constexpr size_t kOutputBudget = 1 << 20;

struct ScanJob {
  const uint8_t *packs;
  size_t pack_count;
  size_t first_chunk; // packs in the first collect_packs call
};

void scan(const void *context) {
  const ScanJob &job = *static_cast<const ScanJob *>(context);
  begin_button_collection();
  collect_packs(job.packs, job.first_chunk);
  collect_packs(job.packs + kPackSize * job.first_chunk, job.pack_count - job.first_chunk);
  if (button_record_count < 0 || button_record_count > kButtonRecordCapacity)
    fuzz::fail("%d button records", static_cast<int>(button_record_count));
  print_button_report();
}

void check_index() {
  if (cell_start_count < 0 || cell_start_count > kCellStartIndexSize)
    fuzz::fail("%d cell start entries", static_cast<int>(cell_start_count));
  for (int32_t i = 0; i < cell_start_count; ++i) {
    const CellStartEntry &e = cell_start_index[i];
    if (e.lu_index < 0 || e.lu_index > 0xFFFF || e.pgc_index < 0 || e.pgc_index > 0xFFFF ||
        e.cell_index < 0 || e.cell_index > 0xFF)
      fuzz::fail("cell start entry %d is (%d, %d, %d)", static_cast<int>(i),
                 static_cast<int>(e.lu_index), static_cast<int>(e.pgc_index),
                 static_cast<int>(e.cell_index));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static fuzz::BufferWindow ifo_window(menu_ifo_buffer, kMenuIfoBufferSize);
  static fuzz::BufferWindow vob_window(ifo_buffer, kIfoBufferSize);
  const std::vector<fuzz::FilePart> files = fuzz::split_files(data, size, 2);
  const fuzz::FilePart ifo = files[0];
  const fuzz::FilePart vob = files.size() > 1 ? files[1] : fuzz::FilePart{data, 0};
  if (ifo.size > kMenuIfoBufferSize || vob.size > kIfoBufferSize)
    return 0;

  const size_t ifo_size = std::max<size_t>(ifo.size, kMinControlFileSize);
  const IfoImage image{ifo_window.load(ifo.data, ifo.size, ifo_size), ifo_size};
  const bool video_manager = std::memcmp(image.bytes, "DVDVIDEO-VMG", 12) == 0;
  const uint32_t sector =
      get_be32(image.bytes + (video_manager ? kVmgiMenuTableSector : kVtsiMenuTableSector));
  build_cell_start_index(table_sector_absent(sector) ? 0 : sector_offset(sector), image);
  check_index();

  const size_t pack_count = vob.size / kPackSize;
  const uint8_t *packs = vob_window.load(vob.data, pack_count * kPackSize, pack_count * kPackSize);
  ScanJob job{packs, pack_count, pack_count / 2};
  fuzz::run_with_output_budget(scan, &job, kOutputBudget);
  const size_t split_report = fuzz::report_bytes();
  const uint64_t split_hash = fuzz::report_hash();
  const uint32_t split_count = static_cast<uint32_t>(button_record_count);
  static ButtonRecord split_records[kButtonRecordCapacity];
  std::memcpy(split_records, button_records, sizeof button_records);

  job.first_chunk = pack_count;
  fuzz::run_with_output_budget(scan, &job, kOutputBudget);
  if (fuzz::report_bytes() != split_report || fuzz::report_hash() != split_hash ||
      static_cast<uint32_t>(button_record_count) != split_count ||
      std::memcmp(split_records, button_records, sizeof button_records) != 0)
    fuzz::fail("collecting in two chunks gives another result than in one");
  return 0;
}
