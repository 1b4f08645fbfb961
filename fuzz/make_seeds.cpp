// SPDX-License-Identifier: MIT
// Writes the seed corpora of the fuzz targets: the sample discs in samples/ and a few discs made
// by the test fixture builder, each in the input form of its target (fuzz/README.md).
//
//   navlist_fuzz_seeds <repository> <output folder>
//
// makes <output folder>/decode, ifo_dump and menu_vob. Commands for the decoder are every
// command that the program lists for the sample discs, taken from its own report.
#include "driver/driver.h"
#include "fixture.h"
#include "fuzz_support.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::cmd;

namespace {

constexpr size_t kPack = 2048;
// A menu VOB seed holds the file's first packs only, to stay small.
constexpr size_t kMaxSeedPacks = 16;

Bytes read_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_seed(const fs::path &folder, const std::string &name, const Bytes &bytes) {
  fs::create_directories(folder);
  fixture::write_file(folder / name, bytes);
}

Bytes join(const std::vector<Bytes> &files) {
  Bytes out;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0)
      out.insert(out.end(), fuzz::kFileSeparator,
                 fuzz::kFileSeparator + sizeof fuzz::kFileSeparator - 1);
    out.insert(out.end(), files[i].begin(), files[i].end());
  }
  return out;
}

Bytes first_packs(const Bytes &vob) {
  return Bytes(vob.begin(), vob.begin() + std::min(vob.size(), kMaxSeedPacks * kPack));
}

// Every "[XXXX XXXX XXXX XXXX]" of the program's report on this disc.
void collect_listed_commands(const fs::path &disc, std::set<std::string> &commands) {
  std::FILE *capture = std::tmpfile();
  console_set_stream(capture);
  std::string path = disc.string();
  char program[] = "navlist";
  char *argv[] = {program, path.data(), nullptr};
  navlist_main(2, argv);
  console_flush();
  console_set_stream(nullptr);
  std::rewind(capture);
  std::string report;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, capture)) > 0;)
    report.append(chunk, got);
  std::fclose(capture);
  for (size_t at = report.find("]:["); at != std::string::npos; at = report.find("]:[", at + 1)) {
    const std::string raw = report.substr(at + 3, 19);
    if (raw.size() == 19 && raw[4] == ' ' && raw[9] == ' ' && raw[14] == ' ')
      commands.insert(raw.substr(0, 4) + raw.substr(5, 4) + raw.substr(10, 4) + raw.substr(15, 4));
  }
}

void write_command_seeds(const fs::path &out, const std::set<std::string> &commands) {
  for (const std::string &hex : commands) {
    Bytes bytes;
    for (size_t i = 0; i < 16; i += 2)
      bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    write_seed(out / "decode", "seed-" + hex, bytes);
  }
}

void write_sample_seeds(const fs::path &samples, const fs::path &out,
                        std::set<std::string> &commands) {
  for (const auto &entry : fs::directory_iterator(samples)) {
    const fs::path disc = entry.path() / "VIDEO_TS";
    if (!fs::is_directory(disc))
      continue;
    const std::string name = entry.path().filename().string();
    collect_listed_commands(disc, commands);
    std::vector<Bytes> control_files{read_file(disc / "VIDEO_TS.IFO")};
    for (unsigned n = 1; n <= 99; ++n) {
      char vts[16];
      std::snprintf(vts, sizeof vts, "VTS_%02u_0", n);
      if (!fs::exists(disc / (std::string(vts) + ".IFO")))
        break;
      control_files.push_back(read_file(disc / (std::string(vts) + ".IFO")));
      if (fs::exists(disc / (std::string(vts) + ".VOB")))
        write_seed(out / "menu_vob", "seed-" + name + "-" + vts,
                   join({control_files.back(),
                         first_packs(read_file(disc / (std::string(vts) + ".VOB")))}));
    }
    write_seed(out / "ifo_dump", "seed-" + name, join(control_files));
    if (fs::exists(disc / "VIDEO_TS.VOB"))
      write_seed(out / "menu_vob", "seed-" + name + "-VIDEO_TS",
                 join({control_files.front(), first_packs(read_file(disc / "VIDEO_TS.VOB"))}));
  }
}

// Made discs: every kind of list, entry and flag, and tables that the fuzzer can then break.
void write_fixture_seeds(const fs::path &out) {
  using namespace fixture;
  Pgc busy;
  busy.pre = {cmd("71 00 00 00 00 0F 00 00"), cmd("00 A1 00 0F 00 03 00 04")};
  busy.post = {cmd("30 02 00 00 00 01 00 00"), cmd("20 01 00 00 00 00 00 10")};
  busy.cell_commands = {cmd("71 01 00 01 00 02 00 00"), cmd("20 04 00 00 00 00 00 03")};
  busy.cells = {{1, 0}, {2, 3}, {1, 5}, {0, 9}};
  busy.category = 0x83;
  Pgc plain;
  plain.pre = {cmd("30 06 00 00 00 C3 00 00")};
  plain.cells = {{0, 12}};
  Pgc empty;
  empty.command_table = false;
  Pgc cut = busy;
  cut.cell_count = 40;

  Vmg vmg;
  vmg.titles = std::vector<Title>{{1, 1, 1, 3}, {1, 2, 9, 12}, {2, 1, 1, 1}};
  vmg.first_play = busy;
  vmg.menus = MenuTable{{{"en", 0x80, {busy, plain}}, {"fr", 0x00, {empty, cut}}}};
  Vts vts;
  Pgc title = busy;
  title.category = 0x81;
  vts.titles = std::vector<Pgc>{title, plain, empty};
  vts.menus = MenuTable{{{"en", 0xF8, {busy, plain}}, {"\x80?", 0x08, {cut}}}};
  Vts bare; // no tables at all
  write_seed(out / "ifo_dump", "seed-fixture-menus",
             join({build_vmg(vmg).bytes, build_vts(vts).bytes, build_vts(bare).bytes}));
  write_seed(out / "ifo_dump", "seed-fixture-empty",
             join({build_vmg({}).bytes, build_vts(bare).bytes}));

  // A menu VOB: a run of identical NAV packs with video between them, a pack without buttons,
  // one with other buttons, and packs whose button count claims more than the pack holds.
  const std::vector<Command> buttons = {cmd("30 02 00 00 00 01 00 00"),
                                        cmd("30 06 00 00 00 43 00 00"),
                                        cmd("00 02 00 00 00 00 00 00")};
  Bytes vob;
  append_pack(vob, nav_pack(buttons));
  append_pack(vob, video_pack(), 2);
  append_pack(vob, nav_pack(buttons), 2);
  append_pack(vob, nav_pack({}));
  append_pack(vob, nav_pack({cmd("20 01 00 00 00 00 00 10")}));
  append_pack(vob, nav_pack_with_count(buttons, 104));
  append_pack(vob, nav_pack_with_count(buttons, 255));
  append_pack(vob, nav_pack(buttons));
  write_seed(out / "menu_vob", "seed-fixture-vts", join({build_vts(vts).bytes, vob}));
  write_seed(out / "menu_vob", "seed-fixture-vmg", join({build_vmg(vmg).bytes, vob}));
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <repository> <output folder>\n", argv[0]);
    return 2;
  }
  const fs::path repository = argv[1];
  const fs::path out = argv[2];
  std::set<std::string> commands;
  write_sample_seeds(repository / "samples", out, commands);
  write_command_seeds(out, commands);
  write_fixture_seeds(out);
  std::printf("%zu commands\n", commands.size());
  return 0;
}
