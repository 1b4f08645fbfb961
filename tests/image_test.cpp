// SPDX-License-Identifier: MIT
// Discs read from a UDF image and from the folder above VIDEO_TS: their reports equal the folder's;
// bad images print one line.
#include "harness.h"

#include "menuvob/menu_vob_scan.h"
#include "platform/disc_file.h"
#include "platform/input_file.h"
#include "platform/name_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kBanner = "*** NAVLIST Ver 1.00 ***\n";

#ifdef NAVLIST_HAVE_UDFREAD

// Writes the UDF image of the folder `root` (which holds VIDEO_TS) to `image`; `dvd_video` lays
// it out as a DVD-Video disc.
void make_image(const fs::path &root, const fs::path &image, bool dvd_video = true) {
  const std::string command = std::string(NAVLIST_GENISOIMAGE) + " -quiet -udf " +
                              (dvd_video ? "-dvd-video " : "") + "-o '" + image.string() + "' '" +
                              root.string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

#define REQUIRE_GENISOIMAGE()                                                                      \
  if (std::string(NAVLIST_GENISOIMAGE).find('/') == std::string::npos)                             \
  GTEST_SKIP() << "genisoimage is not installed"

TEST(DiscImage, SampleDiscsReportAsTheirFolders) {
  REQUIRE_GENISOIMAGE();
  for (const std::string disc : {"plain", "vmgm_menu", "vtsm_menus", "many_buttons"}) {
    const Disc dir;
    make_image(sample_disc(disc).parent_path(), dir.path() / "disc.iso");
    const RunResult result = run_navlist({"disc.iso"}, dir.path());
    EXPECT_EQ(result.status, 0) << disc;
    expect_golden(result.output, "full_" + disc + ".txt");
  }
}

// Names inside the image are matched ignoring case, the VIDEO_TS folder's as well as its files';
// messages spell the names as the program builds them.
TEST(DiscImage, NamesInsideTheImageIgnoreCase) {
  REQUIRE_GENISOIMAGE();
  for (const std::string missing : {"", "vts_01_0.ifo"}) {
    const Disc dir;
    const fs::path folder = dir.path() / "root" / "video_ts";
    copy_sample("vmgm_menu", folder);
    for (const auto &entry : fs::directory_iterator(folder)) {
      std::string name = entry.path().filename().string();
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      fs::rename(entry.path(), folder / name);
    }
    fs::resize_file(folder / "vts_01_1.vob", 0); // never read
    if (!missing.empty())
      fs::remove(folder / missing);
    make_image(dir.path() / "root", dir.path() / "m.iso", false);
    const RunResult result = run_navlist({"-I", "m.iso"}, dir.path());
    EXPECT_EQ(result.status, missing.empty() ? 0 : 1);
    if (missing.empty())
      expect_golden(result.output, "ifo_vmgm_menu.txt");
    else
      EXPECT_NE(result.output.find("\nm.iso\\VTS_01_0.IFO cannot be read: its backup "
                                   "m.iso\\VTS_01_0.BUP is used.\n"),
                std::string::npos)
          << result.output;
  }
}

// An image cut at every block and inside every block: each cut that loses bytes of a file or of
// the file system prints one line and exits with 1; only cuts past the last file (into the
// padding behind it) read as whole.
TEST(DiscImage, EveryCutPrintsOneLineUntilTheFilesAreWhole) {
  REQUIRE_GENISOIMAGE();
  static const std::regex message(
      R"(cut\.iso (is not a UDF disc image, or it is cut short|is cut short or damaged: VIDEO_TS)"
      R"((\\[A-Z0-9_]+\.[A-Z]+)? cannot be read|is cut short: VIDEO_TS\\[A-Z0-9_]+\.[A-Z]+ ends)"
      R"( past the end of the image)\.\n)");
  const Disc dir;
  const fs::path image = dir.path() / "cut.iso";
  make_image(sample_disc("vmgm_menu").parent_path(), image);
  const RunResult whole = run_navlist({"cut.iso"}, dir.path());
  // Where the last file's bytes end in the image (a backup file repeats its control file, so
  // each is found from the end).
  const std::string bytes = read_file(image);
  size_t files_end = 0;
  for (const auto &entry : fs::directory_iterator(sample_disc("vmgm_menu"))) {
    const std::string content = read_file(entry.path());
    files_end = std::max(files_end, bytes.rfind(content) + content.size());
  }
  std::set<std::string> kinds; // each message with its file name left out
  for (size_t length = bytes.size(); length-- > 0;) {
    if (length % 2048 != 0 && length % 2048 != 1000)
      continue;
    fs::resize_file(image, length);
    const RunResult result = run_navlist({"cut.iso"}, dir.path());
    ASSERT_EQ(result.output == whole.output, length >= files_end) << length;
    if (length >= files_end)
      continue;
    std::smatch m;
    const std::string line = result.output.substr(kBanner.size());
    ASSERT_TRUE(result.output.starts_with(kBanner) && std::regex_match(line, m, message))
        << length << "\n"
        << result.output;
    ASSERT_EQ(result.status, 1) << length;
    kinds.insert(std::regex_replace(m.str(1), std::regex(R"(\\[A-Z0-9_.]+)"), "\\"));
  }
  // Cuts inside the volume descriptors, inside VIDEO_TS's directory, inside a file entry and
  // inside a file's data.
  EXPECT_EQ(kinds.size(), 4u);
}

TEST(DiscImage, FilesThatAreNoImagePrintOneLine) {
  REQUIRE_GENISOIMAGE();
  const Disc dir;
  fs::create_directories(dir.path() / "no_video_ts" / "AUDIO_TS");
  make_image(dir.path() / "no_video_ts", dir.path() / "audio.iso", false);
  write_file(dir.path() / "text.txt", {'n', 'o', 't', '\n'});
  write_file(dir.path() / "zeros.bin", std::vector<uint8_t>(1 << 20));
  write_file(dir.path() / "empty", {});
  fs::copy_file(sample_disc("vmgm_menu") / "VIDEO_TS.VOB", dir.path() / "menu.mpg");
  const std::string not_udf = " is not a UDF disc image, or it is cut short.";
  for (const auto &[name, message] :
       {std::pair{"text.txt", not_udf}, std::pair{"zeros.bin", not_udf},
        std::pair{"empty", not_udf}, std::pair{"menu.mpg", not_udf},
        std::pair{"audio.iso", std::string(" holds no VIDEO_TS folder.")}}) {
    const RunResult result = run_navlist({name}, dir.path());
    EXPECT_EQ(result.output, kBanner + name + message + "\n");
    EXPECT_EQ(result.status, 1) << name;
    // --json: one document with the line as its problem; --graph: no graph.
    const std::string problem =
        R"("problems":[{"message":")" + std::string(name) + message + "\"}]}\n";
    EXPECT_EQ(run_navlist({"-V", "--json", name}, dir.path()).output,
              R"({"navlist":"1.1.0","menu_vobs":null,)" + problem);
    EXPECT_EQ(run_navlist({"--json", name}, dir.path()).output,
              R"({"navlist":"1.1.0","video_manager":null,"title_sets":null,"menu_vobs":null,)" +
                  problem);
    EXPECT_EQ(run_navlist({"--graph", name}, dir.path()), (RunResult{1, ""}));
  }
}

