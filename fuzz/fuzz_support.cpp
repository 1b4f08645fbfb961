// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: captured runs under an output budget, the checks, the disc folder.
#include "fuzz_support.h"

#include "driver/driver.h"
#include "platform/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/types.h>
#include <unistd.h>

namespace fuzz {

namespace {

struct BudgetExceeded {};

std::string captured;
size_t capture_budget = SIZE_MAX;
bool discarding = false; // closing a sink that was left mid-write

ssize_t capture_write(void *, const char *data, size_t size) {
  if (discarding)
    return static_cast<ssize_t>(size);
  captured.append(data, size);
  if (captured.size() > capture_budget)
    throw BudgetExceeded{};
  return static_cast<ssize_t>(size);
}

char disc_folder[4096];

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

Run capture(const std::function<int()> &body, size_t budget) {
  cookie_io_functions_t io{};
  io.write = capture_write;
  std::FILE *sink = fopencookie(nullptr, "w", io);
  if (sink == nullptr)
    fail("cannot open the report sink");
  std::setvbuf(sink, nullptr, _IONBF, 0);
  console_set_stream(sink);
  console_set_block_size(4096); // the budget is checked in small steps
  captured.clear();
  capture_budget = budget;
  Run run;
  try {
    run.status = body();
    console_flush();
  } catch (const BudgetExceeded &) {
    run.complete = false;
  }
  console_set_stream(stderr);
  console_set_block_size(0);
  discarding = true;
  std::fclose(sink);
  discarding = false;
  capture_budget = SIZE_MAX;
  run.output = std::move(captured);
  return run;
}

Run run_navlist(std::initializer_list<std::string> args, size_t budget) {
  std::vector<std::string> words = {"navlist"};
  words.insert(words.end(), args);
  std::vector<char *> argv;
  for (std::string &word : words)
    argv.push_back(word.data());
  return capture([&] { return navlist_main(static_cast<int>(argv.size()), argv.data()); }, budget);
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

const char *lay_out_disc(const std::vector<FilePart> &files,
                         std::initializer_list<const char *> names) {
  if (disc_folder[0] == '\0') {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "navlist-fuzz-XXXXXX").string();
    if (pattern.size() >= sizeof disc_folder)
      fail("temporary folder name too long");
    pattern.copy(disc_folder, pattern.size());
    if (mkdtemp(disc_folder) == nullptr)
      fail("cannot make a folder for the disc");
    std::atexit([] { std::filesystem::remove_all(disc_folder); });
  }
  for (const auto &entry : std::filesystem::directory_iterator(disc_folder))
    std::filesystem::remove(entry.path());
  size_t n = 0;
  for (const char *name : names) {
    const FilePart part = n < files.size() ? files[n] : FilePart{nullptr, 0};
    ++n;
    if (part.size == 0)
      continue;
    const std::string path = std::string(disc_folder) + "/" + name;
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(part.data, 1, part.size, file) != part.size ||
        std::fclose(file) != 0)
      fail("cannot write %s", path.c_str());
  }
  return disc_folder;
}

std::vector<std::string> text_problems(const std::string &report) {
  std::vector<std::string> problems;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos)
      continue;
    line.erase(0, start);
    if (line.starts_with("(out of range: ") || line.ends_with(" not found.") ||
        line.ends_with(" is invalid format.") || line.ends_with(" cannot be read to its end.") ||
        line.ends_with(" is used."))
      problems.push_back(line);
  }
  return problems;
}

} // namespace fuzz
