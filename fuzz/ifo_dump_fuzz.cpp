// SPDX-License-Identifier: MIT
// Fuzz target: the whole -I dump of a video manager and up to three title set control files.
//
// Input: the video manager file, then each title set file, separated by kFileSeparator. Each
// file is copied into ifo_buffer over the one before it, exactly as dump_ifo_files reads them,
// and dumped with the same calls on an IfoImage of the bytes "read". A file shorter than the
// 4096 bytes that the loader asks for is padded with zeros to 4096, since a shorter one never
// reaches the dumps. Everything in ifo_buffer past the current file (the earlier, longer file's
// bytes, or zeros) is poisoned, so a read of it is reported, and the report must be printable.
#include "fuzz_support.h"
#include "ifo/ifo_dump.h"
#include "ifo/ifo_layout.h"
#include "ifo/pgc_commands.h"
#include "ifo/pgc_tables.h"

#include <algorithm>
#include <cstring>

namespace {

void dump_files(const void *context) {
  static fuzz::BufferWindow window(ifo_buffer, kIfoBufferSize);
  const auto &files = *static_cast<const std::vector<fuzz::FilePart> *>(context);
  for (size_t n = 0; n < files.size(); ++n) {
    const size_t size = std::max<size_t>(files[n].size, kMinControlFileSize);
    // A listing line is printed only after format_command_line wrote it; any other text
    // left here would show up as non-printable bytes.
    std::memset(listing_line_buffer, 0x01, sizeof listing_line_buffer);
    const IfoImage image{window.load(files[n].data, files[n].size, size), size};
    if (n > 0) {
      dump_vts(image, static_cast<unsigned>(n - 1));
      continue;
    }
    dump_title_table(image);
    dump_first_play(image);
    dump_vmg_menus(image);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kIfoBufferSize)
    return 0;
  const std::vector<fuzz::FilePart> files = fuzz::split_files(data, size, 4);
  // Eight times the report of the largest sample disc; a larger report is only a larger claim,
  // and the fuzzer gets far more done on inputs that are cut off early.
  fuzz::run_with_output_budget(dump_files, &files, 64 << 10);
  return 0;
}