// Damaged discs read from an image report as their folders: with a title set missing, control
// files read from their backups (one through a bad sector), without the menu VOBs they declare.
TEST(DiscImage, DamagedDiscsReportAsTheirFolders) {
  REQUIRE_GENISOIMAGE();
  const struct {
    const char *files; // laid out as Disc::put_files does
    const char *bad;   // a file whose reads fail from its second sector on
    int status;
    const char *json; // a part of the JSON document
  } rows[] = {
      {"@vmgm_menu -VTS_01_0.IFO -VTS_01_0.BUP", "", 1, R"("title_sets":[{"title_set":2,)"},
      {"@vmgm_menu VIDEO_TS.IFO:10 -VIDEO_TS.VOB -VTS_02_0.VOB", "VTS_02_0.IFO", 1,
       R"("video_manager":{"file":"VIDEO_TS.BUP",)"},
      {"@plain", "", 0, R"("notes":[{"message":"*.VOB(menu) is not found."}],"problems":[])"}};
  for (const auto &row : rows) {
    const Disc disc, image; // the folder disc/X and the image image/X, so that names print alike
    disc.put_files(row.files);
    make_image(disc.path(), image.path() / "X", false);
    fs::rename(disc.folder(), disc.path() / "X");
    fail_disc_reads_from(row.bad, 2048);
    for (const Args &args : {Args{"X"}, Args{"--json", "X"}, Args{"--graph", "X"}}) {
      const RunResult folder = run_navlist(args, disc.path());
      EXPECT_EQ(run_navlist(args, image.path()), folder) << row.files << " " << args[0];
      EXPECT_EQ(folder.status, row.status);
      EXPECT_TRUE(args[0] != "--json" || folder.output.find(row.json) != std::string::npos);
    }
  }
}

