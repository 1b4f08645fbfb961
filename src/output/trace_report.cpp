// SPDX-License-Identifier: MIT
// --trace: the player model's run from first play, as a log of one line per event or as JSON.
#include "output/trace_report.h"

#include "decoder/name_tables.h"
#include "output/chain_names.h"
#include "output/json_report.h"
#include "platform/console.h"
#include "player/machine.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>

namespace {

using navigation::CommandList;
using navigation::Domain;
using player::EndReason;
using player::PressReason;

constexpr const char *kListNames[] = {"pre", "post", "cell", "button"};
constexpr const char *kDomainNames[] = {"first_play", "vmgm", "vtsm", "vts_title"};
constexpr const char *kPressReasons[] = {"chosen", "default", "forced_activate", "auto_action"};
constexpr const char *kEndNames[] = {"title_plays",  "stops",      "loops",       "waits",
                                     "out_of_steps", "unresolved", "missing_file"};

// h:mm:ss of the model's clock, with the milliseconds when asked for.
std::string clock_text(uint64_t ms, bool fraction = false) {
  const uint64_t seconds = ms / 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned long long>(seconds / 60 % 60),
                static_cast<unsigned long long>(seconds % 60));
  std::string out = text;
  if (fraction) {
    std::snprintf(text, sizeof text, ".%03llu", static_cast<unsigned long long>(ms % 1000));
    out += text;
  }
  return out;
}

// "VMG Menu Language_01 \"en\" PGC_001 (Title menu)", "VTS_02 Title PGC_001 (title 3)".
std::string traced_chain_name(const player::TraceChain &chain) {
  std::string name = chain_name(chain.ref, chain.category);
  if (chain.ref.domain == Domain::kVmgm || chain.ref.domain == Domain::kVtsm) {
    char language[3];
    format_language_code(chain.language, language);
    char unit[48];
    std::snprintf(unit, sizeof unit, " Language_%02u \"%s\"", chain.ref.language_unit, language);
    name.insert(name.find(" PGC_"), unit);
  }
  if (chain.ref.domain == Domain::kVtsTitle) {
    char title[64];
    std::snprintf(title, sizeof title, ", disc title %u (title %u of VTS_%02u)", chain.title,
                  chain.title_in_set, chain.ref.title_set);
    name += title;
  }
  return name;
}

std::string title_line(const player::TraceEnd &end) {
  char line[128];
  std::snprintf(line, sizeof line, "title %u plays: VTS_%02u title %u, PGC_%03u, after %s\n",
                end.title, end.title_set, end.title_in_set, end.pgcn,
                clock_text(end.title_start_ms).c_str());
  return line;
}

void write_line(const std::string &line) {
  console_write(line.data(), line.size());
}

