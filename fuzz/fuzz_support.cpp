// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: the checked output sink, the output budget and the buffer windows.
#include "fuzz_support.h"

#include "platform/console.h"

// Poisons and unpoisons memory under AddressSanitizer; does nothing in other builds.
#include <sanitizer/asan_interface.h>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>

namespace fuzz {

namespace {

std::FILE *sink = nullptr;
TextCheck report_check;
size_t budget = SIZE_MAX;
bool discarding = false; // closing a stream that was left mid-write
std::jmp_buf budget_exceeded;

ssize_t check_and_discard(void *, const char *data, size_t size) {
  if (discarding)
    return static_cast<ssize_t>(size);
  report_check.feed(data, size);
  if (report_check.written > budget)
    std::longjmp(budget_exceeded, 1);
  return static_cast<ssize_t>(size);
}

} // namespace

void TextCheck::feed(const char *data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    line_length = c == '\n' ? 0 : line_length + 1;
    if (c != '\n' && (c < 0x20 || c > 0x7E))
      fail("%s byte %zu is 0x%02X, not printable text", what, written + i, c);
    if (line_length > max_line)
      fail("%s line at byte %zu is longer than %zu characters", what, written + i, max_line);
  }
  written += size;
}

void fail(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::fputs("navlist fuzz check failed: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputs("\n", stderr);
  va_end(args);
  std::abort();
}

void use_checked_sink() {
  if (sink != nullptr)
    return;
  cookie_io_functions_t io{};
  io.write = check_and_discard;
  sink = fopencookie(nullptr, "w", io);
  if (sink == nullptr)
    fail("cannot open the report sink");
  // Small steps, so that the budget is checked often.
  std::setvbuf(sink, nullptr, _IOFBF, 4096);
  console_set_stream(sink);
  console_set_block_size(4096);
}

void run_with_output_budget(void (*dump)(const void *), const void *context, size_t limit) {
  use_checked_sink();
  report_check = TextCheck{};
  budget = limit;
  if (setjmp(budget_exceeded) == 0) {
    dump(context);
    console_flush();
  } else {
    // The stream was left inside a write; close it without looking at what it still holds,
    // and start a fresh one.
    discarding = true;
    std::fclose(sink);
    discarding = false;
    sink = nullptr;
    use_checked_sink();
  }
  budget = SIZE_MAX;
}

BufferWindow::BufferWindow(uint8_t *buffer, size_t capacity)
    : buffer_(buffer), capacity_(capacity) {
  ASAN_POISON_MEMORY_REGION(buffer_, capacity_);
}

uint8_t *BufferWindow::load(const uint8_t *data, size_t length, size_t size) {
  if (length > size || size > capacity_)
    fail("window of %zu bytes (%zu given) does not fit %zu", size, length, capacity_);
  if (size > readable_)
    ASAN_UNPOISON_MEMORY_REGION(buffer_ + readable_, size - readable_);
  else
    ASAN_POISON_MEMORY_REGION(buffer_ + size, readable_ - size);
  readable_ = size;
  if (length > 0)
    std::memcpy(buffer_, data, length);
  std::memset(buffer_ + length, 0, size - length);
  return buffer_;
}

std::vector<FilePart> split_files(const uint8_t *data, size_t size, size_t max_files) {
  std::vector<FilePart> parts;
  const size_t separator_size = sizeof kFileSeparator - 1;
  size_t start = 0;
  while (parts.size() + 1 < max_files && start < size) {
    const void *found = memmem(data + start, size - start, kFileSeparator, separator_size);
    if (found == nullptr)
      break;
    const size_t at = static_cast<size_t>(static_cast<const uint8_t *>(found) - data);
    parts.push_back(FilePart{data + start, at - start});
    start = at + separator_size;
  }
  parts.push_back(FilePart{data + start, size - start});
  return parts;
}

} // namespace fuzz