// A file that the image stops giving while it is read (a disc with a bad sector, or here an image
// cut after it was opened) is read as far as it goes, and the failure is told.
TEST(DiscImage, ReadFailureIsTold) {
  REQUIRE_GENISOIMAGE();
  const Disc dir;
  const fs::path image = dir.path() / "v.iso";
  make_image(sample_disc("vmgm_menu").parent_path(), image);
  const std::string prefix = image.string() + "\\";
  ASSERT_EQ(use_disc_image(prefix.c_str()).status, ImageStatus::kOpened);
  // Two openings of one file share the image's one handle of it, each from its own start.
  char heads[2][12];
  DiscFile *ifo[2];
  for (int i = 0; i < 2; ++i) {
    ifo[i] = open_disc_file((prefix + "VIDEO_TS.IFO").c_str());
    ASSERT_EQ(read_disc_file(ifo[i], heads[i], 12), 12u);
  }
  EXPECT_EQ(std::string(heads[1], 12), "DVDVIDEO-VMG");
  EXPECT_EQ(std::string(heads[0], 12), std::string(heads[1], 12));
  for (DiscFile *file : ifo)
    close_disc_file(file);
  DiscFile *vob = open_disc_file((prefix + "VIDEO_TS.VOB").c_str());
  ASSERT_NE(vob, nullptr);
  fs::resize_file(image, 0);
  EXPECT_FALSE(collect_menu_vob(vob));
  EXPECT_TRUE(disc_file_failed(vob));
  EXPECT_EQ(button_record_count, 0);
  close_disc_file(vob);
  use_disc_folders();
}

// A name must leave room for its terminator in a file's buffer of 260 bytes, or the file is not
// opened: the image's own name, written with one slash or with two, makes it 259 or 260 bytes.
TEST(DiscImage, NamesThatFillTheBufferDoNotOpen) {
  REQUIRE_GENISOIMAGE();
  const Disc dir;
  const std::string image(245 - dir.path().string().size(), 'x'); // DIR/IMAGE\VIDEO_TS.IFO
  make_image(sample_disc("vmgm_menu").parent_path(), dir.path() / image);
  for (const auto &[slash, opens] : {std::pair{"/", true}, std::pair{"//", false}}) {
    const std::string prefix = dir.path().string() + slash + image + "\\";
    ASSERT_EQ(use_disc_image(prefix.c_str()).status, ImageStatus::kOpened);
    DiscFile *file = open_disc_file((prefix + "VIDEO_TS.IFO").c_str());
    EXPECT_EQ(file != nullptr, opens) << prefix.size();
    if (file != nullptr)
      close_disc_file(file);
  }
  use_disc_folders();
}

