// SPDX-License-Identifier: MIT
// The console: one output stream for the whole report.
#include "platform/console.h"

#include <cstdarg>
#include <cstring>

namespace {
std::FILE *output_stream = nullptr;
char stdout_buffer[1 << 16];

std::FILE *stream() {
  return output_stream != nullptr ? output_stream : stdout;
}
} // namespace

void console_init() {
  std::setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
}

void console_set_stream(std::FILE *stream) {
  output_stream = stream;
}

void console_flush() {
  std::fflush(stream());
}

void console_write(const char *text, size_t length) {
  std::fwrite(text, 1, length, stream());
}

void console_write_text(const char *text) {
  console_write(text, std::strlen(text));
}

void console_printf(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stream(), format, args);
  va_end(args);
}
