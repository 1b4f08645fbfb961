// SPDX-License-Identifier: MIT
// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using Args = std::vector<std::string>;

struct RunResult {
  int status;
  std::string output;
  bool operator==(const RunResult &) const = default;
};

// Runs the whole program with these arguments (without the program name),
// from the working folder `cwd` when it is not empty, and returns its exit
// status and everything it printed. Afterwards names lead to folders again,
// whatever disc image the run opened.
RunResult run_navlist(const std::vector<std::string> &args, const std::filesystem::path &cwd = {});

// Everything the program prints through its console while `body` runs.
std::string capture_output(const std::function<void()> &body);

// The folder of a sample disc shipped in the repository, e.g. "plain".
std::filesystem::path sample_disc(const std::string &name);
// Copies the files of that folder to the folder `to`, made with its parents.
void copy_sample(const std::string &name, const std::filesystem::path &to);

// Compares `actual` with tests/golden/<name> byte for byte and reports the
// first differing line. With NAVLIST_UPDATE_GOLDEN=1 in the environment the
// file is rewritten instead: review every line of it before committing.
void expect_golden(const std::string &actual, const std::string &name);

std::string read_file(const std::filesystem::path &path);
// Writes `bytes` to `path`, making the folders on the way.
void write_file(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);
std::vector<std::string> split_lines(const std::string &text);

// A folder VIDEO_TS inside a fresh temporary folder, which is removed with the
// object. run() lists it from the temporary folder, so that file names print
// as VIDEO_TS\NAME.
class Disc {
public:
  Disc();
  ~Disc();
  Disc(const Disc &) = delete;
  Disc &operator=(const Disc &) = delete;
  const std::filesystem::path &path() const { return path_; }
  std::filesystem::path folder() const { return path_ / "VIDEO_TS"; }
  void put(const std::string &name, const std::vector<uint8_t> &bytes) const;
  // Lays out files named in `names`, separated by spaces: NAME.IFO is a
  // 4096-byte control file of zeros (no tables), NAME.VOB an empty file,
  // NAME:N a file of N zero bytes, NAME/ a folder, @SAMPLE the files of a
  // sample disc and -NAME no file NAME (one laid out before is removed).
  void put_files(const std::string &names) const;
  // Runs the program with `args` and then the argument VIDEO_TS.
  RunResult run(std::vector<std::string> args = {"-I"}) const;

private:
  std::filesystem::path path_;
};

// A golden book: the reports of many small discs in one golden file, each
// under the line "=== <label>: exit <status>".
struct BookCase {
  const char *label;
  std::function<void(const Disc &)> lay_out;
};
// Lays out each case's disc, lists it with `args` and compares the book with
// tests/golden/<name> as expect_golden does.
void expect_golden_book(const std::vector<BookCase> &cases, const Args &args,
                        const std::string &name);
std::string book_entry(const std::string &label, const RunResult &result);
// Discs laid out by Disc::put_files, one for each of `names`, which is also the label.
std::vector<BookCase> files_cases(std::initializer_list<const char *> names);