#else

TEST(DiscImage, BuildWithoutImagesSaysSo) {
  const Disc dir;
  write_file(dir.path() / "movie.iso", std::vector<uint8_t>(4096));
  const RunResult result = run_navlist({"movie.iso"}, dir.path());
  EXPECT_EQ(result.output, kBanner + "movie.iso is not a folder, and this build of navlist reads "
                                     "no disc images: mount the image and name its drive.\n");
  EXPECT_EQ(result.status, 1);
}

#endif

// The folder above VIDEO_TS: the subfolder is used as if the user had named it, so names and
// messages include it.
TEST(ParentFolder, UsesTheVideoTsSubfolder) {
  const struct {
    const char *subfolder; // holds vmgm_menu's files
    const char *remove;    // from rip/subfolder, or "", or ../VIDEO_TS.IFO to add to rip, or "@"
    const char *argument;
    std::string ending; // a line of the report, which exits with 1; "" for the golden report
  } rows[] = {
      {"VIDEO_TS", "", "rip", ""},
      {"video_ts", "", "rip/", ""},
      {"VIDEO_TS", "", "rip\\", ""},
      {"VIDEO_TS", "VTS_01_0.IFO", "rip",
       "rip\\VIDEO_TS\\VTS_01_0.IFO cannot be read: its backup "
       "rip\\VIDEO_TS\\VTS_01_0.BUP is used.\n"},
      {"Video_TS", "VTS_01_0.IFO", "rip/",
       "rip/Video_TS\\VTS_01_0.IFO cannot be read: its backup "
       "rip/Video_TS\\VTS_01_0.BUP is used.\n"},
      {"video_ts", "VTS_01_0.IFO", "rip",
       "rip\\video_ts\\VTS_01_0.IFO cannot be read: its backup "
       "rip\\video_ts\\VTS_01_0.BUP is used.\n"},
      {"VIDEO_TS", "VIDEO_TS.IFO", "rip", "rip\\VIDEO_TS.IFO not found.\n"},
      {"VIDEO_TS", "../VIDEO_TS.IFO", "rip", "rip\\VIDEO_TS.IFO is invalid format.\n"},
#ifndef _WIN32
      {"VIDEO_TS", "@", "rip", ""}, // VIDEO_TS is a link to the sample's folder
#endif
  };
  for (const auto &row : rows) {
    const Disc dir;
    const fs::path rip = dir.path() / "rip";
    const std::string remove = row.remove;
    if (remove == "@") {
      fs::create_directories(rip);
      fs::create_directory_symlink(sample_disc("vmgm_menu"), rip / row.subfolder);
    } else {
      copy_sample("vmgm_menu", rip / row.subfolder);
    }
    if (remove.starts_with(".."))
      write_file(rip / "VIDEO_TS.IFO", std::vector<uint8_t>(10));
    else if (!remove.empty() && remove != "@")
      fs::remove(rip / row.subfolder / remove);
    const RunResult result = run_navlist({"-I", row.argument}, dir.path());
    SCOPED_TRACE(std::string(row.argument) + " " + row.subfolder);
    EXPECT_EQ(result.status, row.ending.empty() ? 0 : 1);
    if (row.ending.empty())
      expect_golden(result.output, "ifo_vmgm_menu.txt");
    else
      EXPECT_NE(result.output.find(row.ending), std::string::npos) << result.output;
  }
}

