// SPDX-License-Identifier: MIT
// Fuzz target: the player model's trace of a disc folder, as a log and as JSON.
//
// Input: the files VIDEO_TS.IFO, VTS_01_0.IFO, VTS_02_0.IFO, VIDEO_TS.VOB and VTS_01_0.VOB in
// that order, separated by kFileSeparator, as for the reports target. navlist --trace --until
// end runs on them, pressing button 2 at the first menu and then the default: its log must be
// printable text, and with --json one document of valid UTF-8 with the same exit status. The
// step budget is small, so that a disc that loops without repeating a state is cut short by
// the model itself; the output budget catches the rest.
#include "fuzz_support.h"

#include <rapidjson/document.h>

namespace {

constexpr size_t kOutputBudget = 256 << 10;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *folder = fuzz::lay_out_disc(
      fuzz::split_files(data, size, 5),
      {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_02_0.IFO", "VIDEO_TS.VOB", "VTS_01_0.VOB"});
  fuzz::Run log = fuzz::run_navlist(
      {"--trace", "--until", "end", "--press", "2", "--max-steps", "5000", folder}, kOutputBudget);
  fuzz::TextCheck{"trace"}.feed(log.output.data(), log.output.size());
  const fuzz::Run json = fuzz::run_navlist(
      {"--trace", "--json", "--until", "end", "--press", "2", "--max-steps", "5000", folder},
      kOutputBudget);
  if (!json.complete || !log.complete)
    return 0;
  rapidjson::Document document;
  document.Parse<rapidjson::kParseValidateEncodingFlag>(json.output.c_str(), json.output.size());
  if (document.HasParseError() || !document.IsObject() || !document.HasMember("result"))
    fuzz::fail("--trace --json: not one trace document");
  if (json.status != log.status)
    fuzz::fail("--trace --json exits with %d, the log with %d", json.status, log.status);
  return 0;
}
