// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct RunResult {
  int status;
  std::string output;
};

// Runs the whole program with these arguments (without the program name),
// from the working folder `cwd` when it is not empty, and returns its exit
// status and everything it printed.
RunResult run_navlist(const std::vector<std::string> &args, const std::filesystem::path &cwd = {});

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::filesystem::path &path() const { return path_; }

private:
  std::filesystem::path path_;
};

// The folder of a sample disc shipped in the repository, e.g. "plain".
std::filesystem::path sample_disc(const std::string &name);

// Compares `actual` with tests/golden/<name> byte for byte and reports the
// first differing line. With NAVLIST_UPDATE_GOLDEN=1 in the environment the
// file is rewritten instead: review every line of it before committing.
void expect_golden(const std::string &actual, const std::string &name);

std::string read_text_file(const std::filesystem::path &path);
