// SPDX-License-Identifier: MIT
// The command line and the report that a run prints.
#include "driver/driver.h"

#include "driver/disc_path.h"
#include "driver/exit_status.h"
#include "navigation/walk.h"
#include "output/graph_report.h"
#include "output/json_report.h"
#include "output/text_report.h"
#include "output/trace_report.h"
#include "platform/console.h"
#include "platform/name_list.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

char path_buffer[kPathBufferSize];

namespace {

enum class Report { kText, kJson, kGraph };

struct RunSwitches {
  bool ifo = false;
  bool menu_vob = false;
  Report report = Report::kText;
  bool trace = false;
  bool titles = false;
  bool main_title = false;
  player::Settings settings;
  player::ExploreLimits limits;
  int path_index = 0; // 0: no path seen yet
};

// What the command line asks for once parsed.
enum class Parsed { kRun, kFailed, kHelp, kVersion };

constexpr const char *kUsage = "Usage: NAVLIST [-I] [-V] <Path>\n"
                               "  -I : Dump *.ifo files.\n"
                               "  -V : Dump *.vob(menu) files.\n"
                               "<ex> : NAVLIST -I -V c:\\video_ts\n";

// --help: the GNU form, one line per option, on standard output without the
// banner.
constexpr const char *kHelp =
    "Usage: navlist [OPTION]... PATH\n"
    "List every navigation command of a DVD-Video disc as readable text.\n"
    "\n"
    "  -I, -i              dump the control files (VIDEO_TS.IFO, VTS_nn_0.IFO)\n"
    "  -V, -v              dump the button commands of the menu VOB files\n"
    "      --json          print the dumps as one JSON document, targets resolved\n"
    "      --graph         print the navigation as a Graphviz digraph\n"
    "      --trace         run the disc as a player does, from first play\n"
    "      --titles        explore every path a viewer can take; every title, the film\n"
    "      --main          print only the main title's number\n"
    "      --press LIST    buttons to press at the menus met, as 2,1,3 (default)\n"
    "      --until WHEN    end --trace at the first 'title' played or at the 'end'\n"
    "      --region N      the player's region, 1 to 8 (1)\n"
    "      --lang XX       menu, audio and subpicture language (en)\n"
    "      --parental N    parental level, 1 to 8, or 15 for none (15)\n"
    "      --wide          a 16:9 display (4:3)\n"
    "      --seed N        seed of the disc's random choices (1)\n"
    "      --max-steps N   commands and cells one run executes at most (100000)\n"
    "      --max-states N  states --titles explores at most (200000)\n"
    "      --min-main MIN  minutes the film plays at least (10)\n"
    "  -h, --help          print this help and exit\n"
    "      --version       print the version and exit\n"
    "\n"
    "With neither -I nor -V, both dumps. Options may stand in any order, in any case.\n"
    "\n"
    "PATH is one of:\n"
    "  the VIDEO_TS folder      navlist rip/VIDEO_TS\n"
    "  the folder above it      navlist rip\n"
    "  an image file (UDF)      navlist movie.iso\n"
    "  a disc in a drive        navlist /dev/sr0  (Windows: navlist D:\\)\n"
    "\n"
    "Exit status:\n"
    "  0  the report is complete and the disc showed no problem\n"
    "  1  the report was printed, but the disc is missing, damaged or out of range\n"
    "     somewhere (--trace: the run stopped short; --main: no main title)\n"
    "  2  nothing was dumped (a command line error), or the report could not be written\n";

constexpr const char *kVersion =
    "navlist " NAVLIST_VERSION "\n"
    "Copyright (c) 2026 the navlist authors\n"
    "License MIT: <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// The structured reports, the player's, --help and --version print no
// banner: their output is for programs, or is not the report.
bool wants_banner(int argc, char **argv) {
  for (int i = 1; i < argc; ++i)
    for (const char *option :
         {"--json", "--graph", "--version", "--help", "-h", "--trace", "--titles", "--main"})
      if (equal_ignoring_case(argv[i], option))
        return false;
  return true;
}

// A whole number from `min` to `max`, all of `text`.
bool parse_number(const char *text, unsigned long long min, unsigned long long max,
                  unsigned long long *value) {
  if (*text < '0' || *text > '9')
    return false;
  char *end = nullptr;
  errno = 0;
  *value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0' && *value >= min && *value <= max;
}

// "default", or buttons from 1 to 36 separated by commas.
bool parse_presses(const char *text, std::vector<unsigned> *presses) {
  presses->clear();
  if (equal_ignoring_case(text, "default"))
    return true;
  std::string list = text;
  for (size_t start = 0; start <= list.size();) {
    const size_t comma = std::min(list.find(',', start), list.size());
    unsigned long long button = 0;
    if (!parse_number(list.substr(start, comma - start).c_str(), 1, 36, &button))
      return false;
    presses->push_back(static_cast<unsigned>(button));
    start = comma + 1;
  }
  return true;
}

// An option of the player model, `--name value` or `--name=value`; false
// when `argument` is none of them or its value is not valid. Moves `i` past
// a value given as the next argument.
bool player_option(int argc, char **argv, int *i, RunSwitches *run, bool *known) {
  player::Settings *settings = &run->settings;
  static constexpr const char *kValued[] = {"--region",    "--lang",       "--parental",
                                            "--seed",      "--press",      "--until",
                                            "--max-steps", "--max-states", "--min-main"};
  std::string name = argv[*i];
  const size_t equals = name.find('=');
  std::string value;
  if (equals != std::string::npos) {
    value = name.substr(equals + 1);
    name.resize(equals);
  }
  *known = true;
  if (equal_ignoring_case(name.c_str(), "--wide")) { // a switch: it takes no value
    settings->wide = true;
    return equals == std::string::npos;
  }
  const char *const *option =
      std::find_if(std::begin(kValued), std::end(kValued),
                   [&](const char *o) { return equal_ignoring_case(o, name.c_str()); });
  if (option == std::end(kValued)) {
    *known = false;
    return false;
  }
  if (equals == std::string::npos) {
    if (*i + 1 >= argc)
      return false;
    value = argv[++*i];
  }
  unsigned long long number = 0;
  const std::string_view which = *option;
  if (which == "--region" && parse_number(value.c_str(), 1, 8, &number))
    settings->region = static_cast<unsigned>(number);
  else if (which == "--parental" && parse_number(value.c_str(), 1, 15, &number))
    settings->parental = static_cast<unsigned>(number);
  else if (which == "--seed" && parse_number(value.c_str(), 0, UINT32_MAX, &number))
    settings->seed = static_cast<uint32_t>(number);
  else if (which == "--max-steps" && parse_number(value.c_str(), 1, UINT64_MAX, &number))
    settings->max_steps = number;
  else if (which == "--max-states" && parse_number(value.c_str(), 1, UINT32_MAX, &number))
    run->limits.max_states = number;
  else if (which == "--min-main" && parse_number(value.c_str(), 0, 24 * 60, &number))
    run->limits.min_main_ms = number * 60 * 1000;
  else if (which == "--lang" && value.size() == 2 &&
           std::islower(static_cast<unsigned char>(value[0])) &&
           std::islower(static_cast<unsigned char>(value[1])))
    std::copy_n(value.data(), 2, settings->language);
  else if (which == "--press")
    return parse_presses(value.c_str(), &settings->presses);
  else if (which == "--until" && (value == "title" || value == "end"))
    settings->until_end = value == "end";
  else
    return false;
  return true;
}

// A long option that names nothing: GNU tools say so on standard error,
// after the report's own line (the two may share a terminal).
void tell_unknown_option(const char *argument) {
  console_flush();
  std::fprintf(stderr, "navlist: unrecognized option '%s'; try 'navlist --help'\n", argument);
}

// Chooses one structured report; asking for a second one is an error.
bool choose_report(RunSwitches *run, Report report) {
  if (run->report != Report::kText && run->report != report)
    return false;
  run->report = report;
  return true;
}

// Walks the arguments in order and stops at the first error, which it
// prints, or at --help or --version.
Parsed parse_arguments(int argc, char **argv, RunSwitches *run) {
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (argument[0] == '-') {
      bool valid = true;
      bool known = true;
      if (equal_ignoring_case(argument, "-i"))
        run->ifo = true;
      else if (equal_ignoring_case(argument, "-v"))
        run->menu_vob = true;
      else if (equal_ignoring_case(argument, "--json"))
        valid = choose_report(run, Report::kJson);
      else if (equal_ignoring_case(argument, "--graph"))
        valid = choose_report(run, Report::kGraph);
      else if (equal_ignoring_case(argument, "--trace"))
        run->trace = true;
      else if (equal_ignoring_case(argument, "--titles"))
        run->titles = true;
      else if (equal_ignoring_case(argument, "--main"))
        run->main_title = true;
      else if (equal_ignoring_case(argument, "--help") || equal_ignoring_case(argument, "-h"))
        return Parsed::kHelp;
      else if (equal_ignoring_case(argument, "--version"))
        return Parsed::kVersion;
      else
        valid = player_option(argc, argv, &i, run, &known);
      if (!valid) {
        console_write_text("Invalid option.\n");
        if (!known && argument[1] == '-')
          tell_unknown_option(argument);
        return Parsed::kFailed;
      }
      continue;
    }
    if (run->path_index != 0) {
      console_write_text("Extra parameters.\n");
      return Parsed::kFailed;
    }
    run->path_index = i;
  }
  if (run->path_index == 0) {
    console_write_text("Path not Found.\n");
    return Parsed::kFailed;
  }
  return Parsed::kRun;
}

