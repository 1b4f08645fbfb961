// Writes the seed corpora of the fuzz targets from the sample discs in samples/, each in the
// input form of its target (fuzz/README.md):
//
//   navlist_fuzz_seeds <repository> <output folder>
//
// makes <output folder>/decode, ifo_dump and menu_vob. Commands for the decoder are every
// command that the program lists for the sample discs, taken from its own report.
#include "driver/driver.h"
#include "fuzz_support.h"
#include "platform/console.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

namespace {

Bytes read_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

// The files joined by the target's separator, as one seed.
void write_seed(const fs::path &path, const std::vector<Bytes> &files) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (size_t i = 0; i < files.size(); ++i)
    out << (i > 0 ? fuzz::kFileSeparator : "") << std::string(files[i].begin(), files[i].end());
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <repository> <output folder>\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[2];
  std::FILE *report = std::tmpfile();
  console_set_stream(report);
  for (const auto &entry : fs::directory_iterator(fs::path(argv[1]) / "samples")) {
    const fs::path disc = entry.path() / "VIDEO_TS";
    const std::string name = "seed-" + entry.path().filename().string();
    std::string path = disc.string();
    char program[] = "navlist";
    char *args[] = {program, path.data(), nullptr};
    navlist_main(2, args);
    std::vector<Bytes> control_files;
    for (unsigned n = 0; n <= 99; ++n) {
      char vts[16];
      std::snprintf(vts, sizeof vts, "VTS_%02u_0", n);
      const std::string file = n == 0 ? "VIDEO_TS" : vts;
      if (!fs::exists(disc / (file + ".IFO")))
        break;
      control_files.push_back(read_file(disc / (file + ".IFO")));
      // A menu VOB seed holds the file's first 16 packs only, to stay small.
      Bytes vob = read_file(disc / (file + ".VOB"));
      vob.resize(std::min<size_t>(vob.size(), 16 * 2048));
      if (!vob.empty())
        write_seed(out / "menu_vob" / (name + "-" + file), {control_files.back(), vob});
    }
    write_seed(out / "ifo_dump" / name, control_files);
  }
  // Every "[XXXX XXXX XXXX XXXX]" of the reports, as the 8 bytes of one command.
  console_flush();
  std::rewind(report);
  std::map<std::string, Bytes> commands;
  char line[4096];
  while (std::fgets(line, sizeof line, report) != nullptr) {
    const char *raw = std::strstr(line, "]:[");
    unsigned b[8];
    if (raw == nullptr || std::sscanf(raw + 3, "%2x%2x %2x%2x %2x%2x %2x%2x]", &b[0], &b[1], &b[2],
                                      &b[3], &b[4], &b[5], &b[6], &b[7]) != 8)
      continue;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X%02X%02X%02X%02X", b[0], b[1], b[2], b[3], b[4],
                  b[5], b[6], b[7]);
    commands[hex] = Bytes(b, b + 8);
  }
  for (const auto &[hex, bytes] : commands)
    write_seed(out / "decode" / ("seed-" + hex), {bytes});
  std::printf("%zu commands\n", commands.size());
  return 0;
}
