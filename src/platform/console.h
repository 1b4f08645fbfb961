// SPDX-License-Identifier: MIT
// The console: every line of the report and every message goes through here to one stream.
#pragma once

#include <cstddef>
#include <cstdio>

// Output is gathered in one large block and written to the stream when the
// block is full, when the stream changes and at console_flush.

// Thrown by the functions below when the stream does not take the output (a
// full disk, a closed standard output, an I/O error); `error` is the errno
// value. The block is emptied first, so nothing is written twice.
struct ConsoleWriteError {
  int error;
};

// Leaves standard output unbuffered, the block being its buffer; called once
// by main before any output.
void console_init();
// Writes what the block holds to the current stream, then sends all output to
// `stream` (standard output when null); used by tests.
void console_set_stream(std::FILE *stream);
// Writes the block and flushes the stream.
void console_flush();
// Writes the block, then gathers at most `size` bytes (0: the whole block)
// before each write; the fuzz targets' output budgets count in such steps.
void console_set_block_size(size_t size);

// Writes text as data: a '%' in it is printed, never interpreted.
void console_write(const char *text, size_t length);
void console_write_text(const char *text);
// Room for at most `size` bytes (at most 4096) at the end of the output, for
// a caller that lays a line out in place; console_commit(end) then hands over
// the bytes up to `end`.
char *console_reserve(size_t size);
void console_commit(const char *end);
// Formatted output, for formats that are the program's own literals.
void console_printf(const char *format, ...) __attribute__((format(printf, 1, 2)));