class TextTrace : public player::TraceSink {
public:
  void enter(const player::TraceChain &chain) override {
    write_line("enter " + traced_chain_name(chain) + "\n");
  }
  void command(const player::TraceCommand &command) override {
    char head[64];
    std::snprintf(head, sizeof head, "  %s %03u %s[%06llX]: ", kListNames[int(command.list)],
                  command.number, command.file, static_cast<unsigned long long>(command.offset));
    std::string line = head;
    line += command.text;
    if (command.note != nullptr)
      line += std::string("  (") + command.note + ")";
    write_line(line + "\n");
  }
  void set_register(unsigned reg, uint16_t value) override {
    write_line("    " + std::string(register_names[reg & 0xFF]) + " = " + std::to_string(value) +
               "\n");
  }
  void cell(const player::TraceCell &cell) override {
    std::string line =
        "  cell " + std::to_string(cell.cell) + " plays " + clock_text(cell.milliseconds, true);
    if (cell.cut_short)
      line += ", cut short";
    else if (cell.still == 255)
      line += ", then a still for ever";
    else if (cell.still != 0)
      line += ", then a still of " + std::to_string(cell.still) + " s";
    write_line(line + " (clock " + clock_text(cell.clock_ms, true) + ")\n");
  }
  void menu(const player::TraceMenu &menu) override {
    char line[160];
    std::snprintf(line, sizeof line, "menu at cell %u: %u buttons, button %u highlighted",
                  menu.cell, menu.buttons, menu.highlighted);
    std::string text = line;
    if (menu.forced_select != 0)
      text += ", forced select " + std::to_string(menu.forced_select);
    if (menu.forced_activate != 0)
      text += ", forced activate " + std::to_string(menu.forced_activate);
    std::snprintf(line, sizeof line, " (%s PK_%06X)\n", menu.file, menu.pack);
    write_line(text + line);
  }
  void press(unsigned button, PressReason reason) override {
    static constexpr const char *kWhy[] = {"", ", the default", ", forced activate",
                                           ", auto action"};
    write_line("press button " + std::to_string(button) + kWhy[int(reason)] + "\n");
  }
  void timer(uint16_t pgcn, uint64_t clock_ms) override {
    write_line("the navigation timer runs out at " + clock_text(clock_ms) + ": PGC_" +
               (pgcn < 10    ? "00"
                : pgcn < 100 ? "0"
                             : "") +
               std::to_string(pgcn) + "\n");
  }
  void problem(const navigation::Problem &problem) override {
    write_line("problem: " + std::string(problem.message) + "\n");
  }
  void title(const player::TraceEnd &title) override { write_line(title_line(title)); }
  void end(const player::TraceEnd &end) override {
    if (end.reason == EndReason::kTitlePlays)
      return;
    const std::string at = " after " + clock_text(end.clock_ms);
    std::string line;
    switch (end.reason) {
    case EndReason::kTitlePlays:
      break;
    case EndReason::kStops:
      line = "the disc stops" + at + (end.why.empty() ? "" : ": " + end.why);
      break;
    case EndReason::kLoops:
      line = "the disc loops" + at + ": the same state came round again";
      break;
    case EndReason::kWaits:
      line = "the disc waits for input" + at;
      break;
    case EndReason::kOutOfSteps:
      line = "the trace ran out of steps (" + std::to_string(end.steps - 1) + ")" + at;
      break;
    case EndReason::kUnresolved:
      line = "the trace ends at a target the disc's tables do not name" + at + ": " + end.why;
      break;
    case EndReason::kMissingFile:
      line = "the trace ends" + at + ": " + end.why;
      break;
    }
    write_line(line + "\n");
  }
};

// One JSON document: the settings, every step, and the result.
class JsonTrace : public player::TraceSink {
public:
  explicit JsonTrace(const player::Settings &settings) : writer_(buffer_) {
    writer_.StartObject();
    writer_.Key("navlist");
    writer_.String(NAVLIST_VERSION);
    writer_.Key("settings");
    writer_.StartObject();
    writer_.Key("region");
    writer_.Uint(settings.region);
    writer_.Key("language");
    text(std::string_view(settings.language, 2));
    writer_.Key("parental");
    writer_.Uint(settings.parental);
    writer_.Key("wide");
    writer_.Bool(settings.wide);
    writer_.Key("seed");
    writer_.Uint(settings.seed);
    writer_.Key("press");
    writer_.StartArray();
    for (const unsigned button : settings.presses)
      writer_.Uint(button);
    writer_.EndArray();
    writer_.Key("until");
    writer_.String(settings.until_end ? "end" : "title");
    writer_.Key("max_steps");
    writer_.Uint64(settings.max_steps);
    writer_.EndObject();
    writer_.Key("steps");
    writer_.StartArray();
  }

