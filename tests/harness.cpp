// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#include "harness.h"

#include "driver/driver.h"
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

RunResult run_navlist(const std::vector<std::string> &args, const fs::path &cwd) {
  std::vector<std::string> storage;
  storage.push_back("navlist");
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &s : storage)
    argv.push_back(s.data());
  argv.push_back(nullptr);

  fs::path capture_name;
  std::FILE *capture = open_capture(capture_name);
  if (capture == nullptr)
    throw std::runtime_error("cannot open a temporary file for the output");
  const fs::path previous = fs::current_path();
  if (!cwd.empty())
    fs::current_path(cwd);
  console_set_stream(capture);
  const int status = navlist_main(static_cast<int>(storage.size()), argv.data());
  console_flush();
  console_set_stream(nullptr);
  if (!cwd.empty())
    fs::current_path(previous);

  std::string output;
  std::rewind(capture);
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, capture)) > 0)
    output.append(chunk, got);
  std::fclose(capture);
  if (!capture_name.empty())
    fs::remove(capture_name);
  return RunResult{status, output};
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
