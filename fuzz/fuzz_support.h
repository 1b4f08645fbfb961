// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: runs of navlist with their output captured under a budget, checks
// of the text, a disc folder of the target's own, and splitting one input into files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
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

struct Run {
  int status = 0;
  bool complete = true; // false when the output was cut off at the budget
  std::string output;
};

// Everything `body` prints through the console, and the status it returns.
// A hostile table can claim a report far too large to print in a fuzzing run
// (language units sharing one unit of 65535 program chains that share one
// chain of 65535 commands); past `budget` bytes an exception from the sink
// unwinds the run, which is then not complete. Such an input is cut off
// rather than taken for a hang: its cost is only its output.
Run capture(const std::function<int()> &body, size_t budget);
// navlist as on the command line, with these arguments after the program name.
Run run_navlist(std::initializer_list<std::string> args, size_t budget);

// Splits an input into files at each occurrence of kFileSeparator (at most `max_files`; the
// last one keeps the rest, separators included).
inline constexpr char kFileSeparator[] = "\n@@NAVLIST-NEXT-FILE@@\n";
struct FilePart {
  const uint8_t *data;
  size_t size;
};
std::vector<FilePart> split_files(const uint8_t *data, size_t size, size_t max_files);

// A folder of the target's own, removed at exit, that holds file names[i] with
// the bytes of files[i]; a part that is empty or missing is no file at all.
const char *lay_out_disc(const std::vector<FilePart> &files,
                         std::initializer_list<const char *> names);

// The lines of a text report that are its messages and out-of-range markers,
// without their indentation, in order.
std::vector<std::string> text_problems(const std::string &report);

// Stops with a message on stderr; the fuzzer shows it with the crash.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace fuzz