  void enter(const player::TraceChain &chain) override {
    begin("enter");
    writer_.Key("domain");
    writer_.String(kDomainNames[int(chain.ref.domain)]);
    if (chain.ref.domain == Domain::kVtsm || chain.ref.domain == Domain::kVtsTitle) {
      writer_.Key("title_set");
      writer_.Uint(chain.ref.title_set);
    }
    if (chain.ref.domain == Domain::kVmgm || chain.ref.domain == Domain::kVtsm) {
      writer_.Key("language_unit");
      writer_.Uint(chain.ref.language_unit);
    }
    if (chain.ref.domain != Domain::kFirstPlay) {
      writer_.Key("pgcn");
      writer_.Uint(chain.ref.pgcn);
    }
    if (chain.ref.domain == Domain::kVtsTitle) {
      writer_.Key("title");
      writer_.Uint(chain.title);
      writer_.Key("title_in_set");
      writer_.Uint(chain.title_in_set);
    }
    writer_.Key("name");
    text(traced_chain_name(chain));
    end_step();
  }
  void command(const player::TraceCommand &command) override {
    begin("command");
    writer_.Key("list");
    writer_.String(kListNames[int(command.list)]);
    writer_.Key("number");
    writer_.Uint(command.number);
    writer_.Key("file");
    text(command.file);
    writer_.Key("offset");
    writer_.Uint64(command.offset);
    writer_.Key("text");
    text(command.text);
    if (command.note != nullptr) {
      writer_.Key("note");
      writer_.String(command.note);
    }
    end_step();
  }
  void set_register(unsigned reg, uint16_t value) override {
    begin("register");
    writer_.Key("register");
    text(register_names[reg & 0xFF]);
    writer_.Key("value");
    writer_.Uint(value);
    end_step();
  }
  void cell(const player::TraceCell &cell) override {
    begin("cell");
    writer_.Key("cell");
    writer_.Uint(cell.cell);
    writer_.Key("milliseconds");
    writer_.Uint(cell.milliseconds);
    writer_.Key("still");
    writer_.Uint(cell.still);
    writer_.Key("cut_short");
    writer_.Bool(cell.cut_short);
    writer_.Key("clock_ms");
    writer_.Uint64(cell.clock_ms);
    end_step();
  }
  void menu(const player::TraceMenu &menu) override {
    begin("menu");
    writer_.Key("cell");
    writer_.Uint(menu.cell);
    writer_.Key("buttons");
    writer_.Uint(menu.buttons);
    writer_.Key("highlighted");
    writer_.Uint(menu.highlighted);
    writer_.Key("forced_select");
    writer_.Uint(menu.forced_select);
    writer_.Key("forced_activate");
    writer_.Uint(menu.forced_activate);
    writer_.Key("file");
    text(menu.file);
    writer_.Key("pack");
    writer_.Uint(menu.pack);
    end_step();
  }
  void press(unsigned button, PressReason reason) override {
    begin("press");
    writer_.Key("button");
    writer_.Uint(button);
    writer_.Key("reason");
    writer_.String(kPressReasons[int(reason)]);
    end_step();
  }
  void timer(uint16_t pgcn, uint64_t clock_ms) override {
    begin("timer");
    writer_.Key("pgcn");
    writer_.Uint(pgcn);
    writer_.Key("clock_ms");
    writer_.Uint64(clock_ms);
    end_step();
  }
  void title(const player::TraceEnd &title) override {
    begin("title");
    writer_.Key("title");
    writer_.Uint(title.title);
    writer_.Key("title_set");
    writer_.Uint(title.title_set);
    writer_.Key("title_in_set");
    writer_.Uint(title.title_in_set);
    writer_.Key("pgcn");
    writer_.Uint(title.pgcn);
    writer_.Key("seconds");
    writer_.Double(static_cast<double>(title.title_start_ms) / 1000);
    end_step();
  }
  void problem(const navigation::Problem &problem) override {
    begin("problem");
    writer_.Key("message");
    text(problem.message);
    end_step();
  }
  void end(const player::TraceEnd &end) override {
    writer_.EndArray();
    writer_.Key("result");
    writer_.StartObject();
    writer_.Key("reason");
    writer_.String(kEndNames[int(end.reason)]);
    if (!end.why.empty()) {
      writer_.Key("why");
      text(end.why);
    }
    if (end.title_played) {
      writer_.Key("title");
      writer_.Uint(end.title);
      writer_.Key("title_set");
      writer_.Uint(end.title_set);
      writer_.Key("title_in_set");
      writer_.Uint(end.title_in_set);
      writer_.Key("pgcn");
      writer_.Uint(end.pgcn);
      writer_.Key("seconds");
      writer_.Double(static_cast<double>(end.title_start_ms) / 1000);
    }
    writer_.Key("clock_ms");
    writer_.Uint64(end.clock_ms);
    writer_.Key("steps");
    writer_.Uint64(end.steps);
    writer_.EndObject();
    writer_.EndObject();
    buffer_.Put('\n');
    flush();
  }

private:
  void begin(const char *event) {
    writer_.StartObject();
    writer_.Key("event");
    writer_.String(event);
  }
  void end_step() {
    writer_.EndObject();
    if (buffer_.GetSize() > (1 << 16))
      flush();
  }
  void text(std::string_view bytes) {
    scratch_.clear();
    append_valid_utf8(bytes, scratch_);
    writer_.String(scratch_.data(), static_cast<rapidjson::SizeType>(scratch_.size()));
  }
  void flush() {
    console_write(buffer_.GetString(), buffer_.GetSize());
    buffer_.Clear();
  }

  rapidjson::StringBuffer buffer_;
  rapidjson::Writer<rapidjson::StringBuffer> writer_;
  std::string scratch_;
};

} // namespace

int write_trace_report(const char *path, const player::Settings &settings, bool json) {
  if (json) {
    JsonTrace sink(settings);
    return player::trace_disc(path, settings, sink);
  }
  TextTrace sink;
  return player::trace_disc(path, settings, sink);
}