// "Path too long." applies to the path with the subfolder added.
TEST(ParentFolder, PathTooLongCountsTheSubfolder) {
  for (const auto &[length, fits] : {std::pair{237u, true}, std::pair{238u, false}}) {
    const Disc dir;
    const std::string parent(length, 'x'); // + \VIDEO_TS\ makes length + 10
    copy_sample("plain", dir.path() / parent / "VIDEO_TS");
    const RunResult result = run_navlist({"-I", parent}, dir.path());
    EXPECT_EQ(result.status, fits ? 0 : 2) << length;
    EXPECT_TRUE(result.output.starts_with(kBanner + (fits ? "\n===" : "Path too long.\n")));
  }
}

TEST(NameLookup, ExactNameElseFirstInByteOrderIgnoringCase) {
  const struct {
    const char *names;  // separated by spaces; a trailing '/' marks a folder
    const char *wanted; // a trailing '/': among the folders only
    const char *found;  // "" for none
  } rows[] = {
      {"video_ts.ifo VIDEO_TS.IFO Video_TS.IFO", "VIDEO_TS.IFO", "VIDEO_TS.IFO"},
      {"video_ts.ifo Video_TS.IFO", "VIDEO_TS.IFO", "Video_TS.IFO"},
      {"video_ts.ifo Video_TS.IFO", "video_ts.ifo", "video_ts.ifo"},
      {"VIDEO_TS.IF VIDEO_TS.IFOX VIDEO_TS_IFO", "VIDEO_TS.IFO", ""},
      {"VIDEO_TS video_ts/", "VIDEO_TS/", "video_ts"},
      {"VIDEO_TS video_ts/", "VIDEO_TS", "VIDEO_TS"},
      {"VIDEO_TS/ AUDIO_TS/", "video_ts/", "VIDEO_TS"},
      {"\xE9t\xE9", "\xC9T\xC9", ""}, // ASCII case only
      {"a_z Z_A", "A_Z", "a_z"},      // A and Z fold too
  };
  for (const auto &row : rows) {
    NameList list;
    std::istringstream names(row.names);
    for (std::string name; names >> name;)
      list.add(name.ends_with("/") ? name.substr(0, name.size() - 1) : name, name.ends_with("/"));
    list.finish();
    const std::string wanted = row.wanted;
    const FolderEntry *entry = wanted.ends_with("/")
                                   ? list.find_folder(wanted.substr(0, wanted.size() - 1).c_str())
                                   : list.find(wanted.c_str());
    EXPECT_EQ(entry == nullptr ? "" : entry->name, row.found) << row.wanted;
  }
}

#ifndef _WIN32
// A name must leave room for its terminator in the 260-byte buffer that opening a file of a
// folder builds it in: 259 characters open, 260 do not.
TEST(NameLookup, NamesThatFillTheBufferDoNotOpen) {
  const Disc disc;
  for (const auto &[length, opens] : {std::pair{259u, true}, std::pair{260u, false}}) {
    const std::string folder = disc.path().string() + "/";
    const std::string leaf(length - folder.size(), 'x');
    write_file(disc.path() / leaf, {1});
    std::FILE *file = open_input_file((folder + leaf).c_str());
    EXPECT_EQ(file != nullptr, opens) << length;
    if (file != nullptr)
      std::fclose(file);
  }
  use_disc_folders();
}

// A folder is listed once per run: a file that appears later in the run is not seen, and the
// next run lists the folder again.
TEST(NameLookup, FolderListingIsReadOncePerRun) {
  const Disc disc;
  const std::string folder = disc.folder().string() + "\\";
  auto opens = [&](const char *name) {
    DiscFile *file = open_disc_file((folder + name).c_str());
    if (file != nullptr)
      close_disc_file(file);
    return file != nullptr;
  };
  disc.put("video_ts.ifo", {1});
  use_disc_folders();
  EXPECT_TRUE(opens("VIDEO_TS.IFO"));
  disc.put("vts_01_0.ifo", {1});
  EXPECT_FALSE(opens("VTS_01_0.IFO"));
  use_disc_folders();
  EXPECT_TRUE(opens("VTS_01_0.IFO"));
}
#endif

} // namespace
