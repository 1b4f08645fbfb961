// SPDX-License-Identifier: MIT
// The command line: usage, option parsing and which error wins, path normalization, exit status.
#include "harness.h"

#include "common/dbcs.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kBanner = "*** NAVLIST Ver 1.00 ***\n";

TEST(CommandLine, MessagesAndWhichErrorWins) {
  const struct {
    std::vector<std::string> args;
    std::string output; // after the banner
    int status;
  } rows[] = {
      {{},
       "Usage: NAVLIST [-I] [-V] <Path>\n  -I : Dump *.ifo files.\n  -V : Dump *.vob(menu) "
       "files.\n<ex> : NAVLIST -I -V c:\\video_ts\n",
       2},
      {{"-I"}, "Path not Found.\n", 2},
      {{"-i", "-v", "-V"}, "Path not Found.\n", 2},
      {{"-I", "a", "b"}, "Extra parameters.\n", 2},
      {{"-x", "a"}, "Invalid option.\n", 2},
      {{"a", "-x"}, "Invalid option.\n", 2},
      {{"a", "b", "-x"}, "Extra parameters.\n", 2},
      {{"-x", "a", "b"}, "Invalid option.\n", 2},
      {{"-"}, "Invalid option.\n", 2},
      {{"-iv", "a"}, "Invalid option.\n", 2},
      {{"-I", "-Ix"}, "Invalid option.\n", 2},
  };
  for (const auto &row : rows) {
    std::string joined;
    for (const std::string &a : row.args)
      joined += a + " ";
    const RunResult result = run_navlist(row.args);
    EXPECT_EQ(result.output, kBanner + row.output) << "arguments: " << joined;
    EXPECT_EQ(result.status, row.status) << "arguments: " << joined;
  }
}

TEST(CommandLine, SwitchesChooseTheDumpsAndIfoAlwaysRunsFirst) {
  TempDir dir; // holds no disc: each dump says so in its own words
  const std::string ifo = "DISC\\VIDEO_TS.IFO not found.\n";
  const std::string vob = "*.VOB(menu) is not found.\n";
  const struct {
    std::vector<std::string> args;
    std::string output;
  } rows[] = {
      {{"DISC"}, ifo + vob},
      {{"-V", "DISC"}, vob},
      {{"-v", "DISC"}, vob},
      {{"DISC", "-i"}, ifo},
      {{"DISC", "-i", "-V"}, ifo + vob},
      {{"-V", "-I", "DISC"}, ifo + vob},
      {{"-I", "-I", "DISC"}, ifo},
  };
  for (const auto &row : rows) {
    const RunResult result = run_navlist(row.args, dir.path());
    EXPECT_EQ(result.output, kBanner + row.output) << row.args[0];
    EXPECT_EQ(result.status, 1) << row.args[0];
  }
}

TEST(PathNormalization, EndsInExactlyOneSeparator) {
  const struct {
    std::string path;
    std::string normalized;
  } rows[] = {
      {"D:\\DISC", "D:\\DISC\\"},
      {"D:\\DISC\\", "D:\\DISC\\"},
      {"", "\\"},
      {"a", "a\\"},
      {"dir/sub", "dir/sub\\"},
      // 0x95 0x5C is one double-byte character whose trail byte is the
      // backslash code: it is no separator, so one is appended.
      {"D:\\\x95\x5C", "D:\\\x95\x5C\\"},
      // A real separator after a double-byte character stays alone.
      {"D:\\\x95\x5C\\", "D:\\\x95\x5C\\"},
      // 0x5C after a single byte 0x7E is a separator.
      {"D:\\~\\", "D:\\~\\"},
  };
  for (const auto &row : rows) {
    char buffer[kPathBufferSize] = {};
    row.path.copy(buffer, row.path.size());
    normalize_path(buffer);
    EXPECT_EQ(std::string(buffer), row.normalized) << row.path;
    EXPECT_EQ(normalized_path_length(row.path.c_str()), row.normalized.size()) << row.path;
  }
}

TEST(PathNormalization, DoubleByteKinds) {
  const char *text = "a\x81\x5C"
                     "b\xE0";
  EXPECT_EQ(dbcs_char_kind(text, 0), 0);
  EXPECT_EQ(dbcs_char_kind(text, 1), 1);
  EXPECT_EQ(dbcs_char_kind(text, 2), 2);
  EXPECT_EQ(dbcs_char_kind(text, 3), 0);
  // A lead byte with nothing after it: the walk stops at the terminator.
  EXPECT_EQ(dbcs_char_kind(text, 4), 1);
  EXPECT_EQ(dbcs_char_kind(text, 5), 0);
  EXPECT_EQ(dbcs_char_kind(text, 9), 0);
  // 0xA0..0xDF are single-byte katakana, 0xFD and up are not lead bytes.
  EXPECT_EQ(dbcs_char_kind("\xA0\x5C", 1), 0);
  EXPECT_EQ(dbcs_char_kind("\xFD\x5C", 1), 0);
  EXPECT_EQ(dbcs_char_kind("\x80\x5C", 1), 2);
  EXPECT_EQ(dbcs_char_kind("\xFC\x5C", 1), 2);
}

// 247 characters once normalized (246 and the appended separator) is the
// limit; the names built from it must still fit their 260-byte buffers. A
// trailing separator is not counted twice.
TEST(PathNormalization, LongestPathThatFitsAndTheFirstThatDoesNot) {
  TempDir dir;
  const std::string x246(246, 'x');
  for (const auto &[path, fits] :
       {std::pair{x246.substr(1), true}, std::pair{x246, true}, std::pair{x246 + "\\", true},
        std::pair{x246 + "x", false}, std::pair{std::string(4000, 'x'), false}}) {
    const RunResult result = run_navlist({"-I", path}, dir.path());
    const std::string folder = path.ends_with("\\") ? path : path + "\\";
    EXPECT_EQ(result.output, kBanner + (fits ? folder + "VIDEO_TS.IFO not found.\n"
                                             : std::string("Path too long.\n")))
        << path.size();
    EXPECT_EQ(result.status, fits ? 1 : 2) << path.size();
  }
}

} // namespace