// A path that holds no disc to walk: its message stands in place of the
// report, in the form of the output asked for, so that a program reading the
// output can parse it: a JSON document with the message as its problem, or,
// instead of a graph, nothing (the message goes to standard error).
int refuse_disc(const RunSwitches &run, const std::string &message, int status) {
  if (run.main_title) { // the number or nothing: the message goes aside
    std::fprintf(stderr, "%s\n", message.c_str());
    return status;
  }
  if ((run.trace || run.titles) && run.report == Report::kJson) {
    write_player_without_disc(run.trace, run.settings, message);
    return status;
  }
  switch (run.report) {
  case Report::kJson:
    write_json_without_disc(message, run.ifo, run.menu_vob);
    break;
  case Report::kGraph:
    std::fprintf(stderr, "%s\n", message.c_str());
    break;
  case Report::kText:
    console_write(message.data(), message.size());
    console_write_text("\n");
    break;
  }
  return status;
}

int navlist_run(int argc, char **argv) {
  if (wants_banner(argc, argv))
    console_write_text("*** NAVLIST Ver 1.00 ***\n");
  if (argc <= 1) {
    console_write_text(kUsage);
    return kExitNothingDumped;
  }
  RunSwitches run;
  switch (parse_arguments(argc, argv, &run)) {
  case Parsed::kFailed:
    return kExitNothingDumped;
  case Parsed::kHelp:
    console_write_text(kHelp);
    return kExitReportComplete;
  case Parsed::kVersion:
    console_write_text(kVersion);
    return kExitReportComplete;
  case Parsed::kRun:
    break;
  }
  if (!run.ifo && !run.menu_vob)
    run.ifo = run.menu_vob = true;

  std::string message;
  if (const int status = select_disc(argv[run.path_index], path_buffer, &message);
      status != kDiscSelected)
    return refuse_disc(run, message, status);

  if (run.trace + run.titles + run.main_title > 0) {
    // One of the player's reports, as text or JSON (--main is a number alone).
    if (run.trace + run.titles + run.main_title > 1 || run.report == Report::kGraph ||
        (run.main_title && run.report == Report::kJson)) {
      console_write_text("Invalid option.\n");
      return kExitNothingDumped;
    }
    if (run.trace)
      return write_trace_report(path_buffer, run.settings, run.report == Report::kJson);
    return write_titles_report(path_buffer, run.settings, run.limits,
                               run.main_title                ? TitlesFormat::kMainOnly
                               : run.report == Report::kJson ? TitlesFormat::kJson
                                                             : TitlesFormat::kText);
  }
  switch (run.report) {
  case Report::kJson:
    return write_json_report(path_buffer, run.ifo, run.menu_vob);
  case Report::kGraph:
    return write_graph_report(path_buffer, run.ifo, run.menu_vob);
  case Report::kText:
    break;
  }
  TextReport report;
  return navigation::walk_disc(path_buffer, navigation::Dumps{run.ifo, run.menu_vob}, report)
             ? kExitInputProblem
             : kExitReportComplete;
}

} // namespace

int navlist_main(int argc, char **argv) {
  try {
    const int status = navlist_run(argc, argv);
    console_flush();
    return status;
  } catch (const ConsoleWriteError &failure) {
    std::fprintf(stderr, "navlist: cannot write the report: %s\n", std::strerror(failure.error));
    return kExitNotWritten;
  }
}
