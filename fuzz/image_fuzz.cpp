// SPDX-License-Identifier: MIT
// Fuzz target: a disc image opened from memory, then both dumps run on its VIDEO_TS folder.
//
// Input: a sparse image, so that a small input can describe a UDF volume whose anchor sits at
// block 256. The first 4 bytes (little-endian) give the image's length in bytes, cut to
// kMaxImageSize; then come records of a 2-byte block number (little-endian, taken modulo
// kMaxBlocks), a 2-byte length (at most 2048) and that many bytes, written at the start of the
// block. Blocks no record names are zeros, and bytes past the image's length are dropped, so an
// image can be cut at any byte. make_image_seeds.py writes such inputs from real images.
//
// The image is held in a heap block of exactly its length. The target runs
// use_disc_image_in_memory, and when the image opens, the text report of both dumps on
// "IMAGE\", under an output budget as in ifo_dump; it must be printable text.
#include "fuzz_support.h"
#include "navigation/walk.h"
#include "output/text_report.h"
#include "platform/disc_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kBlockSize = 2048;
constexpr size_t kMaxBlocks = 4096;
constexpr size_t kMaxImageSize = kMaxBlocks * kBlockSize;
constexpr size_t kOutputBudget = 256 << 10;
constexpr char kPrefix[] = "IMAGE\\";

size_t read_le(const uint8_t *bytes, size_t count) {
  size_t value = 0;
  for (size_t i = count; i-- > 0;)
    value = value << 8 | bytes[i];
  return value;
}

// The image, in a heap block of exactly its length, so that a read past its end is a heap
// overflow.
std::vector<uint8_t> build_image(const uint8_t *data, size_t size) {
  if (size < 4)
    return {};
  std::vector<uint8_t> image(std::min(read_le(data, 4), kMaxImageSize));
  for (size_t at = 4; size - at >= 4;) {
    const size_t start = read_le(data + at, 2) % kMaxBlocks * kBlockSize;
    const size_t length = std::min({read_le(data + at + 2, 2), kBlockSize, size - at - 4});
    if (start < image.size())
      std::memcpy(image.data() + start, data + at + 4, std::min(length, image.size() - start));
    at += 4 + length;
  }
  return image;
}

int report_both() {
  TextReport report;
  return navigation::walk_disc(kPrefix, navigation::Dumps{}, report) ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<uint8_t> image = build_image(data, size);
  if (use_disc_image_in_memory(image.data(), image.size(), kPrefix).status ==
      ImageStatus::kOpened) {
    const fuzz::Run run = fuzz::capture(report_both, kOutputBudget);
    fuzz::TextCheck{"image report"}.feed(run.output.data(), run.output.size());
  }
  use_disc_folders();
  return 0;
}
