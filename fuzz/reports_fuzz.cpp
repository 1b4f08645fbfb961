// SPDX-License-Identifier: MIT
// Fuzz target: the text, --json and --graph reports of a disc folder, and their exit statuses.
//
// Input: the files VIDEO_TS.IFO, VTS_01_0.IFO, VTS_02_0.IFO, VIDEO_TS.VOB and VTS_01_0.VOB in
// that order, separated by kFileSeparator; a file whose part is empty, or missing after the last
// part, is absent. They are written to a folder of the target's own, and navlist runs on it as
// on the command line: the text report, then --json, then --graph.
//
// Checked: the text report is printable text in lines of sane length; --json prints one JSON
// document of valid UTF-8, exits as the text report does and lists as its problems and notes
// exactly the text report's messages and markers, in order; --graph prints printable ASCII, one
// digraph, with the same status. A hostile table can claim a report far too large to print here
// (one chain of thousands of commands shared by millions of pointers), so the output is cut off
// after kOutputBudget bytes by an exception from the sink, which unwinds the report like any
// other; such an input is not compared. --json holds its problems until its document ends, and
// --graph the whole walk before it prints, so --json runs only on discs whose text report fit the
// budget, and --graph only where the JSON document did too, which bounds their walks.
#include "fuzz_support.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <string>
#include <vector>

namespace {

constexpr size_t kOutputBudget = 256 << 10;

void check_json(const fuzz::Run &json, const fuzz::Run &text) {
  rapidjson::Document document;
  document.Parse<rapidjson::kParseValidateEncodingFlag>(json.output.c_str(), json.output.size());
  if (document.HasParseError())
    fuzz::fail("--json: %s at byte %zu", rapidjson::GetParseError_En(document.GetParseError()),
               document.GetErrorOffset());
  if (!document.IsObject() || !document.HasMember("problems") || !document["problems"].IsArray() ||
      json.output.back() != '\n')
    fuzz::fail("--json: not a navlist document");
  if (!text.complete)
    return;
  if (json.status != text.status)
    fuzz::fail("--json exits with %d, the text report with %d", json.status, text.status);
  // Every message and marker of the text report, in its order: the problems, then the notes;
  // problems exactly when the run exits with 1.
  const std::vector<std::string> expected = fuzz::text_problems(text.output);
  std::vector<std::string> listed;
  for (const char *list : {"problems", "notes"})
    if (document.HasMember(list) && document[list].IsArray())
      for (const rapidjson::Value &problem : document[list].GetArray())
        listed.push_back(problem["message"].GetString());
  if (listed != expected)
    fuzz::fail("--json lists other problems than the text report prints");
  if (document["problems"].Empty() != (json.status == 0))
    fuzz::fail("--json: its problems and the exit status %d disagree", json.status);
}

void check_graph(const fuzz::Run &graph, const fuzz::Run &json) {
  // A label can run long: its lines are one line of DOT.
  fuzz::TextCheck{"--graph", SIZE_MAX}.feed(graph.output.data(), graph.output.size());
  if (!graph.output.starts_with("digraph ") || !graph.output.ends_with("}\n"))
    fuzz::fail("--graph: not one digraph");
  if (graph.status != json.status)
    fuzz::fail("--graph exits with %d, --json with %d", graph.status, json.status);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *folder = fuzz::lay_out_disc(
      fuzz::split_files(data, size, 5),
      {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_02_0.IFO", "VIDEO_TS.VOB", "VTS_01_0.VOB"});
  const fuzz::Run text = fuzz::run_navlist({folder}, kOutputBudget);
  fuzz::TextCheck{"text report"}.feed(text.output.data(), text.output.size());
  // --json holds its problems until the document's end, so a walk of mostly markers prints next
  // to nothing while it runs: it runs where the text report, which prints each, fit.
  if (!text.complete)
    return 0;
  const fuzz::Run json = fuzz::run_navlist({"--json", folder}, kOutputBudget);
  if (!json.complete)
    return 0;
  check_json(json, text);
  const fuzz::Run graph = fuzz::run_navlist({"--graph", folder}, kOutputBudget);
  if (graph.complete)
    check_graph(graph, json);
  return 0;
}
