// SPDX-License-Identifier: MIT
// Fuzz target: the whole -I report of a video manager and up to three title set control files.
//
// Input: the video manager file, then each title set file, separated by kFileSeparator. A file
// shorter than the 4096 bytes that a walk asks for is padded with zeros to 4096, since a shorter
// one is only reported as too short. The files are written to a folder as VIDEO_TS.IFO and
// VTS_01_0.IFO to VTS_03_0.IFO, and navlist -I runs on it; its report must be printable text in
// lines of sane length. Each file is read into memory of exactly its size, so a read past the
// bytes read is a heap overflow.
#include "fuzz_support.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMinControlFile = 4096;
// Eight times the report of the largest sample disc; a larger report is only a larger claim,
// and the fuzzer gets far more done on inputs that are cut off early.
constexpr size_t kOutputBudget = 64 << 10;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<fuzz::FilePart> files = fuzz::split_files(data, size, 4);
  std::vector<std::vector<uint8_t>> padded;
  for (fuzz::FilePart &file : files) {
    std::vector<uint8_t> &bytes = padded.emplace_back(std::max(file.size, kMinControlFile));
    if (file.size > 0)
      std::memcpy(bytes.data(), file.data, file.size);
    file = fuzz::FilePart{bytes.data(), bytes.size()};
  }
  const char *folder =
      fuzz::lay_out_disc(files, {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_02_0.IFO", "VTS_03_0.IFO"});
  const fuzz::Run run = fuzz::run_navlist({"-I", folder}, kOutputBudget);
  fuzz::TextCheck{"-I report"}.feed(run.output.data(), run.output.size());
  return 0;
}
