// SPDX-License-Identifier: MIT
// Fuzz target: the text, --json and --graph reports of a disc folder, and their exit statuses.
//
// Input: the files VIDEO_TS.IFO, VTS_01_0.IFO, VTS_02_0.IFO, VIDEO_TS.VOB and VTS_01_0.VOB in
// that order, separated by kFileSeparator; a file whose part is empty, or missing after the last
// part, is absent. They are written to a folder of the target's own, and navlist runs on it as
// on the command line: the text report, then --json, then --graph.
//
// Checked: the text report is printable text in lines of sane length; --json prints one JSON
// document of valid UTF-8 and exits as the text report does; --graph prints printable ASCII, one
// digraph, with the same status. A hostile table can claim a report far too large to print here
// (one chain of thousands of commands shared by millions of pointers), so the output is cut off
// after kOutputBudget bytes by an exception from the sink, which unwinds the report like any
// other; such an input is not compared. --graph holds the whole walk before it prints, so it runs
// only on discs whose JSON document fit the budget, which bounds that walk.
#include "driver/driver.h"
#include "fuzz_support.h"
#include "platform/console.h"
#include "platform/disc_file.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kFileNames[] = {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_02_0.IFO",
                                      "VIDEO_TS.VOB", "VTS_01_0.VOB"};
constexpr size_t kOutputBudget = 256 << 10;

struct BudgetExceeded {};

std::string captured;
bool discarding = false; // closing a sink that was left mid-write

ssize_t capture(void *, const char *data, size_t size) {
  if (discarding)
    return static_cast<ssize_t>(size);
  captured.append(data, size);
  if (captured.size() > kOutputBudget)
    throw BudgetExceeded{};
  return static_cast<ssize_t>(size);
}

struct Run {
  int status;
  bool complete; // false when the output was cut off
  std::string output;
};

// navlist with `option` (or none) on `folder`, its output captured.
Run run_navlist(const char *option, const char *folder) {
  cookie_io_functions_t io{};
  io.write = capture;
  std::FILE *sink = fopencookie(nullptr, "w", io);
  if (sink == nullptr)
    fuzz::fail("cannot open the report sink");
  std::setvbuf(sink, nullptr, _IONBF, 0);
  console_set_stream(sink);
  console_set_block_size(4096); // the budget is checked in small steps
  captured.clear();
  std::string program = "navlist", path = folder;
  std::string switch_text = option != nullptr ? option : "";
  std::vector<char *> argv = {program.data()};
  if (option != nullptr)
    argv.push_back(switch_text.data());
  argv.push_back(path.data());
  Run run{0, true, {}};
  try {
    run.status = navlist_main(static_cast<int>(argv.size()), argv.data());
    console_flush();
  } catch (const BudgetExceeded &) {
    run.complete = false;
    print_disc_read_failures(true); // as the run would have left it
  }
  console_set_stream(stderr);
  discarding = true;
  std::fclose(sink);
  discarding = false;
  run.output = std::move(captured);
  return run;
}

void check_json(const Run &json, const Run &text) {
  rapidjson::Document document;
  document.Parse<rapidjson::kParseValidateEncodingFlag>(json.output.c_str(), json.output.size());
  if (document.HasParseError())
    fuzz::fail("--json: %s at byte %zu", rapidjson::GetParseError_En(document.GetParseError()),
               document.GetErrorOffset());
  if (!document.IsObject() || !document.HasMember("problems") || json.output.back() != '\n')
    fuzz::fail("--json: not a navlist document");
  if (text.complete && json.status != text.status)
    fuzz::fail("--json exits with %d, the text report with %d", json.status, text.status);
}

void check_graph(const Run &graph, const Run &json) {
  // A label can run long: its lines are one line of DOT.
  fuzz::TextCheck{"--graph", SIZE_MAX}.feed(graph.output.data(), graph.output.size());
  if (!graph.output.starts_with("digraph ") || !graph.output.ends_with("}\n"))
    fuzz::fail("--graph: not one digraph");
  if (graph.status != json.status)
    fuzz::fail("--graph exits with %d, --json with %d", graph.status, json.status);
}

// The disc folder, made once and removed at exit.
char disc_folder[4096];

const char *folder() {
  if (disc_folder[0] == '\0') {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "navlist-fuzz-XXXXXX").string();
    if (pattern.size() >= sizeof disc_folder)
      fuzz::fail("temporary folder name too long");
    pattern.copy(disc_folder, pattern.size());
    if (mkdtemp(disc_folder) == nullptr)
      fuzz::fail("cannot make a folder for the disc");
    std::atexit([] { std::filesystem::remove_all(disc_folder); });
  }
  return disc_folder;
}

void lay_out(const std::vector<fuzz::FilePart> &files) {
  for (size_t n = 0; n < std::size(kFileNames); ++n) {
    const std::string path = std::string(folder()) + "/" + kFileNames[n];
    if (n >= files.size() || files[n].size == 0) {
      std::remove(path.c_str());
      continue;
    }
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(files[n].data, 1, files[n].size, file) != files[n].size ||
        std::fclose(file) != 0)
      fuzz::fail("cannot write %s", path.c_str());
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  lay_out(fuzz::split_files(data, size, std::size(kFileNames)));
  const Run text = run_navlist(nullptr, folder());
  fuzz::TextCheck{"text report"}.feed(text.output.data(), text.output.size());
  const Run json = run_navlist("--json", folder());
  if (!json.complete)
    return 0;
  check_json(json, text);
  const Run graph = run_navlist("--graph", folder());
  if (graph.complete)
    check_graph(graph, json);
  return 0;
}
