// SPDX-License-Identifier: MIT
// The command line and the report that a run prints.
#include "driver/driver.h"

#include "driver/disc_path.h"
#include "driver/exit_status.h"
#include "navigation/walk.h"
#include "output/graph_report.h"
#include "output/json_report.h"
#include "output/text_report.h"
#include "platform/console.h"
#include "platform/name_list.h"

#include <cstdio>
#include <cstring>
#include <string>

char path_buffer[kPathBufferSize];

namespace {

enum class Report { kText, kJson, kGraph };

struct RunSwitches {
  bool ifo = false;
  bool menu_vob = false;
  Report report = Report::kText;
  int path_index = 0; // 0: no path seen yet
};

// What the command line asks for once parsed.
enum class Parsed { kRun, kFailed, kHelp, kVersion };

constexpr const char *kUsage = "Usage: NAVLIST [-I] [-V] <Path>\n"
                               "  -I : Dump *.ifo files.\n"
                               "  -V : Dump *.vob(menu) files.\n"
                               "<ex> : NAVLIST -I -V c:\\video_ts\n";

constexpr const char *kHelp =
    "Usage: NAVLIST [-I] [-V] [--json | --graph] <Path>\n"
    "  -I        : Dump *.ifo files.\n"
    "  -V        : Dump *.vob(menu) files.\n"
    "  --json    : Print the dumps as one JSON document, each command's target resolved.\n"
    "  --graph   : Print the navigation as a Graphviz digraph.\n"
    "  --help    : Print this help.\n"
    "  --version : Print the version.\n"
    "<ex> : NAVLIST -I -V c:\\video_ts\n";

// The structured reports and --version print no banner: their output is for programs.
bool wants_banner(int argc, char **argv) {
  for (int i = 1; i < argc; ++i)
    for (const char *option : {"--json", "--graph", "--version"})
      if (equal_ignoring_case(argv[i], option))
        return false;
  return true;
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
      if (equal_ignoring_case(argument, "-i"))
        run->ifo = true;
      else if (equal_ignoring_case(argument, "-v"))
        run->menu_vob = true;
      else if (equal_ignoring_case(argument, "--json"))
        valid = choose_report(run, Report::kJson);
      else if (equal_ignoring_case(argument, "--graph"))
        valid = choose_report(run, Report::kGraph);
      else if (equal_ignoring_case(argument, "--help"))
        return Parsed::kHelp;
      else if (equal_ignoring_case(argument, "--version"))
        return Parsed::kVersion;
      else
        valid = false;
      if (!valid) {
        console_write_text("Invalid option.\n");
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
    console_write_text("navlist " NAVLIST_VERSION "\n");
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
