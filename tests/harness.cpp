// SPDX-License-Identifier: MIT
// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#include "harness.h"

#include "driver/driver.h"
#include "platform/console.h"
#include "platform/disc_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A name under the system's temporary folder that no other test uses.
fs::path fresh_temp_name(const char *prefix) {
  static std::atomic<unsigned> counter{0};
  return fs::temp_directory_path() /
         (prefix + std::to_string(std::random_device()()) + "-" + std::to_string(counter++));
}

} // namespace

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string capture_output(const std::function<void()> &body) {
  // A named file: on Windows tmpfile() makes its file in the drive's root folder, where a user
  // may not write.
  const fs::path name = fresh_temp_name("navlist-capture-");
  std::FILE *capture = std::fopen(name.string().c_str(), "wb");
  if (capture == nullptr)
    throw std::runtime_error("cannot open a file for the output");
  console_set_stream(capture);
  body();
  console_set_stream(nullptr);
  std::fclose(capture);
  std::string output = read_file(name);
  fs::remove(name);
  return output;
}

RunResult run_navlist(const std::vector<std::string> &args, const fs::path &cwd) {
  std::vector<std::string> storage = {"navlist"};
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &s : storage)
    argv.push_back(s.data());
  argv.push_back(nullptr);
  const fs::path previous = fs::current_path();
  if (!cwd.empty())
    fs::current_path(cwd);
  int status = -1;
  std::string output =
      capture_output([&] { status = navlist_main(static_cast<int>(storage.size()), argv.data()); });
  fs::current_path(previous);
  use_disc_folders();
  return RunResult{status, std::move(output)};
}

Disc::Disc() {
  do
    path_ = fresh_temp_name("navlist-test-");
  while (!fs::create_directory(path_));
}

// With NAVLIST_KEEP_DISCS=<folder>, each disc is kept there under a number of its own, for
// bench/diff_reports.sh to run two builds over.
Disc::~Disc() {
  std::error_code ignored;
  if (const char *keep = std::getenv("NAVLIST_KEEP_DISCS")) {
    static unsigned kept = 0;
    fs::copy(path_, fs::path(keep) / std::to_string(++kept), fs::copy_options::recursive, ignored);
  }
  fs::remove_all(path_, ignored);
  fail_disc_reads_from("", 0);
}

void write_file(const fs::path &path, const std::vector<uint8_t> &bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path.string());
}

void Disc::put(const std::string &name, const std::vector<uint8_t> &bytes) const {
  write_file(folder() / name, bytes);
}

void Disc::put_files(const std::string &names) const {
  fs::create_directories(folder());
  std::istringstream list(names);
  for (std::string name; list >> name;) {
    const size_t colon = name.find(':');
    if (name[0] == '@')
      fs::copy(sample_disc(name.substr(1)), folder());
    else if (name[0] == '-')
      fs::remove(folder() / name.substr(1));
    else if (name.back() == '/')
      fs::create_directories(folder() / name);
    else if (colon != std::string::npos)
      put(name.substr(0, colon), std::vector<uint8_t>(std::stoul(name.substr(colon + 1))));
    else
      put(name, std::vector<uint8_t>(name.ends_with(".VOB") ? 0 : 4096));
  }
}

RunResult Disc::run(std::vector<std::string> args) const {
  args.push_back("VIDEO_TS");
  return run_navlist(args, path_);
}

std::string book_entry(const std::string &label, const RunResult &result) {
  return "=== " + label + ": exit " + std::to_string(result.status) + "\n" + result.output;
}

std::vector<BookCase> files_cases(std::initializer_list<const char *> names) {
  std::vector<BookCase> cases;
  for (const char *n : names)
    cases.push_back({n, [=](const Disc &d) { d.put_files(n); }});
  return cases;
}

void expect_golden_book(const std::vector<BookCase> &cases, const Args &args,
                        const std::string &name) {
  std::string book;
  for (const BookCase &c : cases) {
    Disc disc;
    c.lay_out(disc);
    book += book_entry(c.label, disc.run(args));
  }
  expect_golden(book, name);
}

fs::path sample_disc(const std::string &name) {
  return fs::path(NAVLIST_SAMPLES_DIR) / name / "VIDEO_TS";
}

void copy_sample(const std::string &name, const fs::path &to) {
  fs::create_directories(to.parent_path());
  fs::copy(sample_disc(name), to);
}

std::string read_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void expect_golden(const std::string &actual, const std::string &name) {
  const fs::path path = fs::path(NAVLIST_GOLDEN_DIR) / name;
  if (const char *update = std::getenv("NAVLIST_UPDATE_GOLDEN"); update && *update == '1') {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << actual;
    return;
  }
  const std::string expected = read_file(path);
  if (expected == actual)
    return;
  const std::vector<std::string> want = split_lines(expected), got = split_lines(actual);
  size_t line = 0;
  while (line < want.size() && line < got.size() && want[line] == got[line])
    ++line;
  ADD_FAILURE() << name << " line " << line + 1
                << ":\n  expected: " << (line < want.size() ? want[line] : "<end of file>")
                << "\n  actual:   " << (line < got.size() ? got[line] : "<end of file>");
}
