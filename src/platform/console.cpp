// SPDX-License-Identifier: MIT
// The console: one output stream for the whole report, written in large blocks.
#include "platform/console.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace {

// The report is gathered here and handed to the stream a block at a time: a
// big -I report is millions of short lines.
constexpr size_t kBlockSize = 256 * 1024;
char block[kBlockSize];
size_t block_used = 0;
// The block is written once it would pass this many bytes.
size_t block_limit = kBlockSize;

std::FILE *output_stream = nullptr;

std::FILE *stream() {
  return output_stream != nullptr ? output_stream : stdout;
}

// A stream that fails without saying why (errno 0) counts as an I/O error.
[[noreturn]] void write_failed() {
  throw ConsoleWriteError{errno != 0 ? errno : EIO};
}

void write_to_stream(const char *bytes, size_t length) {
  errno = 0;
  if (std::fwrite(bytes, 1, length, stream()) != length)
    write_failed();
}

void write_block() {
  // Emptied first: a stream that leaves the write by an exception (the fuzz
  // targets' output budget, a write error) must not find the block still full.
  const size_t length = block_used;
  block_used = 0;
  if (length != 0)
    write_to_stream(block, length);
}

} // namespace

void console_init() {
  // The block is the buffer; standard output passes it straight through.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}

void console_set_stream(std::FILE *stream) {
  write_block();
  output_stream = stream;
}

void console_flush() {
  write_block();
  errno = 0;
  if (std::fflush(stream()) != 0)
    write_failed();
}

void console_set_block_size(size_t size) {
  write_block();
  block_limit = size > 0 && size < kBlockSize ? size : kBlockSize;
}

void console_write(const char *text, size_t length) {
  if (length > block_limit - block_used) {
    write_block();
    if (length >= block_limit) {
      write_to_stream(text, length);
      return;
    }
  }
  std::memcpy(block + block_used, text, length);
  block_used += length;
}

char *console_reserve(size_t size) {
  if (size > block_limit - block_used)
    write_block();
  return block + block_used;
}

void console_commit(const char *end) {
  block_used = static_cast<size_t>(end - block);
}

void console_write_text(const char *text) {
  console_write(text, std::strlen(text));
}

void console_printf(const char *format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0)
    return;
  if (static_cast<size_t>(length) < sizeof text) {
    console_write(text, static_cast<size_t>(length));
    return;
  }
  // Longer than any line the program prints; kept exact all the same.
  write_block();
  errno = 0;
  va_start(args, format);
  const int written = std::vfprintf(stream(), format, args);
  va_end(args);
  if (written < 0)
    write_failed();
}
