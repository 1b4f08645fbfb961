// Discs read from a UDF image and from the folder above VIDEO_TS: their reports equal the folder's;
// bad images print one line.
#include "harness.h"

#include "fixture.h"
#include "menuvob/menu_vob_scan.h"
#include "platform/disc_file.h"
#include "platform/name_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kBanner = "*** NAVLIST Ver 1.00 ***\n";
const char *const kSamples[] = {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"};

// Each run leaves the disc it chose behind; the next test starts from folders.
RunResult run(const std::vector<std::string> &args, const fs::path &cwd) {
  RunResult result = run_navlist(args, cwd);
  use_disc_folders();
  return result;
}

// Copies a sample disc's VIDEO_TS into `root` as `folder`, each file name
// passed through `rename`.
void copy_sample(
    const std::string &disc, const fs::path &root, const std::string &folder,
    std::string (*rename)(std::string) = [](std::string n) { return n; }) {
  fs::create_directories(root / folder);
  for (const auto &entry : fs::directory_iterator(sample_disc(disc)))
    fs::copy_file(entry.path(), root / folder / rename(entry.path().filename().string()));
}

std::string lower(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

#ifdef NAVLIST_HAVE_UDFREAD

bool have_genisoimage() {
  return std::string(NAVLIST_GENISOIMAGE).find('/') != std::string::npos;
}

// Writes the UDF image of the folder `root` (which holds VIDEO_TS) to `image`;
// `dvd_video` lays it out as a DVD-Video disc.
void make_image(const fs::path &root, const fs::path &image, bool dvd_video = true) {
  const std::string command = std::string(NAVLIST_GENISOIMAGE) + " -quiet -udf " +
                              (dvd_video ? "-dvd-video " : "") + "-o '" + image.string() + "' '" +
                              root.string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

#define REQUIRE_GENISOIMAGE()                                                                      \
  if (!have_genisoimage())                                                                         \
  GTEST_SKIP() << "genisoimage is not installed"

TEST(DiscImage, SampleDiscsReportAsTheirFolders) {
  REQUIRE_GENISOIMAGE();
  for (const std::string disc : kSamples) {
    TempDir dir;
    make_image(sample_disc(disc).parent_path(), dir.path() / "disc.iso");
    for (const auto &[args, golden, status] :
         {std::tuple{std::vector<std::string>{"-I"}, "ifo_", 0},
          std::tuple{std::vector<std::string>{"-V"}, "vob_", disc == "plain" ? 1 : 0},
          std::tuple{std::vector<std::string>{}, "full_", disc == "plain" ? 1 : 0}}) {
      std::vector<std::string> arguments = args;
      arguments.push_back("disc.iso");
      const RunResult result = run(arguments, dir.path());
      EXPECT_EQ(result.status, status) << golden << disc;
      expect_golden(result.output, golden + disc + ".txt");
    }
  }
}

// Names inside the image are matched ignoring case, the VIDEO_TS folder's
// as well as its files'; messages spell the names as the program builds them.
TEST(DiscImage, NamesInsideTheImageIgnoreCase) {
  REQUIRE_GENISOIMAGE();
  const struct {
    const char *folder;
    std::string (*rename)(std::string);
    const char *remove; // "" or a file to leave out
    std::string ending; // "" for the golden report
  } rows[] = {
      {"video_ts", lower, "", ""},
      {"Video_Ts", [](std::string n) { return lower(n.substr(0, 3)) + n.substr(3); }, "", ""},
      {"VIDEO_TS", lower, "vts_01_0.ifo", "m.iso\\VTS_01_0.IFO not found.\n"},
  };
  for (const auto &row : rows) {
    TempDir dir;
    copy_sample("vmgm_menu", dir.path() / "root", row.folder, row.rename);
    if (*row.remove != '\0')
      fs::remove(dir.path() / "root" / row.folder / row.remove);
    make_image(dir.path() / "root", dir.path() / "m.iso", false);
    const RunResult result = run({"-I", "m.iso"}, dir.path());
    EXPECT_EQ(result.status, row.ending.empty() ? 0 : 1) << row.folder;
    if (row.ending.empty())
      expect_golden(result.output, "ifo_vmgm_menu.txt");
    else
      EXPECT_TRUE(result.output.ends_with(row.ending)) << result.output;
  }
}

// Which one-line message `output` is (0 to 4), or -1 when it is none.
int image_message_kind(const std::string &output, const std::string &image) {
  static const std::regex kinds[] = {
      std::regex(R"( is not a UDF disc image, or it is cut short\.)"),
      std::regex(R"( is cut short or damaged: VIDEO_TS cannot be read\.)"),
      std::regex(R"( is cut short or damaged: VIDEO_TS\\[A-Z_0-9]+\.[A-Z]+ cannot be read\.)"),
      std::regex(R"( is cut short: VIDEO_TS\\[A-Z_0-9]+\.[A-Z]+ ends past the end of the image\.)"),
      std::regex(R"( holds no VIDEO_TS folder\.)"),
  };
  const std::string head = kBanner + image;
  if (!output.starts_with(head) || !output.ends_with("\n"))
    return -1;
  const std::string line = output.substr(head.size(), output.size() - head.size() - 1);
  for (int kind = 0; kind < 5; ++kind)
    if (std::regex_match(line, kinds[kind]))
      return kind;
  return -1;
}

// An image cut at every block and inside every block: each cut that loses
// bytes of a file or of the file system prints one line and exits with 1;
// only cuts past the last file (into the padding behind it) read as whole.
TEST(DiscImage, EveryCutPrintsOneLineUntilTheFilesAreWhole) {
  REQUIRE_GENISOIMAGE();
  TempDir dir;
  const fs::path image = dir.path() / "cut.iso";
  make_image(sample_disc("vmgm_menu").parent_path(), image);
  const RunResult whole = run({"cut.iso"}, dir.path());
  bool still_whole = true;
  std::vector<int> seen;
  for (size_t length = fs::file_size(image); length-- > 0;) {
    if (length % 2048 != 0 && length % 2048 != 1000)
      continue;
    fs::resize_file(image, length);
    const RunResult result = run({"cut.iso"}, dir.path());
    if (still_whole && result.output == whole.output)
      continue;
    still_whole = false;
    const int kind = image_message_kind(result.output, "cut.iso");
    ASSERT_NE(kind, -1) << length << "\n" << result.output;
    ASSERT_EQ(result.status, 1) << length;
    if (std::find(seen.begin(), seen.end(), kind) == seen.end())
      seen.push_back(kind);
  }
  // Cuts inside the volume descriptors, inside VIDEO_TS's directory, inside a
  // file entry and inside a file's data.
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
}

TEST(DiscImage, FilesThatAreNoImagePrintOneLine) {
  REQUIRE_GENISOIMAGE();
  TempDir dir;
  fs::create_directories(dir.path() / "no_video_ts" / "AUDIO_TS");
  make_image(dir.path() / "no_video_ts", dir.path() / "audio.iso", false);
  fixture::write_file(dir.path() / "text.txt", {'n', 'o', 't', '\n'});
  fixture::write_file(dir.path() / "zeros.bin", fixture::Bytes(1 << 20));
  fixture::write_file(dir.path() / "empty", {});
  fs::copy_file(sample_disc("vmgm_menu") / "VIDEO_TS.VOB", dir.path() / "menu.mpg");
  const std::string not_udf = " is not a UDF disc image, or it is cut short.\n";
  for (const auto &[name, message] :
       {std::pair{"text.txt", not_udf}, std::pair{"zeros.bin", not_udf},
        std::pair{"empty", not_udf}, std::pair{"menu.mpg", not_udf},
        std::pair{"audio.iso", std::string(" holds no VIDEO_TS folder.\n")}}) {
    const RunResult result = run({name}, dir.path());
    EXPECT_EQ(result.output, kBanner + name + message);
    EXPECT_EQ(result.status, 1) << name;
  }
}

// A file that the image stops giving while it is read (a disc with a bad
// sector, or here an image cut after it was opened) is reported at that
// point, and the dump goes on with what was read.
TEST(DiscImage, ReadFailureIsReportedOnce) {
  REQUIRE_GENISOIMAGE();
  TempDir dir;
  const fs::path image = dir.path() / "v.iso";
  make_image(sample_disc("vmgm_menu").parent_path(), image);
  const std::string prefix = image.string() + "\\";
  ASSERT_EQ(use_disc_image(prefix.c_str(), prefix.c_str()).status, ImageStatus::kOpened);
  DiscFile *vob = open_disc_file((prefix + "VIDEO_TS.VOB").c_str());
  ASSERT_NE(vob, nullptr);
  fs::resize_file(image, 0);
  int result = -1;
  const std::string output = capture_output([&] { result = scan_menu_vob(vob); });
  close_disc_file(vob);
  EXPECT_EQ(output, prefix + "VIDEO_TS.VOB cannot be read to its end.\n  ----\n");
  EXPECT_TRUE(disc_read_failure_reported());
  use_disc_folders();
  EXPECT_FALSE(disc_read_failure_reported());
}

#else

TEST(DiscImage, BuildWithoutImagesSaysSo) {
  TempDir dir;
  fixture::write_file(dir.path() / "movie.iso", fixture::Bytes(4096));
  const RunResult result = run({"movie.iso"}, dir.path());
  EXPECT_EQ(result.output, kBanner + "movie.iso is not a folder, and this build of navlist reads "
                                     "no disc images: mount the image and name its drive.\n");
  EXPECT_EQ(result.status, 1);
}

#endif

// The folder above VIDEO_TS: the subfolder is used as if the user had named
// it, so names and messages include it.
TEST(ParentFolder, UsesTheVideoTsSubfolder) {
  const std::string golden = read_text_file(fs::path(NAVLIST_GOLDEN_DIR) / "ifo_vmgm_menu.txt");
  const struct {
    const char *subfolder;     // holds vmgm_menu's files
    const char *remove;        // from the subfolder, or ""
    bool control_file_in_root; // rip itself holds a VIDEO_TS.IFO too
    const char *argument;
    std::string ending; // of the report; "" for the golden report
    int status;
  } rows[] = {
      {"VIDEO_TS", "", false, "rip", "", 0},
      {"video_ts", "", false, "rip/", "", 0},
      {"VIDEO_TS", "", false, "rip\\", "", 0},
      {"VIDEO_TS", "VTS_01_0.IFO", false, "rip", "rip\\VIDEO_TS\\VTS_01_0.IFO not found.\n", 1},
      {"Video_TS", "VTS_01_0.IFO", false, "rip/", "rip/Video_TS\\VTS_01_0.IFO not found.\n", 1},
      {"VIDEO_TS", "VIDEO_TS.IFO", false, "rip", "rip\\VIDEO_TS.IFO not found.\n", 1},
      {"VIDEO_TS", "", true, "rip", "rip\\VIDEO_TS.IFO is invalid format.\n", 1},
  };
  for (const auto &row : rows) {
    TempDir dir;
    copy_sample("vmgm_menu", dir.path() / "rip", row.subfolder);
    if (*row.remove != '\0')
      fs::remove(dir.path() / "rip" / row.subfolder / row.remove);
    if (row.control_file_in_root)
      fixture::write_file(dir.path() / "rip" / "VIDEO_TS.IFO", fixture::Bytes(10));
    const RunResult result = run({"-I", row.argument}, dir.path());
    EXPECT_EQ(result.status, row.status) << row.argument << " " << row.subfolder;
    if (row.ending.empty())
      EXPECT_EQ(result.output, golden) << row.argument << " " << row.subfolder;
    else
      EXPECT_TRUE(result.output.ends_with(row.ending)) << result.output;
  }
}

// "Path too long." applies to the path with the subfolder added.
TEST(ParentFolder, PathTooLongCountsTheSubfolder) {
  for (const auto &[length, fits] : {std::pair{237u, true}, std::pair{238u, false}}) {
    TempDir dir;
    const std::string parent(length, 'x'); // + \VIDEO_TS\ makes length + 10
    copy_sample("plain", dir.path() / parent, "VIDEO_TS");
    const RunResult result = run({"-I", parent}, dir.path());
    EXPECT_EQ(result.status, fits ? 0 : 2) << length;
    EXPECT_TRUE(result.output.starts_with(kBanner + (fits ? "\n===" : "Path too long.\n")));
  }
}

TEST(NameLookup, ExactNameElseFirstInByteOrderIgnoringCase) {
  const struct {
    std::vector<std::string> names; // a trailing '/' marks a folder
    const char *wanted;
    bool folders_only;
    const char *found; // null: none
  } rows[] = {
      {{"video_ts.ifo", "VIDEO_TS.IFO", "Video_TS.IFO"}, "VIDEO_TS.IFO", false, "VIDEO_TS.IFO"},
      {{"video_ts.ifo", "Video_TS.IFO"}, "VIDEO_TS.IFO", false, "Video_TS.IFO"},
      {{"video_ts.ifo", "Video_TS.IFO"}, "video_ts.ifo", false, "video_ts.ifo"},
      {{"VIDEO_TS.IF", "VIDEO_TS.IFOX", "VIDEO_TS_IFO"}, "VIDEO_TS.IFO", false, nullptr},
      {{"VIDEO_TS", "video_ts/"}, "VIDEO_TS", true, "video_ts"},
      {{"VIDEO_TS", "video_ts/"}, "VIDEO_TS", false, "VIDEO_TS"},
      {{"VIDEO_TS/", "AUDIO_TS/"}, "video_ts", true, "VIDEO_TS"},
      {{"\xE9t\xE9"}, "\xC9T\xC9", false, nullptr}, // ASCII case only
  };
  for (const auto &row : rows) {
    NameList list;
    for (const std::string &name : row.names)
      list.add(name.ends_with("/") ? name.substr(0, name.size() - 1) : name, name.ends_with("/"));
    list.finish();
    const FolderEntry *entry =
        row.folders_only ? list.find_folder(row.wanted) : list.find(row.wanted);
    EXPECT_EQ(entry == nullptr ? "(none)" : entry->name, row.found ? row.found : "(none)")
        << row.wanted;
  }
}

#ifndef _WIN32
// A folder is listed once per run: a file that appears later in the run is
// not seen, and the next run lists the folder again.
TEST(NameLookup, FolderListingIsReadOncePerRun) {
  TempDir dir;
  const std::string folder = (dir.path() / "VIDEO_TS").string() + "\\";
  fixture::write_file(dir.path() / "VIDEO_TS" / "video_ts.ifo", {1});
  use_disc_folders();
  DiscFile *file = open_disc_file((folder + "VIDEO_TS.IFO").c_str());
  ASSERT_NE(file, nullptr);
  close_disc_file(file);
  fixture::write_file(dir.path() / "VIDEO_TS" / "vts_01_0.ifo", {1});
  EXPECT_EQ(open_disc_file((folder + "VTS_01_0.IFO").c_str()), nullptr);
  use_disc_folders();
  file = open_disc_file((folder + "VTS_01_0.IFO").c_str());
  ASSERT_NE(file, nullptr);
  close_disc_file(file);
}
#endif

} // namespace
