// SPDX-License-Identifier: MIT
// --trace: the player model's run from first play, as a log of one line per event or as JSON.
#include "output/trace_report.h"

#include "decoder/name_tables.h"
#include "ifo/ifo_layout.h"
#include "output/chain_names.h"
#include "output/json_report.h"
#include "platform/console.h"
#include "player/explore.h"
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

// "VMG Menu Language_01 \"en\" PGC_001 (Title menu)": a menu chain named with
// its language unit, since each unit numbers its chains from 1.
std::string chain_name_in_unit(const navigation::ChainRef &ref, uint8_t category,
                               const uint8_t *language_code) {
  std::string name = chain_name(ref, category);
  if (ref.domain == Domain::kVmgm || ref.domain == Domain::kVtsm) {
    char language[3];
    format_language_code(language_code, language);
    char unit[48];
    std::snprintf(unit, sizeof unit, " Language_%02u \"%s\"", ref.language_unit, language);
    name.insert(name.find(" PGC_"), unit);
  }
  return name;
}

// "VTS_02 Title PGC_001 (Title 1), disc title 3 (title 1 of VTS_02)".
std::string traced_chain_name(const player::TraceChain &chain) {
  std::string name = chain_name_in_unit(chain.ref, chain.category, chain.language);
  if (chain.ref.domain == Domain::kVtsTitle) {
    char title[64];
    std::snprintf(title, sizeof title, ", disc title %u (title %u of VTS_%02u)", chain.title,
                  chain.title_in_set, chain.ref.title_set);
    name += title;
  }
  return name;
}

