// SPDX-License-Identifier: MIT
// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#include "harness.h"

#include "driver/driver.h"
#include "fixture.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The file that receives the program's output. On Windows tmpfile() makes its
// file in the root folder of the current drive, where a user may not write, so
// there it is a named file in the temporary folder, removed after the run.
std::FILE *open_capture(fs::path &name) {
#ifdef _WIN32
  static std::atomic<unsigned> counter{0};
  std::random_device seed;
  name = fs::temp_directory_path() /
         ("navlist-capture-" + std::to_string(seed()) + "-" + std::to_string(counter++));
  return std::fopen(name.string().c_str(), "w+b");
#else
  name.clear();
  return std::tmpfile();
#endif
}

} // namespace

std::string capture_output(const std::function<void()> &body) {
  fs::path capture_name;
  std::FILE *capture = open_capture(capture_name);
  if (capture == nullptr)
    throw std::runtime_error("cannot open a temporary file for the output");
  console_set_stream(capture);
  body();
  console_flush();
  console_set_stream(nullptr);

  std::string output;
  std::rewind(capture);
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, capture)) > 0)
    output.append(chunk, got);
  std::fclose(capture);
  if (!capture_name.empty())
    fs::remove(capture_name);
  return output;
}

RunResult run_navlist(const std::vector<std::string> &args, const fs::path &cwd) {
  std::vector<std::string> storage;
  storage.push_back("navlist");
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
  if (!cwd.empty())
    fs::current_path(previous);
  return RunResult{status, std::move(output)};
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device seed;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("navlist-test-" + std::to_string(seed()) + "-" + std::to_string(counter++));
    if (fs::create_directory(path_))
      return;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void Disc::put(const std::string &name, const std::vector<uint8_t> &bytes) const {
  fixture::write_file(folder() / name, bytes);
}

void Disc::put_files(const std::string &names) const {
  fs::create_directories(folder());
  std::istringstream list(names);
  for (std::string name; list >> name;) {
    const size_t colon = name.find(':');
    if (name.back() == '/')
      fs::create_directories(folder() / name);
    else if (colon != std::string::npos)
      put(name.substr(0, colon), fixture::Bytes(std::stoul(name.substr(colon + 1))));
    else
      put(name, fixture::Bytes(name.ends_with(".VOB") ? 0 : 4096));
  }
}

RunResult Disc::run(std::vector<std::string> args) const {
  args.push_back("VIDEO_TS");
  return run_navlist(args, dir_.path());
}

std::string marker(const std::string &indent, const std::string &what, uint64_t offset) {
  char hex[24];
  std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(offset));
  return indent + "(out of range: " + what + " at 0x" + hex + ")";
}

std::string listing(unsigned number, uint64_t offset, const std::string &raw_and_text) {
  char head[32];
  std::snprintf(head, sizeof head, "    %03u[%06llX]:[", number,
                static_cast<unsigned long long>(offset));
  return head + raw_and_text;
}

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

fs::path sample_disc(const std::string &name) {
  return fs::path(NAVLIST_SAMPLES_DIR) / name / "VIDEO_TS";
}

std::string read_text_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void expect_golden(const std::string &actual, const std::string &name) {
  const fs::path path = fs::path(NAVLIST_GOLDEN_DIR) / name;
  const char *update = std::getenv("NAVLIST_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << actual;
    return;
  }
  ASSERT_TRUE(fs::exists(path)) << "missing golden file " << path;
  const std::string expected = read_text_file(path);
  if (expected == actual)
    return;
  std::istringstream want(expected), got(actual);
  std::string want_line, got_line;
  for (unsigned line = 1;; ++line) {
    const bool have_want = static_cast<bool>(std::getline(want, want_line));
    const bool have_got = static_cast<bool>(std::getline(got, got_line));
    if (!have_want && !have_got) {
      ADD_FAILURE() << name << ": differs only in its final newline";
      return;
    }
    if (have_want != have_got || want_line != got_line) {
      ADD_FAILURE() << name << " line " << line
                    << ":\n  expected: " << (have_want ? want_line : "<end of file>")
                    << "\n  actual:   " << (have_got ? got_line : "<end of file>");
      return;
    }
  }
}
