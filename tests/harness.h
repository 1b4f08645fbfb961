// SPDX-License-Identifier: MIT
// Test harness: runs navlist in-process with its output captured, temporary folders, golden files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
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

// Everything the program prints through its console while `body` runs.
std::string capture_output(const std::function<void()> &body);

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

// A folder VIDEO_TS inside a fresh temporary folder. run() lists it from the
// temporary folder, so that file names print as VIDEO_TS\NAME.
class Disc {
public:
  std::filesystem::path folder() const { return dir_.path() / "VIDEO_TS"; }
  void put(const std::string &name, const std::vector<uint8_t> &bytes) const;
  // Lays out files named in `names`, separated by spaces: NAME.IFO is a
  // 4096-byte control file of zeros (no tables), NAME.VOB an empty file,
  // NAME:N a file of N zero bytes and NAME/ a folder.
  void put_files(const std::string &names) const;
  // Runs the program with `args` and then the argument VIDEO_TS.
  RunResult run(std::vector<std::string> args = {"-I"}) const;

private:
  TempDir dir_;
};

// The marker for what lies outside the bytes read: "(out of range: WHAT at 0xOFFSET)".
std::string marker(const std::string &indent, const std::string &what, uint64_t offset);
// A -I listing line: "    NNN[OOOOOO]:[" and then `raw_and_text`.
std::string listing(unsigned number, uint64_t offset, const std::string &raw_and_text);
std::vector<std::string> split_lines(const std::string &text);