std::string title_line(const player::PlayedTitle &title) {
  char line[128];
  std::snprintf(line, sizeof line, "title %u plays: VTS_%02u title %u, PGC_%03u, after %s\n",
                title.title, title.title_set, title.title_in_set, title.pgcn,
                clock_text(title.start_ms).c_str());
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
    std::snprintf(line, sizeof line, "menu at cell %u: %u button%s, button %u highlighted",
                  menu.cell, menu.buttons, menu.buttons == 1 ? "" : "s", menu.highlighted);
    std::string text = line;
    if (menu.forced_select != 0)
      text += ", forced select " + std::to_string(menu.forced_select);
    if (menu.forced_activate != 0)
      text += ", forced activate " + std::to_string(menu.forced_activate);
    std::snprintf(line, sizeof line, " (%s PK_%06X)\n", menu.file, menu.pack);
    write_line(text + line);
  }
  void press(unsigned button, PressReason reason, unsigned asked) override {
    static constexpr const char *kWhy[] = {"", ", the default", ", forced activate",
                                           ", auto action"};
    write_line("press button " + std::to_string(button) + kWhy[int(reason)] +
               (asked != 0 ? ": the menu has no button " + std::to_string(asked) : "") + "\n");
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
  void title(const player::PlayedTitle &title) override { write_line(title_line(title)); }
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

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void write_text(Writer &writer, std::string_view bytes) {
  std::string text;
  append_valid_utf8(bytes, text);
  writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

// The document's first keys: the version, and the player's settings.
void write_head(Writer &writer, const player::Settings &settings) {
  writer.StartObject();
  writer.Key("navlist");
  writer.String(NAVLIST_VERSION);
  writer.Key("settings");
  writer.StartObject();
  writer.Key("region");
  writer.Uint(settings.region);
  writer.Key("language");
  write_text(writer, std::string_view(settings.language, 2));
  writer.Key("parental");
  writer.Uint(settings.parental);
  writer.Key("wide");
  writer.Bool(settings.wide);
  writer.Key("seed");
  writer.Uint(settings.seed);
  writer.Key("press");
  writer.StartArray();
  for (const unsigned button : settings.presses)
    writer.Uint(button);
  writer.EndArray();
  writer.Key("until");
  writer.String(settings.until_end ? "end" : "title");
  writer.Key("max_steps");
  writer.Uint64(settings.max_steps);
  writer.EndObject();
}

void write_chain_ref(Writer &writer, const navigation::ChainRef &ref) {
  writer.Key("domain");
  writer.String(json_domain_name(ref.domain));
  if (ref.domain == Domain::kVtsm || ref.domain == Domain::kVtsTitle) {
    writer.Key("title_set");
    writer.Uint(ref.title_set);
  }
  if (ref.domain == Domain::kVmgm || ref.domain == Domain::kVtsm) {
    writer.Key("language_unit");
    writer.Uint(ref.language_unit);
  }
  if (ref.domain != Domain::kFirstPlay) {
    writer.Key("pgcn");
    writer.Uint(ref.pgcn);
  }
}

// One JSON document: the settings, every step, and the result.
class JsonTrace : public player::TraceSink {
public:
  explicit JsonTrace(const player::Settings &settings) : writer_(buffer_) {
    write_head(writer_, settings);
    writer_.Key("steps");
    writer_.StartArray();
  }

  void enter(const player::TraceChain &chain) override {
    begin("enter");
    write_chain_ref(writer_, chain.ref);
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
  void press(unsigned button, PressReason reason, unsigned asked) override {
    begin("press");
    writer_.Key("button");
    writer_.Uint(button);
    writer_.Key("reason");
    writer_.String(kPressReasons[int(reason)]);
    if (asked != 0) {
      writer_.Key("asked");
      writer_.Uint(asked);
    }
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
  void title(const player::PlayedTitle &title) override {
    begin("title");
    title_fields(title);
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
    if (end.title)
      title_fields(*end.title);
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
  void text(std::string_view bytes) { write_text(writer_, bytes); }
  // The title in the form of the "title" step and of the result.
  void title_fields(const player::PlayedTitle &title) {
    writer_.Key("title");
    writer_.Uint(title.title);
    writer_.Key("title_set");
    writer_.Uint(title.title_set);
    writer_.Key("title_in_set");
    writer_.Uint(title.title_in_set);
    writer_.Key("pgcn");
    writer_.Uint(title.pgcn);
    writer_.Key("seconds");
    writer_.Double(static_cast<double>(title.start_ms) / 1000);
  }
  void flush() {
    console_write(buffer_.GetString(), buffer_.GetSize());
    buffer_.Clear();
  }

  rapidjson::StringBuffer buffer_;
  Writer writer_;
};

// "VMGM Title menu", "VTS_01 menu PGC_003 (Language_02), cell 2": a menu of a button path.
std::string menu_text(const player::PathStep &step) {
  const navigation::ChainRef &ref = step.chain;
  char name[96];
  const char *set = ref.domain == Domain::kVmgm ? "VMGM" : "";
  char vts[16];
  std::snprintf(vts, sizeof vts, "VTS_%02u", ref.title_set);
  if ((step.category & 0x80) != 0)
    std::snprintf(name, sizeof name, "%s %s", *set ? set : vts,
                  kEntryMenuNames[step.category & 0x0F].data());
  else
    std::snprintf(name, sizeof name, "%s menu PGC_%03u", *set ? set : vts, ref.pgcn);
  std::string text = name;
  if (ref.language_unit != 1)
    text += " (Language_" + std::string(ref.language_unit < 10 ? "0" : "") +
            std::to_string(ref.language_unit) + ")";
  if (step.cell != 1)
    text += ", cell " + std::to_string(step.cell);
  return text;
}

std::string path_text(const std::vector<player::PathStep> &path) {
  std::string text = "first play";
  for (const player::PathStep &step : path)
    text += " > " + menu_text(step) + ": " +
            (step.button == 0 ? std::string("no press") : "button " + std::to_string(step.button));
  return text;
}

// The player-dependent system registers the disc's commands read, by name.
std::vector<std::string_view> registers_read(uint32_t mask) {
  std::vector<std::string_view> names;
  for (unsigned r = 0; r < 24; ++r)
    if (mask >> r & 1)
      names.push_back(register_names[0x80 | r]);
  return names;
}

constexpr const char *kRuleNames[] = {"none", "default_path", "longest"};

void print_titles_text(const player::Exploration &found) {
  for (const std::string &problem : found.problems)
    write_line("problem: " + problem + "\n");
  for (const player::TitleReach &title : found.titles) {
    char head[64];
    std::snprintf(head, sizeof head, "title %u: VTS_%02u title %u, ", title.title, title.title_set,
                  title.title_in_set);
    std::string line = head;
    if (title.reached)
      line +=
          "reached by " + path_text(title.path) + "; plays " + clock_text(title.plays_ms) + ", ";
    else
      line += "not reached; ";
    write_line(line + (title.table_known ? clock_text(title.table_ms) : "no length") +
               " in the tables\n");
  }
  for (const player::ChainMark &chain : found.unreached_chains)
    write_line("not reached: " + chain_name_in_unit(chain.ref, chain.category, chain.language) +
               "\n");
  std::string read;
  for (const std::string_view name : registers_read(found.settings_read))
    read += (read.empty() ? "" : ", ") + std::string(name);
  write_line(read.empty() ? "the disc's commands read none of the player's settings\n"
                          : "the disc's commands read " + read +
                                ": other settings could give other answers\n");
  write_line(
      "explored " + std::to_string(found.states) + " states" +
      (found.budget_reached ? ", and stopped at the budget: some paths are not explored" : "") +
      "\n");
  switch (found.rule) {
  case player::MainRule::kNone:
    write_line("main title: none\n");
    break;
  case player::MainRule::kDefaultPath:
    write_line("main title: " + std::to_string(found.main_title) +
               ", the title the default path plays first (" + clock_text(found.main_ms) + ")\n");
    break;
  case player::MainRule::kLongest:
    write_line("main title: " + std::to_string(found.main_title) +
               ", the reached title that plays longest (" + clock_text(found.main_ms) + ")\n");
    break;
  }
}

void print_titles_json(const player::Exploration &found, const player::Settings &settings) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  write_head(writer, settings);
  writer.Key("titles");
  writer.StartArray();
  for (const player::TitleReach &title : found.titles) {
    writer.StartObject();
    writer.Key("title");
    writer.Uint(title.title);
    writer.Key("title_set");
    writer.Uint(title.title_set);
    writer.Key("title_in_set");
    writer.Uint(title.title_in_set);
    writer.Key("reached");
    writer.Bool(title.reached);
    if (title.reached) {
      writer.Key("path");
      writer.StartArray();
      for (const player::PathStep &step : title.path) {
        writer.StartObject();
        writer.Key("menu");
        write_text(writer, menu_text(step));
        write_chain_ref(writer, step.chain);
        writer.Key("cell");
        writer.Uint(step.cell);
        writer.Key("button");
        writer.Uint(step.button);
        writer.EndObject();
      }
      writer.EndArray();
      writer.Key("path_text");
      write_text(writer, path_text(title.path));
      writer.Key("seconds");
      writer.Double(static_cast<double>(title.plays_ms) / 1000);
    }
    writer.Key("table_seconds");
    if (title.table_known)
      writer.Double(static_cast<double>(title.table_ms) / 1000);
    else
      writer.Null();
    writer.EndObject();
  }
  writer.EndArray();
  writer.Key("unreached_chains");
  writer.StartArray();
  for (const player::ChainMark &chain : found.unreached_chains) {
    writer.StartObject();
    write_chain_ref(writer, chain.ref);
    writer.Key("name");
    write_text(writer, chain_name_in_unit(chain.ref, chain.category, chain.language));
    writer.EndObject();
  }
  writer.EndArray();
  writer.Key("settings_read");
  writer.StartArray();
  for (const std::string_view name : registers_read(found.settings_read))
    write_text(writer, name);
  writer.EndArray();
  writer.Key("states");
  writer.Uint64(found.states);
  writer.Key("budget_reached");
  writer.Bool(found.budget_reached);
  writer.Key("main_title");
  if (found.main_title == 0)
    writer.Null();
  else
    writer.Uint(found.main_title);
  writer.Key("rule");
  writer.String(kRuleNames[int(found.rule)]);
  writer.Key("problems");
  writer.StartArray();
  for (const std::string &problem : found.problems)
    write_text(writer, problem);
  writer.EndArray();
  writer.EndObject();
  buffer.Put('\n');
  console_write(buffer.GetString(), buffer.GetSize());
}

} // namespace

void write_player_without_disc(bool trace, const player::Settings &settings,
                               const std::string &message) {
  if (trace) {
    JsonTrace sink(settings);
    player::TraceEnd end;
    end.reason = EndReason::kMissingFile;
    end.why = message;
    sink.end(end);
    return;
  }
  player::Exploration none;
  none.problems.push_back(message);
  print_titles_json(none, settings);
}

int write_titles_report(const char *path, const player::Settings &settings,
                        const player::ExploreLimits &limits, TitlesFormat format) {
  const player::Exploration found = player::explore_disc(path, settings, limits);
  switch (format) {
  case TitlesFormat::kText:
    print_titles_text(found);
    break;
  case TitlesFormat::kJson:
    print_titles_json(found, settings);
    break;
  case TitlesFormat::kMainOnly:
    // The number or nothing: what went wrong goes aside.
    for (const std::string &problem : found.problems)
      std::fprintf(stderr, "%s\n", problem.c_str());
    if (found.main_title != 0)
      write_line(std::to_string(found.main_title) + "\n");
    break;
  }
  return found.main_title != 0 ? 0 : 1;
}

int write_trace_report(const char *path, const player::Settings &settings, bool json) {
  if (json) {
    JsonTrace sink(settings);
    return player::trace_disc(path, settings, sink);
  }
  TextTrace sink;
  return player::trace_disc(path, settings, sink);
}
