// SPDX-License-Identifier: MIT
// The player model: the test discs play as their authoring scripts say (tests/discs/*/
// expected.txt, written down by hand), every command form runs as a golden trace shows, and
// each way a trace can end.
#include "fixture.h"
#include "harness.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace fixture;

const fs::path kDiscs = fs::path(NAVLIST_SAMPLES_DIR).parent_path() / "tests" / "discs";

// A chain as the expected files name it: first_play, vmg_menu_lu01_pgc001, ...
std::string chain_id(const rapidjson::Value &step) {
  const std::string domain = step["domain"].GetString();
  char id[48];
  if (domain == "first_play")
    return "first_play";
  if (domain == "vmgm")
    std::snprintf(id, sizeof id, "vmg_menu_lu%02u_pgc%03u", step["language_unit"].GetUint(),
                  step["pgcn"].GetUint());
  else if (domain == "vtsm")
    std::snprintf(id, sizeof id, "vts%02u_menu_lu%02u_pgc%03u", step["title_set"].GetUint(),
                  step["language_unit"].GetUint(), step["pgcn"].GetUint());
  else
    std::snprintf(id, sizeof id, "vts%02u_title_pgc%03u", step["title_set"].GetUint(),
                  step["pgcn"].GetUint());
  return id;
}

// The lines of expected.txt that a JSON trace (--until end) gives: each chain entered, marked
// "(no cell)" when no cell of it played; "press N"; "title N" after the first title chain's
// line; then the first chain with a cell once that title is over, or how the run ended.
std::vector<std::string> trace_lines(const std::string &json) {
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  EXPECT_FALSE(document.HasParseError()) << json;
  std::vector<std::string> lines;
  size_t current = 0; // the line of the chain entered last
  bool cell = true, title_over = false;
  for (const rapidjson::Value &step : document["steps"].GetArray()) {
    const std::string event = step["event"].GetString();
    if (event == "enter") {
      if (!cell)
        lines[current] += " (no cell)";
      current = lines.size();
      lines.push_back(chain_id(step));
      cell = false;
    } else if (event == "cell" || event == "menu") {
      cell = true;
      if (title_over) {
        lines[current] = "then " + lines[current];
        return lines;
      }
    } else if (event == "press") {
      lines.push_back("press " + std::to_string(step["button"].GetUint()));
    } else if (event == "title") {
      const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string &line) {
        return line.find("_title_") != std::string::npos;
      });
      lines.insert(first == lines.end() ? first : first + 1,
                   "title " + std::to_string(step["title"].GetUint()));
      if (current >= static_cast<size_t>(first - lines.begin()))
        ++current;
      title_over = true;
    }
  }
  const std::string reason = document["result"]["reason"].GetString();
  if (!cell && reason != "loops") // a loop is found as the chain is entered again
    lines[current] += " (no cell)";
  if (reason == "stops")
    lines.push_back(title_over ? "then stop" : "stop");
  else if (reason == "waits")
    lines.push_back("wait");
  else if (reason == "loops")
    lines.push_back("loop");
  else
    lines.push_back(reason);
  return lines;
}

struct ExpectedRun {
  Args options;
  std::vector<std::string> lines;
};

// The runs of an expected.txt as a player by the DVD-Video rules makes them: the lines without
// prefix and the "standard:" ones.
std::vector<ExpectedRun> expected_runs(const fs::path &file) {
  std::vector<ExpectedRun> runs;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#' || line.starts_with("libdvdnav: ") ||
        line.starts_with("reach "))
      continue;
    if (line.starts_with("standard: "))
      line.erase(0, 10);
    if (line == "run" || line.starts_with("run ")) {
      ExpectedRun &run = runs.emplace_back();
      std::istringstream words(line.substr(3));
      for (std::string word; words >> word;) {
        if (word == "--still-wait")
          words >> word; // the oracle's patience: no meaning to the rules
        else
          run.options.push_back(word);
      }
      continue;
    }
    runs.back().lines.push_back(line);
  }
  return runs;
}

TEST(PlayerModel, TestDiscsPlayAsWrittenDown) {
  std::vector<std::pair<fs::path, fs::path>> discs; // expected.txt, VIDEO_TS
  for (const auto &entry : fs::directory_iterator(kDiscs))
    if (fs::exists(entry.path() / "expected.txt"))
      discs.emplace_back(entry.path() / "expected.txt", entry.path() / "VIDEO_TS");
  for (const auto &entry : fs::directory_iterator(kDiscs / "samples"))
    discs.emplace_back(entry.path() / "expected.txt",
                       sample_disc(entry.path().filename().string()));
  ASSERT_GE(discs.size(), 11u);
  for (const auto &[expected, folder] : discs) {
    for (const ExpectedRun &run : expected_runs(expected)) {
      Args args = {"--trace", "--json", "--until", "end"};
      args.insert(args.end(), run.options.begin(), run.options.end());
      args.push_back(folder.string());
      const std::vector<std::string> got = trace_lines(run_navlist(args).output);
      SCOPED_TRACE(expected.string() + " " + testing::PrintToString(run.options));
      // The model finds a loop when a state comes round again; the written-down runs go on
      // until a chain is entered a third time.
      std::vector<std::string> want = run.lines;
      if (want.back() == "loop" && got.back() == "loop" && got.size() <= want.size()) {
        want.resize(got.size() - 1);
        want.push_back("loop");
      }
      EXPECT_EQ(got, want);
    }
  }
}

} // namespace
