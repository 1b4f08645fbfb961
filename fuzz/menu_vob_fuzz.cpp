// SPDX-License-Identifier: MIT
// Fuzz target: the -V report of one menu VOB file with the control file that indexes its cells.
//
// Input: the control file, then the VOB file, separated by kFileSeparator. They are written to a
// folder as VIDEO_TS.IFO and VIDEO_TS.VOB when the control file says DVDVIDEO-VMG, else as
// VTS_01_0.IFO and VTS_01_0.VOB, and navlist -V runs on it; the report must be printable. The
// VOB's complete packs are also collected in two chunks and in one: both must keep the same
// records.
#include "common/bytes.h"
#include "fuzz_support.h"
#include "menuvob/menu_vob_scan.h"

#include <cstring>
#include <memory>

namespace {

// Collects the packs, `first_chunk` of them in a first call.
void collect(const uint8_t *packs, size_t count, size_t first_chunk) {
  begin_button_collection();
  collect_packs(packs, first_chunk);
  collect_packs(packs + kSectorSize * first_chunk, count - first_chunk);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static ButtonRecord split_records[kButtonRecordCapacity];
  const std::vector<fuzz::FilePart> files = fuzz::split_files(data, size, 2);
  const fuzz::FilePart ifo = files[0];
  const bool video_manager = ifo.size >= 12 && std::memcmp(ifo.data, "DVDVIDEO-VMG", 12) == 0;
  const char *folder = video_manager ? fuzz::lay_out_disc(files, {"VIDEO_TS.IFO", "VIDEO_TS.VOB"})
                                     : fuzz::lay_out_disc(files, {"VTS_01_0.IFO", "VTS_01_0.VOB"});
  const fuzz::Run run = fuzz::run_navlist({"-V", folder}, SIZE_MAX);
  fuzz::TextCheck{"-V report"}.feed(run.output.data(), run.output.size());

  if (files.size() < 2)
    return 0;
  // The packs in a heap block of exactly their size.
  const size_t count = files[1].size / kSectorSize;
  const auto packs = std::make_unique<uint8_t[]>(count * kSectorSize + 1);
  std::memcpy(packs.get(), files[1].data, count * kSectorSize);
  collect(packs.get(), count, count / 2);
  const int32_t split_count = button_record_count;
  std::memcpy(split_records, button_records, sizeof button_records);
  collect(packs.get(), count, count);
  if (button_record_count != split_count ||
      std::memcmp(split_records, button_records, sizeof button_records) != 0)
    fuzz::fail("collecting in two chunks keeps other records than in one");
  return 0;
}
