// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: the checked output sink, the output budget, images in the static
// buffers with everything past the bytes read made unreadable, and splitting one input into files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

// Checks text as it comes, piece by piece: printable ASCII or a newline, and
// no line longer than `max_line`; a violation fails with a message.
struct TextCheck {
  // A listing line is at most 1023 characters; with its indent and a cell
  // cross-reference of 33 numbers it stays well below this.
  static constexpr size_t kMaxListingLine = 2048;

  const char *what = "report";
  size_t max_line = kMaxListingLine;
  size_t line_length = 0;
  size_t written = 0;

  void feed(const char *data, size_t size);
};

// Points the console at a sink that discards the report but checks every byte of it: printable
// ASCII or a newline, and no line longer than a listing line can be. A violation aborts with a
// message, which the fuzzer reports as a crash.
void use_checked_sink();

// Runs `dump` with the checked sink, stopping it once it has printed `budget` bytes of report.
// A hostile table can claim a report far too large to print in a fuzzing run (language units
// sharing one unit of 65535 program chains that share one chain of 65535 commands); such an
// input is cut off rather than taken for a hang, since its cost is only its output. The dump
// must hold no object with a destructor: it is left by longjmp.
void run_with_output_budget(void (*dump)(const void *), const void *context, size_t budget);

// One of the program's static buffers, seen through the window of the file that was last read
// into it. Under AddressSanitizer every byte past the window is poisoned, so a read of a byte
// that the file does not hold (bytes of an earlier, longer file or untouched zeros) is reported
// at once; without it this is a plain copy.
class BufferWindow {
public:
  BufferWindow(uint8_t *buffer, size_t capacity);
  // Copies `length` bytes to the buffer's start, then zeros up to `size` (>= length), and
  // makes exactly [0, size) readable.
  uint8_t *load(const uint8_t *data, size_t length, size_t size);

private:
  uint8_t *buffer_;
  size_t capacity_;
  size_t readable_ = 0; // bytes currently readable, from the start
};

// Splits an input into files at each occurrence of kFileSeparator (at most `max_files`; the
// last one keeps the rest, separators included).
inline constexpr char kFileSeparator[] = "\n@@NAVLIST-NEXT-FILE@@\n";
struct FilePart {
  const uint8_t *data;
  size_t size;
};
std::vector<FilePart> split_files(const uint8_t *data, size_t size, size_t max_files);

// Stops with a message on stderr; the fuzzer shows it with the crash.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace fuzz
