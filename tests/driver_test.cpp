// SPDX-License-Identifier: MIT
// The command line: usage, options and which error wins, the path as normalized, exit status.
#include "harness.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Each row runs in an empty folder: a dump that runs says that its first file is missing, under
// the path as normalized (one separator at the end, not after the trail byte of a double-byte
// character), so the golden file shows both the messages and the paths.
TEST(CommandLine, MessagesStatusAndNormalizedPaths) {
  // The arguments of each run, separated by '|'. Lead bytes of double-byte characters are
  // 0x80..0x9F and 0xE0..0xFC.
  // clang-format off
  std::vector<std::string> rows = {
      "", "-I", "-i|-v|-V", "-I|a|b", "-x|a", "a|-x", "a|b|-x", "-x|a|b", "-", "-iv|a", "-I|-Ix",
      "DISC", "-V|DISC", "-v|DISC", "DISC|-i", "DISC|-i|-V", "-V|-I|DISC", "-I|-I|DISC",
      "-I|D:\\DISC", "-I|D:\\DISC\\", "-I|", "-I|dir/sub", "-I|D:\\\x95\x5C", "-I|D:\\\x95\x5C\\",
      "-I|D:\\~\\", "-I|\x7F\\", "-I|\x80\\", "-I|\x9F\\", "-I|\xA0\\", "-I|\xDF\\", "-I|\xE0\\",
      "-I|\xFC\\", "-I|\xFD\\", "-I|a\x81\x5C\\",
      // The long options, in any case and place; the options that end the run at once.
      "--help", "-h", "--version", "-I|--VERSION|-x", "--json|DISC|--help", "--json|--graph|DISC",
      "--frobnicate|DISC", "--wide=1|DISC",
      "-x|--json|DISC", "--jsonx|DISC", "--json|-I", "--Json|-V|DISC", "DISC|-v|--graph"};
  // clang-format on
  // 247 characters once normalized is the longest path; a trailing separator counts once.
  const std::string x246(246, 'x');
  for (const std::string &path : {x246.substr(1), x246, x246 + "\\", x246 + "x", x246 + x246})
    rows.push_back("-I|" + path);
  // A path refused stays a JSON document; instead of a graph, nothing.
  rows.insert(rows.end(), {"--json|" + x246 + "x", "--graph|" + x246 + "x"});
  const Disc empty; // nothing is laid out: every run works in an empty folder
  std::string book;
  for (const std::string &row : rows) {
    std::vector<std::string> args;
    std::string label = "navlist";
    std::istringstream in(row.empty() ? row : row + '|');
    for (std::string arg; std::getline(in, arg, '|'); args.push_back(arg))
      label.append(" ").append(arg.size() > 40 ? std::to_string(arg.size()) + " x's" : arg);
    book += book_entry(label, run_navlist(args, empty.path()));
  }
  expect_golden(book, "command_line.txt");
}

#ifndef _WIN32
// POSIX folder names that must open as given: the longest that fits, and one whose double-byte
// character ends in the byte of a backslash (a separator only for the disc's home system); and
// names matched without regard to case.
TEST(CommandLine, FolderNamesOpenAsGiven) {
  for (const std::string &name : {std::string(246, 'd'), std::string("\x95\\")}) {
    const Disc disc;
    copy_sample("vtsm_menus", disc.path() / name);
    const RunResult result = run_navlist({name}, disc.path());
    EXPECT_EQ(result.status, 0);
    expect_golden(result.output, "full_vtsm_menus.txt");
  }
  // Of two spellings of a name, neither exact, the first in byte order is read.
  Disc disc;
  disc.put_files("Video_ts.ifo video_ts.IFO:4095");
  EXPECT_NE(disc.run().output.find("<Title Information>"), std::string::npos);
}
#endif

} // namespace
